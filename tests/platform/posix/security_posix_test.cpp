// The security operations of the Linux build: permission bits for the grant,
// root for the administrator check.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/security.h"

namespace {

class SecurityPosix : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
            ("av_security_" + std::to_string(getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    static mode_t Mode(const std::filesystem::path& p)
    {
        struct stat s { };
        EXPECT_EQ(stat(p.c_str(), &s), 0);
        return s.st_mode & 07777;
    }

    std::filesystem::path folder_;
};

TEST_F(SecurityPosix, DataFileGetsReadAndWriteForOthers)
{
    const auto file = folder_ / "data.bin";
    std::ofstream(file) << "x";
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    EXPECT_TRUE(GrantUsersAccess(file.wstring(), kDataFileAccess, 0));
    EXPECT_EQ(Mode(file), 0666u);  // no execute: 0x13019F lacks FILE_EXECUTE
}

TEST_F(SecurityPosix, DataFolderGetsFullAccess)
{
    const auto sub = folder_ / "shared";
    std::filesystem::create_directory(sub);
    ASSERT_EQ(chmod(sub.c_str(), 0700), 0);
    EXPECT_TRUE(GrantUsersAccess(sub.wstring(), kDataFolderAccess, kDataFolderInheritance));
    EXPECT_EQ(Mode(sub), 0777u);
}

TEST_F(SecurityPosix, NothingIsTakenAway)
{
    const auto file = folder_ / "kept.bin";
    std::ofstream(file) << "x";
    ASSERT_EQ(chmod(file.c_str(), 0755), 0);
    EXPECT_TRUE(GrantUsersAccess(file.wstring(), 0x1, 0));
    EXPECT_EQ(Mode(file), 0755u);
}

TEST_F(SecurityPosix, MissingPathFailsAndCreatesNothing)
{
    const auto missing = folder_ / "missing.bin";
    EXPECT_FALSE(GrantUsersAccess(missing.wstring(), kDataFileAccess, 0));
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(GrantUsersAccess(L"", kDataFileAccess, 0));
}

TEST_F(SecurityPosix, PrivilegesAndAdministrator)
{
    EXPECT_TRUE(SetPrivilege(L"SeBackupPrivilege", true));
    EXPECT_TRUE(SetPrivilege(L"SeRestorePrivilege", false));
    EXPECT_EQ(IsAdministrator(), geteuid() == 0);
}

}  // namespace
