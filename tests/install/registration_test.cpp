// The program list's entry and the product path value: the twelve values and
// the three package managers read, in their order and types, the recorder's view of a new and of an existing key,
// and what a rollback makes of each.
#include "install/registration.h"

#include "platform/fault_injection.h"
#include "platform/memory_registry.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

namespace {

using namespace av::platform;

constexpr wchar_t kKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6";

class Registration : public testing::Test {
protected:
    av::test::scratch_folder scratch;
    file_system& fs = system_file_system();
    memory_registry registry {fs};
    av::test::machine_of sandbox {fs, registry, scratch.path()};
    UninstallLog log {sandbox};

    UninstallRegistration Values() const
    {
        UninstallRegistration v;
        v.productKey = L"Korvane 6";
        v.displayName = L"Korvaline 6.03g";
        v.uninstallerPath = L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Uninstall.exe";
        v.mainProgramPath = L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Korvane.exe";
        v.displayVersion = L"6.3.7.1";
        v.publisher = L"Arvell & Divizere";
        v.language = 1;
        v.installFolder = L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6";
        v.sizeKiB = 5321;
        return v;
    }

    std::wstring StringOf(const std::wstring& path, const std::wstring& name)
    {
        registry_value value;
        std::wstring text;
        if (read_value(registry, path, name, value) || !value_as_string(value, text))
            return L"<missing>";
        return text;
    }

