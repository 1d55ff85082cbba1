// Unattended installation, for deployment tools: the command-line switches,
// the exit codes they read, and the display that stands in for the Install
// page when no window is shown.
//
//   /VERYSILENT (alias /S)  no window and no message box at all; every question
//                           takes its default answer (below)
//   /DIR="folder"           the installation folder
//   /D=folder               the same, NSIS style: last on the line, unquoted
//   /LANG=n                 the language index (one with installer texts:
//                           0 French, 1 English, 2 German, 3 Spanish,
//                           4 Portuguese, 7 Turkish, 9 Romanian, 11 Italian)
//   /NOICONS                no shortcuts
//   /LOG="file"             the run's log lines and its result, in UTF-8
// Switches are not case-sensitive. Without /VERYSILENT the wizard opens as
// usual, with /DIR, /LANG and /NOICONS as its starting values.
#pragma once

#include "install/install_display.h"

#include <boost/filesystem/fstream.hpp>
#include <optional>
#include <string>

// Exit codes of an unattended run, in the Windows Installer convention.
enum UnattendedExitCode : int {
    kExitSuccess = 0,
    kExitCancelled = 1602,           // the user (or a default answer) cancelled
    kExitFailed = 1603,              // the installation failed and was rolled back
    kExitAnotherInstaller = 1618,    // another installer of the product is running
    kExitNewerInstalled = 1638,      // a newer version is installed
    kExitInvalidCommandLine = 1639,  // a switch is unknown or malformed
    kExitNotAdministrator = 1925,    // no administrator rights
    kExitProductRunning = 2000,      // the product is still running (this installer's own code)
};

struct InstallerOptions {
    bool silent = false;
    std::optional<std::wstring> installFolder;
    std::optional<int> language;
    bool noIcons = false;
    std::optional<std::wstring> logFile;
};

// Parses the command line after the program's name. False (with the reason
// in `error`) for an unknown switch, a switch without its value, a quoted
// /D=, or a /LANG that names no installer language.
bool ParseInstallerOptions(const std::wstring& arguments, InstallerOptions& options, std::wstring& error);

// Whether the line asks for silence anywhere (/VERYSILENT or /S), so that
// even a line that does not parse shows no message box.
bool MentionsSilentSwitch(const std::wstring& arguments);

// The process's own command line (GetCommandLineW; empty on Linux).
std::wstring ProcessCommandLine();

// The command line after the program's name (the program's own path may be
// quoted and may hold spaces).
std::wstring ArgumentsOf(const std::wstring& commandLine);

// The Install page of an unattended run: the log lines go to the log file
// (when one was asked for), nothing is shown.
class LogFileDisplay : public InstallDisplay {
public:
    // An empty path writes nothing.
    explicit LogFileDisplay(const std::wstring& path);
    ~LogFileDisplay() override;

    bool IsOpen() const;
    // Appends a line of its own (start-up refusals, the final result).
    void WriteLine(const std::wstring& text);
    const std::wstring& Status() const { return m_status; }

    void SetStatus(const std::wstring& text) override;
    void SetStatusPath(const std::wstring& path) override;
    void AppendLogLine(const std::wstring& text, bool separator) override;
    void ShowProgress(bool) override {}
    void SetProgress(unsigned long long, unsigned long long) override {}
    void PumpMessages() override {}
    std::wstring& MainProgramPath() override { return m_mainProgramPath; }
    std::wstring& UninstallerPath() override { return m_uninstallerPath; }

private:
    void Write(const std::wstring& text);

    boost::filesystem::ofstream m_file;
    std::wstring m_status;
    std::wstring m_mainProgramPath;
    std::wstring m_uninstallerPath;
};
