// Rollback of a failed run: each kind of entry undone, newest first, and the
// whole machine (files with content and attributes, temporary folder,
// uninstall keys) back as it was after a failure forced at every single
// operation of an update run.
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

// A machine with an earlier installation of the product on it, inside a
// scratch folder, and the run of an update over it.
class machine {
public:
    machine(registry& reg, bool key_exists) : reg_(reg)
    {
        file_system& sys = system_file_system();
        temp = root / L"Temp";
        app = join(join(root / L"Program Files", L"Arvell & Divizere"), L"Korvaline 6");
        data = join(root / L"ProgramData", L"Arvell & Divizere");
        menu = join(join(root / L"Menu", L"Arvell & Divizere"), L"Korvaline 6");
        desktop = root / L"Desktop";
        for (const std::wstring& folder : {temp, root / L"Program Files", parent(app), app, join(app, L"Lang"),
                                           root / L"ProgramData", data, root / L"Menu", parent(menu), menu,
                                           desktop})
            (void)sys.create_folder(folder);
        put(join(app, L"Korvane.exe"), "old program", attr_readonly);
        put(join(app, L"Uninstall.exe"), "old uninstaller", attr_normal);
        put(join(join(app, L"Lang"), L"Korvane.en.dll"), "old english", attr_normal);
        put(join(data, L"shared.dat"), "the user's data", attr_normal);
        old_menu_link = join(menu, L"Korvaline 6.03f.lnk");
        put(old_menu_link, "old program link", attr_normal);
        put(join(menu, L"Uninstall Korvaline.lnk"), "old uninstaller link", attr_readonly);
        old_desktop_link = join(desktop, L"Korvaline 6.03f.lnk");
        put(old_desktop_link, "old desktop link", attr_normal);

        // The earlier installation's log.
        UninstallLog earlier;
        earlier.SetProduct(L"Korvaline 6.03f", kProductKey);
        for (const auto& [kind, path] : std::vector<std::pair<std::int32_t, std::wstring>>{
                 {Kind::InstalledFile, join(app, L"Korvane.exe")},
                 {Kind::MenuShortcut, old_menu_link},
                 {Kind::MenuUninstallShortcut, join(menu, L"Uninstall Korvaline.lnk")},
                 {Kind::DesktopShortcut, old_desktop_link},
                 {Kind::UninstallKey, L""}}) {
            UninstallLogEntry e;
            e.kind = kind;
            e.path = path;
            e.succeeded = true;
            earlier.entries.push_back(e);
        }
        log_path = join(app, L"Uninstall.ulog");
        EXPECT_TRUE(earlier.Write(log_path, app, menu));

        std::unique_ptr<registry_key> uninstall, key, sub;
        bool created = false;
        EXPECT_FALSE(create_key(reg, kUninstall, key_access::all, uninstall, created));
        (void)uninstall->delete_subkey_tree(kProductKey);
        if (key_exists) {
            EXPECT_FALSE(uninstall->create_subkey(kProductKey, key_access::all, key, created));
            EXPECT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvaline 6.03f")));
            EXPECT_FALSE(key->set_value(L"AvLanguage", dword_value(2)));
            EXPECT_FALSE(key->create_subkey(L"Extra", key_access::all, sub, created));
            EXPECT_FALSE(sub->set_value(L"Kept", string_value(L"yes")));
        }
    }

    ~machine()
    {
        std::unique_ptr<registry_key> uninstall;
        if (!open_key(reg_, kUninstall, key_access::all, uninstall))
            (void)uninstall->delete_subkey_tree(kProductKey);
    }

    static std::wstring parent(const std::wstring& p) { return p.substr(0, p.find_last_of(L"\\/")); }

    static void put(const std::wstring& path, const std::string& bytes, std::uint32_t attributes)
    {
        EXPECT_FALSE(write_whole_file(system_file_system(), path, bytes));
        EXPECT_FALSE(system_file_system().set_attributes(path, attributes));
    }

    struct state {
        av::test::tree_snapshot files;
        av::test::key_snapshot keys;
        bool operator==(const state&) const = default;
    };
    state snapshot() const { return {av::test::snapshot_tree(root.path()), av::test::snapshot_key(reg_, kUninstall)}; }

