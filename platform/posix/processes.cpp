// The Linux build has no Windows program to start.
#include "platform/processes.h"

#include "platform/win_error.h"

namespace av::platform {
namespace {

class posix_processes final : public processes {
public:
    std::error_code run_and_wait(const std::wstring&, const std::wstring&, std::uint32_t&) override
    {
        return win_error::make(win_error::bad_exe_format);
    }
};

}  // namespace

processes& system_processes()
{
    static posix_processes instance;
    return instance;
}

}  // namespace av::platform
