// The payload's checksum: the reflected CRC-32 of ISO 3309 / ITU-T V.42 (the
// one zlib and PNG use), over memory and over a file on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace av::platform {
class file_system;
}

namespace av {

// A running CRC-32: feed it bytes in any number of pieces, then read value().
class crc32 {
public:
    void update(const void* data, std::size_t size) noexcept;
    std::uint32_t value() const noexcept { return register_ ^ 0xFFFFFFFFu; }

private:
    std::uint32_t register_ = 0xFFFFFFFFu;
};

// The CRC-32 of a block of bytes; 0 for no bytes.
std::uint32_t compute_crc32(const void* data, std::size_t size) noexcept;
inline std::uint32_t compute_crc32(std::string_view bytes) noexcept
{
    return compute_crc32(bytes.data(), bytes.size());
}

// Reads a file through `files` in blocks of 4096 bytes (other readers
// allowed, no writers) and returns its CRC-32. A failed open or read throws
// std::system_error with the machine's code.
std::uint32_t file_crc32(platform::file_system& files, const std::wstring& path);

}  // namespace av
