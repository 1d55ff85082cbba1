// Installed-version detection: the update state from the installed main
// program's version, and where the previous uninstall log is looked for.
#include "app/installed_version.h"

#include "app/install_app.h"
#include "platform/registry.h"
#include "support/win_path.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>

namespace {

TEST(DecideUpdateState, ComparesFileVersionsAsUnsignedNumbers)
{
    struct Case {
        bool hasVersion;
        std::uint64_t installed;
        int state;
    } cases[] = {
        {true, 0x0006000300070001ull, SameVersion}, {true, 0x0006000300070002ull, NewerInstalled},
        {true, 0x0006000400000000ull, NewerInstalled}, {true, 0x0006000300060009ull, Upgrade},
        {true, 0x0005006300000000ull, Upgrade},  // 5.99.0.0
        {true, 0xFFFF000000000000ull, NewerInstalled}, {false, 0, SameVersion},  // no readable version block
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideUpdateState(c.hasVersion, c.installed, kProductVersion), c.state) << std::hex << c.installed;
}

TEST(PathParent, RemovesTheLastElement)
{
    EXPECT_EQ(winpath::PathParent(L"C:\\A\\Uninstall.exe"), L"C:\\A");
    EXPECT_EQ(winpath::PathParent(L"C:\\Uninstall.exe"), L"C:\\");
    EXPECT_EQ(winpath::PathParent(L"Uninstall.exe"), L"");
}

// The log is looked for next to the uninstaller that the program list names
// before the installed program's own folder; loading it gives the folders.
TEST(Detection, ThePreviousLogIsFoundNextToTheUninstallerTheProgramListNames)
{
    av::test::scratch_folder scratch;
    const std::wstring installed = av::test::join(scratch.path(), L"Korvaline 6");
    const std::wstring other = av::test::join(scratch.path(), L"elsewhere");
    std::filesystem::create_directories(std::filesystem::path(installed));
    std::filesystem::create_directories(std::filesystem::path(other));
    const std::wstring program = av::test::join(installed, L"Korvane.exe");
    std::ofstream(std::filesystem::path(program)) << "no version block here";
    {
        // The uninstaller's folder holds the log; the program's folder does not.
        std::ofstream log(std::filesystem::path(av::test::join(other, L"Uninstall.ulog")), std::ios::binary);
        log << "// Uninstall Log File v1\r\n// warning\r\n// Install Korvaline 6.03g\r\n"
            << "// Install Path : " << std::filesystem::path(installed).string() << "\r\n"
            << "// Shortcut Path : " << std::filesystem::path(other).string() << "\r\n// ----\r\n"
            << "0000:0101:1 -- " << std::filesystem::path(program).string() << "\r\n";
    }
    auto& registry = av::platform::system_registry();
    std::unique_ptr<av::platform::registry_key> key;
    bool created = false;
    ASSERT_FALSE(av::platform::create_key(
        registry, L"Software\\Arvell & Divizere", av::platform::key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"Korvane 6 Path", av::platform::string_value(program)));
    std::unique_ptr<av::platform::registry_key> uninstall;
    ASSERT_FALSE(
        av::platform::create_key(registry, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6",
            av::platform::key_access::all, uninstall, created));
    ASSERT_FALSE(
        uninstall->set_value(L"UninstallString", av::platform::string_value(av::test::join(other, L"Uninstall.exe"))));

    {
        CInstallApp app(L"AvDetectionTest");
        EXPECT_EQ(app.FindUninstallLog(), av::test::join(other, L"Uninstall.ulog"));
        app.m_uninstallLog.Load(app.FindUninstallLog());
        EXPECT_EQ(app.m_uninstallLog.installPath, installed);
        EXPECT_EQ(app.m_uninstallLog.previousEntries.size(), 1u);
    }

    std::unique_ptr<av::platform::registry_key> machine = registry.local_machine();
    machine->delete_subkey_tree(L"Software\\Arvell & Divizere");
    machine->delete_subkey_tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6");
}

}  // namespace
