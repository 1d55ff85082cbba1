// Destination folders of the payload: the placeholders a destination_dir may
// start with, the known folders they stand for, the resolution of a
// destination, and the list of shared data folders that are opened to users
// when the first file arrives in them.
#pragma once

#include "platform/access_rights.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"

#include <cstdint>
#include <string>
#include <vector>

#include <boost/filesystem/path.hpp>

namespace av {

// The path of the primary known folder, else (when use_fallback) of the
// fallback folder; throws `unexpected` (7) when neither is available.
std::wstring known_folder_path(platform::known_folders& folders, int csidl, int fallback_csidl, bool use_fallback);

// Whether a Windows path is absolute: a drive or share name and a root
// separator ("C:\x", "\\server\share\x"); natively also a POSIX absolute path.
bool is_absolute_windows_path(const std::wstring& path);

// A data folder opened to users when the first file below it is written.
struct rights_folder {
    boost::filesystem::path folder;
    bool granted = false;
};

// The ordered list of data folders; a folder that names the same folder as
// one already listed (SamePath) is not added again.
class rights_folders {
public:
    void add(const boost::filesystem::path& folder);
    const std::vector<rights_folder>& folders() const noexcept { return folders_; }

    // The folder grant: for each folder not yet granted, walks up from
    // `file_folder` through its existing parents (as `files` sees them); on
    // reaching the listed folder, grants it through `rights` (full control,
    // inherited by files and folders) and marks it granted. A failed grant
    // only leaves the folder closed to users.
    void grant(
        platform::file_system& files, platform::access_rights& rights, const boost::filesystem::path& file_folder);

private:
    std::vector<rights_folder> folders_;
};

// What the placeholders "<InstallPath>", "<SamplePath>" and "<Temporary>"
// stand for.
struct destination_inputs {
    std::wstring install_folder;
    std::wstring sample_folder;
    std::wstring temporary_folder;
};

// Resolves a destination_dir: a first element that is one of the thirteen
// placeholder names (letter case significant) is replaced by its folder, the
// following elements appended one by one; the shared data placeholders
// record each appended level in `rights`; known folders come from
// `folders`. A destination without a placeholder is used unchanged (natively
// with `/` separators). Throws `unexpected` (7) when a known folder is
// missing or the bracketed name is not a placeholder.
boost::filesystem::path resolve_destination(platform::known_folders& folders, const std::wstring& destination_dir,
    const destination_inputs& inputs, rights_folders& rights);

}  // namespace av
