// Shortcut names, link paths and their limits, and how the shortcut step
// records what it made for a rollback or the uninstaller.
#include "install/shortcuts.h"

#include "platform/fault_injection.h"
#include "platform/memory_registry.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using av::test::join;

TEST(CreateShortcut, NamesAndLimits)
{
    av::test::scratch_folder scratch;
    const std::wstring target = join(join(scratch.path(), L"Korvaline 6"), L"Korvane.exe");
    std::wstring link;

    // Without a name the target's file name less its extension is used.
    ASSERT_TRUE(create_shortcut(av::platform::system_shell_links(), target, scratch.path(), nullptr, &link));
    EXPECT_EQ(link, join(scratch.path(), L"Korvane.lnk"));
    EXPECT_TRUE(av::platform::is_file(av::platform::system_file_system(), link));

    const std::wstring name = L"Korvaline 6.03g";
    ASSERT_TRUE(create_shortcut(av::platform::system_shell_links(), target, scratch.path(), &name, &link));
    EXPECT_EQ(link, join(scratch.path(), L"Korvaline 6.03g.lnk"));

    // A target without a folder, and a link path that does not fit in 260
    // characters, make no shortcut.
    EXPECT_FALSE(create_shortcut(av::platform::system_shell_links(), L"Korvane.exe", scratch.path(), nullptr, &link));
    const std::wstring deep = join(scratch.path(), std::wstring(260 - scratch.path().size() - 6, L'x'));
    EXPECT_FALSE(create_shortcut(av::platform::system_shell_links(), target, deep, &name, &link));
    EXPECT_FALSE(
        create_shortcut(av::platform::system_shell_links(), target, scratch.path() + L"/missing folder", &name, &link));
}

class ShortcutStep : public testing::Test {
protected:
    // The all-users desktop in the scratch folder; every other folder missing.
    class desktop_only final : public av::platform::known_folders {
    public:
        explicit desktop_only(std::wstring root)
            : root_(std::move(root))
        {
        }
        std::error_code folder(int csidl, std::wstring& path) override
        {
            if (csidl != av::platform::csidl::common_desktop)
                return std::error_code(2, std::system_category());
            path = join(root_, L"Desktop");
            return {};
        }
        std::error_code temp_folder(std::wstring& path) override
        {
            path = join(root_, L"temp") + std::wstring(1, av::test::kSep);
            return {};
        }

    private:
        std::wstring root_;
    };

    av::test::scratch_folder scratch;
    av::platform::file_system& fs = av::platform::system_file_system();
    av::platform::memory_registry registry {fs};
    desktop_only folders {scratch.path()};
    av::platform::fault_plan plan;
    const av::platform::machine inner {fs, registry, folders, av::platform::system_processes(),
        av::platform::system_shell_links(), av::platform::system_access_rights()};
    av::platform::faulty_machine faulty {inner, plan};
    const av::platform::machine& machine = faulty.get();
    UninstallLog log {machine};
    ShortcutRequest request;

    void SetUp() override
    {
        fs.create_folder(join(scratch.path(), L"temp"));
        fs.create_folder(join(scratch.path(), L"Desktop"));
        request.startMenuFolder = join(join(scratch.path(), L"Programs"), L"Korvaline 6");
        request.mainProgramPath = join(scratch.path(), L"Korvane.exe");
        request.uninstallerPath = join(scratch.path(), L"Uninstall.exe");
        request.programName = L"Korvaline 6.03g";
        request.uninstallName = L"Uninstall Korvaline";
    }
};

