// The recording operations: folder creation and its records, backups (copy or
// move, attributes kept, "av" temporary names), the pending entry, shortcuts
// of the previous installation moved aside, the uninstall key saved.
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

class RecorderTest : public ::testing::Test {
protected:
    scratch_folder dir;
    std::wstring temp = dir / L"Temp";
    fault_plan plan;
    faulty_file_system fs {system_file_system(), plan};
    memory_registry reg;
    av::test::machine_of sandbox {fs, reg, temp, &plan};
    UninstallLog log {sandbox};

    void SetUp() override { ASSERT_FALSE(system_file_system().create_folder(temp)); }

    void put(const std::wstring& path, const std::string& bytes, std::uint32_t attributes = attr_normal)
    {
        ASSERT_FALSE(write_whole_file(system_file_system(), path, bytes));
        ASSERT_FALSE(system_file_system().set_attributes(path, attributes));
    }
    std::string content(const std::wstring& path)
    {
        std::string bytes;
        EXPECT_FALSE(read_whole_file(system_file_system(), path, bytes));
        return bytes;
    }
    bool read_only(const std::wstring& path)
    {
        std::uint32_t attributes = 0;
        EXPECT_FALSE(system_file_system().get_attributes(path, attributes));
        return (attributes & attr_readonly) != 0;
    }
    static std::wstring leaf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }
};

TEST_F(RecorderTest, RecordFileCreatesAndRecordsEachMissingFolderOutermostFirst)
{
    const std::wstring a = dir / L"A";
    const std::wstring b = join(a, L"B");
    const std::wstring c = join(b, L"C");
    ASSERT_FALSE(system_file_system().create_folder(a));
    EXPECT_TRUE(log.RecordFile(join(c, L"file.dll"), 0, false));
    EXPECT_TRUE(log.pending);
    ASSERT_EQ(log.entries.size(), 3u);
    auto it = log.entries.begin();
    EXPECT_EQ(it->kind, Kind::CreatedFolder);
    EXPECT_EQ(it->path, b);
    EXPECT_TRUE(it->succeeded);
    EXPECT_EQ(it->detail, -1);
    ++it;
    EXPECT_EQ(it->path, c);
    EXPECT_TRUE(is_folder(system_file_system(), c));
    ++it;
    EXPECT_EQ(it->kind, Kind::InstalledFile);
    EXPECT_EQ(it->path, join(c, L"file.dll"));
    EXPECT_EQ(it->detail, 0);
    EXPECT_FALSE(it->succeeded);
    EXPECT_TRUE(it->backupPath.empty());

    log.Complete(true);
    EXPECT_FALSE(log.pending);
    EXPECT_TRUE(log.entries.back().succeeded);
    log.Complete(false);  // nothing pending: no change
    EXPECT_TRUE(log.entries.back().succeeded);
}

TEST_F(RecorderTest, FolderCreationStopsSilentlyAtTheFirstFailure)
{
    const std::wstring a = dir / L"A";
    plan.fail_when(
        [&](operation op, const std::wstring& p) { return op == operation::create_folder && p == join(a, L"B"); });
    log.RecordFile(join(join(join(a, L"B"), L"C"), L"f"), 1, false);
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries.front().path, a);
    EXPECT_EQ(log.entries.back().kind, Kind::InstalledFile);
    EXPECT_FALSE(is_folder(system_file_system(), join(a, L"B")));
}

TEST_F(RecorderTest, MoveBackupTakesTheFileAwayWithItsAttributes)
{
    const std::wstring exe = dir / L"Korvane.exe";
    put(exe, "old program", attr_readonly);
    EXPECT_TRUE(log.RecordFile(exe, 1, false));
    const UninstallLogEntry& e = log.entries.back();
    ASSERT_FALSE(e.backupPath.empty());
    EXPECT_FALSE(is_file(system_file_system(), exe));
    EXPECT_EQ(e.backupPath.substr(0, temp.size()), temp);
    EXPECT_EQ(leaf(e.backupPath).substr(0, 2), L"av");
    EXPECT_EQ(content(e.backupPath), "old program");
    EXPECT_TRUE(read_only(e.backupPath));
}