    void SetUp() override
    {
        log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
        // Windows always has the key that holds the programs' entries.
        std::unique_ptr<registry_key> root;
        bool created = false;
        ASSERT_FALSE(create_key(
            registry, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", key_access::all, root, created));
    }
};

TEST_F(Registration, FirstInstallationWritesFifteenValuesInOrderAndARollbackDeletesTheKey)
{
    ASSERT_TRUE(register_uninstall(registry, log, Values()));

    std::unique_ptr<registry_key> key;
    ASSERT_FALSE(open_key(registry, kKeyPath, key_access::read, key));
    std::vector<std::wstring> names;
    ASSERT_FALSE(key->value_names(names));
    const std::vector<std::wstring> expected = {L"DisplayName", L"UninstallString", L"DisplayIcon", L"DisplayVersion",
        L"Publisher", L"URLInfoAbout", L"HelpLink", L"URLUpdateInfo", L"HelpTelephone", L"NoModify", L"NoRepair",
        L"AvLanguage", L"QuietUninstallString", L"InstallLocation", L"EstimatedSize"};
    EXPECT_EQ(names, expected);

    // A package manager runs the quiet command as it stands: the path with
    // its spaces quoted, then the uninstaller's silent switch.
    EXPECT_EQ(StringOf(kKeyPath, L"QuietUninstallString"),
        L"\"C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Uninstall.exe\" /S");
    EXPECT_EQ(StringOf(kKeyPath, L"InstallLocation"), Values().installFolder);

    // Paths with spaces stay unquoted; strings carry their terminator.
    registry_value uninstall;
    ASSERT_FALSE(key->query_value(L"UninstallString", uninstall));
    EXPECT_EQ(uninstall.type, reg_sz);
    EXPECT_EQ(uninstall.data.size(), (Values().uninstallerPath.size() + 1) * 2);
    EXPECT_EQ(StringOf(kKeyPath, L"DisplayIcon"), Values().mainProgramPath + L",0");
    EXPECT_EQ(StringOf(kKeyPath, L"DisplayVersion"), L"6.3.7.1");
    for (const auto& [name, number] :
        {std::pair {L"NoModify", 1u}, {L"NoRepair", 1u}, {L"AvLanguage", 1u}, {L"EstimatedSize", 5321u}}) {
        registry_value value;
        std::uint32_t read = 0;
        ASSERT_FALSE(key->query_value(name, value));
        ASSERT_TRUE(value_as_dword(value, read)) << name;
        EXPECT_EQ(read, number) << name;
    }
    key.reset();

    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries.back().kind, UninstallLogEntry::UninstallKey);
    EXPECT_TRUE(log.entries.back().succeeded);
    EXPECT_TRUE(log.entries.back().backupPath.empty());

    log.RollBack();
    EXPECT_EQ(open_key(registry, kKeyPath, key_access::read, key), std::error_code(2, std::system_category()));
}

TEST_F(Registration, ExistingKeyIsSavedBeforeItChangesAndARollbackRestoresIt)
{
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(registry, kKeyPath, key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvane 6.03f")));
    ASSERT_FALSE(key->set_value(L"AvLanguage", dword_value(0)));
    key.reset();

    ASSERT_TRUE(register_uninstall(registry, log, Values()));
    EXPECT_EQ(StringOf(kKeyPath, L"DisplayName"), L"Korvaline 6.03g");
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_FALSE(log.entries.back().backupPath.empty());

    log.RollBack();
    EXPECT_EQ(StringOf(kKeyPath, L"DisplayName"), L"Korvane 6.03f");
    for (const wchar_t* name : {L"UninstallString", L"QuietUninstallString", L"InstallLocation", L"EstimatedSize"}) {
        registry_value value;
        EXPECT_TRUE(read_value(registry, kKeyPath, name, value)) << name;  // an error: no such value
    }
}

TEST(RegistrationValues, SizeInKiBRoundsUp)
{
    EXPECT_EQ(SizeInKiB(0), 0u);
    EXPECT_EQ(SizeInKiB(1), 1u);
    EXPECT_EQ(SizeInKiB(1024), 1u);
    EXPECT_EQ(SizeInKiB(1025), 2u);
    EXPECT_EQ(SizeInKiB(5ull << 30), 5u << 20);
    EXPECT_EQ(SizeInKiB(~0ull), 0xFFFFFFFFu);
}

TEST_F(Registration, AFailedDisplayNameFailsTheRegistrationButWritesTheRest)
{
    fault_plan plan;
    faulty_registry faulty(registry, plan);
    av::test::machine_of faultyMachine {fs, faulty, scratch.path()};
    UninstallLog faultyLog {faultyMachine};
    faultyLog.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    plan.fail_when([](operation op, const std::wstring& subject) {
        return op == operation::set_value && subject.ends_with(L"\\DisplayName");
    });

    EXPECT_FALSE(register_uninstall(faulty, faultyLog, Values()));
    EXPECT_EQ(StringOf(kKeyPath, L"UninstallString"), Values().uninstallerPath);
    ASSERT_EQ(faultyLog.entries.size(), 1u);
    EXPECT_FALSE(faultyLog.entries.back().succeeded);
}

TEST_F(Registration, AnExistingKeyThatCannotBeSavedIsLeftUntouched)
{
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(registry, kKeyPath, key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvane 6.03f")));
    key.reset();
    fault_plan plan;
    faulty_registry faulty(registry, plan);
    av::test::machine_of faultyMachine {fs, faulty, scratch.path()};
    UninstallLog faultyLog {faultyMachine};
    faultyLog.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::save_key; });

    EXPECT_FALSE(register_uninstall(faulty, faultyLog, Values()));
    EXPECT_EQ(StringOf(kKeyPath, L"DisplayName"), L"Korvane 6.03f");
    EXPECT_EQ(StringOf(kKeyPath, L"UninstallString"), L"<missing>");
    ASSERT_EQ(faultyLog.entries.size(), 1u);
    EXPECT_FALSE(faultyLog.entries.back().succeeded);
    faultyLog.RollBack();
    EXPECT_EQ(StringOf(kKeyPath, L"DisplayName"), L"Korvane 6.03f");
}

TEST_F(Registration, AKeyThatCannotBeCreatedMeansNothingWrittenAndNothingRecorded)
{
    fault_plan plan;
    faulty_registry faulty(registry, plan);
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::create_key; });
    EXPECT_FALSE(register_uninstall(faulty, log, Values()));
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(Registration, ProductPathValueIsWrittenUnquotedUnderTheMakersKey)
{
    const std::wstring program = L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Korvane.exe";
    ASSERT_TRUE(register_product_path(registry, L"Arvell & Divizere", L"Korvane 6", program));
    EXPECT_EQ(StringOf(L"Software\\Arvell & Divizere", L"Korvane 6 Path"), program);

    fault_plan plan;
    faulty_registry faulty(registry, plan);
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::set_value; });
    EXPECT_FALSE(register_product_path(faulty, L"Arvell & Divizere", L"Korvane 6", program));
}

}  // namespace
