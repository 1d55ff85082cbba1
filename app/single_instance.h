// The named kernel objects the installer shares with the other processes of
// its product: the installer's mutex (one installer at a time) and the
// running-instance counter, a semaphore in which every running process of the
// product family leaves one count. Both live in the global namespace and let
// Everyone use them, so that an elevated installer and a product started by
// an ordinary user meet the same objects.
//
// On Windows these are real named objects. The Linux build keeps them inside
// the process (the same name gives the same object), which is enough for the
// portable start-up logic and its tests.
#pragma once

#include <memory>
#include <string>

// The names of the two objects for an application id ("Korvane6"), without
// the "Global\" prefix that creation adds.
std::wstring InstallerMutexName(const std::wstring& applicationId);
std::wstring RunningCounterName(const std::wstring& applicationId);

// A named mutex and whether this process owns it.
class NamedMutex {
public:
    // An empty mutex: no handle, try-lock fails.
    NamedMutex() = default;
    // Creates or opens the mutex (Everyone full access, handle not
    // inheritable); `global` prefixes the name with "Global\". On failure the
    // handle is null and the system's last error tells why (1003 when the
    // security descriptor could not be built).
    explicit NamedMutex(const std::wstring& name, bool initialOwner = false, bool global = true);
    // Releases the mutex if owned and closes the handle.
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Waits without time-out; a signalled or abandoned mutex is acquired.
    bool TryLock();
    // Releases the mutex (when owned) and clears the owned flag.
    void Release();

    bool IsValid() const { return m_handle != nullptr; }
    bool IsOwned() const { return m_bOwned; }

private:
    void* m_handle = nullptr;
    bool m_bOwned = false;
};

// The running-instance counter: this process's counts in the product family's
// semaphore. The installer and every process of the product hold one count
// for as long as they run.
class RunningInstanceCounter {
public:
    // Creates or opens the semaphore (initial count 0, maximum 0x7FFFFFFF,
    // Everyone full access) and adds this process's count.
    explicit RunningInstanceCounter(const std::wstring& name, bool global = true);
    // Takes this process's counts back, then closes the handle.
    ~RunningInstanceCounter();
    RunningInstanceCounter(const RunningInstanceCounter&) = delete;
    RunningInstanceCounter& operator=(const RunningInstanceCounter&) = delete;

    // The number of counts present (all processes); 0 without a semaphore.
    unsigned Holders();
    // The counts this process has added.
    long Held() const { return m_held; }
    bool IsValid() const { return m_handle != nullptr; }

    // The process's counter for an application id, created on the first call
    // and given back at process exit; later calls return the same counter.
    static RunningInstanceCounter& ForProcess(const std::wstring& applicationId);
    // The process's counter if ForProcess has created it, else null.
    static RunningInstanceCounter* Current();

private:
    void* m_handle = nullptr;
    long m_held = 0;
};
