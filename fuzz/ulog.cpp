// Fuzz target: the uninstall log reader fed with arbitrary bytes. Whatever
// the bytes, reading must end without a crash, a hang or a leak, and what it
// keeps must be well-formed entries.
#include "platform/file_system.h"
#include "uninstall/uninstall_log.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The input as an opened file, read in small pieces so that the reader's
// own buffering is exercised across read boundaries.
class memory_file final : public av::platform::input_file {
public:
    memory_file(const std::uint8_t* data, std::size_t size)
        : data_(data)
        , size_(size)
    {
    }

    std::error_code read(std::span<std::byte> buffer, std::size_t& got) override
    {
        got = std::min({buffer.size(), size_ - pos_, std::size_t {97}});
        if (got != 0)
            std::memcpy(buffer.data(), data_ + pos_, got);
        pos_ += got;
        return {};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    memory_file file(data, size);
    UninstallLog log;
    log.Load(file);
    for (const UninstallLogEntry& e : log.previousEntries) {
        if (e.kind < UninstallLogEntry::CreatedFolder || e.kind > UninstallLogEntry::ProductRegistration)
            std::abort();
        if (e.detail < -1 || e.detail > 254)
            std::abort();
        if ((e.kind == UninstallLogEntry::UninstallKey || e.kind == UninstallLogEntry::ProductRegistration) &&
            !e.path.empty())
            std::abort();
        if (!e.backupPath.empty())
            std::abort();
    }
    (void)log.WasInstalled(L"C:\\A");
    return 0;
}
