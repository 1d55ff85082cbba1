#include "install/unattended.h"

#include "lang/languages.h"
#include "payload/archive.h"
#include "support/text.h"
#include "support/win_path.h"

#include <cwchar>
#include <cwctype>
#include <iterator>

namespace {

bool StartsWithNoCase(const std::wstring& text, std::size_t at, const std::wstring& prefix)
{
    if (text.size() - at < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::towupper(text[at + i]) != std::towupper(prefix[i]))
            return false;
    return true;
}

// One argument from `at`: a quoted part keeps its spaces; quotes are dropped.
std::wstring NextArgument(const std::wstring& text, std::size_t& at, bool& quoted)
{
    std::wstring argument;
    bool inQuotes = false;
    quoted = false;
    for (; at < text.size(); ++at) {
        const wchar_t c = text[at];
        if (c == L'"') {
            inQuotes = !inQuotes;
            quoted = true;
        } else if (!inQuotes && (c == L' ' || c == L'\t')) {
            break;
        } else {
            argument += c;
        }
    }
    return argument;
}

std::string Utf8(const std::wstring& text)
{
    return av::details::utf8_from_wide(text);
}

}  // namespace

std::wstring ArgumentsOf(const std::wstring& commandLine)
{
    std::size_t at = 0;
    while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t'))
        ++at;
    bool quoted = false;
    NextArgument(commandLine, at, quoted);
    return commandLine.substr(at);
}

namespace {

// The longest folder /DIR= and /D= take, in characters: what fits in the
// shell's path buffers with the terminating null.
constexpr std::size_t kLongestInstallFolder = winpath::kMaxPath - 1;

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Characters no file or folder name may hold (':' only after a drive letter).
bool IsForbiddenInFolder(wchar_t c)
{
    return c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*' || c == L':';
}

}  // namespace

bool IsAcceptedInstallFolder(const std::wstring& folder)
{
    if (folder.empty() || folder.size() > kLongestInstallFolder)
        return false;
    std::size_t rest = 0;
    const bool drive = folder.size() >= 3 && std::iswalpha(folder[0]) && folder[0] < 128 && folder[1] == L':' &&
        IsSeparator(folder[2]);
    if (drive) {
        rest = 3;
    } else {
        // "\\server\share": a server and a share, neither empty; the
        // device forms "\\?\" and "\\.\" are not folders of a share.
        if (folder.size() < 5 || !IsSeparator(folder[0]) || !IsSeparator(folder[1]))
            return false;
        const std::size_t serverEnd = folder.find_first_of(L"\\/", 2);
        if (serverEnd == std::wstring::npos || serverEnd == 2)
            return false;
        const std::wstring server = folder.substr(2, serverEnd - 2);
        if (server == L"?" || server == L".")
            return false;
        const std::size_t shareEnd = folder.find_first_of(L"\\/", serverEnd + 1);
        if (shareEnd == serverEnd + 1 || serverEnd + 1 >= folder.size())
            return false;
        rest = 2;
    }
    for (std::size_t i = rest; i < folder.size(); ++i)
        if (IsForbiddenInFolder(folder[i]))
            return false;
    return true;
}

int DefaultBoxAnswer(std::uint32_t type)
{
    // The buttons of each button set (MB_OK ... MB_CANCELTRYCONTINUE), in order.
    static constexpr int kButtons[][3] = {
        {1, 0, 0},  // OK
        {1, 2, 0},  // OK, Cancel
        {3, 4, 5},  // Abort, Retry, Ignore
        {6, 7, 2},  // Yes, No, Cancel
        {6, 7, 0},  // Yes, No
        {4, 2, 0},  // Retry, Cancel
        {2, 10, 11},  // Cancel, Try Again, Continue
    };
    const std::uint32_t set = type & 0xF;
    if (set >= std::size(kButtons))
        return 1;
    const std::uint32_t which = (type & 0x300) >> 8;  // MB_DEFBUTTON1 to 3 (4 means the Help button)
    const int* buttons = kButtons[set];
    if (which < 3 && buttons[which] != 0)
        return buttons[which];
    return buttons[0];
}

