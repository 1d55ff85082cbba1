// The known folders of the machine (Program Files, the all-users application
// data, the desktops, the start menu, ...) named by the shell's folder
// identifiers (CSIDL values), and the user's temporary folder: every place
// the installer's destinations, default folders and backups start from.
//
// `system_known_folders()` is the machine's: on Windows the shell
// (SHGetFolderPathW with the installer's current top-level window as owner,
// the folder's current path, nothing created) and GetTempPathW; on Linux
// there are no Windows folders (every lookup answers file_not_found) and the
// temporary folder is $TMPDIR or /tmp. `rooted_known_folders` lays the
// folders out below one folder of the caller's choice, on either build: the
// tools' and the tests' machines. platform/fault_injection.h wraps any of
// them to make a lookup fail.
//
// A lookup that fails leaves `path` as it was and answers an error; a
// successful one answers an absolute path, so that a caller can never build
// a relative destination from a failed lookup.
#pragma once

#include <string>
#include <system_error>

namespace av::platform {

// The shell's folder identifiers the installer uses.
namespace csidl {
inline constexpr int programs = 0x02;  // the user's start-menu programs
inline constexpr int personal = 0x05;  // the user's documents
inline constexpr int desktop_directory = 0x10;  // the user's desktop
inline constexpr int common_programs = 0x17;  // all users' start-menu programs
inline constexpr int common_desktop = 0x19;  // all users' desktop
inline constexpr int appdata = 0x1A;  // the user's roaming application data
inline constexpr int common_appdata = 0x23;  // all users' application data
inline constexpr int windows = 0x24;
inline constexpr int system = 0x25;
inline constexpr int program_files = 0x26;
inline constexpr int program_files_common = 0x2B;
inline constexpr int common_documents = 0x2E;
}  // namespace csidl

class known_folders {
public:
    virtual ~known_folders() = default;

    // The current path of a known folder, without a trailing separator
    // (unless it is a drive's root). file_not_found when the machine has no
    // such folder (an empty or relative answer of the shell counts as none).
    virtual std::error_code folder(int csidl, std::wstring& path) = 0;
    // The user's temporary folder, ending with a separator (GetTempPathW into
    // a buffer of 260 characters); filename_too_long when it does not fit.
    virtual std::error_code temp_folder(std::wstring& path) = 0;
};

// The machine's known folders (a process-wide object).
known_folders& system_known_folders();

// Known folders as a Windows machine lays them out, below `root`: for
// instance common_appdata is "<root>/ProgramData" and program_files
// "<root>/Program Files" (folder_below_root). `temp` is the temporary folder.
// Both must be absolute; folders are named, never created.
class rooted_known_folders final : public known_folders {
public:
    rooted_known_folders(std::wstring root, std::wstring temp);

    std::error_code folder(int csidl, std::wstring& path) override;
    std::error_code temp_folder(std::wstring& path) override;

    const std::wstring& root() const noexcept { return root_; }

private:
    std::wstring root_;
    std::wstring temp_;
};

// The place of a known folder below a rooted machine's root, with "/"
// separators ("ProgramData", "Users/Public/Desktop", ...); empty for an
// identifier the installer does not use.
std::wstring folder_below_root(int csidl);

}  // namespace av::platform
