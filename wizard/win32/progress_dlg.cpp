// The progress window of /SILENT.
#include "wizard/win32/progress_dlg.h"

#include <algorithm>

#include "support/ui_hooks.h"

namespace wizard {

namespace {

constexpr int kIdBannerBackground = 1005;

int Width(const RECT& r)
{
    return r.right - r.left;
}
int Height(const RECT& r)
{
    return r.bottom - r.top;
}

}  // namespace

CProgressDlg::CProgressDlg(WizardApp& app, std::function<bool(InstallDisplay& page)> run)
    : CDialog(103)
    , m_app(app)
    , m_page(app)
    , m_run(std::move(run))
{
}

BOOL CProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    afx::SetMainWindow(m_hWnd);
    const std::wstring title = m_app.ApplicationTitle(true);
    SetWindowText(title);
    afx::SetAppName(title);
    if (const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        for (const UINT command : {SC_MAXIMIZE, SC_SIZE, SC_CLOSE})
            ::DeleteMenu(menu, command, MF_BYCOMMAND);
    }
    if (const auto& iconHook = av::ui_hooks::instance().icon) {
        if (const HICON icon = static_cast<HICON>(iconHook()))
            ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    if (!m_page.Create(m_hWnd))
        afx::ThrowCreateError(m_page);
    // The page fills the window right of the banner; the window grows when
    // the page is larger.
    RECT client {};
    ::GetClientRect(m_hWnd, &client);
    client.left = GetItemRect(kIdBannerBackground).right;
    RECT page {};
    ::GetWindowRect(m_page.m_hWnd, &page);
    const int dx = std::max(0, Width(page) - Width(client));
    const int dy = std::max(0, Height(page) - Height(client));
    RECT frame {};
    ::GetWindowRect(m_hWnd, &frame);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, Width(frame) + dx, Height(frame) + dy,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    client.right += dx;
    client.bottom += dy;
    ::MoveWindow(m_page.m_hWnd, client.left, client.top, Width(client), Height(client), FALSE);
    m_page.ResizeChildren(Width(client) - Width(page), Height(client) - Height(page));
    RECT banner = GetItemRect(kIdBannerBackground);
    banner.bottom += dy;
    MoveItem(kIdBannerBackground, banner);

    m_page.UpdateTexts();
    m_page.UpdateData(false);  // the option summary
    m_page.ShowWindow(SW_SHOW);
    ::PostMessageW(m_hWnd, kStartRunMessage, 0, 0);
    return TRUE;
}

void CProgressDlg::OnCancel()
{
    // Nothing to cancel: the run cannot be abandoned half-way, and the
    // window closes itself when it is over.
}

bool CProgressDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result)
{
    if (message == kStartRunMessage) {
        Run();
        result = 0;
        return true;
    }
    if (message == WM_DESTROY && afx::GetMainWindow() == m_hWnd)
        afx::SetMainWindow(nullptr);
    return false;
}

void CProgressDlg::Run()
{
    if (m_started)
        return;
    m_started = true;
    // The modal loop may not have shown the window yet: it is shown now, so
    // that the person at the machine sees the run from its start.
    ShowWindow(SW_SHOW);
    ::UpdateWindow(m_hWnd);
    {
        const afx::CWaitCursor waiting;
        m_installed = m_run ? m_run(m_page) : false;
    }
    m_app.SetInstallationDone(m_installed);
    EndDialog(m_installed ? IDOK : IDCANCEL);
}

}  // namespace wizard
