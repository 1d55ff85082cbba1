#include "payload/folders.h"

#include "payload/archive.h"
#include "platform/security.h"
#include "support/error.h"
#include "support/text.h"

namespace av {
namespace {

namespace csidl = platform::csidl;

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The names of a relative Windows path, between separators.
std::vector<std::wstring> split_names(std::wstring_view text)
{
    std::vector<std::wstring> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || is_separator(text[i])) {
            if (i > start)
                names.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return names;
}

// A destination without a placeholder: the text itself; natively its `\`
// separators become the platform's.
boost::filesystem::path literal_path(const std::wstring& text)
{
#ifdef _WIN32
    return wide_to_path(text);
#else
    std::wstring copy = text;
    for (auto& c : copy)
        if (c == L'\\')
            c = L'/';
    return wide_to_path(copy);
#endif
}

enum class levels { none, recorded };

struct placeholder {
    const wchar_t* name;
    int primary;  // 0: not a known folder
    int fallback;  // 0: none
    levels rights;
};

// Compared in this order; the first three have rules of their own.
constexpr placeholder placeholders[] = {
    {L"<InstallPath>", 0, 0, levels::none},
    {L"<SamplePath>", csidl::common_desktop, csidl::desktop_directory, levels::none},
    {L"<ProgramFiles>", csidl::program_files, 0, levels::none},
    {L"<ProgramCommon>", csidl::program_files_common, 0, levels::none},
    {L"<CommonData>", csidl::common_appdata, csidl::appdata, levels::recorded},
    {L"<UserData>", csidl::appdata, 0, levels::none},
    {L"<CommonDocuments>", csidl::common_documents, csidl::personal, levels::recorded},
    {L"<Documents>", csidl::personal, 0, levels::none},
    {L"<CommonDesktop>", csidl::common_desktop, csidl::desktop_directory, levels::recorded},
    {L"<Desktop>", csidl::desktop_directory, 0, levels::none},
    {L"<WinDir>", csidl::windows, 0, levels::none},
    {L"<System>", csidl::system, 0, levels::none},
    {L"<Temporary>", 0, 0, levels::none},
};

}  // namespace

std::wstring known_folder_path(platform::known_folders& folders, int csidl, int fallback_csidl, bool use_fallback)
{
    std::wstring path;
    if (!folders.folder(csidl, path))
        return path;
    if (use_fallback && !folders.folder(fallback_csidl, path))
        return path;
    throw_compress_error(compress_errc::unexpected);
}

bool is_absolute_windows_path(const std::wstring& path)
{
    if (path.size() >= 3 && path[1] == L':' && is_separator(path[2]) &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')))
        return true;
    // A share: "\\server\share..." (a root name and its separator).
    if (path.size() >= 3 && is_separator(path[0]) && is_separator(path[1]) && !is_separator(path[2]))
        return true;
#ifndef _WIN32
    if (!path.empty() && path[0] == L'/')
        return true;
#endif
    return false;
}

void rights_folders::add(const boost::filesystem::path& folder)
{
    const std::wstring wide = path_to_wide(folder);
    for (const auto& listed : folders_)
        if (SamePath(path_to_wide(listed.folder), wide))
            return;
    folders_.push_back({folder, false});
}

void rights_folders::grant(
    platform::file_system& files, platform::access_rights& rights, const boost::filesystem::path& file_folder)
{
    for (auto& listed : folders_) {
        if (listed.granted)
            continue;
        const std::wstring target = path_to_wide(listed.folder);
        // A folder that is missing or cannot be examined ends this walk only.
        for (boost::filesystem::path folder = file_folder;
             !folder.empty() && platform::is_folder(files, path_to_wide(folder)); folder = folder.parent_path()) {
            if (SamePath(path_to_wide(folder), target)) {
                // The result is not used: a folder whose list cannot be
                // changed only stays closed to users.
                (void)rights.grant_users_access(target, kDataFolderAccess, kDataFolderInheritance);
                listed.granted = true;
                break;
            }
            if (!folder.has_relative_path())
                break;  // the root: nothing above it
        }
    }
}

boost::filesystem::path resolve_destination(platform::known_folders& folders, const std::wstring& destination_dir,
    const destination_inputs& inputs, rights_folders& rights)
{
    // Only a destination whose first element is a name in angle brackets can
    // start with a placeholder; anything else is a literal folder.
    std::size_t first_end = 0;
    while (first_end < destination_dir.size() && !is_separator(destination_dir[first_end]))
        ++first_end;
    const std::wstring first = destination_dir.substr(0, first_end);
    if (first.size() < 2 || first.front() != L'<' || first.back() != L'>')
        return literal_path(destination_dir);

    const placeholder* match = nullptr;
    for (const auto& p : placeholders)
        if (first == p.name) {
            match = &p;
            break;
        }
    // A bracketed name that is no placeholder would leave a relative path
    // that depends on the current folder: refused.
    if (match == nullptr)
        throw_compress_error(compress_errc::unexpected);

    boost::filesystem::path base;
    bool record = match->rights == levels::recorded;
    const std::wstring name = match->name;
    if (name == L"<InstallPath>") {
        base = wide_to_path(inputs.install_folder);
    } else if (name == L"<Temporary>") {
        base = wide_to_path(inputs.temporary_folder.empty() ? inputs.install_folder : inputs.temporary_folder);
    } else if (name == L"<SamplePath>") {
        if (inputs.sample_folder.empty()) {
            base = wide_to_path(known_folder_path(folders, match->primary, match->fallback, true));
        } else if (is_absolute_windows_path(inputs.sample_folder)) {
            base = literal_path(inputs.sample_folder);
        } else {
            base = wide_to_path(known_folder_path(folders, match->primary, match->fallback, true));
            for (const auto& element : split_names(inputs.sample_folder))
                base /= wide_to_path(element);
            rights.add(base);
        }
    } else {
        base = wide_to_path(known_folder_path(folders, match->primary, match->fallback, match->fallback != 0));
    }

    for (const auto& element : split_names(std::wstring_view(destination_dir).substr(first_end))) {
        base /= wide_to_path(element);
        if (record)
            rights.add(base);
    }
    return base;
}

}  // namespace av
