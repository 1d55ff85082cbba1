// The installer's mutex and the running-instance counter between processes,
// with Wine's real kernel objects; the second process is the helper
// hold_named_object.exe.
#include "app/single_instance.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/app/win32/child_process.h"

namespace {

// A name of this test and process, so that runs never meet each other.
std::wstring UniqueName(const wchar_t* tag)
{
    return std::wstring(L"AvTest") + tag + L"." + std::to_wstring(GetCurrentProcessId());
}

TEST(NamedMutexProcesses, SecondProcessCannotLockWhileTheFirstOwns)
{
    const std::wstring name = UniqueName(L"Owned");
    NamedMutex mutex(name);
    ASSERT_TRUE(mutex.IsValid());
    EXPECT_FALSE(mutex.IsOwned());
    ASSERT_TRUE(mutex.TryLock());
    EXPECT_TRUE(mutex.IsOwned());
    {
        test::ChildProcess second(L"hold_named_object.exe", L"trylock " + name);
        EXPECT_EQ(second.Wait(), 1u);
    }
    mutex.Release();
    EXPECT_FALSE(mutex.IsOwned());
    test::ChildProcess third(L"hold_named_object.exe", L"trylock " + name);
    EXPECT_EQ(third.Wait(), 0u);
}

TEST(NamedMutexProcesses, HeldByAnotherProcessUntilItEnds)
{
    const std::wstring name = UniqueName(L"Held");
    NamedMutex mutex(name);
    {
        test::HeldObject holder(L"mutex", name);
        ASSERT_TRUE(holder.Ready());
        EXPECT_FALSE(mutex.TryLock());
        EXPECT_FALSE(mutex.IsOwned());
        EXPECT_EQ(holder.Finish(), 0u);
    }
    EXPECT_TRUE(mutex.TryLock());
}

TEST(NamedMutexProcesses, AbandonedMutexCountsAsAcquired)
{
    const std::wstring name = UniqueName(L"Abandoned");
    NamedMutex mutex(name);
    test::HeldObject holder(L"mutex", name);
    ASSERT_TRUE(holder.Ready());
    holder.child().Kill();
    EXPECT_TRUE(mutex.TryLock());
}

TEST(NamedMutexProcesses, DestructionReleases)
{
    const std::wstring name = UniqueName(L"Destroyed");
    {
        NamedMutex mutex(name);
        ASSERT_TRUE(mutex.TryLock());
        ASSERT_TRUE(mutex.TryLock());  // a second lock does not leave the mutex held twice
    }
    test::ChildProcess second(L"hold_named_object.exe", L"trylock " + name);
    EXPECT_EQ(second.Wait(), 0u);
}

TEST(NamedMutex, EmptyMutexNeverLocks)
{
    NamedMutex mutex;
    EXPECT_FALSE(mutex.IsValid());
    EXPECT_FALSE(mutex.TryLock());
    mutex.Release();
    EXPECT_FALSE(mutex.IsOwned());
}

TEST(NamedMutex, GlobalNameAndEveryoneDescriptor)
{
    const std::wstring name = UniqueName(L"Global");
    NamedMutex mutex(name);
    ASSERT_TRUE(mutex.IsValid());
    // The object lives under "Global\" ...
    const HANDLE opened = OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\" + name).c_str());
    ASSERT_NE(opened, nullptr);
    // ... and carries one entry allowing Everyone all mutex access.
    DWORD needed = 0;
    GetKernelObjectSecurity(opened, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    CloseHandle(opened);
    const HANDLE full = OpenMutexW(READ_CONTROL, FALSE, (L"Global\\" + name).c_str());
    ASSERT_NE(full, nullptr);
    std::vector<BYTE> buffer(needed + 64);
    ASSERT_TRUE(GetKernelObjectSecurity(
        full, DACL_SECURITY_INFORMATION, buffer.data(), static_cast<DWORD>(buffer.size()), &needed));
    CloseHandle(full);
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(buffer.data(), &present, &acl, &defaulted));
    ASSERT_TRUE(present);
    ASSERT_NE(acl, nullptr);
    ASSERT_EQ(acl->AceCount, 1);
    void* raw = nullptr;
    ASSERT_TRUE(GetAce(acl, 0, &raw));
    const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
    EXPECT_EQ(ace->Mask, static_cast<DWORD>(MUTEX_ALL_ACCESS));
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&ace->SidStart), everyone));
    FreeSid(everyone);
}

TEST(RunningInstanceCounterProcesses, CountsAnotherProcessUntilItEnds)
{
    const std::wstring name = UniqueName(L"Counter");
    RunningInstanceCounter counter(name);
    ASSERT_TRUE(counter.IsValid());
    EXPECT_EQ(counter.Held(), 1);
    EXPECT_EQ(counter.Holders(), 1u);
    {
        test::HeldObject product(L"counter", name);
        ASSERT_TRUE(product.Ready());
        EXPECT_EQ(counter.Holders(), 2u);
        EXPECT_EQ(counter.Holders(), 2u);  // measuring changes nothing
        EXPECT_EQ(product.Finish(), 0u);
    }
    EXPECT_EQ(counter.Holders(), 1u);
}

TEST(RunningInstanceCounter, DestructionGivesTheCountBack)
{
    const std::wstring name = UniqueName(L"GiveBack");
    RunningInstanceCounter first(name);
    {
        RunningInstanceCounter second(name);
        EXPECT_EQ(first.Holders(), 2u);
    }
    EXPECT_EQ(first.Holders(), 1u);
    const HANDLE opened = OpenSemaphoreW(SEMAPHORE_ALL_ACCESS, FALSE, (L"Global\\" + name).c_str());
    ASSERT_NE(opened, nullptr);
    LONG previous = 0;
    ASSERT_TRUE(ReleaseSemaphore(opened, 1, &previous));
    EXPECT_EQ(previous, 1);
    WaitForSingleObject(opened, 0);
    CloseHandle(opened);
}

}  // namespace
