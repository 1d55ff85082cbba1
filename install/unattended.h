// Unattended installation, for deployment tools: the command-line switches,
// the exit codes they read, and the display that stands in for the Install
// page when no window is shown.
//
//   /SILENT                 no wizard: a small window shows the progress and
//                           closes itself; every question takes the answer
//                           /VERYSILENT gives it; a refusal is still told
//                           in a box (OK only) unless /SUPPRESSMSGBOXES
//   /VERYSILENT (alias /S)  no window and no message box at all; every question
//                           takes its default answer
//   /SUPPRESSMSGBOXES       with /SILENT: every remaining box is answered with
//                           its default button without being shown
//   /DIR="folder"           the installation folder: absolute (X:\... or
//                           \\server\share...), shorter than 260 characters
//   /D=folder               the same, NSIS style: last on the line, unquoted
//   /LANG=n                 the language index (one with installer texts:
//                           0 French, 1 English, 2 German, 3 Spanish,
//                           4 Portuguese, 7 Turkish, 9 Romanian, 11 Italian)
//   /NOICONS                no shortcuts
//   /LOG="file"             the run's log lines and its result, in UTF-8
//   /? and /HELP            a box listing the switches and exit codes
// Switches are not case-sensitive. Without /SILENT or /VERYSILENT the wizard
// opens as usual, with /DIR, /LANG and /NOICONS as its starting values.
#pragma once

#include "install/install_display.h"

#include <boost/filesystem/fstream.hpp>
#include <cstdint>
#include <optional>
#include <string>

// Exit codes of an unattended run, in the Windows Installer convention.
enum UnattendedExitCode : int {
    kExitSuccess = 0,
    kExitCancelled = 1602,  // the user (or a default answer) cancelled
    kExitFailed = 1603,  // the installation failed and was rolled back
    kExitAnotherInstaller = 1618,  // another installer of the product is running
    kExitNewerInstalled = 1638,  // a newer version is installed
    kExitInvalidCommandLine = 1639,  // a switch is unknown or malformed
    kExitNotAdministrator = 1925,  // no administrator rights
    kExitProductRunning = 2000,  // the product is still running (this installer's own code)
};

struct InstallerOptions {
    bool verySilent = false;  // /VERYSILENT, /S
    bool silent = false;  // /SILENT
    bool suppressMessageBoxes = false;  // /SUPPRESSMSGBOXES
    bool help = false;  // /?, /HELP
    std::optional<std::wstring> installFolder;
    std::optional<int> language;
    bool noIcons = false;
    std::optional<std::wstring> logFile;

    // Nothing is shown at all: no window, no box.
    bool ShowsNothing() const { return verySilent; }
    // No wizard: the run goes ahead on its own (with or without a window).
    bool Unattended() const { return verySilent || silent; }
    // Boxes are answered with their default button instead of being shown.
    bool AnswersBoxesByDefault() const { return verySilent || (silent && suppressMessageBoxes); }
};

// What is wrong with a command line: the first switch that is unknown, or
// known but with a value it does not take.
struct CommandLineError {
    enum Kind { kNone, kUnknownSwitch, kInvalidSwitch };
    Kind kind = kNone;
    std::wstring argument;  // the switch as written
    std::wstring reason;  // why, in English, for the log file
};

// Parses the command line after the program's name. The whole line is read
// even after a wrong switch, so that the switches that say how to report it
// (/VERYSILENT, /SILENT, /SUPPRESSMSGBOXES, /LANG, /LOG) take effect; false
// with the first problem in `error`: an unknown switch, a switch without its
// value, a quoted /D=, a folder that IsAcceptedInstallFolder refuses, or a
// /LANG that names no installer language.
bool ParseInstallerOptions(const std::wstring& arguments, InstallerOptions& options, CommandLineError& error);

// A folder /DIR= and /D= take: absolute, either on a drive ("X:\...") or on
// a share ("\\server\share..."), shorter than 260 characters, and without
// characters that no file name may hold.
bool IsAcceptedInstallFolder(const std::wstring& folder);

// The button a message box of `type` (MessageBoxW's flags) answers when
// nobody presses one: its default button (MB_DEFBUTTON1 to 3).
int DefaultBoxAnswer(std::uint32_t type);

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
    void ShowProgress(bool) override { }
    void SetProgress(unsigned long long, unsigned long long) override { }
    void PumpMessages() override { }
    std::wstring& MainProgramPath() override { return m_mainProgramPath; }
    std::wstring& UninstallerPath() override { return m_uninstallerPath; }

private:
    void Write(const std::wstring& text);

    boost::filesystem::ofstream m_file;
    std::wstring m_status;
    std::wstring m_mainProgramPath;
    std::wstring m_uninstallerPath;
};

// A display that shows the run on one display (the /SILENT window) and
// copies its log lines to another (the log file). The paths are the shown
// display's.
class MirroredDisplay : public InstallDisplay {
public:
    MirroredDisplay(InstallDisplay& shown, InstallDisplay& copy)
        : m_shown(shown)
        , m_copy(copy)
    {
    }

    void SetStatus(const std::wstring& text) override;
    void SetStatusPath(const std::wstring& path) override;
    void AppendLogLine(const std::wstring& text, bool separator) override;
    void ShowProgress(bool shown) override { m_shown.ShowProgress(shown); }
    void SetProgress(unsigned long long done, unsigned long long total) override { m_shown.SetProgress(done, total); }
    void PumpMessages() override { m_shown.PumpMessages(); }
    std::wstring& MainProgramPath() override { return m_shown.MainProgramPath(); }
    std::wstring& UninstallerPath() override { return m_shown.UninstallerPath(); }

private:
    InstallDisplay& m_shown;
    InstallDisplay& m_copy;
};