TEST_F(RecorderTest, CopyBackupLeavesTheFileInPlace)
{
    const std::wstring data = dir / L"settings.dat";
    put(data, "user data", attr_readonly);
    EXPECT_TRUE(log.RecordFile(data, 3, true));
    const UninstallLogEntry& e = log.entries.back();
    ASSERT_FALSE(e.backupPath.empty());
    EXPECT_EQ(content(data), "user data");
    EXPECT_TRUE(read_only(data));
    EXPECT_EQ(content(e.backupPath), "user data");
    EXPECT_TRUE(read_only(e.backupPath));
}

TEST_F(RecorderTest, MakeBackupWithoutSourceGivesAFreeName)
{
    const std::wstring name = log.MakeBackup(nullptr, false);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(leaf(name).substr(0, 2), L"av");
    EXPECT_EQ(name.substr(0, temp.size()), temp);
    std::uint32_t attributes = 0;
    EXPECT_TRUE(av::win_error::is_not_found(system_file_system().get_attributes(name, attributes)));
    const std::wstring missing = dir / L"missing";
    EXPECT_TRUE(log.MakeBackup(&missing, true).empty());
}

TEST_F(RecorderTest, TemporaryFolderTooLongGivesNoBackup)
{
    const std::wstring deep = join(temp, std::wstring(240, L'x'));
    av::test::machine_of long_temp {system_file_system(), reg, deep};
    UninstallLog other(long_temp);
    const std::wstring file = dir / L"f";
    put(file, "x");
    EXPECT_TRUE(other.MakeBackup(&file, true).empty());
    EXPECT_FALSE(other.RecordFile(file, 1, false));
    EXPECT_EQ(content(file), "x");  // still in place
    EXPECT_TRUE(other.entries.back().keepOnRollBack);
}

struct backup_fault {
    const char* name;
    operation op;
    bool copy;
};

class BackupFaultTest : public RecorderTest, public ::testing::WithParamInterface<backup_fault> { };

TEST_P(BackupFaultTest, AFileThatCannotBeBackedUpStaysAsItWas)
{
    const std::wstring file = dir / L"Korvane.exe";
    put(file, "old", attr_readonly);
    int asked = 0;
    const operation target = GetParam().op;
    // Past the existence test of RecordFile itself: fail the backup's call.
    plan.fail_when(
        [&](operation op, const std::wstring& subject) {
            if (op != target)
                return false;
            return op != operation::get_attributes || (subject == file && ++asked == 2);
        },
        {}, true);
    EXPECT_FALSE(log.RecordFile(file, 1, GetParam().copy));
    const UninstallLogEntry& e = log.entries.back();
    EXPECT_TRUE(e.backupPath.empty());
    EXPECT_TRUE(e.keepOnRollBack);
    EXPECT_EQ(content(file), "old");
    EXPECT_TRUE(read_only(file));
    EXPECT_TRUE(av::test::snapshot_tree(temp).empty()) << "no temporary file is left";

    log.Complete(false);
    log.RollBack();
    EXPECT_EQ(content(file), "old");
    EXPECT_TRUE(read_only(file));
}

