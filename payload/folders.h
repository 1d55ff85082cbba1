// Destination folders of the payload: the placeholders a destination_dir may
// start with, the known folders they stand for, the resolution of a
// destination, and the list of shared data folders that are opened to users
// when the first file arrives in them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <boost/filesystem/path.hpp>

namespace av {

// The shell folder identifiers (CSIDL values) the placeholders use.
namespace csidl {
inline constexpr int personal = 5;              // the user's documents
inline constexpr int desktop_directory = 16;    // the user's desktop
inline constexpr int common_desktop = 25;       // all users' desktop
inline constexpr int appdata = 26;              // the user's roaming application data
inline constexpr int common_appdata = 35;       // all users' application data
inline constexpr int windows = 36;
inline constexpr int system = 37;
inline constexpr int program_files = 38;
inline constexpr int program_files_common = 43;
inline constexpr int common_documents = 46;
}  // namespace csidl

// The platform's lookup of a folder by CSIDL: its current path, or empty when
// the system does not have it. Windows asks SHGetFolderPathW; natively each
// folder is a fixed folder below the root set by set_native_folder_root
// (native_folder_name), and nothing is available until a root is set.
std::wstring shell_folder_path(int csidl);

// The folder below the native root that stands for a CSIDL ("ProgramData",
// "Users/Public/Desktop", ...); empty for a CSIDL without one.
std::wstring native_folder_name(int csidl);
// Natively: the root below which the known folders lie (empty: none).
void set_native_folder_root(const std::wstring& root);

// Replaces the folder lookup for this process (tests and tools); an empty
// function restores the platform's. Returns the previous replacement.
using folder_lookup = std::function<std::wstring(int csidl)>;
folder_lookup set_folder_lookup(folder_lookup lookup);

// The path of the primary folder, else (when use_fallback) of the fallback
// folder; throws `unexpected` (7) when neither is available.
std::wstring known_folder_path(int csidl, int fallback_csidl, bool use_fallback);

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
    // `file_folder` through its existing parents; on reaching the listed
    // folder, grants it (full control, inherited by files and folders) and
    // marks it granted. Failures end one folder's walk and are ignored. An
    // empty function means GrantUsersAccess of the security operations.
    using grant_function = std::function<bool(const std::wstring& path, std::uint32_t mask, std::uint32_t flags)>;
    void grant(const boost::filesystem::path& file_folder, const grant_function& grant_users_access);

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
// record each appended level in `rights`. A destination without a
// placeholder is used unchanged (natively with `/` separators). Throws
// `unexpected` (7) when a known folder is missing or the bracketed name is
// not a placeholder.
boost::filesystem::path resolve_destination(const std::wstring& destination_dir, const destination_inputs& inputs,
                                            rights_folders& rights);

}  // namespace av
