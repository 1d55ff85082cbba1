// The product identity and the installation state of the application object.
#include "app/install_app.h"

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

#include <stdexcept>

#include "lang/languages.h"
#include "lang/messages.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/win_error.h"
#include "support/win_path.h"

namespace {

constexpr wchar_t kMakerKey[] = L"Software\\Arvell & Divizere";
constexpr std::size_t kLongestTempPath = 246;

// Eight lower-case hexadecimal digits.
std::wstring Hex8(std::uint32_t value)
{
    std::wstring text(8, L'0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = L"0123456789abcdef"[value & 0xF];
    return text;
}

}  // namespace

CInstallApp* GetInstallApp()
{
    return dynamic_cast<CInstallApp*>(AfxGetApp());
}

std::wstring CInstallApp::GetProductLabel(bool nameOnly) const
{
    std::wstring label = GetLanguageSettings().language == 0 ? kProductNameFrench : kProductNameOther;
    if (!nameOnly)
        label += std::wstring(L" ") + kVersionLabel;
    return label;
}

std::wstring CInstallApp::GetProductFolderName() const
{
    std::wstring name = ProductCatalogue(m_nProductCode);
    if (GetLanguageSettings().language != 0)
        LocalizeProductName(name);
    return name;
}

std::wstring CInstallApp::GetApplicationTitle(bool withProduct) const
{
    std::wstring title = Message(msg::Installer);
    if (withProduct)
        title += L" \u2013 " + GetProductLabel(false);
    return title;
}

std::wstring CInstallApp::UninstallKeyPath() const
{
    return std::wstring(kUninstallRootKey) + L"\\" + ProductCatalogue(m_nProductCode);
}

std::wstring CInstallApp::GetInstalledProgramPath()
{
    if (m_bInstalledPathKnown)
        return m_strInstalledProgramPath;
    m_bInstalledPathKnown = true;
    m_strInstalledProgramPath.clear();
    try {
        auto machine = m_machine.registry.local_machine();
        std::unique_ptr<av::platform::registry_key> key;
        if (machine->open_subkey(kMakerKey, av::platform::key_access::maximum_allowed, key))
            return {};
        av::platform::registry_value value;
        if (key->query_value(ProductCatalogue(m_nProductCode) + L" Path", value))
            return {};
        // Only a REG_SZ or REG_EXPAND_SZ of whole characters ending with its
        // NUL is taken; references to the environment stay as they are.
        std::wstring path;
        if (!av::platform::value_as_string(value, path) || path.empty())
            return {};
        std::uint32_t attributes = 0;
        if (m_machine.files.get_attributes(path, attributes))
            return {};
        m_strInstalledProgramPath = path;
    } catch (const std::exception&) {
        m_strInstalledProgramPath.clear();
    }
    return m_strInstalledProgramPath;
}

bool CInstallApp::MakeTempFolderPath(av::platform::known_folders& folders, std::wstring& error)
{
    std::wstring path;
    const std::error_code failure = folders.temp_folder(path);
    if (failure || path.empty() || path.size() > kLongestTempPath) {
        error = Hex8(static_cast<std::uint32_t>(failure.value())) + L" (GetTempPath)";  // "%08x (%s)"
        return false;
    }
    // A version-4 UUID from the system's cryptographic generator.
    boost::uuids::random_generator generator;
    const std::string uuid = boost::uuids::to_string(generator());
    m_strTempFolder = winpath::PathJoin(path, L"arvell_{" + std::wstring(uuid.begin(), uuid.end()) + L"}");
    return true;
}

int CInstallApp::GetUpdateState(std::wstring* previousVersion) const
{
    if (previousVersion != nullptr && (m_nUpdateState == NewerInstalled || m_nUpdateState == Upgrade))
        *previousVersion = m_strPreviousVersion;
    return m_nUpdateState;
}

void CInstallApp::OnLanguageSelected(int index)
{
    SetLanguage(index);
    if (!IsInstallerLanguage(index)) {
        // The message comes in English: the chosen language has no texts.
        const std::wstring text = Message(msg::InstallerInEnglish, {GetProductLabel(true)});
        AfxMessageBox(text, kMbOk | kMbIconInformation);
        SetLanguage(1);
    }
    SetAppName(GetApplicationTitle(true));
    if (m_updateTexts)
        m_updateTexts();
}
