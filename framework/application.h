// A thin application base in the manner of the framework the installer's
// application layer is written for: one application object per process with
// its name (the caption of every message box it shows) and main window,
// InitInstance called once by the entry point, message boxes by text or by
// string id (message templates are formatted by lang/messages.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The application's start; false ends the process without a message loop.
    virtual bool InitInstance();

    // The application name: the caption of every message box; null until set.
    void SetAppName(const std::wstring& name);

    const wchar_t* m_pszAppName = nullptr;
    void* m_pMainWnd = nullptr;  // the main window object (the wizard frame) while it runs
    int m_nExitCode = 0;  // the process's exit code once InitInstance returns

private:
    std::wstring m_strAppName;
};

// The process's application object (the one constructed last), or null.
CWinApp* AfxGetApp();

// Runs the application object: InitInstance, then ends with the
// application's m_nExitCode. The installer's InitInstance always returns false.
int AfxWinMain();

// Message box types and answers used by the application layer (the values of
// MessageBoxW).
inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbRetryCancel = 0x5;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconWarning = 0x30;
inline constexpr std::uint32_t kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdRetry = 4;

// A modal message box through the support library (caption: the application
// name). The string-id form loads the raw string `id` (callers pass
// LocalizedStringId of a message).
int AfxMessageBox(const std::wstring& text, std::uint32_t type = kMbOk);
int AfxMessageBox(unsigned id, std::uint32_t type = kMbOk);

// Replaces where AfxMessageBox shows its boxes (tests record them and answer
// for the user); an empty function restores the support library's box.
using MessageBoxFunction = std::function<int(const std::wstring& text, std::uint32_t type)>;
void SetMessageBoxFunction(MessageBoxFunction function);
