// The identity of the one product this installer installs: its code, names,
// version and maker, the product key that names it in the registry and in
// its folders, and where its uninstall registration lives.
#pragma once

#include <cstdint>
#include <string>

// The product this installer installs.
inline constexpr int kProductCode = 518;
inline constexpr wchar_t kVersionLabel[] = L"6.03g";
// 6.3.7.1 in version-resource layout: (MS pair 6, 3) << 32 | (LS pair 7, 1).
inline constexpr std::uint64_t kProductVersion = 0x0006000300070001ull;
inline constexpr wchar_t kProductNameFrench[] = L"Korvane";
inline constexpr wchar_t kProductNameOther[] = L"Korvaline";
inline constexpr wchar_t kMakerName[] = L"Arvell & Divizere";
// The uninstall keys, below HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kUninstallRootKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// The language the last run recorded, a REG_DWORD of the product's uninstall key.
inline constexpr wchar_t kLanguageValue[] = L"AvLanguage";

// The product key of a product code ("Korvane 6" for 518); raises
// std::logic_error("logic error") for a code without a row.
std::wstring ProductCatalogue(int productCode);

// The product key with "Korvane" replaced by "Korvaline" everywhere (exact
// case); applied for every language but French.
void LocalizeProductName(std::wstring& text);
