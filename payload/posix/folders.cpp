// Native half of the known folders: each folder is a fixed folder below a
// root chosen by the caller (avpack extract, tests), see native_folder_name.
#include "payload/folders.h"

#include "payload/archive.h"

namespace av {
namespace {

std::wstring& native_root()
{
    static std::wstring root;
    return root;
}

}  // namespace

void set_native_folder_root(const std::wstring& root)
{
    native_root() = root;
}

std::wstring shell_folder_path(int csidl)
{
    const std::wstring name = native_folder_name(csidl);
    if (native_root().empty() || name.empty())
        return {};
    return path_to_wide(wide_to_path(native_root()) / wide_to_path(name));
}

}  // namespace av
