// The folder picker's window-free rules.
#include "wizard/folder_rules.h"

#include <vector>

#include "support/win_path.h"

namespace wizard {

using winpath::HasOnlyValidPathChars;
using winpath::IsFullyQualified;
using winpath::IsInsideFolder;
using winpath::kMaxPath;
using winpath::PathComponents;
using winpath::PathJoin;
using winpath::QualifyPath;
using winpath::RelativeFolder;
using winpath::TextEqualNoCase;

namespace {

bool EndsWith(const std::vector<std::wstring>& parts, const std::vector<std::wstring>& tail, std::size_t tailLength)
{
    if (tailLength > parts.size())
        return false;
    const std::size_t offset = parts.size() - tailLength;
    for (std::size_t i = 0; i < tailLength; ++i) {
        if (!TextEqualNoCase(parts[offset + i], tail[i]))
            return false;
    }
    return true;
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

}  // namespace

std::wstring UsableSubFolder(const std::wstring& name)
{
    if (!HasOnlyValidPathChars(name))
        return {};
    std::wstring result = name;
    while (!result.empty() && result.back() == L'.')
        result.pop_back();
    return result;
}

std::wstring ApplySubFolderRule(
    const std::wstring& path, const std::wstring& subFolder, const std::optional<std::wstring>& base)
{
    if (subFolder.empty())
        return path;
    const std::vector<std::wstring> parts = PathComponents(path);
    const std::vector<std::wstring> sub = PathComponents(subFolder);

    std::wstring result = path;
    if (!EndsWith(parts, sub, sub.size())) {
        // The longest leading part of the sub-folder that the path already
        // ends with is not repeated.
        std::size_t kept = 0;
        for (std::size_t length = sub.size(); length-- > 1;) {
            if (EndsWith(parts, sub, length)) {
                kept = length;
                break;
            }
        }
        for (std::size_t i = kept; i < sub.size(); ++i)
            result = PathJoin(result, sub[i]);
    }
    if (base && IsFullyQualified(result)) {
        if (const auto relative = RelativeFolder(*base, result))
            return *relative;
    }
    return result;
}

TypedFolder ValidateTypedFolder(
    const std::wstring& text, const std::optional<std::wstring>& base, const std::wstring& currentFolder)
{
    // The text must fit a path buffer with its terminating NUL.
    if (text.size() >= kMaxPath)
        return {kErrorFilenameExcedRange, {}};

    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    std::wstring trimmed = text.substr(begin, end - begin);
    if (!trimmed.empty() && trimmed.back() == L'\\')
        trimmed.pop_back();
    if (trimmed.size() == 2 && trimmed[1] == L':')
        trimmed += L'\\';
    if (trimmed.empty())
        trimmed = L".";

    const std::optional<std::wstring> full = QualifyPath(trimmed, base ? *base : currentFolder);
    if (!full)
        return {kErrorBadPathname, {}};
    if (base && !IsInsideFolder(*full, *base))
        return {kErrorBadPathname, {}};
    if (!HasOnlyValidPathChars(*full))
        return {kErrorBadPathname, {}};
    return {0, *full};
}

std::optional<std::wstring> StartMenuRelativeText(const std::wstring& root, const std::wstring& folder)
{
    return RelativeFolder(root, folder);
}

std::optional<std::wstring> StartMenuFolderFromText(const std::wstring& root, const std::wstring& text)
{
    if (text.empty())
        return QualifyPath(L".", root);
    return QualifyPath(text, root);
}

std::wstring PickerStartPath(
    const std::wstring& initial, const std::optional<std::wstring>& rootPath, const std::wstring& documents)
{
    // The shell's rule for a relative path: neither a leading backslash nor
    // a drive letter with its colon.
    const bool relative = initial.empty() || !(initial[0] == L'\\' || (initial.size() >= 2 && initial[1] == L':'));
    std::wstring path = relative ? std::wstring() : initial;
    if (path.empty() && rootPath)
        path = *rootPath;
    if (!path.empty() && path.back() == L':')
        path += L'\\';
    if (path.empty())
        path = documents;
    return path;
}

}  // namespace wizard
