// Windows error codes as the platform seam reports them. Every operation of
// the seam answers with a std::error_code in the system category carrying a
// Windows code: natively the code the system gave, on Linux the Windows code
// that matches the C library's errno (so that callers behave identically on
// both). These constants are the codes callers look at.
#pragma once

#include <system_error>

namespace av::win_error {

inline constexpr int success = 0;
inline constexpr int file_not_found = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr int path_not_found = 3;  // ERROR_PATH_NOT_FOUND
inline constexpr int access_denied = 5;  // ERROR_ACCESS_DENIED
inline constexpr int invalid_handle = 6;  // ERROR_INVALID_HANDLE
inline constexpr int not_enough_memory = 8;  // ERROR_NOT_ENOUGH_MEMORY
inline constexpr int invalid_data = 13;  // ERROR_INVALID_DATA
inline constexpr int write_fault = 29;  // ERROR_WRITE_FAULT
inline constexpr int read_fault = 30;  // ERROR_READ_FAULT
inline constexpr int sharing_violation = 32;  // ERROR_SHARING_VIOLATION
inline constexpr int handle_eof = 38;  // ERROR_HANDLE_EOF
inline constexpr int file_exists = 80;  // ERROR_FILE_EXISTS
inline constexpr int invalid_parameter = 87;  // ERROR_INVALID_PARAMETER
inline constexpr int disk_full = 112;  // ERROR_DISK_FULL
inline constexpr int invalid_name = 123;  // ERROR_INVALID_NAME
inline constexpr int insufficient_buffer = 122;  // ERROR_INSUFFICIENT_BUFFER
inline constexpr int dir_not_empty = 145;  // ERROR_DIR_NOT_EMPTY
inline constexpr int bad_pathname = 161;  // ERROR_BAD_PATHNAME
inline constexpr int bad_exe_format = 193;  // ERROR_BAD_EXE_FORMAT
inline constexpr int already_exists = 183;  // ERROR_ALREADY_EXISTS
inline constexpr int filename_too_long = 206;  // ERROR_FILENAME_EXCED_RANGE
inline constexpr int more_data = 234;  // ERROR_MORE_DATA
inline constexpr int no_more_items = 259;  // ERROR_NO_MORE_ITEMS
inline constexpr int directory = 267;  // ERROR_DIRECTORY (not a folder)
inline constexpr int baddb = 1009;  // ERROR_BADDB (not a valid hive)
inline constexpr int badkey = 1010;  // ERROR_BADKEY
inline constexpr int cantwrite = 1013;  // ERROR_CANTWRITE (registry)
inline constexpr int registry_io_failed = 1016;  // ERROR_REGISTRY_IO_FAILED
inline constexpr int key_deleted = 1018;  // ERROR_KEY_DELETED
inline constexpr int privilege_not_held = 1314;  // ERROR_PRIVILEGE_NOT_HELD
inline constexpr int unsupported_type = 1630;  // ERROR_UNSUPPORTED_TYPE

// {code, system category}.
inline std::error_code make(int code) noexcept
{
    return {code, std::system_category()};
}

// True for the two codes that mean "no such file or folder".
inline bool is_not_found(const std::error_code& ec) noexcept
{
    return ec.category() == std::system_category() && (ec.value() == file_not_found || ec.value() == path_not_found);
}

}  // namespace av::win_error
