// The Linux build's in-process named mutex: two objects of one name exclude
// each other (on Windows a mutex belongs to a thread, so the exclusion is
// tested there between processes).
#include "app/single_instance.h"

#include <gtest/gtest.h>

namespace {

TEST(SingleInstance, OneOwnerAtATime)
{
    NamedMutex first(L"AvRulesMutex");
    NamedMutex second(L"AvRulesMutex");
    NamedMutex otherProduct(L"AvRulesOtherMutex");
    ASSERT_TRUE(first.TryLock());
    EXPECT_FALSE(second.TryLock());
    EXPECT_FALSE(second.IsOwned());
    EXPECT_TRUE(otherProduct.TryLock());
    first.Release();
    EXPECT_FALSE(first.IsOwned());
    EXPECT_TRUE(second.TryLock());
}

}  // namespace
