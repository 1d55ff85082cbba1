#include "platform/machine.h"

namespace av::platform {

const machine& system_machine()
{
    static const machine instance {system_file_system(), system_registry(), system_known_folders(), system_processes(),
        system_shell_links(), system_access_rights()};
    return instance;
}

}  // namespace av::platform
