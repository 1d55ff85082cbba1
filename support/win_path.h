// Lexical rules for Windows paths, the same on both builds, for the wizard,
// the installation run and the application: splitting into a root and
// components, joining with exactly one backslash, qualifying a typed text
// against a folder, relative paths between folders, and the characters a
// long file name may hold. Nothing here touches the file system.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace winpath {

// "D:\", "\\server\share\", "\" (root of the current drive), "D:" (drive
// relative) or "" (relative), as written at the start of `path`.
std::wstring PathRoot(const std::wstring& path);

// The components after the root, split at "\" and "/", empty ones dropped.
std::vector<std::wstring> PathComponents(const std::wstring& path);

// A drive path ("D:\...") or a UNC path ("\\server\share...").
bool IsFullyQualified(const std::wstring& path);

// Joins with exactly one backslash between the parts (a "/" when the left
// part is written with "/" only); an empty part adds nothing.
std::wstring PathJoin(const std::wstring& left, const std::wstring& right);

// The folder of a path, as the shell's removal of the file name gives it:
// "C:\A\x.exe" gives "C:\A", "C:\x.exe" gives "C:\"; "" without a separator.
std::wstring PathParent(const std::wstring& path);

// Case-insensitive comparison of two texts (file names compare so).
bool TextEqualNoCase(const std::wstring& a, const std::wstring& b);

// The full path of `text` read from the folder `current` (itself fully
// qualified): "." and ".." resolved (never above the root), trailing dots
// and blanks of a component dropped. nullopt when no full path can be formed.
std::optional<std::wstring> QualifyPath(const std::wstring& text, const std::wstring& current);

// The path from folder `from` to `to` ("..\x", "a\b"; "" when both are the
// same folder); nullopt when they lie on different roots.
std::optional<std::wstring> RelativeFolder(const std::wstring& from, const std::wstring& to);

// Whether `path` lies at or below `folder` (whole components, ignoring case).
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// A character that may stand in a long-file-name path: not a control
// character, not one of " < > |, not a wildcard * ?; separators \ / : allowed.
bool IsValidPathChar(wchar_t c);
bool HasOnlyValidPathChars(const std::wstring& path);

// The shell's quoting rule: a path containing a space is enclosed in double quotes.
std::wstring QuoteSpaces(const std::wstring& path);

}  // namespace winpath
