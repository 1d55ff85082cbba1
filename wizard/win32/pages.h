// The wizard's six pages (child dialogs of the frame) and the About box.
// Each page reloads its texts for the current language (UpdateTexts),
// adapts its controls when the frame makes it larger (ResizeChildren), and
// exchanges its values with the application through data exchange.
#pragma once

#include <functional>
#include <string>

#include "framework/win32/framework.h"
#include "install/install_display.h"
#include "wizard/page_texts.h"
#include "wizard/wizard_app.h"

namespace wizard {

class CWizardPage : public afx::CDialog {
public:
    CWizardPage(UINT templateId, WizardApp& app)
        : CDialog(templateId)
        , m_app(app)
    {
    }

    virtual void UpdateTexts() = 0;
    virtual void ResizeChildren(int dx, int dy) = 0;

protected:
    // Enter and Escape belong to the frame, never to a page.
    void OnOK() override { }
    void OnCancel() override { }

    void ApplyTexts(const ControlTexts& texts) const;
    void GrowRight(int id, int dx) const;
    void GrowRightAndDown(int id, int dx, int dy) const;  // right and bottom edges
    void GrowRightMoveDown(int id, int dx, int dy) const;  // right edge, then moved down
    void MoveRight(int id, int dx) const;

    WizardApp& m_app;
};

// Page 0: language list and the situation.
class CDlgStart : public CWizardPage {
public:
    explicit CDlgStart(WizardApp& app)
        : CWizardPage(132, app)
    {
    }
    // Called after the user chose a language (the frame reloads all texts).
    std::function<void()> m_onLanguageChanged;

    void UpdateTexts() override;
    void ResizeChildren(int dx, int dy) override;
    const afx::CComboBoxEx& LanguageList() const { return m_languages; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    afx::CComboBoxEx m_languages;
    afx::CImageList m_flags;
};

// Page 1: quick or advanced installation.
class CDlgMode : public CWizardPage {
public:
    explicit CDlgMode(WizardApp& app)
        : CWizardPage(136, app)
    {
    }
    void UpdateTexts() override;
    void ResizeChildren(int dx, int dy) override;

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;

private:
    int m_nMode = -1;
};

// Page 2: the installation folder.
class CDlgPath : public CWizardPage {
public:
    explicit CDlgPath(WizardApp& app)
        : CWizardPage(133, app)
    {
    }
    void UpdateTexts() override;
    void ResizeChildren(int dx, int dy) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void OnBrowse();
    std::wstring m_strFolder;
};

// Page 3: the start-menu and desktop shortcuts.
class CDlgShortcut : public CWizardPage {
public:
    explicit CDlgShortcut(WizardApp& app)
        : CWizardPage(134, app)
    {
    }
    void UpdateTexts() override;
    void ResizeChildren(int dx, int dy) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(afx::CDataExchange* pDX) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void OnBrowse();
    void ApplyStartMenuCheck() const;
    int m_nDesktop = 0;
    int m_nStartMenu = 0;
    std::wstring m_strRelative;
    std::wstring m_strRoot;
};

// Page 4: the option summary, then the installation's display.
class CDlgInstall : public CWizardPage, public InstallDisplay {
public:
    explicit CDlgInstall(WizardApp& app)
        : CWizardPage(135, app)
    {
    }
    void UpdateTexts() override;
    void ResizeChildren(int dx, int dy) override;

    // InstallDisplay
    void SetStatus(const std::wstring& text) override;
    void SetStatusPath(const std::wstring& path) override;
    void AppendLogLine(const std::wstring& text, bool separator) override;
    void ShowProgress(bool shown) override;
    void SetProgress(unsigned long long done, unsigned long long total) override;
    void PumpMessages() override;
    std::wstring& MainProgramPath() override { return m_strMainProgram; }
    std::wstring& UninstallerPath() override { return m_strUninstaller; }

    std::wstring LogText() const { return m_log.GetWindowText(); }
    int ProgressPos() const { return m_progress.GetPos(); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(afx::CDataExchange* pDX) override;

private:
    afx::CEdit m_log;
    afx::CProgressCtrl m_progress;
    std::wstring m_strMainProgram;
    std::wstring m_strUninstaller;
};

// Page 5: the result.
class CDlgEnd : public CWizardPage {
public:
    explicit CDlgEnd(WizardApp& app)
        : CWizardPage(137, app)
    {
    }
    void UpdateTexts() override;
    void ResizeChildren(int dx, int dy) override;

protected:
    void DoDataExchange(afx::CDataExchange* pDX) override;
};

// The About box of the system menu.
class CAboutDlg : public afx::CDialog {
public:
    explicit CAboutDlg(WizardApp& app)
        : CDialog(100)
        , m_app(app)
    {
    }

protected:
    BOOL OnInitDialog() override;

private:
    WizardApp& m_app;
};

}  // namespace wizard
