// The Windows half of the locale seam: the locale functions of the kernel,
// the run-time library's locale and the executable's string tables.
#include "lang/locale.h"

#include <windows.h>

#include <clocale>
#include <locale>
#include <stdexcept>

namespace av::locale {
namespace {

std::wstring LocaleInfo(std::uint32_t lcid, LCTYPE type)
{
    wchar_t buffer[128] = {};
    const int length = GetLocaleInfoW(lcid, type, buffer, static_cast<int>(std::size(buffer)));
    if (length <= 1)
        return {};
    return std::wstring(buffer, static_cast<std::size_t>(length - 1));
}

// Locale names are ASCII; the run-time library takes them narrowed one
// character at a time.
std::string Narrow(const std::wstring& name)
{
    std::string narrow;
    narrow.reserve(name.size());
    for (wchar_t c : name)
        narrow.push_back(static_cast<char>(c));
    return narrow;
}

}  // namespace

std::uint16_t user_default_lang_id()
{
    return GetUserDefaultLangID();
}
std::uint32_t user_default_lcid()
{
    return GetUserDefaultLCID();
}

std::wstring locale_name(std::uint32_t lcid)
{
    wchar_t buffer[LOCALE_NAME_MAX_LENGTH] = {};
    const int length = LCIDToLocaleName(lcid, buffer, LOCALE_NAME_MAX_LENGTH, 0);
    if (length <= 1)
        return {};
    return std::wstring(buffer, static_cast<std::size_t>(length - 1));
}

std::wstring native_language_name(std::uint32_t lcid)
{
    return LocaleInfo(lcid, LOCALE_SNATIVELANGNAME);
}

wchar_t to_upper(wchar_t c)
{
    wchar_t buffer[1] = {c};
    CharUpperBuffW(buffer, 1);
    return buffer[0];
}

std::uint32_t default_ansi_code_page(std::uint32_t lcid)
{
    DWORD value = 0;
    if (GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
            sizeof(value) / sizeof(wchar_t)) == 0)
        return 0;
    return value;
}

std::uint32_t system_ansi_code_page()
{
    return GetACP();
}

std::optional<std::array<std::uint32_t, 4>> font_signature_usb(std::uint32_t lcid)
{
    LOCALESIGNATURE signature {};
    if (GetLocaleInfoW(
            lcid, LOCALE_FONTSIGNATURE, reinterpret_cast<LPWSTR>(&signature), sizeof(signature) / sizeof(wchar_t)) == 0)
        return std::nullopt;
    return std::array<std::uint32_t, 4> {
        signature.lsUsb[0], signature.lsUsb[1], signature.lsUsb[2], signature.lsUsb[3]};
}

void use_process_wide_locale()
{
    _configthreadlocale(_DISABLE_PER_THREAD_LOCALE);
}

void set_thread_locale(std::uint32_t lcid)
{
    SetThreadLocale(lcid);
}

namespace details {

bool apply_runtime_locale(const std::wstring& name, bool allCategories)
{
    const std::string narrow = Narrow(name);
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";

    if (allCategories) {
        if (std::setlocale(LC_ALL, narrow.c_str()) == nullptr)
            return false;
    } else {
        std::setlocale(LC_ALL, "C");
        for (int category : {LC_CTYPE, LC_COLLATE, LC_TIME, LC_MONETARY}) {
            if (std::setlocale(category, narrow.c_str()) == nullptr) {
                std::setlocale(LC_ALL, saved.c_str());
                return false;
            }
        }
    }
    // The stream locale follows where the C++ library knows the name; its
    // generic locale model knows only "C", and then the classic facets stay
    // (wide file names never pass through them on Windows). std::locale's
    // global() would reset the run-time categories to the name, so the
    // categories chosen above are put back afterwards.
    try {
        const std::string categories = std::setlocale(LC_ALL, nullptr);
        std::locale::global(std::locale(narrow));
        std::setlocale(LC_ALL, categories.c_str());
    } catch (const std::runtime_error&) {
    }
    return true;
}

std::wstring load_own_message(int id)
{
    const wchar_t* text = nullptr;
    // With no buffer, LoadStringW hands back the resource's text in place.
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return {};
    return std::wstring(text, static_cast<std::size_t>(length));
}

}  // namespace details
}  // namespace av::locale
