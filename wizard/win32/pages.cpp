// The wizard's pages and the About box.
#include "wizard/win32/pages.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>

#include "lang/languages.h"
#include "lang/messages.h"
#include "support/version_info.h"
#include "support/win_path.h"
#include "wizard/folder_rules.h"
#include "wizard/navigation.h"
#include "wizard/win32/folder_picker.h"

namespace wizard {

namespace {

constexpr int kMaxFolderChars = static_cast<int>(winpath::kMaxPath);

struct ListedLanguage {
    int index;
    int icon;  // flag icon resource
};

// The product languages in the order of the Start page's list.
constexpr std::array<ListedLanguage, 14> kListedLanguages {{
    {0, 144},
    {1, 145},
    {2, 141},
    {3, 143},
    {11, 146},
    {4, 148},
    {5, 147},
    {15, 156},
    {14, 155},
    {7, 149},
    {8, 150},
    {9, 151},
    {10, 152},
    {19, 161},
}};

// The pixel width of a text in a window's font.
int TextWidth(HWND window, const std::wstring& text)
{
    const HDC dc = ::GetDC(window);
    if (dc == nullptr)
        return 0;
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    SIZE size {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (previous != nullptr)
        ::SelectObject(dc, previous);
    ::ReleaseDC(window, dc);
    return size.cx;
}

}  // namespace

// ---- CWizardPage

void CWizardPage::ApplyTexts(const ControlTexts& texts) const
{
    for (const auto& [id, text] : texts)
        SetDlgItemText(id, text);
}

void CWizardPage::GrowRight(int id, int dx) const
{
    RECT r = GetItemRect(id);
    r.right += dx;
    MoveItem(id, r);
}

void CWizardPage::GrowRightAndDown(int id, int dx, int dy) const
{
    RECT r = GetItemRect(id);
    r.right += dx;
    r.bottom += dy;
    MoveItem(id, r);
}

void CWizardPage::GrowRightMoveDown(int id, int dx, int dy) const
{
    RECT r = GetItemRect(id);
    r.right += dx;
    ::OffsetRect(&r, 0, dy);
    MoveItem(id, r);
}

void CWizardPage::MoveRight(int id, int dx) const
{
    RECT r = GetItemRect(id);
    ::OffsetRect(&r, dx, 0);
    MoveItem(id, r);
}

// ---- CDlgStart

BOOL CDlgStart::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_flags.Create(18, 12, ILC_COLOR24 | ILC_MASK, 8, 1);
    m_languages.SetImageList(m_flags);

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const int current = GetLanguageSettings().language;
    int selected = -1;
    int widest = 0;
    int position = 0;
    for (const ListedLanguage& language : kListedLanguages) {
        int image = -1;
        if (const HICON flag = static_cast<HICON>(
                ::LoadImageW(instance, MAKEINTRESOURCEW(language.icon), IMAGE_ICON, 16, 12, LR_DEFAULTCOLOR))) {
            image = m_flags.Add(flag);
            ::DestroyIcon(flag);
        }
        const std::wstring name = NativeLanguageName(language.index);
        const int inserted = m_languages.InsertItem(position, name, image, language.index);
        if (inserted < 0)
            continue;
        if (language.index == current)
            selected = inserted;
        widest = std::max(widest, TextWidth(m_hWnd, name));
        ++position;
    }
    m_languages.SetDroppedWidth(widest + 30);
    m_languages.SetCurSel(selected);
    return TRUE;
}

void CDlgStart::DoDataExchange(afx::CDataExchange* pDX)
{
    afx::DDX_Control(pDX, 1023, m_languages);
}

bool CDlgStart::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == 1023 && code == CBN_SELCHANGE) {
        const int position = m_languages.GetCurSel();
        if (position < 0)
            return true;
        m_app.LanguageSelected(static_cast<int>(m_languages.GetItemData(position)));
        if (m_onLanguageChanged)
            m_onLanguageChanged();
        return true;
    }
    return CWizardPage::OnCommand(id, code, control);
}

void CDlgStart::UpdateTexts()
{
    ApplyTexts(StartPageTexts(m_app.UpdateState(), m_app.ProductLabel(false), m_app.PreviousVersion()));
}

void CDlgStart::ResizeChildren(int dx, int dy)
{
    GrowRight(1023, dx);
    GrowRight(1020, dx);
    GrowRightAndDown(1016, dx, dy);
    GrowRightMoveDown(kIdStatus, dx, dy);
}

// ---- CDlgMode

void CDlgMode::DoDataExchange(afx::CDataExchange* pDX)
{
    if (!pDX->m_bSaveAndValidate)
        m_nMode = m_app.AdvancedMode() ? 1 : 0;
    afx::DDX_Radio(pDX, 1018, m_nMode);
    if (pDX->m_bSaveAndValidate)
        m_app.SetAdvancedMode(m_nMode == 1);
}

