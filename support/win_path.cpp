// Lexical Windows path rules shared by both builds.
#include "support/win_path.h"

#include <cwctype>

namespace winpath {

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool HasDrive(const std::wstring& path)
{
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':';
}

bool IsUnc(const std::wstring& path)
{
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// Length of the root as written, and the root in its canonical spelling.
struct Root {
    std::size_t length = 0;
    std::wstring text;
};

Root SplitRoot(const std::wstring& path)
{
    if (IsUnc(path)) {
        // \\server\share: the root takes the first two components.
        std::size_t pos = 2;
        std::wstring text = L"\\\\";
        for (int part = 0; part < 2; ++part) {
            const std::size_t start = pos;
            while (pos < path.size() && !IsSeparator(path[pos]))
                ++pos;
            text += path.substr(start, pos - start);
            text += L'\\';
            if (pos < path.size())
                ++pos;
        }
        return {pos, text};
    }
    if (HasDrive(path)) {
        if (path.size() >= 3 && IsSeparator(path[2]))
            return {3, path.substr(0, 2) + L"\\"};
        return {2, path.substr(0, 2)};
    }
    if (!path.empty() && IsSeparator(path[0]))
        return {1, L"\\"};
    return {0, L""};
}

std::vector<std::wstring> Split(const std::wstring& path, std::size_t from)
{
    std::vector<std::wstring> parts;
    std::wstring current;
    for (std::size_t i = from; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (!current.empty())
        parts.push_back(current);
    return parts;
}

std::wstring Assemble(const std::wstring& root, const std::vector<std::wstring>& parts)
{
    std::wstring result = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            result += L'\\';
        result += parts[i];
    }
    return result;
}

// Resolves "." and ".." and trims what Windows trims from a component.
std::vector<std::wstring> Normalize(const std::vector<std::wstring>& parts)
{
    std::vector<std::wstring> out;
    for (std::wstring part : parts) {
        if (part == L".")
            continue;
        if (part == L"..") {
            if (!out.empty())
                out.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == L'.' || part.back() == L' '))
            part.pop_back();
        if (!part.empty())
            out.push_back(part);
    }
    return out;
}

bool SameRoot(const std::wstring& a, const std::wstring& b)
{
    return TextEqualNoCase(a, b);
}

}  // namespace

std::wstring PathRoot(const std::wstring& path)
{
    return SplitRoot(path).text;
}

std::vector<std::wstring> PathComponents(const std::wstring& path)
{
    return Split(path, SplitRoot(path).length);
}

bool IsFullyQualified(const std::wstring& path)
{
    if (IsUnc(path))
        return true;
    return HasDrive(path) && path.size() >= 3 && IsSeparator(path[2]);
}

std::wstring PathJoin(const std::wstring& left, const std::wstring& right)
{
    std::wstring a = left;
    std::size_t start = 0;
    while (start < right.size() && IsSeparator(right[start]))
        ++start;
    if (start == right.size())
        return a;
    if (a.empty())
        return right.substr(start);
    // A left part written with "/" only (a folder of the Linux build) keeps
    // its style, so that joined paths stay usable there.
    const bool slashes = a.find(L'\\') == std::wstring::npos && a.find(L'/') != std::wstring::npos;
    while (!a.empty() && IsSeparator(a.back()))
        a.pop_back();
    return a + (slashes ? L'/' : L'\\') + right.substr(start);
}

std::wstring PathParent(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return {};
    const bool driveRoot = separator == 2 && path[1] == L':';
    return path.substr(0, driveRoot ? separator + 1 : separator);
}

bool TextEqualNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

std::optional<std::wstring> QualifyPath(const std::wstring& text, const std::wstring& current)
{
    const Root textRoot = SplitRoot(text);
    const std::vector<std::wstring> textParts = Split(text, textRoot.length);
    if (IsUnc(text)) {
        // A UNC root needs both a server and a share name.
        const std::vector<std::wstring> names = Split(textRoot.text, 2);
        if (names.size() != 2)
            return std::nullopt;
        return Assemble(textRoot.text, Normalize(textParts));
    }
    if (IsFullyQualified(text))
        return Assemble(textRoot.text, Normalize(textParts));

    if (!IsFullyQualified(current))
        return std::nullopt;
    const Root currentRoot = SplitRoot(current);
    std::vector<std::wstring> parts = Split(current, currentRoot.length);
    std::wstring root = currentRoot.text;

    if (textRoot.text == L"\\") {
        parts.clear();  // the root of the current drive
    } else if (HasDrive(text)) {
        // "D:x": relative to the current folder when it is on that drive,
        // else to the drive's root.
        if (!TextEqualNoCase(text.substr(0, 2), current.substr(0, 2))) {
            root = text.substr(0, 2) + L"\\";
            parts.clear();
        }
    }
    parts.insert(parts.end(), textParts.begin(), textParts.end());
    return Assemble(root, Normalize(parts));
}

std::optional<std::wstring> RelativeFolder(const std::wstring& from, const std::wstring& to)
{
    const std::wstring rootFrom = PathRoot(from);
    const std::wstring rootTo = PathRoot(to);
    if (!SameRoot(rootFrom, rootTo))
        return std::nullopt;
    const std::vector<std::wstring> a = Normalize(PathComponents(from));
    const std::vector<std::wstring> b = Normalize(PathComponents(to));
    std::size_t common = 0;
    while (common < a.size() && common < b.size() && TextEqualNoCase(a[common], b[common]))
        ++common;
    std::vector<std::wstring> parts(a.size() - common, L"..");
    parts.insert(parts.end(), b.begin() + static_cast<std::ptrdiff_t>(common), b.end());
    return Assemble(L"", parts);
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder)
{
    if (!SameRoot(PathRoot(path), PathRoot(folder)))
        return false;
    const std::vector<std::wstring> p = PathComponents(path);
    const std::vector<std::wstring> f = PathComponents(folder);
    if (f.size() > p.size())
        return false;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (!TextEqualNoCase(p[i], f[i]))
            return false;
    }
    return true;
}

bool IsValidPathChar(wchar_t c)
{
    if (c < 0x20)
        return false;
    switch (c) {
    case L'"':
    case L'<':
    case L'>':
    case L'|':
    case L'*':
    case L'?':
        return false;
    default:
        return true;
    }
}

bool HasOnlyValidPathChars(const std::wstring& path)
{
    for (wchar_t c : path) {
        if (!IsValidPathChar(c))
            return false;
    }
    return true;
}

std::wstring QuoteSpaces(const std::wstring& path)
{
    if (path.find(L' ') == std::wstring::npos)
        return path;
    return L"\"" + path + L"\"";
}

}  // namespace winpath
