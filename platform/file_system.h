// The file-system half of the platform seam: files, folders, attributes,
// temporary file names, whole-file reading and writing, and the shell's notice
// that a folder was created. (The temporary folder itself is a known folder:
// platform/known_folders.h.)
//
// The contract is one abstract class, `file_system`, in the installer's own
// vocabulary. `system_file_system()` is the machine's: on Windows the kernel
// and shell functions (paths are used as they come, no long-path prefix); on
// Linux plain POSIX files (good enough for the portable tests and tools; a
// path is taken as UTF-8 of the wide text). platform/fault_injection.h wraps
// any implementation to make a chosen operation fail.
//
// Every operation answers with a std::error_code, empty on success, otherwise
// a Windows code in the system category (platform/win_error.h) - on Linux the
// Windows code that matches errno - so callers behave the same on both
// builds. No operation throws.
//
// Both halves take only absolute paths (is_absolute_path): a relative path
// would depend on the folder the process happens to run in (for a deployment
// tool, often the system folder), so it is refused with invalid_name, and an
// empty one with path_not_found, before anything is touched.
//
// The extraction writes through create_file (exclusive: no other process may
// open the file while it is written; the data goes in the chunks the caller
// hands over) and reads back through open_file (other readers allowed,
// writers refused).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace av::platform {

// File attribute bits, with their Windows values. On Linux only read-only is
// kept (as the owner's write permission bit); the others read back as
// attr_normal / attr_archive for files and attr_directory for folders.
inline constexpr std::uint32_t attr_readonly = 0x1;
inline constexpr std::uint32_t attr_hidden = 0x2;
inline constexpr std::uint32_t attr_system = 0x4;
inline constexpr std::uint32_t attr_directory = 0x10;
inline constexpr std::uint32_t attr_archive = 0x20;
inline constexpr std::uint32_t attr_normal = 0x80;
inline constexpr std::uint32_t attr_not_content_indexed = 0x2000;

// A file opened for writing; closed (and flushed) on destruction.
class output_file {
public:
    virtual ~output_file() = default;
    // Writes all of `data` or fails (a short write is reported as disk_full).
    virtual std::error_code write(std::span<const std::byte> data) = 0;
    // Closes the file; further writes fail. Closing twice does nothing.
    virtual std::error_code close() = 0;
};

// A file opened for reading; closed on destruction.
class input_file {
public:
    virtual ~input_file() = default;
    // Reads up to buffer.size() bytes into `buffer`; `got` is 0 at the end.
    virtual std::error_code read(std::span<std::byte> buffer, std::size_t& got) = 0;
};

class file_system {
public:
    virtual ~file_system() = default;

    // The attribute bits of a file or folder (GetFileAttributesW).
    virtual std::error_code get_attributes(const std::wstring& path, std::uint32_t& attributes) = 0;
    // Sets them (SetFileAttributesW); attr_normal alone clears the others.
    virtual std::error_code set_attributes(const std::wstring& path, std::uint32_t attributes) = 0;

    // Copies a file with its data and attributes (CopyFileW); with
    // `overwrite` false an existing target fails with file_exists.
    virtual std::error_code copy_file(const std::wstring& from, const std::wstring& to, bool overwrite) = 0;
    // Moves (renames) a file, also to another volume (MoveFileW); an existing
    // target fails with already_exists.
    virtual std::error_code move_file(const std::wstring& from, const std::wstring& to) = 0;
    // Deletes a file (DeleteFileW); a read-only file fails with access_denied.
    virtual std::error_code delete_file(const std::wstring& path) = 0;

    // Creates one folder; its parent must exist (CreateDirectoryW).
    virtual std::error_code create_folder(const std::wstring& path) = 0;
    // Removes an empty folder (RemoveDirectoryW); otherwise dir_not_empty.
    virtual std::error_code remove_folder(const std::wstring& path) = 0;
    // Tells the shell that a folder was created (SHChangeNotify, SHCNE_MKDIR,
    // SHCNF_PATHW). Nothing on Linux. Cannot fail.
    virtual void notify_folder_created(const std::wstring& path) = 0;

    // A new, unique, empty file in `folder` whose name starts with `prefix`
    // (GetTempFileNameW with unique number 0: the file is created).
    virtual std::error_code temp_file_name(
        const std::wstring& folder, const std::wstring& prefix, std::wstring& path) = 0;

    // Creates or truncates a file for writing, not shared, normal attributes
    // (CreateFileW, CREATE_ALWAYS). A read-only file cannot be replaced.
    virtual std::error_code create_file(const std::wstring& path, std::unique_ptr<output_file>& file) = 0;
    // Opens an existing file for reading, shared for reading (OPEN_EXISTING).
    virtual std::error_code open_file(const std::wstring& path, std::unique_ptr<input_file>& file) = 0;
};

// The machine's file system (a process-wide object).
file_system& system_file_system();

// Whether this platform takes `path` as absolute. Windows: a drive letter,
// ":" and a separator ("C:\x"), or a share or device name ("\\server\share",
// "\\?\C:\x"); "\x" (root of the current drive) and "C:x" are relative.
// Linux: a leading "/".
bool is_absolute_path(std::wstring_view path) noexcept;
// The code an operation answers for a path that is not absolute: empty ->
// path_not_found, relative -> invalid_name; empty for an absolute path.
std::error_code check_absolute(std::wstring_view path) noexcept;

// Convenience on top of any file_system.

// True when `path` names an existing folder.
bool is_folder(file_system& fs, const std::wstring& path);
// True when `path` names an existing file (not a folder).
bool is_file(file_system& fs, const std::wstring& path);
// Reads a whole file.
std::error_code read_whole_file(file_system& fs, const std::wstring& path, std::string& bytes);
// Creates or replaces a file with `bytes` (one write).
std::error_code write_whole_file(file_system& fs, const std::wstring& path, std::string_view bytes);
// Creates a folder together with every missing folder above it, outermost
// first; stops at the first failure and answers it (a file in the way gives
// already_exists). An existing folder is success.
std::error_code create_folder_tree(file_system& fs, const std::wstring& folder);
// Clears the read-only attribute of an existing file or folder, keeping the
// others; nothing to do when it is not set.
std::error_code clear_read_only(file_system& fs, const std::wstring& path);

}  // namespace av::platform
