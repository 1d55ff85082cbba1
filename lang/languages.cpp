// The language table, the process-wide language state and the choice of the
// message block with its "#" fallbacks.
#include "lang/languages.h"

#include <array>

#include "lang/locale.h"
#include "support/display_language.h"

namespace {

struct LanguageRow {
    std::uint32_t lcid;
    int block;  // string-table block: message offset o has id block * 1000 + o
    bool texts;
    bool product;
};

// Index 0 French … 19 Hungarian. Whether a language can be chosen from the
// user's locale is kSupportedLanguageMask's business.
constexpr std::array<LanguageRow, 20> kLanguages {{
    {1036, 1, true, true},  // 0 French
    {1033, 2, true, true},  // 1 English
    {1031, 3, true, true},  // 2 German
    {3082, 4, true, true},  // 3 Spanish
    {2070, 5, true, true},  // 4 Portuguese
    {1043, 7, false, true},  // 5 Dutch
    {1030, 8, false, false},  // 6 Danish
    {1055, 9, true, true},  // 7 Turkish
    {1026, 11, false, true},  // 8 Bulgarian
    {1048, 12, true, true},  // 9 Romanian
    {2052, 10, false, true},  // 10 Chinese (simplified)
    {1040, 6, true, true},  // 11 Italian
    {1029, 13, false, false},  // 12 Czech
    {1044, 14, false, false},  // 13 Norwegian
    {1032, 15, false, true},  // 14 Greek
    {1045, 16, false, true},  // 15 Polish
    {1037, 17, false, false},  // 16 Hebrew
    {1066, 18, false, false},  // 17 Vietnamese
    {1041, 19, false, false},  // 18 Japanese
    {1038, 20, false, true},  // 19 Hungarian
}};

constexpr int kFrench = 0;
constexpr int kEnglish = 1;
constexpr int kHebrew = 16;

bool InTable(int index)
{
    return index >= 0 && index < static_cast<int>(kLanguages.size());
}

std::uint16_t LangId(std::uint32_t lcid)
{
    return static_cast<std::uint16_t>(lcid & 0xFFFF);
}
std::uint16_t PrimaryLanguage(std::uint16_t langId)
{
    return langId & 0x3FF;
}

// The LCID in force for a language: the user's own when it is the same
// language (a Swiss French user keeps 4108 for French), else the table's.
std::uint32_t LcidInForce(int index)
{
    const std::uint32_t target = LanguageToLcid(index);
    const std::uint32_t user = av::locale::user_default_lcid();
    return LangId(user) == LangId(target) ? user : target;
}

// The run-time locale for a language: the user's own locale name when the
// user's language has the same primary language, else the target's name.
void SwitchRuntimeLocale(int index)
{
    const std::uint32_t target = LanguageToLcid(index);
    const std::uint32_t user = av::locale::user_default_lcid();
    const std::uint32_t lcid = PrimaryLanguage(LangId(user)) == PrimaryLanguage(LangId(target)) ? user : target;
    const std::wstring name = av::locale::locale_name(lcid);
    if (!name.empty())
        av::locale::set_runtime_locale(name);
}

bool IsUntranslated(int id)
{
    return av::locale::load_message(id) == L"#";
}

}  // namespace

LanguageSettings& GetLanguageSettings()
{
    static LanguageSettings settings = [] {
        av::locale::use_process_wide_locale();
        SwitchRuntimeLocale(kFrench);
        LanguageSettings s;
        s.lcid = LcidInForce(kFrench);
        av::locale::set_thread_locale(s.lcid);
        // From now on the support library's product names and boxes follow
        // this state.
        av::set_display_language_source({
            [] { return GetLanguageSettings().language; },
            [] { return GetLanguageSettings().lcid; },
            [] { return IsRightToLeftLanguage(LanguageFromUserLocale(0)); },
        });
        return s;
    }();
    return settings;
}

