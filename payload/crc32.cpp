#include "payload/crc32.h"

#include "platform/file_system.h"

#include <array>
#include <system_error>

namespace av {
namespace {

// The 256-entry table of the reflected polynomial 0xEDB88320, built once on
// first use (a function-local static is initialised thread-safely).
const std::array<std::uint32_t, 256>& crc_table() noexcept
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t {};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

}  // namespace

void crc32::update(const void* data, std::size_t size) noexcept
{
    const auto& table = crc_table();
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint32_t c = register_;
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ p[i]) & 0xFFu] ^ (c >> 8);
    register_ = c;
}

std::uint32_t compute_crc32(const void* data, std::size_t size) noexcept
{
    crc32 crc;
    crc.update(data, size);
    return crc.value();
}

std::uint32_t file_crc32(platform::file_system& files, const std::wstring& path)
{
    std::unique_ptr<platform::input_file> file;
    if (const std::error_code ec = files.open_file(path, file))
        throw std::system_error(ec);
    crc32 crc;
    std::byte block[4096];
    for (;;) {
        std::size_t got = 0;
        if (const std::error_code ec = file->read(block, got))
            throw std::system_error(ec);
        if (got == 0)
            return crc.value();
        crc.update(block, got);
    }
}

}  // namespace av
