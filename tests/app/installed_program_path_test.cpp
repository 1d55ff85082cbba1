// GetInstalledProgramPath against the machine's registry and files: on
// Windows (under Wine) the real registry, natively the in-memory one.
#include <gtest/gtest.h>

#include <memory>
#include <span>

#include "app/install_app.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/registry.h"

namespace {

namespace platform = av::platform;

constexpr wchar_t kMakerKey[] = L"Software\\Arvell & Divizere";
constexpr wchar_t kPathValue[] = L"Korvane 6 Path";

class InstalledProgramPath : public testing::Test {
protected:
    void SetUp() override
    {
        auto machine = platform::system_registry().local_machine();
        bool created = false;
        ASSERT_FALSE(machine->create_subkey(kMakerKey, platform::key_access::all, key_, created));
        createdKey_ = created;
        platform::file_system& fs = platform::system_file_system();
        std::wstring folder;
        ASSERT_FALSE(platform::system_known_folders().temp_folder(folder));
        ASSERT_FALSE(fs.temp_file_name(folder, L"avp", program_));
    }
    void TearDown() override
    {
        key_->delete_value(kPathValue);
        key_.reset();
        if (createdKey_)
            platform::system_registry().local_machine()->delete_subkey_tree(kMakerKey);
        platform::system_file_system().delete_file(program_);
    }

    void Store(const platform::registry_value& value) { ASSERT_FALSE(key_->set_value(kPathValue, value)); }

    std::wstring Read()
    {
        CInstallApp app(L"AvInstalledPathTest");
        return app.GetInstalledProgramPath();
    }

    std::unique_ptr<platform::registry_key> key_;
    bool createdKey_ = false;
    std::wstring program_;
};

TEST_F(InstalledProgramPath, GoodValueNamesTheProgram)
{
    Store(platform::string_value(program_));
    EXPECT_EQ(Read(), program_);
    Store(platform::string_value(program_, platform::reg_expand_sz));
    EXPECT_EQ(Read(), program_);
}

TEST_F(InstalledProgramPath, MissingValueOrKeyGivesNothing)
{
    EXPECT_EQ(Read(), L"");
}

TEST_F(InstalledProgramPath, DwordGivesNothing)
{
    Store(platform::dword_value(7));
    EXPECT_EQ(Read(), L"");
}

TEST_F(InstalledProgramPath, StringWithoutTerminatorGivesNothing)
{
    // The registry adds a terminator the caller forgot when the character
    // after the data is one, so the data stops before a character that is not.
    const platform::registry_value longer = platform::string_value(program_ + L"X");
    const std::span<const std::byte> bytes(longer.data);
    ASSERT_FALSE(key_->set_value(kPathValue, platform::reg_sz, bytes.first(bytes.size() - 4)));
    EXPECT_EQ(Read(), L"");
    ASSERT_FALSE(key_->set_value(kPathValue, platform::reg_sz, bytes.first(bytes.size() - 3)));  // odd length
    EXPECT_EQ(Read(), L"");
}

TEST_F(InstalledProgramPath, DeletedFileGivesNothing)
{
    Store(platform::string_value(program_));
    ASSERT_FALSE(platform::system_file_system().delete_file(program_));
    EXPECT_EQ(Read(), L"");
}

TEST_F(InstalledProgramPath, EnvironmentReferencesAreNotExpanded)
{
    Store(platform::string_value(L"%TEMP%\\Korvane.exe", platform::reg_expand_sz));
    EXPECT_EQ(Read(), L"");
}

TEST_F(InstalledProgramPath, ReadOncePerApplication)
{
    Store(platform::string_value(program_));
    CInstallApp app(L"AvInstalledPathTest");
    EXPECT_EQ(app.GetInstalledProgramPath(), program_);
    Store(platform::dword_value(1));
    EXPECT_EQ(app.GetInstalledProgramPath(), program_);
}

}  // namespace
