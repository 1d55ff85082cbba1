// The names of the named objects and the process's running-instance counter.
#include "app/single_instance.h"

#include <mutex>

namespace {

std::unique_ptr<RunningInstanceCounter>& ProcessCounter()
{
    static std::unique_ptr<RunningInstanceCounter> counter;
    return counter;
}

}  // namespace

std::wstring InstallerMutexName(const std::wstring& applicationId)
{
    return applicationId + L".{5ead623c-dfcd-474d-8e3c-e6978cac039e}";
}

std::wstring RunningCounterName(const std::wstring& applicationId)
{
    return applicationId + L".{a3526b56-ca7c-4e16-8a26-da7758a378fd}";
}

RunningInstanceCounter& RunningInstanceCounter::ForProcess(const std::wstring& applicationId)
{
    static std::once_flag once;
    std::call_once(once, [&applicationId] {
        ProcessCounter() = std::make_unique<RunningInstanceCounter>(RunningCounterName(applicationId));
    });
    return *ProcessCounter();
}

RunningInstanceCounter* RunningInstanceCounter::Current()
{
    return ProcessCounter().get();
}
