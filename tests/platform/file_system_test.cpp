// The machine's file system behind the seam (POSIX natively, the kernel under
// Wine): the Windows rules and codes the recorder and rollback rely on.
#include "platform/file_system.h"
#include "platform/win_error.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

namespace av::platform {
namespace {

using test::scratch_folder;

class FileSystemTest : public ::testing::Test {
protected:
    file_system& fs = system_file_system();
    scratch_folder dir;

    std::string content(const std::wstring& path)
    {
        std::string bytes;
        EXPECT_FALSE(read_whole_file(fs, path, bytes));
        return bytes;
    }
};

TEST_F(FileSystemTest, WritesAndReadsWholeFiles)
{
    const std::wstring path = dir / L"a.bin";
    std::string data(10000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    ASSERT_FALSE(write_whole_file(fs, path, data));
    EXPECT_EQ(content(path), data);
    EXPECT_TRUE(is_file(fs, path));
    EXPECT_FALSE(is_folder(fs, path));
    EXPECT_TRUE(is_folder(fs, dir.path()));

    std::unique_ptr<input_file> in;
    EXPECT_EQ(fs.open_file(dir / L"missing", in), win_error::make(win_error::file_not_found));
    std::uint32_t attributes = 0;
    EXPECT_TRUE(win_error::is_not_found(fs.get_attributes(dir / L"missing", attributes)));
}

TEST_F(FileSystemTest, ReadOnlyFileCannotBeDeletedOrReplaced)
{
    const std::wstring path = dir / L"ro.txt";
    ASSERT_FALSE(write_whole_file(fs, path, "old"));
    ASSERT_FALSE(fs.set_attributes(path, attr_readonly));
    std::uint32_t attributes = 0;
    ASSERT_FALSE(fs.get_attributes(path, attributes));
    EXPECT_NE(attributes & attr_readonly, 0u);

    EXPECT_EQ(fs.delete_file(path), win_error::make(win_error::access_denied));
#ifndef _WIN32
    // Windows refuses to replace a read-only file; Wine running as root lets
    // the Unix open through, so this is checked on the Linux half only.
    std::unique_ptr<output_file> out;
    EXPECT_EQ(fs.create_file(path, out), win_error::make(win_error::access_denied));
#endif
    EXPECT_EQ(content(path), "old");

    ASSERT_FALSE(fs.set_attributes(path, attr_normal));
    ASSERT_FALSE(fs.get_attributes(path, attributes));
    EXPECT_EQ(attributes & attr_readonly, 0u);
    EXPECT_FALSE(fs.delete_file(path));
    EXPECT_FALSE(is_file(fs, path));
}

TEST_F(FileSystemTest, CopyKeepsDataAndAttributesAndHonoursOverwrite)
{
    const std::wstring from = dir / L"from.txt";
    const std::wstring to = dir / L"to.txt";
    ASSERT_FALSE(write_whole_file(fs, from, "payload"));
    ASSERT_FALSE(fs.set_attributes(from, attr_readonly));
    ASSERT_FALSE(fs.copy_file(from, to, true));
    EXPECT_EQ(content(to), "payload");
    std::uint32_t attributes = 0;
    ASSERT_FALSE(fs.get_attributes(to, attributes));
    EXPECT_NE(attributes & attr_readonly, 0u);

    ASSERT_FALSE(fs.set_attributes(to, attr_normal));
    ASSERT_FALSE(write_whole_file(fs, to, "other"));
    EXPECT_EQ(fs.copy_file(from, to, false), win_error::make(win_error::file_exists));
    EXPECT_EQ(content(to), "other");
    EXPECT_FALSE(fs.copy_file(from, to, true));
    EXPECT_EQ(content(to), "payload");
    EXPECT_TRUE(win_error::is_not_found(fs.copy_file(dir / L"none", to, true)));
}

TEST_F(FileSystemTest, MoveDoesNotReplaceAnExistingTarget)
{
    const std::wstring from = dir / L"from.txt";
    const std::wstring to = dir / L"to.txt";
    ASSERT_FALSE(write_whole_file(fs, from, "one"));
    ASSERT_FALSE(write_whole_file(fs, to, "two"));
    EXPECT_EQ(fs.move_file(from, to), win_error::make(win_error::already_exists));
    EXPECT_EQ(content(to), "two");
    ASSERT_FALSE(fs.delete_file(to));
    ASSERT_FALSE(fs.set_attributes(from, attr_readonly));
    EXPECT_FALSE(fs.move_file(from, to));
    EXPECT_FALSE(is_file(fs, from));
    EXPECT_EQ(content(to), "one");
    std::uint32_t attributes = 0;
    ASSERT_FALSE(fs.get_attributes(to, attributes));
    EXPECT_NE(attributes & attr_readonly, 0u);
    EXPECT_TRUE(win_error::is_not_found(fs.move_file(from, dir / L"x")));
}

TEST_F(FileSystemTest, FoldersAreCreatedOneLevelAndRemovedOnlyWhenEmpty)
{
    const std::wstring outer = dir / L"outer";
    const std::wstring inner = test::join(outer, L"inner");
    EXPECT_EQ(fs.create_folder(inner), win_error::make(win_error::path_not_found));
    ASSERT_FALSE(fs.create_folder(outer));
    EXPECT_EQ(fs.create_folder(outer), win_error::make(win_error::already_exists));
    ASSERT_FALSE(fs.create_folder(inner));
    std::uint32_t attributes = 0;
    ASSERT_FALSE(fs.get_attributes(inner, attributes));
    EXPECT_NE(attributes & attr_directory, 0u);

    EXPECT_EQ(fs.remove_folder(outer), win_error::make(win_error::dir_not_empty));
    EXPECT_FALSE(fs.remove_folder(inner));
    EXPECT_FALSE(fs.remove_folder(outer));
    EXPECT_FALSE(is_folder(fs, outer));
    fs.notify_folder_created(outer);  // must be harmless for a folder that is gone
}

TEST_F(FileSystemTest, TemporaryNamesAreNewFilesWithThePrefix)
{
    std::wstring first, second;
    ASSERT_FALSE(fs.temp_file_name(dir.path(), L"av", first));
    ASSERT_FALSE(fs.temp_file_name(dir.path(), L"av", second));
    EXPECT_NE(first, second);
    for (const std::wstring& name : {first, second}) {
        EXPECT_TRUE(is_file(fs, name));
        EXPECT_EQ(content(name), "");
        const std::wstring leaf = name.substr(name.find_last_of(L"\\/") + 1);
        EXPECT_EQ(leaf.substr(0, 2), L"av") << leaf;
        EXPECT_EQ(name.substr(0, dir.path().size()), dir.path());
    }
    std::wstring none;
    EXPECT_TRUE(fs.temp_file_name(dir / L"missing", L"av", none));
}

}  // namespace
}  // namespace av::platform
