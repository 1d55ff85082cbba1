#include "install/unattended.h"

#include "lang/languages.h"
#include "payload/archive.h"
#include "support/text.h"

#include <cwctype>

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

bool MentionsSilentSwitch(const std::wstring& arguments)
{
    std::size_t at = 0;
    while (at < arguments.size()) {
        while (at < arguments.size() && (arguments[at] == L' ' || arguments[at] == L'\t'))
            ++at;
        bool quoted = false;
        const std::wstring argument = NextArgument(arguments, at, quoted);
        if ((argument.size() == 2 && StartsWithNoCase(argument, 0, L"/S"))
            || (argument.size() == 11 && StartsWithNoCase(argument, 0, L"/VERYSILENT")))
            return true;
    }
    return false;
}

bool ParseInstallerOptions(const std::wstring& arguments, InstallerOptions& options, std::wstring& error)
{
    std::size_t at = 0;
    for (;;) {
        while (at < arguments.size() && (arguments[at] == L' ' || arguments[at] == L'\t'))
            ++at;
        if (at >= arguments.size())
            return true;
        // "/D=" takes the rest of the line as it stands: it must come last.
        if (StartsWithNoCase(arguments, at, L"/D=")) {
            std::wstring folder = arguments.substr(at + 3);
            while (!folder.empty() && (folder.back() == L' ' || folder.back() == L'\t'))
                folder.pop_back();
            if (folder.empty() || folder.find(L'"') != std::wstring::npos) {
                error = L"/D= takes an unquoted folder and must come last";
                return false;
            }
            options.installFolder = folder;
            return true;
        }
        bool quoted = false;
        const std::wstring argument = NextArgument(arguments, at, quoted);
        const auto value = [&](const std::wstring& name, std::optional<std::wstring>& target) {
            if (!StartsWithNoCase(argument, 0, name))
                return false;
            target = argument.substr(name.size());
            return true;
        };
        std::optional<std::wstring> text;
        if (StartsWithNoCase(argument, 0, L"/VERYSILENT") && argument.size() == 11) {
            options.silent = true;
        } else if (argument.size() == 2 && StartsWithNoCase(argument, 0, L"/S")) {
            options.silent = true;
        } else if (argument.size() == 8 && StartsWithNoCase(argument, 0, L"/NOICONS")) {
            options.noIcons = true;
        } else if (value(L"/DIR=", text)) {
            if (text->empty()) {
                error = L"/DIR= needs a folder";
                return false;
            }
            options.installFolder = text;
        } else if (value(L"/LOG=", text)) {
            if (text->empty()) {
                error = L"/LOG= needs a file";
                return false;
            }
            options.logFile = text;
        } else if (value(L"/LANG=", text)) {
            int index = -1;
            if (!text->empty() && text->size() <= 2 && text->find_first_not_of(L"0123456789") == std::wstring::npos)
                index = std::stoi(*text);
            if (index < 0 || index > 19 || !IsInstallerLanguage(index)) {
                error = L"/LANG= names no installer language";
                return false;
            }
            options.language = index;
        } else {
            error = L"unknown switch: " + argument;
            return false;
        }
    }
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
