// The seam's test double: which call fails, with which code, and that a
// failed call changes nothing (except a write, which stops half-way).
#include "platform/fault_injection.h"
#include "platform/memory_registry.h"
#include "platform/win_error.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

namespace av::platform {
namespace {

class FaultInjectionTest : public ::testing::Test {
protected:
    test::scratch_folder dir;
    fault_plan plan;
    faulty_file_system fs {system_file_system(), plan};
};

TEST_F(FaultInjectionTest, FailsExactlyTheNthCallWithItsDefaultCode)
{
    const std::wstring a = dir / L"a", b = dir / L"b";
    ASSERT_FALSE(write_whole_file(system_file_system(), a, "data"));
    plan.fail_nth(2);
    std::uint32_t attributes = 0;
    EXPECT_FALSE(fs.get_attributes(a, attributes));  // 1
    EXPECT_EQ(fs.copy_file(a, b, true), win_error::make(win_error::access_denied));  // 2
    EXPECT_FALSE(is_file(system_file_system(), b));
    EXPECT_TRUE(plan.fired());
    EXPECT_FALSE(fs.copy_file(a, b, true));  // 3
    ASSERT_EQ(plan.count(), 3u);
    EXPECT_EQ(plan.calls()[1].op, operation::copy_file);
    EXPECT_EQ(plan.calls()[1].subject, a);
    EXPECT_TRUE(plan.calls()[1].injected);
    EXPECT_FALSE(plan.calls()[2].injected);

    plan.reset();
    EXPECT_FALSE(plan.fired());
    EXPECT_EQ(plan.count(), 0u);
}

TEST_F(FaultInjectionTest, ChosenCodesAndPredicates)
{
    const std::wstring a = dir / L"a";
    ASSERT_FALSE(write_whole_file(system_file_system(), a, "data"));
    plan.fail_when([&](operation op, const std::wstring& s) { return op == operation::delete_file && s == a; },
        win_error::make(win_error::sharing_violation), true);
    EXPECT_EQ(fs.delete_file(a), win_error::make(win_error::sharing_violation));
    EXPECT_TRUE(is_file(system_file_system(), a));
    EXPECT_FALSE(fs.delete_file(a));  // `once`: the second call goes through
    EXPECT_FALSE(is_file(system_file_system(), a));

    plan.fail_when([](operation op, const std::wstring&) { return op == operation::create_folder; });
    EXPECT_EQ(fs.create_folder(dir / L"x"), win_error::make(win_error::access_denied));
    EXPECT_EQ(fs.create_folder(dir / L"y"), win_error::make(win_error::access_denied));
    plan.disarm();
    EXPECT_FALSE(fs.create_folder(dir / L"x"));
}

TEST_F(FaultInjectionTest, AFailedWriteLeavesAHalfWrittenFile)
{
    const std::wstring a = dir / L"a";
    std::unique_ptr<output_file> file;
    ASSERT_FALSE(fs.create_file(a, file));
    ASSERT_FALSE(file->write(std::as_bytes(std::span("0123456789", 10))));
    plan.fail_when([](operation op, const std::wstring&) { return op == operation::write_file; });
    EXPECT_EQ(file->write(std::as_bytes(std::span("abcdefghij", 10))), win_error::make(win_error::disk_full));
    EXPECT_FALSE(file->close());
    std::string bytes;
    ASSERT_FALSE(read_whole_file(system_file_system(), a, bytes));
    EXPECT_EQ(bytes, "0123456789abcde");
}

TEST_F(FaultInjectionTest, RegistryCallsThroughOpenedKeysAreCountedAndFailed)
{
    memory_registry memory;
    faulty_registry reg(memory, plan);
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(reg, L"Software\\K", key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"A", dword_value(1)));
    plan.fail_when(
        [](operation op, const std::wstring& s) { return op == operation::set_value && s == L"Software\\K\\A"; });
    EXPECT_EQ(key->set_value(L"A", dword_value(2)), win_error::make(win_error::cantwrite));
    registry_value value;
    ASSERT_FALSE(read_value(memory, L"Software\\K", L"A", value));
    EXPECT_EQ(value, dword_value(1));
    EXPECT_FALSE(key->set_value(L"B", dword_value(2)));

    plan.fail_when([](operation op, const std::wstring&) { return op == operation::save_key; },
        win_error::make(win_error::privilege_not_held));
    EXPECT_EQ(key->save(dir / L"hive"), win_error::make(win_error::privilege_not_held));
    EXPECT_FALSE(is_file(system_file_system(), dir / L"hive"));
    EXPECT_EQ(plan.count(), 5u);  // create, three writes, save
}

}  // namespace
}  // namespace av::platform
