// The shell's links (".lnk" shortcut files) and its notice that file
// associations changed.
//
// A link holds exactly two properties: its target and its working folder.
// `system_shell_links()` is the machine's: on Windows the shell link object
// (COM, IShellLinkW saved through IPersistFile); on Linux, which has no such
// object, a `file_shell_links` over the machine's files. platform/
// fault_injection.h wraps any implementation to make a save fail.
#pragma once

#include <string>
#include <system_error>

namespace av::platform {

class file_system;

class shell_links {
public:
    virtual ~shell_links() = default;

    // Saves a link at `link_path` (absolute; an existing file there is
    // replaced) to `target`, working in `working_folder`. On Windows a failure
    // carries the COM call's HRESULT.
    virtual std::error_code save(
        const std::wstring& link_path, const std::wstring& target, const std::wstring& working_folder) = 0;
    // Tells the shell that file associations changed (SHChangeNotify,
    // SHCNE_ASSOCCHANGED, SHCNF_FLUSH). Nothing on Linux. Cannot fail.
    virtual void announce_association_change() = 0;
};

// The machine's shell (a process-wide object).
shell_links& system_shell_links();

// A link as a small file written through a file_system: two lines,
// "target=<target>" and "workdir=<working folder>", in UTF-16LE. Stands in
// for the shell wherever there is none (the Linux build, tests).
class file_shell_links final : public shell_links {
public:
    explicit file_shell_links(file_system& files)
        : files_(files)
    {
    }

    std::error_code save(
        const std::wstring& link_path, const std::wstring& target, const std::wstring& working_folder) override;
    void announce_association_change() override { }

    // Reads back a link this class saved; false when the file is no such link.
    bool read(const std::wstring& link_path, std::wstring& target, std::wstring& working_folder);

private:
    file_system& files_;
};

}  // namespace av::platform
