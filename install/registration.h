// The product's registration with Windows: its entry in the list of
// installed programs (the uninstall key with its twelve values and the three
// that package managers read, recorded for rollback and uninstallation) and the product path value through which the
// next installer finds the installed main program.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>

class UninstallLog;

// What the uninstall key says about this installation.
struct UninstallRegistration {
    std::wstring productKey;  // the key's name: "Korvane 6"
    std::wstring displayName;  // product label in the installation language
    std::wstring uninstallerPath;  // unquoted, no arguments
    std::wstring mainProgramPath;  // unquoted; "DisplayIcon" adds ",0"
    std::wstring displayVersion;  // the product's file version, "6.3.7.1"
    std::wstring publisher;  // the maker's name
    std::uint32_t language = 0;  // "AvLanguage": the installation language index
    std::wstring installFolder;  // "InstallLocation"
    std::uint32_t sizeKiB = 0;  // "EstimatedSize": the installed files, in KiB
};

// "QuietUninstallString": the uninstaller, quoted, with "/S" so that a
// package manager removes the product without a question.
std::wstring QuietUninstallCommand(const std::wstring& uninstallerPath);

// Bytes as the program list's size column counts them: KiB, rounded up.
std::uint32_t SizeInKiB(std::uint64_t bytes);

// The publisher's contact details shown by the program list.
inline constexpr wchar_t kPublisherUrl[] = L"https://www.arvell-divizere.example/korvane";
inline constexpr wchar_t kPublisherTelephone[] = L"+33 1 84 88 20 60";

// Writes the product's uninstall key (below the Uninstall key of
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion), recording it (an existing key is saved for
// a rollback first; one that cannot be saved is not changed at all): the
// twelve values, then "QuietUninstallString", "InstallLocation" and
// "EstimatedSize". True when "DisplayName" and "UninstallString" were both
// written; nothing is recorded when the key cannot be opened or created.
bool register_uninstall(av::platform::registry& registry, UninstallLog& log, const UninstallRegistration& values);

// Writes "<product key> Path" under HKEY_LOCAL_MACHINE\Software\<maker>, the
// key created when missing. Not recorded: neither a rollback nor the
// uninstall log knows it; so when the value cannot be written, a key this
// call created is deleted again.
bool register_product_path(av::platform::registry& registry, const std::wstring& makerName,
    const std::wstring& productKey, const std::wstring& mainProgramPath);
