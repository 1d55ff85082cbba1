// The few application-framework services the wizard uses, over plain Win32:
// windows and dialogs built from dialog templates (modal, or as child
// pages), message handling by virtual member functions, data exchange in
// both directions with maximum-length validation, the extended combo box
// with its image list, the edit box, the progress bar, and the safe owner
// of a modal box (which also serves the support library's `owner` hook).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/app_name.h"

namespace afx {

// The application's main window (the wizard frame), which owns its modal
// boxes (their caption is the name in framework/app_name.h).
void SetMainWindow(HWND window);
HWND GetMainWindow();

// The owner for a modal box: `parent` or the main window (never a child
// window), then its last active pop-up. When `disabledTop` is given, the
// owner's top-level window is disabled for the box (if it is another
// window and enabled) and returned there, else nullptr.
HWND GetSafeOwner(HWND parent, HWND* disabledTop);

// Fills the support library's `owner` hook with GetSafeOwner.
void InstallOwnerHook();

class CDialog;

// Throws the failure of a child dialog's Create as a system_error, for a
// parent whose own initialisation cannot go on without it.
[[noreturn]] void ThrowCreateError(const CDialog& dialog);

// Called inside a catch block of a window procedure or callback: shows the
// error box of the exception being handled (the system's text for its
// error code, through the support library's box). Nothing thrown may leave
// a window procedure: the system's code that called it cannot unwind.
void ReportException() noexcept;

// Shows the wait cursor from construction to destruction, also when the
// mouse moves meanwhile: every dialog of the framework answers WM_SETCURSOR
// with it while one of these exists. Scopes nest.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};
bool IsWaitCursorShown();

// A window handle with the operations the pages use. It does not own the window.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) const;
    std::wstring GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::wstring& text) const;
    void EnableDlgItem(int id, bool enabled) const;
    void ShowWindow(int command) const { ::ShowWindow(m_hWnd, command); }
    void EnableWindow(bool enabled) const { ::EnableWindow(m_hWnd, enabled); }

    // The rectangle of a child control in this window's client coordinates.
    RECT GetItemRect(int id) const;
    // Moves a child control (client coordinates), repainting or not.
    void MoveItem(int id, const RECT& rect, bool repaint = false) const;
};

class CDialog;

// One pass of data exchange between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate)
        : m_pDlgWnd(&dialog)
        , m_bSaveAndValidate(saveAndValidate)
    {
    }
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    HWND m_lastControl = nullptr;  // the control validation reports on
    bool m_failed = false;

    HWND PrepareCtrl(int id);
    // Marks the pass failed and puts the focus on the last control.
    void Fail();
};

// Text of an edit or static; a radio group starting at `firstId` (index of
// the checked button, -1 when none); a check box state; a control object.
void DDX_Text(CDataExchange* pDX, int id, std::wstring& value);
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Saving: refuses a text longer than `maxChars` with the framework's
// message; loading: limits the last edit control to `maxChars`.
void DDV_MaxChars(CDataExchange* pDX, const std::wstring& value, int maxChars);

// A dialog from a template of the executable's resources.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId)
        : m_nIDTemplate(templateId)
    {
    }
    ~CDialog() override;

    // Runs the dialog modally; returns the EndDialog result, or -1 when it
    // could not be created or its initialisation failed.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog as a modeless window (a page: a child of `parent`).
    // False, with no window left, when the template cannot be made into a
    // window or its initialisation threw; the system's error code (or the
    // error box's code of what was thrown) is then in LastCreateError().
    bool Create(HWND parent);
    DWORD LastCreateError() const { return m_createError; }
    void EndDialog(int result);

    // Data exchange: true loads the members from the controls (and
    // validates), false puts the members into the controls. False when
    // validation failed.
    bool UpdateData(bool saveAndValidate = true);

    UINT GetTemplateId() const { return m_nIDTemplate; }

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    // A WM_COMMAND; true when handled. The default sends IDOK and IDCANCEL
    // to OnOK and OnCancel.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    // Any other message; true when handled, with its result in `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    // The dialog procedure of every dialog: dispatches to the virtual
    // handlers, keeps exceptions from leaving (ReportException; a failed
    // initialisation ends the dialog), shows the wait cursor while one is
    // held, and forgets the window when it is destroyed.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    UINT m_nIDTemplate;
    bool m_modal = false;
    bool m_initFailed = false;
    DWORD m_createError = 0;
};

// Owns an image list.
class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    int Add(HICON icon);  // index of the image, -1 on failure
    void DeleteImageList();
    HIMAGELIST m_hImageList = nullptr;
};

class CComboBoxEx : public CWnd {
public:
    void SetImageList(const CImageList& images) const;
    // Inserts an item at `position`; returns its position or -1.
    int InsertItem(int position, const std::wstring& text, int image, LPARAM data) const;
    int GetCurSel() const;
    void SetCurSel(int position) const;
    LPARAM GetItemData(int position) const;
    std::wstring GetItemText(int position) const;
    int GetCount() const;
    void SetDroppedWidth(int width) const;
};

class CEdit : public CWnd {
public:
    void SetSel(int start, int end) const;
    void ReplaceSel(const std::wstring& text) const;
    void LineScroll(int lines) const;
    int GetFirstVisibleLine() const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int lower, int upper) const;
    void SetPos(int position) const;
    int GetPos() const;
};

// The application's modal message box (owner, caption and icon through the
// support library's hooks; tests may answer it, see SetMessageBoxFunction).
int AfxMessageBox(const std::wstring& text, UINT type);

}  // namespace afx
