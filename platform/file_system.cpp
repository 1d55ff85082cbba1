#include "platform/file_system.h"

#include "platform/win_error.h"

#include <vector>

namespace av::platform {
namespace {

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The folder above `path`, keeping the separator of a root ("C:\", "/");
// empty when there is none.
std::wstring parent_folder(const std::wstring& path)
{
    std::size_t end = path.size();
    while (end > 0 && !is_separator(path[end - 1]))
        --end;
    if (end == 0)
        return {};
    std::size_t cut = end - 1;
    while (cut > 0 && is_separator(path[cut - 1]))
        --cut;
    if (cut == 0 || path[cut - 1] == L':')
        return path.substr(0, end);  // the root keeps its separator
    return path.substr(0, cut);
}

}  // namespace

std::error_code check_absolute(std::wstring_view path) noexcept
{
    if (path.empty())
        return win_error::make(win_error::path_not_found);
    if (!is_absolute_path(path))
        return win_error::make(win_error::invalid_name);
    return {};
}

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
    const std::error_code written = file->write(std::as_bytes(std::span<const char>(bytes.data(), bytes.size())));
    const std::error_code closed = file->close();
    return written ? written : closed;
}

std::error_code create_folder_tree(file_system& fs, const std::wstring& folder)
{
    if (const std::error_code refused = check_absolute(folder))
        return refused;
    std::wstring path = folder;
    while (path.size() > 1 && is_separator(path.back()) && path[path.size() - 2] != L':')
        path.pop_back();
    // Up to the first folder that exists, then down again creating each.
    std::vector<std::wstring> missing;
    for (std::wstring at = path; !at.empty() && !is_folder(fs, at);) {
        missing.push_back(at);
        std::wstring above = parent_folder(at);
        if (above == at)
            break;
        at = std::move(above);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::error_code ec = fs.create_folder(*it);
        // Someone else may have made it meanwhile; a file in the way stays an error.
        if (ec && !(ec == win_error::make(win_error::already_exists) && is_folder(fs, *it)))
            return ec;
    }
    return {};
}

std::error_code clear_read_only(file_system& fs, const std::wstring& path)
{
    std::uint32_t attributes = 0;
    if (const std::error_code ec = fs.get_attributes(path, attributes))
        return ec;
    if ((attributes & attr_readonly) == 0)
        return {};
    attributes &= ~attr_readonly;
    return fs.set_attributes(path, attributes == 0 ? attr_normal : attributes);
}

}  // namespace av::platform