    scratch_folder root;
    std::wstring temp, app, data, menu, desktop, log_path, old_menu_link, old_desktop_link;

private:
    registry& reg_;
};

// The update run, as the installation drives the recorder. It stops after
// the first step in which the plan injected a failure (or that failed).
class update_run {
public:
    update_run(machine& m, file_system& fs, registry& reg, fault_plan& plan)
        : log(fs, reg), m_(m), fs_(fs), reg_(reg), plan_(plan)
    {
        log.SetProduct(L"Korvaline 6.03g", kProductKey);
    }

    // True when every step ran.
    bool run()
    {
        log.Load(m_.log_path);
        const std::wstring lang = join(m_.app, L"Lang");
        const struct {
            std::wstring path;
            std::int32_t kind;
            std::string content;
        } files[] = {
            {join(join(m_.data, L"Korvane"), L"data.bin"), 3, std::string(3000, 'd')},
            {join(m_.app, L"Uninstall.exe"), 2, "new uninstaller"},
            {join(lang, L"Korvane.en.dll"), 0, "new english"},
            {join(lang, L"Korvane.de.dll"), 0, "new german"},
            {join(m_.app, L"Korvane.exe"), 1, "new program"},
            {join(join(m_.app, L"Samples"), L"demo.txt"), 4, "sample"},
        };
        for (const auto& f : files)
            if (!file_step(f.path, f.kind, f.content) || plan_.fired())
                return false;

        // A data file already there, left untouched.
        log.RecordFile(join(m_.data, L"shared.dat"), 3, true);
        log.Complete(true);
        if (plan_.fired())
            return false;

        (void)fs_.set_attributes(join(m_.app, L"Korvane.exe"), attr_readonly);
        if (plan_.fired())
            return false;

        const struct {
            int selector;
            std::wstring folder, name;
        } links[] = {{0, m_.menu, L"Korvaline 6.03g.lnk"},
                     {1, m_.menu, L"Uninstall Korvaline.lnk"},
                     {2, m_.desktop, L"Korvaline 6.03g.lnk"}};
        for (const auto& l : links) {
            const bool clear = log.RecordShortcut(l.selector, l.folder);
            const std::wstring path = join(l.folder, l.name);
            // A save that fails may leave part of the link behind: its path
            // goes to the record all the same, so that a rollback removes it.
            if (!clear)
                log.Complete(false);
            else if (write_whole_file(fs_, path, "link to program"))
                log.Complete(false, path);
            else
                log.Complete(true, path);
            if (plan_.fired())
                return false;
        }

        std::unique_ptr<registry_key> uninstall, key;
        bool created = false;
        if (!open_key(reg_, kUninstall, key_access::all, uninstall) &&
            !uninstall->create_subkey(kProductKey, key_access::all, key, created)) {
            // A key that could not be saved is left alone.
            const bool ok = log.RecordUninstallKey(created ? nullptr : key.get()) &&
                            !key->set_value(L"DisplayName", string_value(L"Korvaline 6.03g")) &&
                            !key->set_value(L"UninstallString", string_value(join(m_.app, L"Uninstall.exe")));
            if (ok)
                (void)key->set_value(L"AvLanguage", dword_value(1));
            key.reset();
            log.Complete(ok);
        }
        if (plan_.fired())
            return false;

        log.RecordProductRegistration();
        log.Complete(true);
        return !plan_.fired();
    }

    UninstallLog log;

private:
    bool file_step(const std::wstring& path, std::int32_t kind, const std::string& content)
    {
        if (!log.RecordFile(path, kind, kind == 3)) {
            log.Complete(false);
            return false;
        }
        std::unique_ptr<output_file> out;
        bool ok = !fs_.create_file(path, out);
        // Written in chunks, as the extraction does.
        for (std::size_t at = 0; ok && at < content.size(); at += 1024) {
            const std::string_view chunk = std::string_view(content).substr(at, 1024);
            ok = !out->write(std::as_bytes(std::span<const char>(chunk.data(), chunk.size())));
        }
        if (out && out->close())
            ok = false;
        log.Complete(ok);
        return ok;
    }

