// The twenty languages of the product (index 0 French … 19 Hungarian), the
// process-wide language state, and localized message loading.
#pragma once

#include <cstdint>
#include <string>

// The process-wide language state, created on first use.
struct LanguageSettings {
    std::uint32_t supportedMask = 1;  // languages LanguageFromUserLocale(0) may choose
    int language = 0;  // current language index
    std::uint32_t lcid = 1036;  // LCID in force for the language
    std::uint32_t codePage = 1252;  // ANSI code page of lcid
    bool rightToLeft = false;  // reading order of the language
};

LanguageSettings& GetLanguageSettings();
void SetLanguage(int index);
int LanguageFromUserLocale(std::uint32_t mask);
std::uint32_t LanguageToLcid(int index);
bool IsRightToLeftLanguage(int index);
std::wstring NativeLanguageName(int index);
bool IsProductLanguage(int index);
bool IsInstallerLanguage(int index);
// The resource id to load for a message named by its French id 1000 + offset.
int LocalizedStringId(int baseId);
// The message in the current language (with the "#" fallbacks); empty when missing.
std::wstring LoadLocalizedString(int baseId);

// The languages the user's Windows language can select at start-up.
inline constexpr std::uint32_t kSupportedLanguageMask = 0x8cfbf;
