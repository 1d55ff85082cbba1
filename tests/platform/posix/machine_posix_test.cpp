// The Linux halves of the machine: no Windows folders, no Windows program to
// start, links as small files.
#include "platform/machine.h"
#include "platform/win_error.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

namespace av::platform {
namespace {

TEST(PosixMachineTest, HasNoWindowsFoldersAndStartsNoProgram)
{
    const machine& m = system_machine();
    for (const int id : {csidl::program_files, csidl::common_appdata, csidl::common_desktop, csidl::programs}) {
        std::wstring path = L"kept";
        EXPECT_EQ(m.folders.folder(id, path), win_error::make(win_error::file_not_found)) << id;
        EXPECT_EQ(path, L"kept");
    }
    test::scratch_folder dir;
    std::uint32_t code = 5;
    EXPECT_EQ(m.processes.run_and_wait(L"/bin/true", dir.path(), code), win_error::make(win_error::bad_exe_format));
    EXPECT_EQ(code, 5u);
}

TEST(PosixMachineTest, LinksAreFilesOfTheMachine)
{
    test::scratch_folder dir;
    const std::wstring link = dir / L"p.lnk";
    ASSERT_FALSE(system_machine().shell.save(link, L"/opt/p/Korvane.exe", L"/opt/p"));
    file_shell_links reader(system_file_system());
    std::wstring target, folder;
    ASSERT_TRUE(reader.read(link, target, folder));
    EXPECT_EQ(target, L"/opt/p/Korvane.exe");
    EXPECT_EQ(folder, L"/opt/p");
}

}  // namespace
}  // namespace av::platform