    machine& m_;
    file_system& fs_;
    registry& reg_;
    fault_plan& plan_;
};

struct registry_choice {
    const char* name;
    bool system;      // the machine's registry (the real one under Wine)
    bool key_exists;  // an earlier uninstall key is there
};

class RollBackEveryStepTest : public ::testing::TestWithParam<registry_choice> {
protected:
    registry& machine_registry()
    {
        if (GetParam().system)
            return system_registry();
        return memory;
    }
    memory_registry memory;
};

TEST_P(RollBackEveryStepTest, MachineIsAsBeforeWhicheverOperationFails)
{
    registry& reg = machine_registry();
    fault_plan plan;

    // A run without faults counts the operations, and its rollback (the
    // product path value failed at the very end) must restore everything too.
    std::size_t operations = 0;
    {
        machine m(reg, GetParam().key_exists);
        av::test::sandbox_file_system sandbox(system_file_system(), m.temp);
        faulty_file_system fs(sandbox, plan);
        faulty_registry faulty_reg(reg, plan);
        const machine::state before = m.snapshot();
        update_run run(m, fs, faulty_reg, plan);
        ASSERT_TRUE(run.run());
        operations = plan.count();
        EXPECT_NE(m.snapshot(), before);
        run.log.RollBack();
        EXPECT_TRUE(run.log.entries.empty());
        EXPECT_FALSE(run.log.previousEntries.empty());
        const machine::state after = m.snapshot();
        EXPECT_EQ(av::test::snapshot_diff(before.files, after.files), "");
        EXPECT_EQ(av::test::snapshot_diff(before.keys, after.keys), "");
    }
    ASSERT_GT(operations, 50u);

    for (std::size_t k = 1; k <= operations; ++k) {
        machine m(reg, GetParam().key_exists);
        av::test::sandbox_file_system sandbox(system_file_system(), m.temp);
        faulty_file_system fs(sandbox, plan);
        faulty_registry faulty_reg(reg, plan);
        const machine::state before = m.snapshot();

        plan.reset();
        plan.fail_nth(k);
        update_run run(m, fs, faulty_reg, plan);
        EXPECT_FALSE(run.run());
        ASSERT_TRUE(plan.fired());
        const fault_plan::call failed = plan.calls()[k - 1];
        plan.disarm();
        run.log.RollBack();

        av::test::tree_snapshot expected = before.files;
        if (failed.op == operation::delete_file && failed.subject.starts_with(m.temp)) {
            // The system reserved a temporary name by creating an empty
            // file, and deleting it failed: that empty file is all that stays.
            expected[failed.subject.substr(m.root.path().size() + 1)] = "rw:";
        }
        const machine::state after = m.snapshot();
        SCOPED_TRACE(::testing::Message() << "operation " << k << " of " << operations << ": "
                                          << operation_name(failed.op) << " failed");
        EXPECT_EQ(av::test::snapshot_diff(expected, after.files), "");
        EXPECT_EQ(av::test::snapshot_diff(before.keys, after.keys), "");
        EXPECT_TRUE(run.log.entries.empty());
        if (HasFailure())
            break;  // one broken step tells enough
    }
}

INSTANTIATE_TEST_SUITE_P(Registries, RollBackEveryStepTest,
                         ::testing::Values(registry_choice{"SystemNewKey", true, false},
#ifndef _WIN32
                                           // Under Wine the other two cover the same file paths.
                                           registry_choice{"MemoryNewKey", false, false},
#endif
                                           registry_choice{"MemoryExistingKey", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class RollBackTest : public ::testing::Test {
protected:
    scratch_folder dir;
    std::wstring temp = dir / L"Temp";
    av::test::sandbox_file_system fs{system_file_system(), temp};
    memory_registry reg;
    UninstallLog log{fs, reg};

    void SetUp() override
    {
        ASSERT_FALSE(system_file_system().create_folder(temp));
        log.SetProduct(L"Korvaline 6.03g", kProductKey);
    }
    static void put(const std::wstring& path, const std::string& bytes, std::uint32_t attributes = attr_normal)
    {
        machine::put(path, bytes, attributes);
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
    UninstallLog run(faulty, reg);
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
    UninstallLog run(fs, faulty);
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
