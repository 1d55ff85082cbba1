// Shortcut names, link paths and their limits, and how the shortcut step
// records what it made for a rollback or the uninstaller.
#include "install/shortcuts.h"

#include "payload/folders.h"
#include "platform/file_system.h"
#include "platform/memory_registry.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

namespace {

using av::test::join;

TEST(CreateShortcut, NamesAndLimits)
{
    av::test::scratch_folder scratch;
    const std::wstring target = join(join(scratch.path(), L"Korvaline 6"), L"Korvane.exe");
    std::wstring link;

    // Without a name the target's file name less its extension is used.
    ASSERT_TRUE(create_shortcut(target, scratch.path(), nullptr, &link));
    EXPECT_EQ(link, join(scratch.path(), L"Korvane.lnk"));
    EXPECT_TRUE(av::platform::is_file(av::platform::system_file_system(), link));

    const std::wstring name = L"Korvaline 6.03g";
    ASSERT_TRUE(create_shortcut(target, scratch.path(), &name, &link));
    EXPECT_EQ(link, join(scratch.path(), L"Korvaline 6.03g.lnk"));

    // A target without a folder, and a link path that does not fit in 260
    // characters, make no shortcut.
    EXPECT_FALSE(create_shortcut(L"Korvane.exe", scratch.path(), nullptr, &link));
    const std::wstring deep = join(scratch.path(), std::wstring(260 - scratch.path().size() - 6, L'x'));
    EXPECT_FALSE(create_shortcut(target, deep, &name, &link));
    EXPECT_FALSE(create_shortcut(target, scratch.path() + L"/missing folder", &name, &link));
}

class ShortcutStep : public testing::Test {
protected:
    av::test::scratch_folder scratch;
    av::test::sandbox_file_system fs{av::platform::system_file_system(), join(scratch.path(), L"temp")};
    av::platform::memory_registry registry{fs};
    UninstallLog log{fs, registry};
    ShortcutRequest request;

    void SetUp() override
    {
        av::platform::system_file_system().create_folder(join(scratch.path(), L"temp"));
        av::set_folder_lookup([this](int csidl) -> std::wstring {
            if (csidl == av::csidl::common_desktop)
                return join(scratch.path(), L"Desktop");
            return {};
        });
        av::platform::system_file_system().create_folder(join(scratch.path(), L"Desktop"));
        request.startMenuFolder = join(join(scratch.path(), L"Programs"), L"Korvaline 6");
        request.mainProgramPath = join(scratch.path(), L"Korvane.exe");
        request.uninstallerPath = join(scratch.path(), L"Uninstall.exe");
        request.programName = L"Korvaline 6.03g";
        request.uninstallName = L"Uninstall Korvaline";
    }
    void TearDown() override { av::set_folder_lookup({}); }
};

TEST_F(ShortcutStep, BothOptionsMakeThreeRecordedShortcuts)
{
    request.startMenu = true;
    request.desktop = true;
    EXPECT_TRUE(create_shortcuts(log, request));

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
    EXPECT_TRUE(create_shortcuts(log, request));
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries.front().kind, UninstallLogEntry::DesktopShortcut);
    EXPECT_FALSE(av::platform::is_folder(fs, join(scratch.path(), L"Programs")));
}

TEST_F(ShortcutStep, AStartMenuPathTooLongFailsBothMenuShortcutsButNotTheDesktop)
{
    request.startMenu = true;
    request.desktop = true;
    request.startMenuFolder = join(scratch.path(), std::wstring(250 - scratch.path().size(), L'm'));
    EXPECT_FALSE(create_shortcuts(log, request));
    std::vector<bool> outcomes;
    for (const auto& e : log.entries)
        if (e.kind != UninstallLogEntry::CreatedFolder) {
            outcomes.push_back(e.succeeded);
            EXPECT_EQ(e.path.empty(), !e.succeeded);
        }
    EXPECT_EQ(outcomes, (std::vector<bool>{false, false, true}));
}

}  // namespace
