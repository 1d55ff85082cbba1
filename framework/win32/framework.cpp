// Windows, dialogs, data exchange and common controls for the wizard.
#include "framework/win32/framework.h"

#include <vector>

#include "framework/application.h"
#include "support/error.h"
#include "support/ui_hooks.h"

namespace afx {

namespace {

HWND& MainWindow()
{
    static HWND window = nullptr;
    return window;
}

HINSTANCE ModuleInstance()
{
    return ::GetModuleHandleW(nullptr);
}

// Thrown out of a data exchange pass that failed validation.
struct ValidationFailed { };

int& WaitCursorCount()
{
    static int count = 0;
    return count;
}

HCURSOR WaitCursorHandle()
{
    return ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
}

}  // namespace

void ReportException() noexcept
{
    try {
        av::show_error(av::current_exception_box_code());
    } catch (...) {
        // The box itself failed (no memory left): nothing more can be said.
    }
}

void ThrowCreateError(const CDialog& dialog)
{
    av::throw_system_error(dialog.LastCreateError());
}

CWaitCursor::CWaitCursor()
    : m_previous(::SetCursor(WaitCursorHandle()))
{
    ++WaitCursorCount();
}

CWaitCursor::~CWaitCursor()
{
    if (--WaitCursorCount() == 0)
        ::SetCursor(m_previous);
}

bool IsWaitCursorShown()
{
    return WaitCursorCount() > 0;
}

void SetMainWindow(HWND window)
{
    MainWindow() = window;
}
HWND GetMainWindow()
{
    return MainWindow();
}

HWND GetSafeOwner(HWND parent, HWND* disabledTop)
{
    HWND window = parent;
    if (window == nullptr)
        window = GetMainWindow();
    if (window != nullptr && !::IsWindow(window))
        window = nullptr;
    // No main window: the window that owns what this thread shows.
    if (window == nullptr)
        window = static_cast<HWND>(av::default_owner_window());
    // A pop-up cannot be owned by a child window.
    while (window != nullptr && (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0)
        window = ::GetParent(window);

    HWND top = window;
    for (HWND next = window; next != nullptr; next = ::GetParent(next))
        top = next;

    if (parent == nullptr && window != nullptr)
        window = ::GetLastActivePopup(window);

    if (disabledTop != nullptr) {
        *disabledTop = nullptr;
        if (top != nullptr && ::IsWindowEnabled(top) && top != window) {
            *disabledTop = top;
            ::EnableWindow(top, FALSE);
        }
    }
    return window;
}

int AfxMessageBox(const std::wstring& text, UINT type)
{
    return ::AfxMessageBox(text, type);
}

// ---- CWnd

std::wstring CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int got = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

void CWnd::SetWindowText(const std::wstring& text) const
{
    ::SetWindowTextW(m_hWnd, text.c_str());
}

std::wstring CWnd::GetDlgItemText(int id) const
{
    const HWND item = GetDlgItem(id);
    if (item == nullptr)
        return {};
    const int length = ::GetWindowTextLengthW(item);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int got = ::GetWindowTextW(item, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

void CWnd::SetDlgItemText(int id, const std::wstring& text) const
{
    ::SetDlgItemTextW(m_hWnd, id, text.c_str());
}

void CWnd::EnableDlgItem(int id, bool enabled) const
{
    if (const HWND item = GetDlgItem(id))
        ::EnableWindow(item, enabled);
}

RECT CWnd::GetItemRect(int id) const
{
    RECT rect {};
    const HWND item = GetDlgItem(id);
    if (item == nullptr)
        return rect;
    ::GetWindowRect(item, &rect);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CWnd::MoveItem(int id, const RECT& rect, bool repaint) const
{
    if (const HWND item = GetDlgItem(id))
        ::MoveWindow(item, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

// ---- data exchange

HWND CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = m_pDlgWnd->GetDlgItem(id);
    return m_lastControl;
}

void CDataExchange::Fail()
{
    m_failed = true;
    if (m_lastControl != nullptr) {
        ::SetFocus(m_lastControl);
        wchar_t className[16] = {};
        ::GetClassNameW(m_lastControl, className, 16);
        if (::lstrcmpiW(className, L"Edit") == 0)
            ::SendMessageW(m_lastControl, EM_SETSEL, 0, -1);
    }
    throw ValidationFailed {};
}

void DDX_Text(CDataExchange* pDX, int id, std::wstring& value)
{
    const HWND control = pDX->PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = pDX->m_pDlgWnd->GetDlgItemText(id);
    } else {
        ::SetWindowTextW(control, value.c_str());
    }
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value)
{
    HWND control = pDX->PrepareCtrl(firstId);
    if (control == nullptr)
        return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    // The group runs from the first button to the next control with WS_GROUP.
    int index = 0;
    do {
        if ((::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = index;
            } else {
                ::SendMessageW(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++index;
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
    } while (control != nullptr && (::GetWindowLongW(control, GWL_STYLE) & WS_GROUP) == 0);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    const HWND control = pDX->PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd == nullptr)
        control.m_hWnd = pDX->PrepareCtrl(id);
    pDX->m_lastControl = control.m_hWnd;
}

void DDV_MaxChars(CDataExchange* pDX, const std::wstring& value, int maxChars)
{
    if (pDX->m_bSaveAndValidate) {
        if (value.size() > static_cast<std::size_t>(maxChars)) {
            AfxMessageBox(
                L"Please enter no more than " + std::to_wstring(maxChars) + L" characters.", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    } else if (pDX->m_lastControl != nullptr) {
        ::SendMessageW(pDX->m_lastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    }
}

// ---- CDialog

CDialog::~CDialog()
{
    if (m_hWnd != nullptr && !m_modal) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
}

INT_PTR CDialog::DoModal(HWND parent)
{
    const HWND owner = GetSafeOwner(parent, nullptr);
    m_modal = true;
    m_initFailed = false;
    const INT_PTR result = ::DialogBoxParamW(
        ModuleInstance(), MAKEINTRESOURCEW(m_nIDTemplate), owner, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    m_modal = false;
    return m_initFailed ? -1 : result;
}

bool CDialog::Create(HWND parent)
{
    m_modal = false;
    m_initFailed = false;
    m_createError = 0;
    ::SetLastError(0);
    // (m_createError is filled by the dialog procedure when the
    // initialisation throws.)
    const HWND window = ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(m_nIDTemplate), parent,
        &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        m_createError = ::GetLastError();
        if (m_createError == 0)
            m_createError = ERROR_RESOURCE_NAME_NOT_FOUND;
        m_hWnd = nullptr;
        return false;
    }
    if (m_initFailed) {
        ::DestroyWindow(window);  // forgets the window (WM_NCDESTROY)
        return false;
    }
    return true;
}

void CDialog::EndDialog(int result)
{
    if (m_modal) {
        ::EndDialog(m_hWnd, result);
    } else {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange exchange(*this, saveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const ValidationFailed&) {
        return false;
    }
    return true;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

bool CDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (dialog == nullptr)
        return FALSE;

    if (message == WM_NCDESTROY) {
        // The window is gone: the object must not reach it any more (its
        // handle may soon name another window).
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
        return FALSE;
    }
    if (message == WM_SETCURSOR && IsWaitCursorShown()) {
        ::SetCursor(WaitCursorHandle());
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    try {
        return dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        if (message != WM_INITDIALOG) {
            ReportException();
            return FALSE;
        }
        // A dialog whose initialisation failed is not shown. A modal one
        // tells why and ends; the creator of a modeless one (a page) is
        // told by Create and reports it.
        dialog->m_initFailed = true;
        if (dialog->m_modal) {
            ReportException();
            ::EndDialog(window, -1);
        } else {
            dialog->m_createError = av::current_exception_box_code();
        }
        return FALSE;
    }
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    if (message == WM_COMMAND) {
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result))
        return FALSE;
    switch (message) {
    // Messages whose result is the dialog procedure's own return value.
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

// ---- common controls

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    DeleteImageList();
    m_hImageList = ::ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

int CImageList::Add(HICON icon)
{
    if (m_hImageList == nullptr || icon == nullptr)
        return -1;
    return ::ImageList_ReplaceIcon(m_hImageList, -1, icon);
}

void CImageList::DeleteImageList()
{
    if (m_hImageList != nullptr)
        ::ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
}

void CComboBoxEx::SetImageList(const CImageList& images) const
{
    ::SendMessageW(m_hWnd, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.m_hImageList));
}

int CComboBoxEx::InsertItem(int position, const std::wstring& text, int image, LPARAM data) const
{
    COMBOBOXEXITEMW item {};
    item.mask = CBEIF_TEXT | CBEIF_LPARAM;
    if (image >= 0)
        item.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = position;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = image;
    item.lParam = data;
    return static_cast<int>(::SendMessageW(m_hWnd, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int CComboBoxEx::GetCurSel() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0));
}

void CComboBoxEx::SetCurSel(int position) const
{
    ::SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

LPARAM CComboBoxEx::GetItemData(int position) const
{
    COMBOBOXEXITEMW item {};
    item.mask = CBEIF_LPARAM;
    item.iItem = position;
    if (!::SendMessageW(m_hWnd, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.lParam;
}

std::wstring CComboBoxEx::GetItemText(int position) const
{
    wchar_t buffer[128] = {};
    COMBOBOXEXITEMW item {};
    item.mask = CBEIF_TEXT;
    item.iItem = position;
    item.pszText = buffer;
    item.cchTextMax = 128;
    if (!::SendMessageW(m_hWnd, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return {};
    return item.pszText != nullptr ? std::wstring(item.pszText) : std::wstring();
}

int CComboBoxEx::GetCount() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0));
}

void CComboBoxEx::SetDroppedWidth(int width) const
{
    ::SendMessageW(m_hWnd, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

void CEdit::SetSel(int start, int end) const
{
    ::SendMessageW(m_hWnd, EM_SETSEL, static_cast<WPARAM>(start), end);
}

void CEdit::ReplaceSel(const std::wstring& text) const
{
    ::SendMessageW(m_hWnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void CEdit::LineScroll(int lines) const
{
    ::SendMessageW(m_hWnd, EM_LINESCROLL, 0, lines);
}

int CEdit::GetFirstVisibleLine() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, EM_GETFIRSTVISIBLELINE, 0, 0));
}

void CProgressCtrl::SetRange32(int lower, int upper) const
{
    ::SendMessageW(m_hWnd, PBM_SETRANGE32, lower, upper);
}
void CProgressCtrl::SetPos(int position) const
{
    ::SendMessageW(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}
int CProgressCtrl::GetPos() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
}

}  // namespace afx
