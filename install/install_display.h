// What the installation run sees of the page it runs on (the wizard's
// Install page, or the log file of an unattended run): a status line, a
// log, a progress bar, and the paths of the installed main program and
// uninstaller.
#pragma once

#include <string>

class InstallDisplay {
public:
    virtual ~InstallDisplay() = default;

    // The status line (control 1003), as a text or as a path compacted to
    // the width of the line.
    virtual void SetStatus(const std::wstring& text) = 0;
    virtual void SetStatusPath(const std::wstring& path) = 0;
    // Appends to the log: the text unchanged, or a separator line of dashes
    // (with the text centred when not empty).
    virtual void AppendLogLine(const std::wstring& text, bool separator) = 0;
    // The progress bar: shown or hidden, and its position from byte counts
    // (ProgressPosition).
    virtual void ShowProgress(bool shown) = 0;
    virtual void SetProgress(unsigned long long done, unsigned long long total) = 0;
    // Dispatches the window messages waiting for this thread, so that the
    // wizard stays painted during the run.
    virtual void PumpMessages() = 0;

    // The paths of the installed main program and uninstaller, filled by
    // the run while it writes them.
    virtual std::wstring& MainProgramPath() = 0;
    virtual std::wstring& UninstallerPath() = 0;
};
