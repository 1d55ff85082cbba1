#include "platform/known_folders.h"

#include "platform/file_system.h"
#include "platform/win_error.h"

namespace av::platform {
namespace {

#ifdef _WIN32
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring with_separator(std::wstring folder)
{
    if (!folder.empty() && !is_separator(folder.back()))
        folder.push_back(kSeparator);
    return folder;
}

}  // namespace

std::wstring folder_below_root(int id)
{
    switch (id) {
    case csidl::programs:
        return L"Users/user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs";
    case csidl::personal:
        return L"Users/user/Documents";
    case csidl::desktop_directory:
        return L"Users/user/Desktop";
    case csidl::common_programs:
        return L"ProgramData/Microsoft/Windows/Start Menu/Programs";
    case csidl::common_desktop:
        return L"Users/Public/Desktop";
    case csidl::appdata:
        return L"Users/user/AppData/Roaming";
    case csidl::common_appdata:
        return L"ProgramData";
    case csidl::windows:
        return L"Windows";
    case csidl::system:
        return L"Windows/System32";
    case csidl::program_files:
        return L"Program Files";
    case csidl::program_files_common:
        return L"Program Files/Common Files";
    case csidl::common_documents:
        return L"Users/Public/Documents";
    default:
        return {};
    }
}

rooted_known_folders::rooted_known_folders(std::wstring root, std::wstring temp)
    : root_(std::move(root))
    , temp_(with_separator(std::move(temp)))
{
    while (root_.size() > 1 && is_separator(root_.back()))
        root_.pop_back();
}

std::error_code rooted_known_folders::folder(int csidl, std::wstring& path)
{
    std::wstring below = folder_below_root(csidl);
    if (below.empty() || !is_absolute_path(root_))
        return win_error::make(win_error::file_not_found);
    for (wchar_t& c : below)
        if (c == L'/')
            c = kSeparator;
    path = with_separator(root_) + below;
    return {};
}

std::error_code rooted_known_folders::temp_folder(std::wstring& path)
{
    if (const std::error_code refused = check_absolute(temp_))
        return refused;
    path = temp_;
    return {};
}

}  // namespace av::platform
