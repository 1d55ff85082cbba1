// The Linux half of the locale seam: a stand-in user locale and a table of
// the locales the tests use. The run-time locale is only recorded: the C
// library here does not know Windows locale names.
#include <algorithm>
#include <cwctype>
#include <iterator>

#include "lang/locale.h"
#include "lang/posix/stand_in_locale.h"

namespace av::locale {
namespace {

struct KnownLocale {
    std::uint32_t lcid;
    const wchar_t* name;
    const wchar_t* nativeName;
    std::uint32_t ansiCodePage;
    bool rightToLeft;
};

constexpr KnownLocale kLocales[] = {
    {1036, L"fr-FR", L"français", 1252, false},
    {3084, L"fr-CA", L"français", 1252, false},
    {4108, L"fr-CH", L"français", 1252, false},
    {1033, L"en-US", L"English", 1252, false},
    {2057, L"en-GB", L"English", 1252, false},
    {1031, L"de-DE", L"Deutsch", 1252, false},
    {3082, L"es-ES", L"español", 1252, false},
    {2070, L"pt-PT", L"português", 1252, false},
    {1046, L"pt-BR", L"português", 1252, false},
    {1043, L"nl-NL", L"Nederlands", 1252, false},
    {1030, L"da-DK", L"dansk", 1252, false},
    {1055, L"tr-TR", L"Türkçe", 1254, false},
    {1026, L"bg-BG", L"български", 1251, false},
    {1048, L"ro-RO", L"română", 1250, false},
    {2052, L"zh-CN", L"中文", 936, false},
    {4100, L"zh-SG", L"中文", 936, false},
    {1028, L"zh-TW", L"中文", 950, false},
    {3076, L"zh-HK", L"中文", 950, false},
    {1040, L"it-IT", L"italiano", 1252, false},
    {1029, L"cs-CZ", L"čeština", 1250, false},
    {1044, L"nb-NO", L"norsk (bokmål)", 1252, false},
    {1032, L"el-GR", L"Ελληνικά", 1253, false},
    {1045, L"pl-PL", L"polski", 1250, false},
    {1037, L"he-IL", L"עברית", 1255, true},
    {1066, L"vi-VN", L"Tiếng Việt", 1258, false},
    {1041, L"ja-JP", L"日本語", 932, false},
    {1038, L"hu-HU", L"magyar", 1250, false},
    {1049, L"ru-RU", L"русский", 1251, false},
};

std::uint32_t& stand_in_lcid()
{
    static std::uint32_t lcid = 1033;
    return lcid;
}

bool& font_signature_fails()
{
    static bool fails = false;
    return fails;
}

const KnownLocale* Find(std::uint32_t lcid)
{
    const auto it =
        std::find_if(std::begin(kLocales), std::end(kLocales), [lcid](const KnownLocale& l) { return l.lcid == lcid; });
    return it == std::end(kLocales) ? nullptr : &*it;
}

}  // namespace

void set_stand_in_user_locale(std::uint32_t lcid)
{
    stand_in_lcid() = lcid;
}
void set_stand_in_font_signature_fails(bool fails)
{
    font_signature_fails() = fails;
}

std::uint16_t user_default_lang_id()
{
    return static_cast<std::uint16_t>(stand_in_lcid() & 0xFFFF);
}
std::uint32_t user_default_lcid()
{
    return stand_in_lcid();
}

std::wstring locale_name(std::uint32_t lcid)
{
    const KnownLocale* known = Find(lcid);
    return known != nullptr ? known->name : L"";
}

std::wstring native_language_name(std::uint32_t lcid)
{
    const KnownLocale* known = Find(lcid);
    return known != nullptr ? known->nativeName : L"";
}

wchar_t to_upper(wchar_t c)
{
    // The C library's casing needs a Unicode locale; the common Latin and
    // Greek ranges are enough for the table above.
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    if (c == 0x10D)
        return 0x10C;  // č
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 0x20;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    return c;
}

std::uint32_t default_ansi_code_page(std::uint32_t lcid)
{
    const KnownLocale* known = Find(lcid);
    return known != nullptr ? known->ansiCodePage : 0;
}

std::uint32_t system_ansi_code_page()
{
    return 1252;
}

std::optional<std::array<std::uint32_t, 4>> font_signature_usb(std::uint32_t lcid)
{
    const KnownLocale* known = Find(lcid);
    if (known == nullptr || font_signature_fails())
        return std::nullopt;
    std::array<std::uint32_t, 4> usb {0x00000003u, 0, 0, 0};
    if (known->rightToLeft)
        usb[3] |= 1u << 27;
    return usb;
}

void use_process_wide_locale()
{
}
void set_thread_locale(std::uint32_t)
{
}

namespace details {

// The stand-in run-time accepts exactly the names of its table.
bool apply_runtime_locale(const std::wstring& name, bool)
{
    return std::any_of(
        std::begin(kLocales), std::end(kLocales), [&name](const KnownLocale& l) { return name == l.name; });
}

std::wstring load_own_message(int)
{
    return {};
}

}  // namespace details
}  // namespace av::locale
