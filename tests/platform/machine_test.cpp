// The machine's services beyond files and registry - known folders, links,
// processes, access rights - and the rules every half keeps: only absolute
// paths are touched, a failed lookup gives no path, and the fault injector
// reaches every service of a machine through one plan.
#include "platform/fault_injection.h"
#include "platform/machine.h"
#include "platform/memory_registry.h"
#include "platform/win_error.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace av::platform {
namespace {

using test::join;
using test::scratch_folder;

const std::error_code kInvalidName = win_error::make(win_error::invalid_name);
const std::error_code kPathNotFound = win_error::make(win_error::path_not_found);

// Paths no half may take: relative ones would land in the current folder.
std::vector<std::wstring> relative_paths()
{
#ifdef _WIN32
    return {L"Korvaline 6.03g.lnk", L"sub\\file.txt", L"\\rooted.txt", L"C:drive-relative.txt", L".\\x", L"..\\x"};
#else
    return {L"Korvaline 6.03g.lnk", L"sub/file.txt", L"C:\\Program Files\\x.txt", L"./x", L"../x"};
#endif
}

// The current folder is a scratch folder for the life of this object, so that
// whatever a relative path would create shows there.
class current_folder_in {
public:
    explicit current_folder_in(const std::wstring& folder)
        : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(std::filesystem::path(folder));
    }
    ~current_folder_in() { std::filesystem::current_path(previous_); }
    current_folder_in(const current_folder_in&) = delete;
    current_folder_in& operator=(const current_folder_in&) = delete;

private:
    std::filesystem::path previous_;
};

bool folder_is_empty(const std::wstring& folder)
{
    return std::filesystem::is_empty(std::filesystem::path(folder));
}

TEST(AbsolutePathTest, OnlyRootedPathsOfThisPlatformAreAbsolute)
{
    struct row {
        const wchar_t* path;
        bool absolute;
    };
    const row rows[] = {
#ifdef _WIN32
        {L"C:\\Program Files", true},
        {L"c:/x", true},
        {L"\\\\server\\share\\x", true},
        {L"\\\\?\\C:\\x", true},
        {L"C:", false},
        {L"C:x", false},
        {L"\\x", false},
        {L"/x", false},
        {L"\\\\", false},
#else
        {L"/tmp/x", true},
        {L"/", true},
        {L"C:\\Program Files", false},
        {L"\\\\server\\share", false},
        {L"tmp/x", false},
#endif
        {L"", false},
        {L"x", false},
        {L"..", false},
    };
    for (const row& r : rows) {
        EXPECT_EQ(is_absolute_path(r.path), r.absolute) << std::string(r.path, r.path + std::wcslen(r.path));
        EXPECT_EQ(check_absolute(r.path),
            r.absolute                              ? std::error_code {}
                : std::wstring_view(r.path).empty() ? kPathNotFound
                                                    : kInvalidName);
    }
}

