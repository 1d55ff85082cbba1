#include "install/registration.h"

#include "support/product.h"
#include "uninstall/uninstall_log.h"

#include <memory>

namespace {

using av::platform::key_access;
using av::platform::registry_key;

}  // namespace

std::wstring QuietUninstallCommand(const std::wstring& uninstallerPath)
{
    return L"\"" + uninstallerPath + L"\" /S";
}

std::uint32_t SizeInKiB(std::uint64_t bytes)
{
    const std::uint64_t kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kib);
}

bool register_uninstall(av::platform::registry& registry, UninstallLog& log, const UninstallRegistration& values)
{
    std::unique_ptr<registry_key> uninstall_keys;
    if (av::platform::open_key(registry, kUninstallRootKey, key_access::all, uninstall_keys))
        return false;
    std::unique_ptr<registry_key> key;
    bool created = false;
    if (uninstall_keys->create_subkey(values.productKey, key_access::all, key, created))
        return false;

    // An existing key is saved before any value of it changes; one that
    // could not be saved is left as it is, since a rollback could not bring
    // it back.
    if (!log.RecordUninstallKey(created ? nullptr : key.get())) {
        key.reset();
        log.Complete(false);
        return false;
    }

    using av::platform::dword_value;
    using av::platform::string_value;
    const bool name_written = !key->set_value(L"DisplayName", string_value(values.displayName));
    const bool uninstaller_written = !key->set_value(L"UninstallString", string_value(values.uninstallerPath));
    // The remaining values only decorate the program list; their failures
    // do not make the registration fail.
    key->set_value(L"DisplayIcon", string_value(values.mainProgramPath + L",0"));
    key->set_value(L"DisplayVersion", string_value(values.displayVersion));
    key->set_value(L"Publisher", string_value(values.publisher));
    key->set_value(L"URLInfoAbout", string_value(kPublisherUrl));
    key->set_value(L"HelpLink", string_value(kPublisherUrl));
    key->set_value(L"URLUpdateInfo", string_value(kPublisherUrl));
    key->set_value(L"HelpTelephone", string_value(kPublisherTelephone));
    key->set_value(L"NoModify", dword_value(1));
    key->set_value(L"NoRepair", dword_value(1));
    key->set_value(L"AvLanguage", dword_value(values.language));
    // What package managers and the program list's columns read besides.
    key->set_value(L"QuietUninstallString", string_value(QuietUninstallCommand(values.uninstallerPath)));
    key->set_value(L"InstallLocation", string_value(values.installFolder));
    key->set_value(L"EstimatedSize", dword_value(values.sizeKiB));
    const bool result = name_written && uninstaller_written;

    key.reset();
    log.Complete(result);
    return result;
}

bool register_product_path(av::platform::registry& registry, const std::wstring& makerName,
    const std::wstring& productKey, const std::wstring& mainProgramPath)
{
    std::unique_ptr<registry_key> key;
    bool created = false;
    if (av::platform::create_key(registry, L"Software\\" + makerName, key_access::maximum_allowed, key, created))
        return false;
    if (!key->set_value(productKey + L" Path", av::platform::string_value(mainProgramPath)))
        return true;
    // The run fails and is rolled back, and nothing records this key: one
    // this call created goes again, so the machine is left as it was.
    key.reset();
    if (created) {
        std::unique_ptr<registry_key> software;
        if (!av::platform::open_key(registry, L"Software", key_access::all, software))
            (void)software->delete_subkey_tree(makerName);
    }
    return false;
}
