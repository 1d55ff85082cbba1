// The installation run: the one operation that changes the machine. Started
// by the Install page's Next, it prepares, writes and verifies every payload
// file, makes the shortcuts, registers the product, runs the product once so
// that it registers itself, and writes the uninstall log; a failure of the
// files or of the product path value rolls everything back.
#pragma once

#include "payload/archive.h"
#include "platform/machine.h"

#include <istream>
#include <string>
#include <vector>

class InstallDisplay;
class InstallationState;

// Files needed only while the run lasts ("<Temporary>" entries): when the
// run ends, whatever happens, each file this run wrote is deleted and a file
// it had moved aside is put back, then the folder goes (if empty).
class TemporaryFiles {
public:
    TemporaryFiles(av::platform::file_system& files, std::wstring folder);
    ~TemporaryFiles();
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // `path` is about to be written by this run; `backup` (when not empty)
    // holds the file that was there before.
    void Add(const std::wstring& path, const std::wstring& backup = {}) { m_files.push_back({path, backup}); }
    std::vector<std::wstring> Files() const;

private:
    struct written {
        std::wstring path;
        std::wstring backup;
    };
    av::platform::file_system& m_fs;
    std::wstring m_folder;
    std::vector<written> m_files;
};

// The Install page's answer to each notification of the extraction pass:
// decides per entry kind whether to write or skip, records and grants, and
// shows every step on the page.
class InstallationPageHandlers {
public:
    InstallationPageHandlers(InstallationState& state, const av::platform::machine& machine, InstallDisplay& page,
        std::istream& payload, TemporaryFiles& temporaryFiles);

    // Dispatches to the handler of the notification, then pumps the page's
    // waiting messages.
    av::notification::result operator()(const av::notification& n);

    // The size of the product's files met so far (every entry but the
    // temporary ones, written or kept), for the program list's size column.
    std::uint64_t ProductBytes() const { return m_productBytes; }

private:
    av::notification::result Started();
    av::notification::result FileStarted(const av::payload_entry& entry);
    av::notification::result FileDone(const av::payload_entry& entry);
    av::notification::result Progress(std::uint64_t position, std::uint64_t total);
    av::notification::result Failed(const std::error_code& code);
    void Install(std::uint32_t kind, const std::wstring& destination, bool copyBackup);

    InstallationState& m_state;
    const av::platform::machine& m_machine;
    InstallDisplay& m_page;
    std::istream& m_payload;
    TemporaryFiles& m_temporaryFiles;
    std::uint64_t m_productBytes = 0;
};

// Runs the installation on `machine`, shown on the Install page; true when
// the product is installed (also when a later step only logged "Failed").
bool run_installation(InstallationState& state, InstallDisplay& page, const av::platform::machine& machine);
// The same with the payload given as a stream (at position 0) instead of the
// executable's payload resource.
bool run_installation(
    InstallationState& state, InstallDisplay& page, const av::platform::machine& machine, std::istream& payload);

// The product's registration command line: the main program (quoted when it
// holds a space), " /Register /Background", and " /update=" with the previous
// version as 16 lower-case hexadecimal digits when it is not 0.
std::wstring RegistrationCommandLine(const std::wstring& mainProgramPath, std::uint64_t previousVersion);
