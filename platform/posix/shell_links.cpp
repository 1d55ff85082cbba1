// Linux has no shell link object: links are small files (file_shell_links)
// written through the machine's files.
#include "platform/shell_links.h"

#include "platform/file_system.h"

namespace av::platform {

shell_links& system_shell_links()
{
    static file_shell_links instance(system_file_system());
    return instance;
}

}  // namespace av::platform