void CDlgMode::UpdateTexts()
{
    ApplyTexts(ModePageTexts());
}

void CDlgMode::ResizeChildren(int dx, int dy)
{
    GrowRight(1021, dx);
    GrowRight(1018, dx);
    GrowRight(1019, dx);
    GrowRightMoveDown(kIdStatus, dx, dy);
}

// ---- CDlgPath

BOOL CDlgPath::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_app.UpdateState() != FreshInstall) {
        // An installed product keeps its folder.
        EnableDlgItem(1009, false);
        EnableDlgItem(1006, false);
        ::SendMessageW(GetDlgItem(1007), EM_SETREADONLY, TRUE, 0);
    }
    return TRUE;
}

void CDlgPath::DoDataExchange(afx::CDataExchange* pDX)
{
    if (!pDX->m_bSaveAndValidate)
        m_strFolder = m_app.InstallFolder();
    afx::DDX_Text(pDX, 1007, m_strFolder);
    afx::DDV_MaxChars(pDX, m_strFolder, kMaxFolderChars);
    if (pDX->m_bSaveAndValidate)
        m_app.SetInstallFolder(m_strFolder);
}

bool CDlgPath::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == 1006 && code == BN_CLICKED) {
        OnBrowse();
        return true;
    }
    return CWizardPage::OnCommand(id, code, control);
}

void CDlgPath::OnBrowse()
{
    UpdateData(true);  // a refused text is reported, and the picker opens anyway
    const std::wstring title = Message(msg::SelectInstallationFolder, {m_app.ProductLabel(true)});
    const std::wstring chosen = BrowseInstallFolder(m_app.InstallFolder(), m_app.ProductFolderName(), title);
    if (chosen.empty())
        return;
    m_app.SetInstallFolder(chosen);
    UpdateData(false);
}

void CDlgPath::UpdateTexts()
{
    ApplyTexts(FolderPageTexts(m_app.ProductLabel(true)));
}

void CDlgPath::ResizeChildren(int dx, int dy)
{
    GrowRight(1008, dx);
    GrowRight(1009, dx);
    GrowRight(1007, dx);
    MoveRight(1006, dx);
    GrowRightMoveDown(kIdStatus, dx, dy);
}

// ---- CDlgShortcut

BOOL CDlgShortcut::OnInitDialog()
{
    wchar_t root[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_STARTMENU, nullptr, 0, root)) ||
        SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_STARTMENU, nullptr, 0, root)))
        m_strRoot = root;
    CDialog::OnInitDialog();
    ApplyStartMenuCheck();
    return TRUE;
}

void CDlgShortcut::ApplyStartMenuCheck() const
{
    const bool on = ::IsDlgButtonChecked(m_hWnd, 1011) == BST_CHECKED;
    EnableDlgItem(1007, on);
    EnableDlgItem(1006, on);
}

void CDlgShortcut::DoDataExchange(afx::CDataExchange* pDX)
{
    if (!pDX->m_bSaveAndValidate) {
        m_nDesktop = m_app.DesktopShortcut() ? 1 : 0;
        m_nStartMenu = m_app.StartMenuShortcut() ? 1 : 0;
        // A folder on another volume than the start menu is shown in full.
        const std::wstring folder = m_app.StartMenuFolder();
        m_strRelative = StartMenuRelativeText(m_strRoot, folder).value_or(folder);
    }
    afx::DDX_Check(pDX, 1010, m_nDesktop);
    afx::DDX_Check(pDX, 1011, m_nStartMenu);
    afx::DDX_Text(pDX, 1007, m_strRelative);
    afx::DDV_MaxChars(pDX, m_strRelative, kMaxFolderChars);
    if (pDX->m_bSaveAndValidate) {
        m_app.SetDesktopShortcut(m_nDesktop == BST_CHECKED);
        m_app.SetStartMenuShortcut(m_nStartMenu == BST_CHECKED);
        if (const auto folder = StartMenuFolderFromText(m_strRoot, m_strRelative))
            m_app.SetStartMenuFolder(*folder);
    } else {
        ApplyStartMenuCheck();
    }
}

bool CDlgShortcut::OnCommand(WORD id, WORD code, HWND control)
{
    if (code == BN_CLICKED && id == 1006) {
        OnBrowse();
        return true;
    }
    if (code == BN_CLICKED && id == 1011) {
        ApplyStartMenuCheck();
        return true;
    }
    return CWizardPage::OnCommand(id, code, control);
}

void CDlgShortcut::OnBrowse()
{
    UpdateData(true);
    const std::wstring chosen =
        BrowseStartMenuFolder(m_app.StartMenuFolder(), m_app.ProductFolderName(), Message(msg::StartMenuShortcut));
    if (chosen.empty())
        return;
    m_app.SetStartMenuFolder(chosen);
    UpdateData(false);
}

