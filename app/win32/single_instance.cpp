// The installer's mutex and the running-instance counter as Windows named
// objects with the Everyone descriptor.
#include "app/single_instance.h"

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/win32/security.h"

namespace {

// Creates a named object with Everyone allowed `access`; keeps the creation's
// last error (ERROR_ALREADY_EXISTS tells an opened object) across the clean-up.
HANDLE CreateForEveryone(const std::wstring& name, bool global, DWORD access,
    const std::function<HANDLE(SECURITY_ATTRIBUTES*, const wchar_t*)>& create)
{
    const std::wstring fullName = global ? L"Global\\" + name : name;
    std::unique_ptr<security::AbsoluteDescriptor> descriptor;
    try {
        descriptor = security::EveryoneDescriptor(access);
    } catch (const security::SecurityError&) {
        SetLastError(ERROR_CAN_NOT_COMPLETE);
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes {sizeof(attributes), descriptor->get(), FALSE};
    const HANDLE handle = create(&attributes, fullName.c_str());
    const DWORD error = GetLastError();
    descriptor.reset();
    SetLastError(error);
    return handle;
}

}  // namespace

NamedMutex::NamedMutex(const std::wstring& name, bool initialOwner, bool global)
{
    m_handle = CreateForEveryone(
        name, global, MUTEX_ALL_ACCESS, [initialOwner](SECURITY_ATTRIBUTES* sa, const wchar_t* fullName) {
            return CreateMutexW(sa, initialOwner ? TRUE : FALSE, fullName);
        });
    // An initial owner only owns a mutex it created.
    m_bOwned = m_handle != nullptr && initialOwner && GetLastError() != ERROR_ALREADY_EXISTS;
}

NamedMutex::~NamedMutex()
{
    if (m_handle == nullptr)
        return;
    const DWORD error = GetLastError();
    if (m_bOwned)
        ReleaseMutex(m_handle);
    CloseHandle(m_handle);
    SetLastError(error);
}

bool NamedMutex::TryLock()
{
    if (m_handle == nullptr)
        return m_bOwned = false;
    const DWORD result = WaitForSingleObject(m_handle, 0);
    // A mutex is recursive: a second lock by the owner needs a second release,
    // which this class does not keep track of. Only the first one counts.
    const bool acquired = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (acquired && m_bOwned)
        ReleaseMutex(m_handle);
    m_bOwned = acquired;
    return acquired;
}

void NamedMutex::Release()
{
    if (m_handle != nullptr && m_bOwned)
        ReleaseMutex(m_handle);
    m_bOwned = false;
}

RunningInstanceCounter::RunningInstanceCounter(const std::wstring& name, bool global)
{
    m_handle = CreateForEveryone(name, global, SEMAPHORE_ALL_ACCESS,
        [](SECURITY_ATTRIBUTES* sa, const wchar_t* fullName) { return CreateSemaphoreW(sa, 0, 0x7FFFFFFF, fullName); });
    if (m_handle != nullptr && ReleaseSemaphore(m_handle, 1, nullptr))
        m_held = 1;
}

RunningInstanceCounter::~RunningInstanceCounter()
{
    if (m_handle == nullptr)
        return;
    if (m_held > 0) {
        long taken = 0;
        while (taken < m_held && WaitForSingleObject(m_handle, 0) == WAIT_OBJECT_0)
            ++taken;
        if (taken < m_held) {
            if (taken > 0)
                ReleaseSemaphore(m_handle, taken, nullptr);
        } else {
            m_held = 0;
        }
    } else if (m_held < 0) {
        ReleaseSemaphore(m_handle, -m_held, nullptr);
    }
    CloseHandle(m_handle);
}

unsigned RunningInstanceCounter::Holders()
{
    if (m_handle == nullptr)
        return 0;
    LONG previous = 0;
    if (!ReleaseSemaphore(m_handle, 1, &previous))
        return 0;
    WaitForSingleObject(m_handle, 0);  // a failing take-back only costs one more Retry
    return static_cast<unsigned>(previous);
}
