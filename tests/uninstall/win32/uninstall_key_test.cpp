// The uninstall key with the real registry (under Wine): an existing key is
// saved to a hive file before it is changed and the rollback deletes that
// file; a key the run created is deleted with its subkeys. Wine's
// RegRestoreKeyW answers success and changes nothing, so what the restore
// puts back is checked against the in-memory registry elsewhere.
#include "platform/registry.h"
#include "platform/win_error.h"
#include "support/product.h"
#include "tests/platform/scratch.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

namespace {

using namespace av::platform;

const std::wstring kKeyPath = std::wstring(kUninstallRootKey) + L"\\Korvane 6";

class UninstallKeyTest : public ::testing::Test {
protected:
    void SetUp() override { (void)open_key(reg, kUninstallRootKey, key_access::all, root); }
    void TearDown() override
    {
        if (root)
            (void)root->delete_subkey_tree(L"Korvane 6");
    }
    registry& reg = system_registry();
    std::unique_ptr<registry_key> root;
};

TEST_F(UninstallKeyTest, ExistingKeyIsSavedToAHiveThatTheRollbackDeletes)
{
    ASSERT_TRUE(root);
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(root->create_subkey(L"Korvane 6", key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvaline 6.03f")));

    UninstallLog log;
    log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    EXPECT_TRUE(log.RecordUninstallKey(key.get()));  // the backup privilege is switched on for the save
    const std::wstring hive = log.entries.back().backupPath;
    ASSERT_FALSE(hive.empty());
    EXPECT_TRUE(is_file(system_file_system(), hive));
    std::string bytes;
    ASSERT_FALSE(read_whole_file(system_file_system(), hive, bytes));
    EXPECT_GT(bytes.size(), 0u);
    const std::wstring leaf = hive.substr(hive.find_last_of(L'\\') + 1);
    EXPECT_EQ(leaf.substr(0, 2), L"av");

    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvaline 6.03g")));
    key.reset();
    log.Complete(true);
    log.RollBack();
    EXPECT_FALSE(is_file(system_file_system(), hive));
    // The key itself is still there (restored on Windows, left as it is by Wine).
    EXPECT_FALSE(open_key(reg, kKeyPath, key_access::read, key));
}

TEST_F(UninstallKeyTest, CreatedKeyIsDeletedWithItsSubkeys)
{
    ASSERT_TRUE(root);
    std::unique_ptr<registry_key> key, sub;
    bool created = false;
    ASSERT_FALSE(root->create_subkey(L"Korvane 6", key_access::all, key, created));
    ASSERT_TRUE(created);
    UninstallLog log;
    log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    EXPECT_TRUE(log.RecordUninstallKey(nullptr));
    ASSERT_FALSE(key->set_value(L"DisplayName", string_value(L"Korvaline 6.03g")));
    ASSERT_FALSE(key->create_subkey(L"Deep\\Deeper", key_access::all, sub, created));
    ASSERT_FALSE(sub->set_value(L"x", dword_value(1)));
    sub.reset();
    key.reset();
    log.Complete(true);
    log.RollBack();
    EXPECT_EQ(open_key(reg, kKeyPath, key_access::read, key), av::win_error::make(av::win_error::file_not_found));
    EXPECT_FALSE(open_key(reg, kUninstallRootKey, key_access::read, key));
}

}  // namespace