void CDlgShortcut::UpdateTexts()
{
    ApplyTexts(ShortcutPageTexts());
}

void CDlgShortcut::ResizeChildren(int dx, int dy)
{
    GrowRight(1012, dx);
    GrowRight(1011, dx);
    GrowRight(1007, dx);
    MoveRight(1006, dx);
    GrowRight(1010, dx);
    GrowRightMoveDown(kIdStatus, dx, dy);
}

// ---- CDlgInstall

BOOL CDlgInstall::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_progress.SetRange32(0, 100);
    m_progress.ShowWindow(SW_HIDE);
    return TRUE;
}

void CDlgInstall::DoDataExchange(afx::CDataExchange* pDX)
{
    afx::DDX_Control(pDX, 1015, m_log);
    afx::DDX_Control(pDX, 1014, m_progress);
    if (pDX->m_bSaveAndValidate || m_app.InstallationDone())
        return;
    // Entering the page before a successful run: the summary of the options.
    m_log.SetWindowText(L"");
    SummaryOptions options;
    options.productLabel = m_app.ProductLabel(false);
    options.installFolder = m_app.InstallFolder();
    options.startMenuFolder = m_app.StartMenuFolder();
    options.startMenuShortcut = m_app.StartMenuShortcut();
    options.desktopShortcut = m_app.DesktopShortcut();
    for (const LogLine& line : OptionSummary(options))
        AppendLogLine(line.text, line.separator);
    for (int guard = 0; m_log.GetFirstVisibleLine() > 0 && guard < 10000; ++guard)
        m_log.LineScroll(-1);
}

void CDlgInstall::AppendLogLine(const std::wstring& text, bool separator)
{
    RECT client {};
    ::GetClientRect(m_log.m_hWnd, &client);
    const DWORD margins = static_cast<DWORD>(::SendMessageW(m_log.m_hWnd, EM_GETMARGINS, 0, 0));
    const int available = (client.right - client.left) - (LOWORD(margins) + HIWORD(margins) + 2);
    const HWND dialog = m_hWnd;
    const std::wstring line =
        ComposeLogLine(text, separator, available, [dialog](const std::wstring& t) { return TextWidth(dialog, t); });
    const int end = ::GetWindowTextLengthW(m_log.m_hWnd);
    m_log.SetSel(end, end);
    m_log.ReplaceSel(line);
    m_log.LineScroll(1);
}

void CDlgInstall::SetStatus(const std::wstring& text)
{
    SetDlgItemText(kIdStatus, text);
}

void CDlgInstall::SetStatusPath(const std::wstring& path)
{
    ::PathSetDlgItemPathW(m_hWnd, kIdStatus, path.c_str());
}

void CDlgInstall::ShowProgress(bool shown)
{
    m_progress.SetPos(0);
    m_progress.ShowWindow(shown ? SW_SHOW : SW_HIDE);
}

void CDlgInstall::SetProgress(unsigned long long done, unsigned long long total)
{
    m_progress.SetPos(ProgressPosition(done, total));
}

void CDlgInstall::PumpMessages()
{
    const HWND frame = ::GetAncestor(m_hWnd, GA_ROOT);
    MSG message {};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit for the loop that owns it.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        // What a handler throws while the run waits here is told and
        // dropped: it belongs to that message, not to the run.
        try {
            if (frame != nullptr && ::IsDialogMessageW(frame, &message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        } catch (...) {
            afx::ReportException();
        }
    }
}

void CDlgInstall::UpdateTexts()
{
    ApplyTexts(InstallPageTexts());
}

void CDlgInstall::ResizeChildren(int dx, int dy)
{
    GrowRightAndDown(1015, dx, dy);
    GrowRightMoveDown(1014, dx, dy);
    GrowRightMoveDown(kIdStatus, dx, dy);
}

// ---- CDlgEnd

void CDlgEnd::DoDataExchange(afx::CDataExchange* pDX)
{
    if (!pDX->m_bSaveAndValidate && m_app.InstallationDone())
        SetDlgItemText(1016, EndPageResultText());
}

void CDlgEnd::UpdateTexts()
{
    ApplyTexts(EndPageTexts());
}

void CDlgEnd::ResizeChildren(int dx, int dy)
{
    GrowRightAndDown(1016, dx, dy);
    GrowRightMoveDown(kIdStatus, dx, dy);
}

// ---- CAboutDlg

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(AboutCaption(m_app.ApplicationTitle(false), GetWindowText()));
    const av::version_info own = av::version_info::from_module();
    const std::wstring product = own.display_version();
    if (!product.empty())
        SetDlgItemText(1019, product);
    const std::wstring notice = own.legal_notice();
    if (!notice.empty())
        SetDlgItemText(1020, notice);
    SetDlgItemText(IDOK, Message(msg::Ok));
    return TRUE;
}

}  // namespace wizard
