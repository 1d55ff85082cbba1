// Fuzz target of the archive walker: the input is a decompressed archive
// (header, table, data), fed to the payload writer in chunks of varying size
// without bzip2. Every entry is skipped, so nothing is written to disk while
// the header parsing, destination resolution and data accounting run.
#include "payload/folders.h"
#include "payload/writer.h"
#include "platform/machine.h"
#include "platform/memory_registry.h"
#include "platform/win_error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>

namespace {

// Known folders that need not exist: the walker only builds paths.
class fuzz_folders final : public av::platform::known_folders {
public:
    std::error_code folder(int csidl, std::wstring& path) override
    {
        if (csidl == av::platform::csidl::system)
            return av::win_error::make(av::win_error::file_not_found);  // a missing folder, for the failure path
        path = L"/nonexistent/av-fuzz/" + std::to_wstring(csidl);
        return {};
    }
    std::error_code temp_folder(std::wstring& path) override
    {
        path = L"/nonexistent/av-fuzz/temp/";
        return {};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1u << 20))
        return 0;
    // The first byte chooses the chunk size (1 to 4096).
    const std::size_t chunk = 1 + (static_cast<std::size_t>(data[0]) * 16) % 4096;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;

    static fuzz_folders folders;
    static av::platform::memory_registry registry;
    const av::platform::machine& host = av::platform::system_machine();
    const av::platform::machine machine {host.files, registry, folders, host.processes, host.shell, host.rights};
    av::payload_writer writer(
        machine, L"/nonexistent/av-fuzz/install", L"Examples", L"", [](const av::notification& n) {
            return n.index() == 2 ? av::notification::result::skip : av::notification::result::proceed;
        });
    try {
        while (left > 0) {
            std::size_t offer = chunk < left ? chunk : left;
            while (offer > 0) {
                const std::size_t before = writer.entry_index();
                const std::streamsize taken = writer.write(bytes, static_cast<std::streamsize>(offer));
                if (taken < 0 || static_cast<std::size_t>(taken) > offer)
                    std::abort();  // the writer never takes more than offered
                if (taken == 0 && writer.entry_index() == before)
                    std::abort();  // no progress: the copy would spin
                bytes += taken;
                offer -= static_cast<std::size_t>(taken);
                left -= static_cast<std::size_t>(taken);
            }
            if (writer.entry_index() > 0 && writer.position() > writer.total())
                std::abort();
        }
        for (;;) {
            const std::size_t before = writer.entry_index();
            writer.write(nullptr, 0);
            if (writer.entry_index() == before)
                break;
        }
        if (writer.complete() && writer.position() != writer.total())
            std::abort();
    } catch (const std::exception&) {
        // Malformed archives are refused with an error; that is the point.
        if (!writer.failed())
            std::abort();
    }
    return 0;
}
