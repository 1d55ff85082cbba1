// The named objects of the Linux build: kept inside the process, one per
// name, so that two NamedMutex objects of the same name exclude each other
// and counters of the same name share their counts.
#include <map>
#include <mutex>

#include "app/single_instance.h"

namespace {

struct NamedObject {
    const void* owner = nullptr;  // the NamedMutex that holds the mutex
    long count = 0;  // the semaphore's count
};

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

NamedObject* Find(const std::wstring& name)
{
    static std::map<std::wstring, NamedObject> objects;
    return &objects[name];
}

constexpr long kMaximumCount = 0x7FFFFFFF;

}  // namespace

NamedMutex::NamedMutex(const std::wstring& name, bool initialOwner, bool global)
{
    std::lock_guard guard(Lock());
    auto* object = Find((global ? L"Global\\" : L"") + name);
    m_handle = object;
    if (initialOwner && object->owner == nullptr) {
        object->owner = this;
        m_bOwned = true;
    }
}

NamedMutex::~NamedMutex()
{
    Release();
}

bool NamedMutex::TryLock()
{
    std::lock_guard guard(Lock());
    auto* object = static_cast<NamedObject*>(m_handle);
    m_bOwned = object != nullptr && (object->owner == nullptr || object->owner == this);
    if (m_bOwned)
        object->owner = this;
    return m_bOwned;
}

void NamedMutex::Release()
{
    std::lock_guard guard(Lock());
    auto* object = static_cast<NamedObject*>(m_handle);
    if (object != nullptr && m_bOwned && object->owner == this)
        object->owner = nullptr;
    m_bOwned = false;
}

RunningInstanceCounter::RunningInstanceCounter(const std::wstring& name, bool global)
{
    std::lock_guard guard(Lock());
    auto* object = Find((global ? L"Global\\" : L"") + name);
    m_handle = object;
    if (object->count < kMaximumCount) {
        ++object->count;
        m_held = 1;
    }
}

RunningInstanceCounter::~RunningInstanceCounter()
{
    std::lock_guard guard(Lock());
    auto* object = static_cast<NamedObject*>(m_handle);
    if (object == nullptr)
        return;
    if (m_held > 0 && object->count >= m_held) {
        object->count -= m_held;
        m_held = 0;
    } else if (m_held < 0) {
        object->count -= m_held;
    }
}

unsigned RunningInstanceCounter::Holders()
{
    std::lock_guard guard(Lock());
    auto* object = static_cast<NamedObject*>(m_handle);
    return object != nullptr ? static_cast<unsigned>(object->count) : 0;
}
