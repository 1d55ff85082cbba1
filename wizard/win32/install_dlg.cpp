// The wizard frame.
#include "wizard/win32/install_dlg.h"

#include "lang/languages.h"
#include "lang/messages.h"
#include "support/ui_hooks.h"
#include "wizard/frame_geometry.h"
#include "wizard/page_texts.h"

namespace wizard {

namespace {

constexpr int kIdBannerBackground = 1005;
constexpr int kIdSeparator = 1002;

int Width(const RECT& r)
{
    return r.right - r.left;
}
int Height(const RECT& r)
{
    return r.bottom - r.top;
}

// The frame's normal (restored) rectangle in screen coordinates
// (NormalFrameRect): a minimized frame's placement counts from the work area
// of its monitor, except for a tool window.
bool NormalRectOnScreen(HWND window, RECT& rect)
{
    RECT standing {};
    if (!::GetWindowRect(window, &standing))
        return false;
    WINDOWPLACEMENT placement {};
    placement.length = sizeof placement;
    const bool minimized = ::IsIconic(window) != FALSE;
    if (minimized && !::GetWindowPlacement(window, &placement))
        return false;
    POINT work {0, 0};
    if (minimized && (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0) {
        MONITORINFO monitor {};
        monitor.cbSize = sizeof monitor;
        if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
            work = {monitor.rcWork.left, monitor.rcWork.top};
    }
    const RECT& normal = placement.rcNormalPosition;
    const FrameRect result = NormalFrameRect(minimized, {standing.left, standing.top, standing.right, standing.bottom},
        {normal.left, normal.top, normal.right, normal.bottom}, work.x, work.y);
    rect = {result.left, result.top, result.right, result.bottom};
    return true;
}

RECT WindowRectIn(HWND window, HWND parent)
{
    RECT r {};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

CInstallDlg::CInstallDlg(WizardApp& app)
    : CDialog(102)
    , m_app(app)
    , m_dlgStart(app)
    , m_dlgMode(app)
    , m_dlgPath(app)
    , m_dlgShortcut(app)
    , m_dlgInstall(app)
    , m_dlgEnd(app)
    , m_navigator(*this)
{
}

BOOL CInstallDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    afx::SetMainWindow(m_hWnd);
    const std::wstring title = m_app.ApplicationTitle(true);
    SetWindowText(title);
    afx::SetAppName(title);

    UpdateSystemMenu(true);
    if (const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    }
    // The application's icon, as the support library's hook gives it.
    if (const auto& iconHook = av::ui_hooks::instance().icon) {
        if (const HICON icon = static_cast<HICON>(iconHook()))
            ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }

    m_pages = {&m_dlgStart, &m_dlgMode, &m_dlgPath, &m_dlgShortcut, &m_dlgInstall, &m_dlgEnd};
    // A wizard with a page missing cannot be gone through: the frame's
    // initialisation fails with the page's reason (a modal frame shows it
    // and DoModal returns -1).
    for (CWizardPage* page : m_pages) {
        if (!page->Create(m_hWnd))
            afx::ThrowCreateError(*page);
    }
    m_dlgStart.m_onLanguageChanged = [this] { UpdateTexts(); };

    LayOut();
    UpdateTexts();
    ShowPage(kPageStart);
    if (m_app.UpdateState() == NewerInstalled)
        EnableDlgItem(kIdNext, false);
    return TRUE;
}

void CInstallDlg::LayOut()
{
    // The banner picture is shown at its own size, but never beyond its
    // white background: a larger picture would paint over the pages.
    const RECT background = GetItemRect(kIdBannerBackground);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
            continue;
        const RECT picture = WindowRectIn(child, m_hWnd);
        RECT inside {};
        ::IntersectRect(&inside, &picture, &background);
        if (!::EqualRect(&inside, &picture))
            ::SetWindowPos(child, nullptr, 0, 0, Width(inside), Height(inside),
                SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }

    RECT client {};
    ::GetClientRect(m_hWnd, &client);
    client.left = GetItemRect(kIdBannerBackground).right;
    client.bottom = GetItemRect(kIdSeparator).top;

    RECT all = client;
    for (CWizardPage* page : m_pages) {
        if (page->m_hWnd == nullptr)
            continue;
        ::SetWindowPos(page->m_hWnd, nullptr, client.left, client.top, 0, 0,
            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        const RECT r = WindowRectIn(page->m_hWnd, m_hWnd);
        ::UnionRect(&all, &all, &r);
    }
    const int dx = Width(all) - Width(client);
    const int dy = Height(all) - Height(client);

    RECT frame {};
    ::GetWindowRect(m_hWnd, &frame);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, Width(frame) + dx, Height(frame) + dy,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);

    for (CWizardPage* page : m_pages) {
        if (page->m_hWnd == nullptr)
            continue;
        const RECT r = WindowRectIn(page->m_hWnd, m_hWnd);
        ::MoveWindow(page->m_hWnd, all.left, all.top, Width(all), Height(all), FALSE);
        page->ResizeChildren(Width(all) - Width(r), Height(all) - Height(r));
    }

    RECT banner = GetItemRect(kIdBannerBackground);
    banner.bottom += dy;
    MoveItem(kIdBannerBackground, banner);
    RECT separator = GetItemRect(kIdSeparator);
    separator.right += dx;
    ::OffsetRect(&separator, 0, dy);
    MoveItem(kIdSeparator, separator);
    for (int id : {kIdBack, kIdNext, kIdCancel}) {
        RECT button = GetItemRect(id);
        ::OffsetRect(&button, dx, dy);
        MoveItem(id, button);
    }
}

void CInstallDlg::UpdateSystemMenu(bool create)
{
    const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (menu == nullptr)
        return;
    const std::wstring text = AboutMenuText(m_app.ApplicationTitle(false), GetLanguageSettings().rightToLeft);
    if (create) {
        if (text.empty())
            return;
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, kIdmAboutBox, text.c_str());
    } else {
        ::ModifyMenuW(menu, kIdmAboutBox, MF_BYCOMMAND | MF_STRING, kIdmAboutBox, text.c_str());
    }
}

void CInstallDlg::UpdateTexts()
{
    const std::wstring title = m_app.ApplicationTitle(true);
    SetWindowText(title);
    afx::SetAppName(title);
    UpdateSystemMenu(false);
    m_navigator.UpdateButtons();
    for (CWizardPage* page : m_pages) {
        if (page->m_hWnd != nullptr)
            page->UpdateTexts();
    }
}

void CInstallDlg::OnOK()
{
    if (m_running)
        return;
    m_navigator.Next();
}

void CInstallDlg::OnCancel()
{
    // Escape and the close box while the installation runs do nothing: the
    // run cannot be abandoned half-way.
    if (m_running)
        return;
    m_navigator.Cancel();
}

bool CInstallDlg::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == kIdBack && code == BN_CLICKED) {
        if (!m_running)
            m_navigator.Back();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CInstallDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == kIdmAboutBox) {
            CAboutDlg about(m_app);
            about.DoModal(m_hWnd);
            result = 0;
            return true;
        }
        return false;
    case WM_GETMINMAXINFO: {
        // Maximizing keeps the frame's geometry.
        RECT normal {};
        if (NormalRectOnScreen(m_hWnd, normal)) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxSize = {Width(normal), Height(normal)};
            info->ptMaxPosition = {normal.left, normal.top};
        }
        result = 0;
        return true;
    }
    case WM_DESTROY:
        if (afx::GetMainWindow() == m_hWnd)
            afx::SetMainWindow(nullptr);
        return false;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) != 0) {
            const HMENU menu = reinterpret_cast<HMENU>(wParam);
            const bool iconic = ::IsIconic(m_hWnd) != FALSE;
            ::EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | (iconic ? MF_GRAYED : MF_ENABLED));
            ::EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | (iconic ? MF_ENABLED : MF_GRAYED));
        }
        return false;
    default:
        return false;
    }
}

