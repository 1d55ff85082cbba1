// The registry behind the seam: the machine's (the real registry under Wine,
// the in-memory one natively) and the in-memory registry used as a test double
// on both builds.
#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "platform/win_error.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

namespace av::platform {
namespace {

const std::wstring kTestRoot = L"Software\\AvSeamTests";

std::vector<std::byte> bytes(std::initializer_list<int> list)
{
    std::vector<std::byte> out;
    for (const int b : list)
        out.push_back(static_cast<std::byte>(b));
    return out;
}

class RegistryTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam()) {
            reg = &system_registry();
        } else {
            memory = std::make_unique<memory_registry>();
            reg = memory.get();
        }
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path = kTestRoot + L"\\";
        for (const char c : name)
            path.push_back(c == '/' ? L'_' : static_cast<wchar_t>(c));
        (void)reg->local_machine()->delete_subkey_tree(path);
    }
    void TearDown() override { (void)reg->local_machine()->delete_subkey_tree(kTestRoot); }

    std::unique_ptr<memory_registry> memory;
    registry* reg = nullptr;
    std::wstring path;
};

TEST_P(RegistryTest, ValuesComeBackWithTheirRawTypeAndBytes)
{
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(*reg, path, key_access::all, key, created));
    EXPECT_TRUE(created);
    std::unique_ptr<registry_key> again;
    ASSERT_FALSE(create_key(*reg, path, key_access::all, again, created));
    EXPECT_FALSE(created);

    ASSERT_FALSE(key->set_value(L"Name", string_value(L"Korvaline 6.03g")));
    ASSERT_FALSE(key->set_value(L"Expand", string_value(L"%TEMP%\\x", reg_expand_sz)));
    ASSERT_FALSE(key->set_value(L"Number", dword_value(0x01020304)));
    ASSERT_FALSE(key->set_value(L"NoTerminator", reg_sz, bytes({'a', 0, 'b', 0})));

    registry_value value;
    ASSERT_FALSE(read_value(*reg, path, L"name", value));  // names ignore case
    EXPECT_EQ(value, string_value(L"Korvaline 6.03g"));
    std::wstring text;
    EXPECT_TRUE(value_as_string(value, text));
    EXPECT_EQ(text, L"Korvaline 6.03g");

    ASSERT_FALSE(read_value(*reg, path, L"Expand", value));
    EXPECT_EQ(value.type, reg_expand_sz);
    EXPECT_TRUE(value_as_string(value, text));
    EXPECT_EQ(text, L"%TEMP%\\x");

    ASSERT_FALSE(read_value(*reg, path, L"Number", value));
    EXPECT_EQ(value.type, reg_dword);
    EXPECT_EQ(value.data, bytes({4, 3, 2, 1}));
    std::uint32_t number = 0;
    EXPECT_TRUE(value_as_dword(value, number));
    EXPECT_EQ(number, 0x01020304u);
    EXPECT_FALSE(value_as_string(value, text));

    ASSERT_FALSE(read_value(*reg, path, L"NoTerminator", value));
    EXPECT_EQ(value.type, reg_sz);
    EXPECT_EQ(value.data, bytes({'a', 0, 'b', 0}));
    EXPECT_FALSE(value_as_string(value, text));
    EXPECT_FALSE(value_as_dword(value, number));

    EXPECT_EQ(read_value(*reg, path, L"Missing", value), win_error::make(win_error::file_not_found));
    EXPECT_EQ(read_value(*reg, path + L"\\Nope", L"Name", value), win_error::make(win_error::file_not_found));

    std::vector<std::wstring> names;
    ASSERT_FALSE(key->value_names(names));
    EXPECT_EQ(names.size(), 4u);
    ASSERT_FALSE(key->delete_value(L"Number"));
    EXPECT_EQ(key->query_value(L"Number", value), win_error::make(win_error::file_not_found));
}

TEST_P(RegistryTest, KeyOpenedForReadingRefusesChanges)
{
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(*reg, path, key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"A", dword_value(1)));
    std::unique_ptr<registry_key> reader;
    ASSERT_FALSE(open_key(*reg, path, key_access::read, reader));
    EXPECT_EQ(reader->set_value(L"A", dword_value(2)), win_error::make(win_error::access_denied));
    registry_value value;
    ASSERT_FALSE(reader->query_value(L"A", value));
    EXPECT_EQ(value, dword_value(1));
}

