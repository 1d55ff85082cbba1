// The folder picker's rules that need no window: proposing the product's
// sub-folder below a selected folder, validating a folder typed into the
// browser, and the Shortcut page's start-menu folder relative to its root.
#pragma once

#include <optional>
#include <string>

namespace wizard {

// A sub-folder name is proposed only when every character may stand in a
// path; trailing dots are removed. Returns "" for an unusable name.
std::wstring UsableSubFolder(const std::wstring& name);

// The folder the picker starts from, before the sub-folder rule: the
// initial path unless it is relative by the shell's rule (a path that starts
// with a backslash, "\\Apps", or names a drive, "D:", is not), else the
// root's path (when there is a root); a bare drive "D:" becomes "D:\"; with
// nothing at all, `documents`.
std::wstring PickerStartPath(
    const std::wstring& initial, const std::optional<std::wstring>& rootPath, const std::wstring& documents);

// The sub-folder rule: when `path` already ends with all components of
// `subFolder` it stays; else the rest of `subFolder` after the longest
// leading part that `path` already ends with is appended (all of it when
// none matches). With a `base`, the result is given relative to it (when
// it lies on the same root). An empty `subFolder` changes nothing.
std::wstring ApplySubFolderRule(
    const std::wstring& path, const std::wstring& subFolder, const std::optional<std::wstring>& base);

// The outcome of validating a typed folder: the full path, or a Windows
// error code (ERROR_FILENAME_EXCED_RANGE 206, ERROR_BAD_PATHNAME 161).
struct TypedFolder {
    unsigned long error = 0;
    std::wstring path;
};

inline constexpr unsigned long kErrorBadPathname = 161;
inline constexpr unsigned long kErrorFilenameExcedRange = 206;

// Validates what the user typed into the browser's edit box. Relative texts
// are read from `base` when given (and must stay inside it), otherwise from
// `currentFolder`.
TypedFolder ValidateTypedFolder(
    const std::wstring& text, const std::optional<std::wstring>& base, const std::wstring& currentFolder);

// The Shortcut page shows the start-menu folder relative to the start-menu
// root ("" for the root itself); nullopt when it lies on another root.
std::optional<std::wstring> StartMenuRelativeText(const std::wstring& root, const std::wstring& folder);

// And writes it back: "." and ".." resolved, an absolute text replaces the
// root, an empty text gives the root. nullopt for a text that forms no path.
std::optional<std::wstring> StartMenuFolderFromText(const std::wstring& root, const std::wstring& text);

}  // namespace wizard
