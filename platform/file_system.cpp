#include "platform/file_system.h"

#include "platform/win_error.h"

namespace av::platform {

bool is_folder(file_system& fs, const std::wstring& path)
{
    std::uint32_t attributes = 0;
    return !fs.get_attributes(path, attributes) && (attributes & attr_directory) != 0;
}

bool is_file(file_system& fs, const std::wstring& path)
{
    std::uint32_t attributes = 0;
    return !fs.get_attributes(path, attributes) && (attributes & attr_directory) == 0;
}

std::error_code read_whole_file(file_system& fs, const std::wstring& path, std::string& bytes)
{
    std::unique_ptr<input_file> file;
    if (const std::error_code ec = fs.open_file(path, file))
        return ec;
    std::string result;
    std::byte buffer[4096];
    for (;;) {
        std::size_t got = 0;
        if (const std::error_code ec = file->read(buffer, got))
            return ec;
        if (got == 0)
            break;
        result.append(reinterpret_cast<const char*>(buffer), got);
    }
    bytes = std::move(result);
    return {};
}

std::error_code write_whole_file(file_system& fs, const std::wstring& path, std::string_view bytes)
{
    std::unique_ptr<output_file> file;
    if (const std::error_code ec = fs.create_file(path, file))
        return ec;
    const std::error_code written =
        file->write(std::as_bytes(std::span<const char>(bytes.data(), bytes.size())));
    const std::error_code closed = file->close();
    return written ? written : closed;
}

}  // namespace av::platform
