// The run-time library's last error on Linux: errno is all there is.
#include "support/error.h"

#include <cerrno>

namespace av {

std::error_code last_crt_error() noexcept
{
    if (errno != 0)
        return {errno, std::generic_category()};
    return {0, std::system_category()};
}

void clear_crt_error() noexcept
{
    errno = 0;
}

}  // namespace av
