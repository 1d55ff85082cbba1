// The system's message texts through FormatMessageW.
#include "support/error.h"

#include <windows.h>

#include <memory>

namespace av::details {
namespace {

struct local_free {
    void operator()(wchar_t* text) const { ::LocalFree(text); }
};

std::optional<std::wstring> format(std::uint32_t code, std::uint16_t language, DWORD& error)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
            nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    error = length == 0 ? ::GetLastError() : ERROR_SUCCESS;
    const std::unique_ptr<wchar_t, local_free> owned(buffer);
    if (length == 0 || buffer == nullptr)
        return std::nullopt;
    return std::wstring(buffer, length);
}

}  // namespace

std::optional<std::wstring> format_system_message(std::uint32_t code, std::uint16_t language)
{
    DWORD error = ERROR_SUCCESS;
    std::optional<std::wstring> text = format(code, language, error);
    if (!text && error == ERROR_RESOURCE_LANG_NOT_FOUND)
        text = format(code, 0, error);
    return text;
}

}  // namespace av::details
