// On Linux the machine registry is an in-memory one, empty at start, that
// lives as long as the process: enough for the portable tests and tools.
#include "platform/memory_registry.h"

namespace av::platform {

registry& system_registry()
{
    static memory_registry instance;
    return instance;
}

}  // namespace av::platform