TEST_F(ShortcutStep, BothOptionsMakeThreeRecordedShortcuts)
{
    request.startMenu = true;
    request.desktop = true;
    EXPECT_TRUE(create_shortcuts(machine, log, request));

    std::vector<std::pair<std::int32_t, std::wstring>> recorded;
    for (const auto& e : log.entries)
        recorded.emplace_back(e.kind, e.path);
    const std::vector<std::pair<std::int32_t, std::wstring>> expected = {
        {UninstallLogEntry::CreatedFolder, join(scratch.path(), L"Programs")},
        {UninstallLogEntry::CreatedFolder, request.startMenuFolder},
        {UninstallLogEntry::MenuShortcut, join(request.startMenuFolder, L"Korvaline 6.03g.lnk")},
        {UninstallLogEntry::MenuUninstallShortcut, join(request.startMenuFolder, L"Uninstall Korvaline.lnk")},
        {UninstallLogEntry::DesktopShortcut, join(join(scratch.path(), L"Desktop"), L"Korvaline 6.03g.lnk")},
    };
    EXPECT_EQ(recorded, expected);
    for (const auto& e : log.entries)
        EXPECT_TRUE(e.succeeded);

    log.RollBack();
    EXPECT_FALSE(av::platform::is_folder(fs, join(scratch.path(), L"Programs")));
    EXPECT_FALSE(av::platform::is_file(fs, expected.back().second));
}

TEST_F(ShortcutStep, OnlyTheDesktopLeavesTheStartMenuAlone)
{
    request.desktop = true;
    EXPECT_TRUE(create_shortcuts(machine, log, request));
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries.front().kind, UninstallLogEntry::DesktopShortcut);
    EXPECT_FALSE(av::platform::is_folder(fs, join(scratch.path(), L"Programs")));
}

TEST_F(ShortcutStep, AStartMenuPathTooLongFailsBothMenuShortcutsButNotTheDesktop)
{
    request.startMenu = true;
    request.desktop = true;
    request.startMenuFolder = join(scratch.path(), std::wstring(250 - scratch.path().size(), L'm'));
    EXPECT_FALSE(create_shortcuts(machine, log, request));
    std::vector<bool> outcomes;
    for (const auto& e : log.entries)
        if (e.kind != UninstallLogEntry::CreatedFolder) {
            outcomes.push_back(e.succeeded);
            EXPECT_EQ(e.path.empty(), !e.succeeded);
        }
    EXPECT_EQ(outcomes, (std::vector<bool> {false, false, true}));
}

TEST_F(ShortcutStep, WithoutADesktopFolderTheDesktopShortcutFailsAndNothingIsWrittenElsewhere)
{
    request.desktop = true;
    plan.fail_when(
        [](av::platform::operation op, const std::wstring&) { return op == av::platform::operation::known_folder; });
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(scratch.path()));
    const bool made = create_shortcuts(machine, log, request);
    std::filesystem::current_path(previous);
    EXPECT_FALSE(made);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries.front().kind, UninstallLogEntry::DesktopShortcut);
    EXPECT_FALSE(log.entries.front().succeeded);
    EXPECT_TRUE(log.entries.front().path.empty());
    for (const auto& call : plan.calls())
        EXPECT_NE(call.op, av::platform::operation::save_link);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(join(scratch.path(), L"Korvaline 6.03g.lnk"))));
}

TEST_F(ShortcutStep, AnEarlierShortcutThatCannotBeMovedAsideIsNotOverwritten)
{
    const std::wstring desktop = join(scratch.path(), L"Desktop");
    const std::wstring earlier = join(desktop, L"Korvaline 6.03g.lnk");
    ASSERT_FALSE(av::platform::write_whole_file(fs, earlier, "the earlier link"));
    UninstallLogEntry previous;
    previous.kind = UninstallLogEntry::DesktopShortcut;
    previous.path = earlier;
    previous.succeeded = true;
    log.previousEntries.push_back(previous);
    plan.fail_when(
        [](av::platform::operation op, const std::wstring&) { return op == av::platform::operation::move_file; });
    request.desktop = true;
    EXPECT_FALSE(create_shortcuts(machine, log, request));
    std::string bytes;
    ASSERT_FALSE(av::platform::read_whole_file(fs, earlier, bytes));
    EXPECT_EQ(bytes, "the earlier link");
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_FALSE(log.entries.front().succeeded);
    log.RollBack();
    ASSERT_FALSE(av::platform::read_whole_file(fs, earlier, bytes));
    EXPECT_EQ(bytes, "the earlier link");
}

}  // namespace