TEST(FileSystemRefusalTest, RelativeAndEmptyPathsChangeNothingAnywhere)
{
    scratch_folder dir;
    file_system& fs = system_file_system();
    const std::wstring existing = dir / L"existing.txt";
    ASSERT_FALSE(write_whole_file(fs, existing, "kept"));
    const std::wstring work = dir / L"work";
    ASSERT_FALSE(fs.create_folder(work));
    const current_folder_in inside(work);

    std::vector<std::wstring> paths = relative_paths();
    paths.push_back(L"");
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        const std::error_code expected = path.empty() ? kPathNotFound : kInvalidName;
        std::unique_ptr<output_file> out;
        EXPECT_EQ(fs.create_file(path, out), expected);
        EXPECT_EQ(out, nullptr);
        std::unique_ptr<input_file> in;
        EXPECT_EQ(fs.open_file(path, in), expected);
        std::uint32_t attributes = 0;
        EXPECT_EQ(fs.get_attributes(path, attributes), expected);
        EXPECT_EQ(fs.set_attributes(path, attr_readonly), expected);
        EXPECT_EQ(fs.create_folder(path), expected);
        EXPECT_EQ(fs.remove_folder(path), expected);
        EXPECT_EQ(fs.delete_file(path), expected);
        EXPECT_EQ(fs.copy_file(existing, path, true), expected);
        EXPECT_EQ(fs.move_file(existing, path), expected);
        EXPECT_EQ(fs.copy_file(path, existing, true), expected);
        std::wstring name;
        EXPECT_EQ(fs.temp_file_name(path, L"av", name), expected);
        EXPECT_EQ(write_whole_file(fs, path, "data"), expected);
        EXPECT_EQ(create_folder_tree(fs, path), expected);
        EXPECT_EQ(system_shell_links().save(path, existing, dir.path()), expected);
        EXPECT_FALSE(system_access_rights().grant_users_access(path, 0x13019F, 0));
    }
    EXPECT_TRUE(folder_is_empty(work));
    std::string bytes;
    ASSERT_FALSE(read_whole_file(fs, existing, bytes));
    EXPECT_EQ(bytes, "kept");
}

TEST(FileSystemHelpersTest, FolderTreeCreatesEveryMissingLevelOutermostFirst)
{
    scratch_folder dir;
    fault_plan plan;
    faulty_file_system fs(system_file_system(), plan);
    const std::wstring deep = join(join(join(dir.path(), L"a"), L"b"), L"c");
    ASSERT_FALSE(create_folder_tree(fs, deep + std::wstring(1, test::kSep)));
    EXPECT_TRUE(is_folder(fs, deep));
    std::vector<std::wstring> created;
    for (const auto& call : plan.calls())
        if (call.op == operation::create_folder)
            created.push_back(call.subject);
    EXPECT_EQ(created, (std::vector<std::wstring> {dir / L"a", join(dir / L"a", L"b"), deep}));

    plan.reset();
    EXPECT_FALSE(create_folder_tree(fs, deep));  // already there: nothing to do
    for (const auto& call : plan.calls())
        EXPECT_NE(call.op, operation::create_folder);

    // A file in the way, and a level that cannot be made, are reported.
    ASSERT_FALSE(write_whole_file(fs, dir / L"file", "x"));
    EXPECT_EQ(create_folder_tree(fs, join(dir / L"file", L"sub")), win_error::make(win_error::already_exists));
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::create_folder; });
    EXPECT_EQ(create_folder_tree(fs, join(dir / L"x", L"y")), win_error::make(win_error::access_denied));
    EXPECT_FALSE(is_folder(fs, dir / L"x"));
}

TEST(FileSystemHelpersTest, ClearReadOnlyKeepsTheFileAndMakesItReplaceable)
{
    scratch_folder dir;
    file_system& fs = system_file_system();
    const std::wstring path = dir / L"ro.txt";
    ASSERT_FALSE(write_whole_file(fs, path, "old"));
    ASSERT_FALSE(fs.set_attributes(path, attr_readonly));
    ASSERT_FALSE(clear_read_only(fs, path));
    std::uint32_t attributes = 0;
    ASSERT_FALSE(fs.get_attributes(path, attributes));
    EXPECT_EQ(attributes & attr_readonly, 0u);
    EXPECT_FALSE(write_whole_file(fs, path, "new"));
    EXPECT_FALSE(clear_read_only(fs, path));  // nothing to clear
    EXPECT_TRUE(win_error::is_not_found(clear_read_only(fs, dir / L"missing")));
}

