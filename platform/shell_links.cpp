#include "platform/shell_links.h"

#include "platform/file_system.h"

namespace av::platform {
namespace {

constexpr wchar_t kTarget[] = L"target=";
constexpr wchar_t kWorkingFolder[] = L"workdir=";

void append_utf16le(std::string& out, const std::wstring& text)
{
    for (const wchar_t c : text) {
        const auto unit = static_cast<std::uint32_t>(c);
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>((unit >> 8) & 0xFF);
    }
}

}  // namespace

std::error_code file_shell_links::save(
    const std::wstring& link_path, const std::wstring& target, const std::wstring& working_folder)
{
    std::string bytes;
    append_utf16le(bytes, kTarget + target + L"\n" + kWorkingFolder + working_folder + L"\n");
    return write_whole_file(files_, link_path, bytes);
}

bool file_shell_links::read(const std::wstring& link_path, std::wstring& target, std::wstring& working_folder)
{
    std::string bytes;
    if (read_whole_file(files_, link_path, bytes) || bytes.size() % 2 != 0)
        return false;
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        text.push_back(static_cast<wchar_t>(
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    const std::wstring first = kTarget, second = kWorkingFolder;
    const std::size_t line_end = text.find(L'\n');
    if (line_end == std::wstring::npos || text.compare(0, first.size(), first) != 0)
        return false;
    const std::wstring rest = text.substr(line_end + 1);
    if (rest.compare(0, second.size(), second) != 0 || rest.empty() || rest.back() != L'\n' ||
        rest.find(L'\n') != rest.size() - 1)
        return false;
    target = text.substr(first.size(), line_end - first.size());
    working_folder = rest.substr(second.size(), rest.size() - second.size() - 1);
    return true;
}

}  // namespace av::platform
