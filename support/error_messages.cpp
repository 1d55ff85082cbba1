// The texts of error codes and the error boxes: system message texts with
// their fallbacks, application-defined codes naming string resources, and
// the boxes that show them.
#include "support/error.h"

#include "support/text.h"
#include "support/ui_hooks.h"

#include <cstdlib>

namespace av {

namespace details {

std::wstring system_message_from(const system_text_source& source, std::uint32_t code, std::uint16_t language)
{
    if (std::optional<std::wstring> text = source(code, language)) {
        while (!text->empty() && (text->back() == L'\n' || text->back() == L'\r'))
            text->pop_back();
        return *text;
    }
    if (code == e_fail)
        return L"Error";
    return system_message_from(source, e_fail, language);
}

}  // namespace details

std::wstring system_message(std::uint32_t code, std::uint16_t language)
{
    return details::system_message_from(details::format_system_message, code, language);
}

std::wstring error_message(std::uint32_t code)
{
    if ((code & customer_code_bit) != 0) {
        if ((code & string_code_bit) != 0) {
            std::wstring text = load_string(static_cast<std::uint16_t>(code & 0xFFFF));
            if (!text.empty())
                return text;
        }
        return system_message(e_fail);
    }
    return system_message(code);
}

void show_error(std::uint32_t code)
{
    message_box(error_message(code), mb_iconexclamation);
}

bool show_system_error(void* owner, std::uint32_t code)
{
    const std::wstring text = system_message(code);
    std::uint32_t type = mb_iconexclamation;
    if (details::reads_right_to_left(owner))
        type |= mb_rtlreading;
    details::show_message_box(owner, text.c_str(), nullptr, type);
    return false;
}

void fatal_initialization_error()
{
    details::show_message_box(
        nullptr, L"Initialization Error", nullptr, mb_iconerror | mb_taskmodal | mb_setforeground);
    std::exit(-11);
}

}  // namespace av