TEST(KnownFoldersTest, RootedFoldersLieBelowTheirRootAndAreNeverCreated)
{
    scratch_folder dir;
    rooted_known_folders folders(dir.path(), dir / L"Temp");
    const struct {
        int csidl;
        std::vector<std::wstring> below;
    } rows[] = {
        {csidl::program_files, {L"Program Files"}},
        {csidl::common_appdata, {L"ProgramData"}},
        {csidl::appdata, {L"Users", L"user", L"AppData", L"Roaming"}},
        {csidl::common_desktop, {L"Users", L"Public", L"Desktop"}},
        {csidl::common_programs, {L"ProgramData", L"Microsoft", L"Windows", L"Start Menu", L"Programs"}},
        {csidl::programs,
            {L"Users", L"user", L"AppData", L"Roaming", L"Microsoft", L"Windows", L"Start Menu", L"Programs"}},
    };
    for (const auto& r : rows) {
        std::wstring expected = dir.path();
        for (const std::wstring& name : r.below)
            expected = join(expected, name);
        std::wstring path;
        ASSERT_FALSE(folders.folder(r.csidl, path)) << r.csidl;
        EXPECT_EQ(path, expected);
    }
    EXPECT_TRUE(folder_is_empty(dir.path()));

    std::wstring path = L"unchanged";
    EXPECT_EQ(folders.folder(0x1234, path), win_error::make(win_error::file_not_found));
    EXPECT_EQ(path, L"unchanged");
    ASSERT_FALSE(folders.temp_folder(path));
    EXPECT_EQ(path, (dir / L"Temp") + std::wstring(1, test::kSep));

    // A machine rooted nowhere has no folders at all.
    rooted_known_folders nowhere(L"relative", L"temp");
    path = L"unchanged";
    EXPECT_TRUE(nowhere.folder(csidl::program_files, path));
    EXPECT_EQ(nowhere.temp_folder(path), kInvalidName);
    EXPECT_EQ(path, L"unchanged");
}

TEST(KnownFoldersTest, TheMachinesTemporaryFolderIsAnAbsoluteFolder)
{
    std::wstring temp;
    ASSERT_FALSE(system_known_folders().temp_folder(temp));
    EXPECT_TRUE(is_absolute_path(temp));
    EXPECT_TRUE(temp.back() == L'\\' || temp.back() == L'/');
    EXPECT_TRUE(is_folder(system_file_system(), temp));
}

TEST(ShellLinksTest, FileLinksHoldTargetAndWorkingFolder)
{
    scratch_folder dir;
    file_shell_links links(system_file_system());
    const std::wstring link = dir / L"Korvaline 6.03g.lnk";
    const std::wstring target = join(dir / L"Program Files", L"Korvane.exe");
    ASSERT_FALSE(links.save(link, target, dir / L"Program Files"));
    std::wstring read_target, read_folder;
    ASSERT_TRUE(links.read(link, read_target, read_folder));
    EXPECT_EQ(read_target, target);
    EXPECT_EQ(read_folder, dir / L"Program Files");
    // Saving again replaces the link.
    ASSERT_FALSE(links.save(link, L"other", L"folder"));
    ASSERT_TRUE(links.read(link, read_target, read_folder));
    EXPECT_EQ(read_target, L"other");

    ASSERT_FALSE(write_whole_file(system_file_system(), dir / L"plain.txt", "not a link"));
    EXPECT_FALSE(links.read(dir / L"plain.txt", read_target, read_folder));
    EXPECT_TRUE(links.save(join(dir / L"missing", L"x.lnk"), target, dir.path()));
}

