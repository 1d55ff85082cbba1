// Without the shell's link object a shortcut is a small text file at the
// link's path with two lines, "target=" and "workdir=", in UTF-16LE like the
// rest of the installer's own files.
#include "install/shortcuts.h"

#include "platform/file_system.h"

namespace {

void append_utf16le(std::string& out, const std::wstring& text)
{
    for (const wchar_t c : text) {
        const auto unit = static_cast<std::uint32_t>(c);
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>((unit >> 8) & 0xFF);
    }
}

}  // namespace

bool save_shell_link(const std::wstring& linkPath, const std::wstring& target, const std::wstring& workingFolder)
{
    std::string bytes;
    append_utf16le(bytes, L"target=" + target + L"\nworkdir=" + workingFolder + L"\n");
    return !av::platform::write_whole_file(av::platform::system_file_system(), linkPath, bytes);
}
