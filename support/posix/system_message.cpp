// System message texts in the Linux build: the English texts of the Windows
// codes and HRESULTs the installer meets, stored as the system stores them
// (ending in a line break). Every language reads the same table.
#include "support/error.h"

#include <algorithm>
#include <iterator>

namespace av::details {
namespace {

struct message {
    std::uint32_t code;
    const wchar_t* text;
};

constexpr message messages[] = {
    {0, L"The operation completed successfully.\r\n"},
    {1, L"Incorrect function.\r\n"},
    {2, L"The system cannot find the file specified.\r\n"},
    {3, L"The system cannot find the path specified.\r\n"},
    {4, L"The system cannot open the file.\r\n"},
    {5, L"Access is denied.\r\n"},
    {6, L"The handle is invalid.\r\n"},
    {8, L"Not enough memory resources are available to process this command.\r\n"},
    {14, L"Not enough memory resources are available to complete this operation.\r\n"},
    {32, L"The process cannot access the file because it is being used by another process.\r\n"},
    {39, L"The disk is full.\r\n"},
    {80, L"The file exists.\r\n"},
    {87, L"The parameter is incorrect.\r\n"},
    {112, L"There is not enough space on the disk.\r\n"},
    {122, L"The data area passed to a system call is too small.\r\n"},
    {123, L"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {145, L"The directory is not empty.\r\n"},
    {170, L"The requested resource is in use.\r\n"},
    {183, L"Cannot create a file when that file already exists.\r\n"},
    {206, L"The filename or extension is too long.\r\n"},
    {1223, L"The operation was canceled by the user.\r\n"},
    {1314, L"A required privilege is not held by the client.\r\n"},
    {0x80004001u, L"Not implemented\r\n"},
    {0x80004002u, L"No such interface supported\r\n"},
    {0x80004005u, L"Unspecified error\r\n"},
    {0x8000FFFFu, L"Catastrophic failure\r\n"},
    {0x800401F0u, L"CoInitialize has not been called.\r\n"},
};

const wchar_t* find(std::uint32_t code)
{
    const auto it =
        std::find_if(std::begin(messages), std::end(messages), [code](const message& m) { return m.code == code; });
    return it == std::end(messages) ? nullptr : it->text;
}

}  // namespace

std::optional<std::wstring> format_system_message(std::uint32_t code, std::uint16_t)
{
    if (const wchar_t* text = find(code))
        return text;
    // An HRESULT of the Windows facility carries a Windows code.
    if ((code & 0xFFFF0000u) == 0x80070000u) {
        if (const wchar_t* text = find(code & 0xFFFF))
            return text;
    }
    return std::nullopt;
}

}  // namespace av::details