TEST(FaultInjectionMachineTest, EveryServiceCountsAndFailsThroughOnePlan)
{
    scratch_folder dir;
    memory_registry memory;
    rooted_known_folders folders(dir.path(), dir.path());
    file_shell_links links(system_file_system());
    struct recording_processes final : processes {
        std::vector<std::wstring> started;
        std::error_code run_and_wait(const std::wstring& command, const std::wstring&, std::uint32_t& code) override
        {
            started.push_back(command);
            code = 0xFFFFFFF6u;
            return {};
        }
    } programs;
    struct fixed_rights final : access_rights {
        std::vector<std::wstring> granted;
        bool is_administrator() override { return true; }
        bool grant_users_access(const std::wstring& path, std::uint32_t, std::uint32_t) override
        {
            granted.push_back(path);
            return true;
        }
        bool set_privilege(const std::wstring&, bool) override { return true; }
    } rights;
    const machine inner {system_file_system(), memory, folders, programs, links, rights};
    fault_plan plan;
    faulty_machine faulty(inner, plan);
    const machine& m = faulty.get();

    // One call of each service, counted in order.
    std::wstring path;
    std::uint32_t code = 0;
    EXPECT_FALSE(m.folders.folder(csidl::common_appdata, path));
    EXPECT_FALSE(m.folders.temp_folder(path));
    EXPECT_FALSE(m.processes.run_and_wait(L"\"Korvane.exe\" /Register", dir.path(), code));
    EXPECT_EQ(code, 0xFFFFFFF6u);
    EXPECT_FALSE(m.shell.save(dir / L"a.lnk", L"t", L"w"));
    m.shell.announce_association_change();  // not counted
    EXPECT_TRUE(m.rights.is_administrator());
    EXPECT_TRUE(m.rights.grant_users_access(dir.path(), 1, 0));
    EXPECT_TRUE(m.rights.set_privilege(L"SeBackupPrivilege", true));
    EXPECT_FALSE(m.files.create_folder(dir / L"f"));
    std::unique_ptr<registry_key> key;
    bool created = false;
    EXPECT_FALSE(create_key(m.registry, L"Software\\K", key_access::all, key, created));
    const std::vector<operation> expected {operation::known_folder, operation::temp_folder, operation::run_process,
        operation::save_link, operation::is_administrator, operation::grant_access, operation::set_privilege,
        operation::create_folder, operation::create_key};
    ASSERT_EQ(plan.count(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(plan.calls()[i].op, expected[i]) << operation_name(plan.calls()[i].op);
    EXPECT_EQ(plan.calls()[0].subject, std::to_wstring(csidl::common_appdata));
    EXPECT_EQ(plan.calls()[2].subject, L"\"Korvane.exe\" /Register");

    // Each one failed: its default code or false, and nothing done.
    const std::vector<std::pair<operation, std::function<void()>>> failures {
        {operation::known_folder,
            [&] {
                std::wstring p = L"kept";
                EXPECT_EQ(m.folders.folder(csidl::program_files, p), win_error::make(win_error::file_not_found));
                EXPECT_EQ(p, L"kept");
            }},
        {operation::temp_folder,
            [&] {
                std::wstring p;
                EXPECT_TRUE(m.folders.temp_folder(p));
            }},
        {operation::run_process,
            [&] {
                std::uint32_t c = 7;
                EXPECT_EQ(m.processes.run_and_wait(L"x", dir.path(), c), win_error::make(win_error::file_not_found));
                EXPECT_EQ(c, 7u);
                EXPECT_EQ(programs.started.size(), 1u);
            }},
        {operation::save_link,
            [&] {
                EXPECT_TRUE(m.shell.save(dir / L"b.lnk", L"t", L"w"));
                EXPECT_FALSE(is_file(system_file_system(), dir / L"b.lnk"));
            }},
        {operation::is_administrator, [&] { EXPECT_FALSE(m.rights.is_administrator()); }},
        {operation::grant_access,
            [&] {
                EXPECT_FALSE(m.rights.grant_users_access(dir / L"f", 1, 0));
                EXPECT_EQ(rights.granted.size(), 1u);
            }},
        {operation::set_privilege, [&] { EXPECT_FALSE(m.rights.set_privilege(L"SeRestorePrivilege", true)); }},
    };
    for (const auto& [op, call] : failures) {
        SCOPED_TRACE(operation_name(op));
        plan.reset();
        plan.fail_nth(1);
        call();
        EXPECT_TRUE(plan.fired());
        ASSERT_EQ(plan.count(), 1u);
        EXPECT_EQ(plan.calls()[0].op, op);
    }
}

}  // namespace
}  // namespace av::platform
