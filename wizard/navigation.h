// The wizard's navigation without windows: which page a move lands on
// (quick mode skips the Folder and Shortcut pages), the texts and states of
// the three buttons, when leaving asks for confirmation, and the frame's
// Next / Back / Cancel sequences. The frame dialog is a `WizardHost` that
// renders what the navigator decides; tests drive a host of their own.
#pragma once

#include <string>

#include "install/installation_state.h"

namespace wizard {

// Pages in the frame's table.
enum Page : int {
    kPageNone = -1,
    kPageStart = 0,
    kPageMode = 1,
    kPageFolder = 2,
    kPageShortcut = 3,
    kPageInstall = 4,
    kPageEnd = 5,
    kPageCount = 6,
};

// Control ids of the frame's buttons (Next is the dialog's OK command,
// Cancel its Cancel command).
inline constexpr int kIdNext = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdBack = 3;

// The page a move from `current` towards `target` lands on: in quick mode the
// Folder and Shortcut pages are passed over in the direction of travel.
int ResolveTargetPage(int current, int target, bool advancedMode);

struct ButtonTexts {
    std::wstring next;
    std::wstring back;
    std::wstring cancel;
};
// Next reads "Install" on the Install page until the installation succeeded.
ButtonTexts MakeButtonTexts(int current, bool installationDone);

struct ButtonStates {
    bool backEnabled = false;
    bool nextEnabled = false;
    int defaultId = kIdNext;  // the button that gets the focus and the default
};
ButtonStates MakeButtonStates(int current, bool installationDone);

// Cancel asks message 110 unless the installation is done, a newer version
// is installed (nothing can be done anyway) or a reinstallation is being
// declined on the Start page.
bool ExitNeedsConfirmation(bool installationDone, int updateState, int current);

// What the navigator asks of the frame.
class WizardHost {
public:
    virtual ~WizardHost() = default;

    // Data exchange of a page; a failed save keeps the user on the page.
    virtual bool SavePage(int page) = 0;
    virtual void LoadPage(int page) = 0;
    virtual void SetPageVisible(int page, bool visible) = 0;

    virtual void SetButtonTexts(const ButtonTexts& texts) = 0;
    virtual void EnableButton(int id, bool enabled) = 0;
    // Focus and default push button.
    virtual void SetDefaultButton(int id) = 0;

    // The installation state of the application.
    virtual bool AdvancedMode() const = 0;
    virtual bool InstallationDone() const = 0;
    virtual void SetInstallationDone(bool done) = 0;
    virtual int UpdateState() const = 0;

    // Runs the installation synchronously; true on success.
    virtual bool RunInstallation() = 0;
    // Message 110 with Yes and No; true for Yes.
    virtual bool ConfirmExit() = 0;
    // Ends the modal frame with OK (true) or Cancel.
    virtual void EndWizard(bool ok) = 0;
};

class WizardNavigator {
public:
    explicit WizardNavigator(WizardHost& host)
        : host_(host)
    {
    }

    int CurrentPage() const { return current_; }

    // Leaves the current page (saving it) and shows `target` or the page the
    // quick mode puts in its place. False when the current page refused.
    bool ShowPage(int target);
    void UpdateButtons();

    void Next();
    void Back();
    void Cancel();

private:
    WizardHost& host_;
    int current_ = kPageNone;
};

}  // namespace wizard
