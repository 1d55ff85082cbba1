// Rollback of a failed run: each kind of entry undone, newest first. (The
// whole run failed at every operation of the machine in turn is swept in
// tests/install/run_sweep_test.cpp.)
#include "platform/fault_injection.h"
#include "platform/memory_registry.h"
#include "platform/win_error.h"
#include "support/product.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

namespace {

using namespace av::platform;
using av::test::join;
using av::test::scratch_folder;
using Kind = UninstallLogEntry::EntryKind;

const std::wstring kUninstall = kUninstallRootKey;
const std::wstring kProductKey = L"Korvane 6";

class RollBackTest : public ::testing::Test {
protected:
    scratch_folder dir;
    std::wstring temp = dir / L"Temp";
    file_system& fs = system_file_system();
    memory_registry reg;
    av::test::machine_of sandbox {fs, reg, temp};
    UninstallLog log {sandbox};

    void SetUp() override
    {
        ASSERT_FALSE(system_file_system().create_folder(temp));
        log.SetProduct(L"Korvaline 6.03g", kProductKey);
    }
    static void put(const std::wstring& path, const std::string& bytes, std::uint32_t attributes = attr_normal)
    {
        EXPECT_FALSE(write_whole_file(system_file_system(), path, bytes));
        EXPECT_FALSE(system_file_system().set_attributes(path, attributes));
    }
    static std::string content(const std::wstring& path)
    {
        std::string bytes;
        EXPECT_FALSE(read_whole_file(system_file_system(), path, bytes));
        return bytes;
    }
};

TEST_F(RollBackTest, AFolderThatSomethingElseFilledStays)
{
    const std::wstring a = dir / L"A", b = join(dir / L"A", L"B");
    log.RecordFile(join(b, L"f.txt"), 3, true);
    put(join(b, L"f.txt"), "installed");
    log.Complete(true);
    put(join(a, L"foreign.txt"), "not ours");
    log.RollBack();
    EXPECT_FALSE(is_folder(system_file_system(), b));
    EXPECT_TRUE(is_folder(system_file_system(), a));
    EXPECT_EQ(content(join(a, L"foreign.txt")), "not ours");
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(RollBackTest, HalfWrittenFileIsRemovedAndItsPredecessorRestored)
{
    const std::wstring exe = dir / L"Korvane.exe";
    const std::wstring fresh = dir / L"New.dll";
    put(exe, "old program", attr_readonly);
    fault_plan plan;
    faulty_file_system faulty(fs, plan);
    av::test::machine_of faulty_machine {faulty, reg, temp};
    UninstallLog run(faulty_machine);
    for (const std::wstring& path : {fresh, exe}) {
        ASSERT_TRUE(run.RecordFile(path, 1, false));
        std::unique_ptr<output_file> out;
        ASSERT_FALSE(faulty.create_file(path, out));
        ASSERT_FALSE(out->write(std::as_bytes(std::span("first half ", 11))));
        plan.fail_when([](operation op, const std::wstring&) { return op == operation::write_file; }, {}, true);
        EXPECT_TRUE(out->write(std::as_bytes(std::span("second half", 11))));
        out.reset();
        run.Complete(false);
        plan.disarm();
    }
    EXPECT_EQ(content(exe), "first half secon");
    run.RollBack();
    EXPECT_FALSE(is_file(system_file_system(), fresh));
    EXPECT_EQ(content(exe), "old program");
    std::uint32_t attributes = 0;
    ASSERT_FALSE(system_file_system().get_attributes(exe, attributes));
    EXPECT_NE(attributes & attr_readonly, 0u);
    EXPECT_TRUE(av::test::snapshot_tree(temp).empty());
}

TEST_F(RollBackTest, CopiedDataFileComesBackUnchanged)
{
    const std::wstring data = dir / L"shared.dat";
    put(data, "user data");
    ASSERT_TRUE(log.RecordFile(data, 3, true));
    log.Complete(true);
    log.RollBack();
    EXPECT_EQ(content(data), "user data");
    EXPECT_TRUE(av::test::snapshot_tree(temp).empty());
}

TEST_F(RollBackTest, PreviousShortcutGoesBackWhereTheEarlierInstallationHadIt)
{
    const std::wstring old_link = dir / L"Korvaline 6.03f.lnk";
    const std::wstring new_link = dir / L"Korvaline 6.03g.lnk";
    put(old_link, "old link", attr_readonly);
    UninstallLogEntry previous;
    previous.kind = Kind::DesktopShortcut;
    previous.path = old_link;
    log.previousEntries.push_back(previous);

    log.RecordShortcut(2, dir.path());
    EXPECT_FALSE(is_file(system_file_system(), old_link));
    put(new_link, "new link");
    log.Complete(true, new_link);
    log.RollBack();
    EXPECT_FALSE(is_file(system_file_system(), new_link));
    EXPECT_EQ(content(old_link), "old link");
    std::uint32_t attributes = 0;
    ASSERT_FALSE(system_file_system().get_attributes(old_link, attributes));
    EXPECT_NE(attributes & attr_readonly, 0u);
    EXPECT_EQ(log.previousEntries.size(), 1u);

    // A shortcut that was never made: the previous one comes back all the same.
    log.RecordShortcut(2, dir.path());
    log.Complete(false);
    EXPECT_FALSE(is_file(system_file_system(), old_link));
    log.RollBack();
    EXPECT_EQ(content(old_link), "old link");
}

TEST_F(RollBackTest, CreatedKeyIsDeletedWithItsSubkeys)
{
    std::unique_ptr<registry_key> key, sub;
    bool created = false;
    ASSERT_FALSE(create_key(reg, kUninstall + L"\\Other", key_access::all, key, created));
    ASSERT_FALSE(create_key(reg, kUninstall + L"\\" + kProductKey, key_access::all, key, created));
    ASSERT_TRUE(created);
    log.RecordUninstallKey(nullptr);
    ASSERT_FALSE(key->create_subkey(L"Deep\\Deeper", key_access::all, sub, created));
    log.Complete(true);
    log.RollBack();
    EXPECT_EQ(open_key(reg, kUninstall + L"\\" + kProductKey, key_access::read, key),
        av::win_error::make(av::win_error::file_not_found));
    EXPECT_FALSE(open_key(reg, kUninstall + L"\\Other", key_access::read, key));
}

TEST_F(RollBackTest, ExistingKeyIsRestoredFromItsHiveAndTheHiveDeleted)
{
    std::unique_ptr<registry_key> key, sub;
    bool created = false;
    ASSERT_FALSE(create_key(reg, kUninstall + L"\\" + kProductKey, key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvaline 6.03f")));
    ASSERT_FALSE(key->create_subkey(L"Sub", key_access::all, sub, created));
    const av::test::key_snapshot before = av::test::snapshot_key(reg, kUninstall);

    log.RecordUninstallKey(key.get());
    const std::wstring hive = log.entries.back().backupPath;
    ASSERT_FALSE(hive.empty());
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvaline 6.03g")));
    ASSERT_FALSE(key->set_value(L"AvLanguage", dword_value(4)));
    ASSERT_FALSE(key->delete_subkey_tree(L"Sub"));
    log.Complete(true);
    log.RollBack();
    EXPECT_EQ(av::test::snapshot_key(reg, kUninstall), before);
    EXPECT_FALSE(is_file(system_file_system(), hive));
}

TEST_F(RollBackTest, WithoutTheUninstallRootTheHiveIsNeitherUsedNorDeleted)
{
    fault_plan plan;
    faulty_registry faulty(reg, plan);
    av::test::machine_of faulty_machine {fs, faulty, temp};
    UninstallLog run(faulty_machine);
    run.SetProduct(L"K", kProductKey);
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(reg, kUninstall + L"\\" + kProductKey, key_access::all, key, created));
    run.RecordUninstallKey(key.get());
    const std::wstring hive = run.entries.back().backupPath;
    ASSERT_FALSE(hive.empty());
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::open_key; });
    run.RollBack();
    EXPECT_TRUE(is_file(system_file_system(), hive));
    EXPECT_FALSE(open_key(reg, kUninstall + L"\\" + kProductKey, key_access::read, key));
}

TEST_F(RollBackTest, ExistingKeyThatCouldNotBeSavedIsNotDeleted)
{
    fault_plan plan;
    faulty_registry faulty(reg, plan);
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(faulty, kUninstall + L"\\" + kProductKey, key_access::all, key, created));
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::save_key; });
    log.RecordUninstallKey(key.get());
    EXPECT_TRUE(log.entries.back().backupPath.empty());
    log.Complete(true);
    log.RollBack();
    EXPECT_FALSE(open_key(reg, kUninstall + L"\\" + kProductKey, key_access::read, key));
}

TEST_F(RollBackTest, TheLogOfTheEarlierInstallationIsNotTouched)
{
    const std::wstring earlier = dir / L"Uninstall.ulog";
    put(earlier, "earlier log", attr_readonly);
    log.Load(earlier);
    ASSERT_TRUE(log.RecordFile(dir / L"x.dll", 0, false));
    put(dir / L"x.dll", "x");
    log.Complete(true);
    log.RollBack();
    EXPECT_EQ(content(earlier), "earlier log");
    EXPECT_FALSE(is_file(system_file_system(), dir / L"x.dll"));
}

}  // namespace