bool ParseInstallerOptions(const std::wstring& arguments, InstallerOptions& options, CommandLineError& error)
{
    error = CommandLineError {};
    const auto refuse = [&error](CommandLineError::Kind kind, const std::wstring& argument, const std::wstring& why) {
        if (error.kind == CommandLineError::kNone)
            error = CommandLineError {kind, argument, why};
    };
    std::size_t at = 0;
    for (;;) {
        while (at < arguments.size() && (arguments[at] == L' ' || arguments[at] == L'\t'))
            ++at;
        if (at >= arguments.size())
            break;
        // "/D=" takes the rest of the line as it stands: it must come last.
        if (StartsWithNoCase(arguments, at, L"/D=")) {
            std::wstring argument = arguments.substr(at);
            while (!argument.empty() && (argument.back() == L' ' || argument.back() == L'\t'))
                argument.pop_back();
            const std::wstring folder = argument.substr(3);
            if (folder.empty() || folder.find(L'"') != std::wstring::npos)
                refuse(CommandLineError::kInvalidSwitch, argument, L"/D= takes an unquoted folder and must come last");
            else if (!IsAcceptedInstallFolder(folder))
                refuse(CommandLineError::kInvalidSwitch, argument,
                    L"/D= takes an absolute folder shorter than 260 characters");
            else
                options.installFolder = folder;
            break;
        }
        const std::size_t begin = at;
        bool quoted = false;
        const std::wstring argument = NextArgument(arguments, at, quoted);
        const std::wstring written = arguments.substr(begin, at - begin);
        const auto is = [&argument](const wchar_t* name) {
            return argument.size() == std::wcslen(name) && StartsWithNoCase(argument, 0, name);
        };
        const auto value = [&](const std::wstring& name, std::optional<std::wstring>& target) {
            if (!StartsWithNoCase(argument, 0, name))
                return false;
            target = argument.substr(name.size());
            return true;
        };
        std::optional<std::wstring> text;
        if (is(L"/VERYSILENT") || is(L"/S")) {
            options.verySilent = true;
        } else if (is(L"/SILENT")) {
            options.silent = true;
        } else if (is(L"/SUPPRESSMSGBOXES")) {
            options.suppressMessageBoxes = true;
        } else if (is(L"/?") || is(L"/HELP")) {
            options.help = true;
        } else if (is(L"/NOICONS")) {
            options.noIcons = true;
        } else if (value(L"/DIR=", text)) {
            if (text->empty())
                refuse(CommandLineError::kInvalidSwitch, written, L"/DIR= needs a folder");
            else if (!IsAcceptedInstallFolder(*text))
                refuse(CommandLineError::kInvalidSwitch, written,
                    L"/DIR= takes an absolute folder shorter than 260 characters");
            else
                options.installFolder = text;
        } else if (value(L"/LOG=", text)) {
            if (text->empty())
                refuse(CommandLineError::kInvalidSwitch, written, L"/LOG= needs a file");
            else
                options.logFile = text;
        } else if (value(L"/LANG=", text)) {
            int index = -1;
            if (!text->empty() && text->size() <= 2 && text->find_first_not_of(L"0123456789") == std::wstring::npos)
                index = std::stoi(*text);
            if (index < 0 || index > 19 || !IsInstallerLanguage(index))
                refuse(CommandLineError::kInvalidSwitch, written, L"/LANG= names no installer language");
            else
                options.language = index;
        } else {
            refuse(CommandLineError::kUnknownSwitch, written, L"unknown switch: " + written);
        }
    }
    return error.kind == CommandLineError::kNone;
}

LogFileDisplay::LogFileDisplay(const std::wstring& path)
{
    if (!path.empty())
        m_file.open(av::wide_to_path(path), std::ios::binary | std::ios::trunc);
}

LogFileDisplay::~LogFileDisplay() = default;

bool LogFileDisplay::IsOpen() const
{
    return m_file.is_open() && m_file.good();
}

void LogFileDisplay::Write(const std::wstring& text)
{
    if (m_file.is_open()) {
        m_file << Utf8(text);
        m_file.flush();
    }
}

void LogFileDisplay::WriteLine(const std::wstring& text)
{
    Write(text + L"\r\n");
}

void LogFileDisplay::SetStatus(const std::wstring& text)
{
    m_status = text;
}

void LogFileDisplay::SetStatusPath(const std::wstring& path)
{
    m_status = path;
}

void LogFileDisplay::AppendLogLine(const std::wstring& text, bool separator)
{
    if (separator)
        Write(std::wstring(40, L'-') + L"\r\n");
    else
        Write(text);
}

void MirroredDisplay::SetStatus(const std::wstring& text)
{
    m_shown.SetStatus(text);
    m_copy.SetStatus(text);
}

void MirroredDisplay::SetStatusPath(const std::wstring& path)
{
    m_shown.SetStatusPath(path);
    m_copy.SetStatusPath(path);
}

void MirroredDisplay::AppendLogLine(const std::wstring& text, bool separator)
{
    m_shown.AppendLogLine(text, separator);
    m_copy.AppendLogLine(text, separator);
}