TEST_P(RegistryTest, DeletingATreeTakesItsSubkeys)
{
    std::unique_ptr<registry_key> key, sub;
    bool created = false;
    ASSERT_FALSE(create_key(*reg, path, key_access::all, key, created));
    ASSERT_FALSE(key->create_subkey(L"One\\Two", key_access::all, sub, created));
    EXPECT_TRUE(created);
    ASSERT_FALSE(sub->set_value(L"V", dword_value(7)));
    ASSERT_FALSE(key->create_subkey(L"Three", key_access::all, sub, created));
    std::vector<std::wstring> names;
    ASSERT_FALSE(key->subkey_names(names));
    EXPECT_EQ(names, (std::vector<std::wstring> {L"One", L"Three"}));
    sub.reset();
    key.reset();

    std::unique_ptr<registry_key> parent;
    ASSERT_FALSE(open_key(*reg, kTestRoot, key_access::all, parent));
    const std::wstring leaf = path.substr(kTestRoot.size() + 1);
    ASSERT_FALSE(parent->delete_subkey_tree(leaf));
    EXPECT_EQ(open_key(*reg, path, key_access::read, key), win_error::make(win_error::file_not_found));
    EXPECT_TRUE(parent->delete_subkey_tree(leaf));
}

INSTANTIATE_TEST_SUITE_P(Registries, RegistryTest, ::testing::Values(true, false),
    [](const auto& info) { return info.param ? "System" : "Memory"; });

TEST(MemoryRegistryTest, RestoreReplacesTheKeyWithTheSavedOne)
{
    test::scratch_folder dir;
    memory_registry reg;
    std::unique_ptr<registry_key> key, sub;
    bool created = false;
    ASSERT_FALSE(create_key(reg, L"Software\\K", key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Old")));
    ASSERT_FALSE(key->create_subkey(L"Sub", key_access::all, sub, created));
    ASSERT_FALSE(sub->set_value(L"Deep", dword_value(9)));

    const std::wstring hive = dir / L"hive";
    ASSERT_FALSE(key->save(hive));
    EXPECT_EQ(key->save(hive), win_error::make(win_error::already_exists));

    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"New")));
    ASSERT_FALSE(key->set_value(L"Added", dword_value(1)));
    ASSERT_FALSE(key->delete_subkey_tree(L"Sub"));
    std::unique_ptr<registry_key> other;
    ASSERT_FALSE(key->create_subkey(L"Other", key_access::all, other, created));

    ASSERT_FALSE(key->restore(hive));
    registry_value value;
    ASSERT_FALSE(key->query_value(L"DisplayName", value));
    EXPECT_EQ(value, string_value(L"Old"));
    EXPECT_EQ(key->query_value(L"Added", value), win_error::make(win_error::file_not_found));
    ASSERT_FALSE(read_value(reg, L"Software\\K\\Sub", L"Deep", value));
    EXPECT_EQ(value, dword_value(9));
    EXPECT_EQ(other->query_value(L"x", value), win_error::make(win_error::key_deleted));
    std::vector<std::wstring> names;
    ASSERT_FALSE(key->subkey_names(names));
    EXPECT_EQ(names, std::vector<std::wstring> {L"Sub"});
}

TEST(MemoryRegistryTest, RestoreRefusesAFileThatIsNotAHive)
{
    test::scratch_folder dir;
    memory_registry reg;
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(reg, L"Software\\K", key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"A", dword_value(1)));
    const std::wstring hive = dir / L"hive";
    ASSERT_FALSE(key->save(hive));
    std::string saved;
    ASSERT_FALSE(read_whole_file(system_file_system(), hive, saved));

    for (const std::string& bad : {std::string("garbage"), saved.substr(0, saved.size() - 1), saved + "x"}) {
        const std::wstring file = dir / L"bad";
        (void)system_file_system().delete_file(file);
        ASSERT_FALSE(write_whole_file(system_file_system(), file, bad));
        EXPECT_EQ(key->restore(file), win_error::make(win_error::baddb));
        registry_value value;
        EXPECT_FALSE(key->query_value(L"A", value));
    }
    EXPECT_TRUE(win_error::is_not_found(key->restore(dir / L"missing")));
}

}  // namespace
}  // namespace av::platform
