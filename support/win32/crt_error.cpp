// The run-time library's last error on Windows: the operating-system error it
// recorded (_doserrno) first, then its errno.
#include "support/error.h"

#include <cerrno>
#include <cstdlib>

namespace av {

std::error_code last_crt_error() noexcept
{
    // msvcrt.dll has no _get_doserrno; its _doserrno is a per-thread slot.
    if (const unsigned long os_error = _doserrno; os_error != 0)
        return {static_cast<int>(os_error), std::system_category()};
    if (const int number = errno; number != 0)
        return {number, std::generic_category()};
    return {0, std::system_category()};
}

void clear_crt_error() noexcept
{
    _doserrno = 0;
    errno = 0;
}

}  // namespace av
