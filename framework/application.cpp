// The application base and its message boxes.
#include "framework/application.h"

#include "framework/app_name.h"
#include "lang/locale.h"
#include "support/ui_hooks.h"

namespace {

CWinApp*& CurrentApp()
{
    static CWinApp* app = nullptr;
    return app;
}

MessageBoxFunction& BoxOverride()
{
    static MessageBoxFunction function;
    return function;
}

}  // namespace

CWinApp::CWinApp()
{
    CurrentApp() = this;
}

CWinApp::~CWinApp()
{
    if (CurrentApp() == this)
        CurrentApp() = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

void CWinApp::SetAppName(const std::wstring& name)
{
    m_strAppName = name;
    m_pszAppName = m_strAppName.c_str();
    afx::SetAppName(name);
}

CWinApp* AfxGetApp()
{
    return CurrentApp();
}

int AfxWinMain()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    // No message loop of its own follows: the application's windows run
    // their own modal loops inside InitInstance. The process ends with the
    // code the application left (0 unless an unattended run says otherwise).
    app->InitInstance();
    return app->m_nExitCode;
}

int AfxMessageBox(const std::wstring& text, std::uint32_t type)
{
    if (const auto& function = BoxOverride())
        return function(text, type);
    return av::message_box(text, type);
}

int AfxMessageBox(unsigned id, std::uint32_t type)
{
    return AfxMessageBox(av::locale::load_message(static_cast<int>(id)), type);
}

void SetMessageBoxFunction(MessageBoxFunction function)
{
    BoxOverride() = std::move(function);
}