void SetLanguage(int index)
{
    LanguageSettings& settings = GetLanguageSettings();
    if (index != settings.language)
        SwitchRuntimeLocale(index);
    settings.language = index;
    settings.lcid = LcidInForce(index);
    std::uint32_t codePage = av::locale::default_ansi_code_page(settings.lcid);
    if (codePage == 0)
        codePage = av::locale::system_ansi_code_page();
    settings.codePage = codePage;
    settings.rightToLeft = IsRightToLeftLanguage(index);
}

int LanguageFromUserLocale(std::uint32_t mask)
{
    if (mask == 0)
        mask = GetLanguageSettings().supportedMask;
    const std::uint16_t langId = av::locale::user_default_lang_id();
    const std::uint16_t primary = PrimaryLanguage(langId);
    const int subLanguage = langId >> 10;

    int index = -1;
    switch (primary) {
    case 0x02:
        index = 8;
        break;  // Bulgarian
    case 0x04:  // Chinese: only the simplified variants
        if (subLanguage == 2 || subLanguage == 4)
            index = 10;
        break;
    case 0x05:
        index = 12;
        break;  // Czech
    case 0x06:
        index = 6;
        break;  // Danish
    case 0x07:
        index = 2;
        break;  // German
    case 0x08:
        index = 14;
        break;  // Greek
    case 0x09:
        index = 1;
        break;  // English
    case 0x0a:
        index = 3;
        break;  // Spanish
    case 0x0c:
        index = 0;
        break;  // French
    case 0x0d:
        index = 16;
        break;  // Hebrew
    case 0x0e:
        index = 19;
        break;  // Hungarian
    case 0x10:
        index = 11;
        break;  // Italian
    case 0x11:
        index = 18;
        break;  // Japanese
    case 0x13:
        index = 5;
        break;  // Dutch
    case 0x14:
        index = 13;
        break;  // Norwegian
    case 0x15:
        index = 15;
        break;  // Polish
    case 0x16:
        index = 4;
        break;  // Portuguese
    case 0x18:
        index = 9;
        break;  // Romanian
    case 0x1f:
        index = 7;
        break;  // Turkish
    case 0x2a:
        index = 17;
        break;  // Vietnamese
    default:
        break;
    }
    if (index >= 0 && (mask & (1u << index)) != 0)
        return index;
    return (mask & (1u << kEnglish)) != 0 ? kEnglish : kFrench;
}

std::uint32_t LanguageToLcid(int index)
{
    return InTable(index) ? kLanguages[static_cast<std::size_t>(index)].lcid : 1036;
}

bool IsRightToLeftLanguage(int index)
{
    const auto usb = av::locale::font_signature_usb(LanguageToLcid(index));
    if (!usb)
        return index == kHebrew;
    return ((*usb)[3] & (1u << 27)) != 0;  // Unicode subset bit 123
}

std::wstring NativeLanguageName(int index)
{
    std::wstring name = av::locale::native_language_name(LcidInForce(index));
    if (!name.empty())
        name[0] = av::locale::to_upper(name[0]);
    return name;
}

bool IsProductLanguage(int index)
{
    return InTable(index) && kLanguages[static_cast<std::size_t>(index)].product;
}

bool IsInstallerLanguage(int index)
{
    if (index >= static_cast<int>(kLanguages.size()))
        return true;
    return InTable(index) && kLanguages[static_cast<std::size_t>(index)].texts;
}

int LocalizedStringId(int baseId)
{
    int lang = GetLanguageSettings().language;
    // Indexes above the table count as installer languages but have no block
    // of their own: they read English like every language without texts.
    if (!IsInstallerLanguage(lang) || !InTable(lang))
        lang = kEnglish;
    const int id = baseId + (kLanguages[static_cast<std::size_t>(lang)].block - 1) * 1000;
    if (lang == kFrench)
        return id;
    if (!IsUntranslated(id))
        return id;
    if (lang == kEnglish)
        return baseId;
    return IsUntranslated(baseId + 1000) ? baseId : baseId + 1000;
}

std::wstring LoadLocalizedString(int baseId)
{
    return av::locale::load_message(LocalizedStringId(baseId));
}
