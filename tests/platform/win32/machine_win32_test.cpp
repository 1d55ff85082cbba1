// The Windows halves of the machine under Wine: the shell's known folders,
// real shell links, and a program started, waited for and its exit code read.
#include "platform/machine.h"
#include "platform/win_error.h"
#include "tests/app/win32/child_process.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

namespace av::platform {
namespace {

TEST(Win32MachineTest, KnownFoldersAreExistingAbsoluteFolders)
{
    const machine& m = system_machine();
    for (const int id : {csidl::program_files, csidl::common_appdata, csidl::appdata, csidl::common_desktop,
             csidl::desktop_directory, csidl::common_programs, csidl::programs}) {
        std::wstring path;
        ASSERT_FALSE(m.folders.folder(id, path)) << id;
        EXPECT_TRUE(is_absolute_path(path)) << id;
        EXPECT_TRUE(is_folder(m.files, path)) << id;
    }
    std::wstring path = L"kept";
    EXPECT_EQ(m.folders.folder(0x7F, path), win_error::make(win_error::file_not_found));  // no such folder
    EXPECT_EQ(path, L"kept");
}

TEST(Win32MachineTest, ShellLinksAreRealLinks)
{
    test::scratch_folder dir;
    const std::wstring link = dir / L"Korvaline 6.03g.lnk";
    ASSERT_FALSE(system_machine().shell.save(link, dir / L"Korvane.exe", dir.path()));
    std::string bytes;
    ASSERT_FALSE(read_whole_file(system_file_system(), link, bytes));
    // A shell link file starts with its header size, 0x4C, as a 32-bit number.
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x4C\0\0\0", 4));
    EXPECT_TRUE(system_machine().shell.save(test::join(dir / L"missing", L"x.lnk"), dir / L"Korvane.exe", dir.path()));
}

TEST(Win32MachineTest, AProgramRunsInItsWorkingFolderAndItsExitCodeIsRead)
{
    test::scratch_folder dir;
    const std::wstring report = dir / L"folder.txt";
    const std::wstring command = L"\"" + ::test::ProgramFolder() + L"exit_with.exe\" -10 \"" + report + L"\"";
    std::uint32_t code = 0;
    ASSERT_FALSE(system_machine().processes.run_and_wait(command, dir.path(), code));
    EXPECT_EQ(code, 0xFFFFFFF6u);
    std::string bytes;
    ASSERT_FALSE(read_whole_file(system_file_system(), report, bytes));
    const std::wstring expected = dir.path();
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2));

    code = 7;
    EXPECT_TRUE(system_machine().processes.run_and_wait(L"\"" + (dir / L"none.exe") + L"\"", dir.path(), code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(
        system_machine().processes.run_and_wait(command, L"relative", code), win_error::make(win_error::invalid_name));
}

}  // namespace
}  // namespace av::platform