bool CInstallDlg::SavePage(int page)
{
    return m_pages[static_cast<std::size_t>(page)]->UpdateData(true);
}

void CInstallDlg::LoadPage(int page)
{
    m_pages[static_cast<std::size_t>(page)]->UpdateData(false);
}

void CInstallDlg::SetPageVisible(int page, bool visible)
{
    m_pages[static_cast<std::size_t>(page)]->ShowWindow(visible ? SW_SHOW : SW_HIDE);
}

void CInstallDlg::SetButtonTexts(const ButtonTexts& texts)
{
    SetDlgItemText(kIdNext, texts.next);
    SetDlgItemText(kIdBack, texts.back);
    SetDlgItemText(kIdCancel, texts.cancel);
}

void CInstallDlg::EnableButton(int id, bool enabled)
{
    EnableDlgItem(id, enabled);
}

void CInstallDlg::SetDefaultButton(int id)
{
    if (const HWND button = GetDlgItem(id))
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
    ::SendMessageW(m_hWnd, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

bool CInstallDlg::RunInstallation()
{
    // The wait cursor stays until the run returns, wherever the mouse goes.
    const afx::CWaitCursor waiting;
    m_running = true;
    bool done = false;
    try {
        done = m_app.RunInstallation(m_dlgInstall);
    } catch (...) {
        m_running = false;
        throw;
    }
    m_running = false;
    return done;
}

bool CInstallDlg::ConfirmExit()
{
    return afx::AfxMessageBox(Message(msg::ConfirmExit), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CInstallDlg::EndWizard(bool ok)
{
    EndDialog(ok ? IDOK : IDCANCEL);
}

}  // namespace wizard
