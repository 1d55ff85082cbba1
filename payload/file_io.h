// The file operations of the extraction, behind a narrow seam: an output file
// that no other process may open while it is written, the read-back in
// blocks, and clearing a read-only attribute. Windows uses the kernel's file
// calls (errors in the system category); natively POSIX calls (errno values
// in the generic category, and no sharing modes: the exclusive open is only
// advisory there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include <boost/filesystem/path.hpp>

namespace av {

// The operating system's sharing violation (ERROR_SHARING_VIOLATION).
inline constexpr int sharing_violation = 32;

// An output file, created or truncated, opened without sharing. Every
// failure throws std::system_error with the operating system's code.
class exclusive_output_file {
public:
    explicit exclusive_output_file(const boost::filesystem::path& path);
    ~exclusive_output_file();
    exclusive_output_file(const exclusive_output_file&) = delete;
    exclusive_output_file& operator=(const exclusive_output_file&) = delete;

    void write(const char* data, std::size_t size);
    // Flushes and closes; the destructor closes silently when this was not
    // called (a failure already unwinding).
    void close();

private:
    std::intptr_t handle_;
};

// Reads a file from its start to its end in blocks of at most 4096 bytes,
// handing each to `sink`; the file is opened for reading with other readers
// allowed and writers refused. Throws std::system_error on a failed open or
// read.
void read_file_blocks(const boost::filesystem::path& path,
                      const std::function<void(const char*, std::size_t)>& sink);

// Clears the read-only attribute of an existing file (natively: gives the
// owner write permission). Throws std::system_error on failure.
void clear_read_only(const boost::filesystem::path& path);

}  // namespace av
