// The Linux machine has no Windows folders: every known folder is missing,
// so nothing the installer resolves from one can land anywhere. Its temporary
// folder is $TMPDIR (when absolute) or /tmp. Tools and tests that need the
// folders lay them out with rooted_known_folders.
#include "platform/known_folders.h"

#include "platform/win_error.h"
#include "support/text.h"

#include <cstdlib>

namespace av::platform {
namespace {

class posix_known_folders final : public known_folders {
public:
    std::error_code folder(int, std::wstring&) override { return win_error::make(win_error::file_not_found); }

    std::error_code temp_folder(std::wstring& path) override
    {
        const char* dir = std::getenv("TMPDIR");
        std::string folder = dir && *dir == '/' ? dir : "/tmp";
        if (folder.back() != '/')
            folder.push_back('/');
        path = av::details::wide_from_utf8(folder);
        return {};
    }
};

}  // namespace

known_folders& system_known_folders()
{
    static posix_known_folders instance;
    return instance;
}

}  // namespace av::platform