INSTANTIATE_TEST_SUITE_P(Faults, BackupFaultTest,
    ::testing::Values(backup_fault {"TempFolder", operation::temp_folder, false},
        backup_fault {"TempName", operation::temp_file_name, false},
        backup_fault {"Attributes", operation::get_attributes, false},
        backup_fault {"Move", operation::move_file, false}, backup_fault {"Copy", operation::copy_file, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecorderTest, RecordShortcutMovesThePreviousShortcutAside)
{
    const std::wstring menu = dir / L"Menu";
    const std::wstring old_link = join(menu, L"Korvaline 6.03f.lnk");
    ASSERT_FALSE(system_file_system().create_folder(menu));
    put(old_link, "old link");
    UninstallLogEntry previous;
    previous.kind = Kind::MenuShortcut;
    previous.path = old_link;
    log.previousEntries.push_back(previous);

    EXPECT_TRUE(log.RecordShortcut(0, menu));
    ASSERT_EQ(log.entries.size(), 1u);  // the folder existed
    UninstallLogEntry& e = log.entries.back();
    EXPECT_EQ(e.kind, Kind::MenuShortcut);
    EXPECT_TRUE(e.path.empty());
    EXPECT_FALSE(is_file(system_file_system(), old_link));
    ASSERT_FALSE(e.backupPath.empty());
    EXPECT_EQ(content(e.backupPath), "old link");
    log.Complete(true, join(menu, L"Korvaline 6.03g.lnk"));
    EXPECT_EQ(e.path, join(menu, L"Korvaline 6.03g.lnk"));
    EXPECT_TRUE(e.succeeded);

    // Selector 1 has no previous entry; any selector but 0 and 1 is the desktop.
    log.RecordShortcut(1, join(menu, L"Sub"));
    EXPECT_EQ(log.entries.back().kind, Kind::MenuUninstallShortcut);
    EXPECT_TRUE(log.entries.back().backupPath.empty());
    EXPECT_EQ(std::next(log.entries.rbegin())->kind, Kind::CreatedFolder);
    log.Complete(false);
    log.RecordShortcut(7, menu);
    EXPECT_EQ(log.entries.back().kind, Kind::DesktopShortcut);
}

TEST_F(RecorderTest, PreviousShortcutThatCannotBeMovedStaysAndIsReported)
{
    const std::wstring link = dir / L"Uninstall Korvaline.lnk";
    put(link, "old link");
    UninstallLogEntry previous;
    previous.kind = Kind::MenuUninstallShortcut;
    previous.path = link;
    log.previousEntries.push_back(previous);
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::move_file; });
    EXPECT_FALSE(log.RecordShortcut(1, dir.path()));
    EXPECT_EQ(content(link), "old link");
    EXPECT_TRUE(log.entries.back().keepOnRollBack);
    // The caller did not make the shortcut; the rollback leaves the old one.
    log.Complete(false, link);
    log.RollBack();
    EXPECT_EQ(content(link), "old link");
}

TEST_F(RecorderTest, RecordUninstallKeySavesAnExistingKey)
{
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(reg, std::wstring(kUninstallRootKey) + L"\\Korvane 6", key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvaline 6.03f")));

    EXPECT_TRUE(log.RecordUninstallKey(key.get()));
    EXPECT_TRUE(log.pending);
    const UninstallLogEntry& e = log.entries.back();
    EXPECT_EQ(e.kind, Kind::UninstallKey);
    EXPECT_TRUE(e.path.empty());
    ASSERT_FALSE(e.backupPath.empty());
    EXPECT_TRUE(is_file(system_file_system(), e.backupPath));
    EXPECT_EQ(leaf(e.backupPath).substr(0, 2), L"av");

    log.Complete(true);
    log.RecordUninstallKey(nullptr);
    EXPECT_TRUE(log.entries.back().backupPath.empty());
    EXPECT_FALSE(log.entries.back().keepOnRollBack);

    // A save that fails leaves no hive file behind.
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::save_key; });
    faulty_registry faulty(reg, plan);
    std::unique_ptr<registry_key> failing;
    ASSERT_FALSE(open_key(faulty, std::wstring(kUninstallRootKey) + L"\\Korvane 6", key_access::all, failing));
    EXPECT_FALSE(log.RecordUninstallKey(failing.get()));
    EXPECT_TRUE(log.entries.back().backupPath.empty());
    EXPECT_TRUE(log.entries.back().keepOnRollBack);
    EXPECT_EQ(av::test::snapshot_tree(temp).size(), 1u);  // only the first hive
}

TEST_F(RecorderTest, ProductRegistrationAndCompleteWithPath)
{
    log.RecordProductRegistration();
    EXPECT_TRUE(log.pending);
    EXPECT_EQ(log.entries.back().kind, Kind::ProductRegistration);
    EXPECT_FALSE(log.entries.back().succeeded);
    log.Complete(true, L"ignored?");
    EXPECT_TRUE(log.entries.back().succeeded);
    EXPECT_EQ(log.entries.back().path, L"ignored?");
}

}  // namespace
