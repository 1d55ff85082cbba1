// The wizard's navigation rules.
#include "wizard/navigation.h"

#include "lang/languages.h"
#include "lang/messages.h"
#include "wizard/page_texts.h"

namespace wizard {

int ResolveTargetPage(int current, int target, bool advancedMode)
{
    if (advancedMode || target == current)
        return target;
    const int step = target > current ? 1 : -1;
    while (target == kPageFolder || target == kPageShortcut)
        target += step;
    return target;
}

ButtonTexts MakeButtonTexts(int current, bool installationDone)
{
    ButtonTexts texts;
    if (current == kPageInstall && !installationDone)
        texts.next = Message(msg::Install);
    else
        texts.next = Message(msg::Next) + L"  >";
    texts.back = L"<  " + Message(msg::Back);
    texts.cancel = installationDone ? Message(msg::Exit) : Message(msg::Cancel);
    return texts;
}

ButtonStates MakeButtonStates(int current, bool installationDone)
{
    ButtonStates states;
    states.backEnabled = (current > kPageStart && !installationDone) || current > kPageInstall;
    states.nextEnabled = current < kPageEnd;
    states.defaultId = states.nextEnabled ? kIdNext : kIdCancel;
    return states;
}

bool ExitNeedsConfirmation(bool installationDone, int updateState, int current)
{
    if (installationDone)
        return false;
    if (updateState == NewerInstalled)
        return false;
    if (updateState == SameVersion && current == kPageStart)
        return false;
    return true;
}

bool WizardNavigator::ShowPage(int target)
{
    if (current_ != kPageNone) {
        if (!host_.SavePage(current_))
            return false;
        host_.SetPageVisible(current_, false);
    }
    // The Mode page has just written the mode: the skip reads the new value.
    target = ResolveTargetPage(current_, target, host_.AdvancedMode());
    if (target < kPageStart || target >= kPageCount)
        target = current_ < 0 ? kPageStart : current_;
    if (target != current_)
        host_.LoadPage(target);
    current_ = target;
    host_.SetPageVisible(current_, true);

    UpdateButtons();
    const ButtonStates states = MakeButtonStates(current_, host_.InstallationDone());
    host_.EnableButton(kIdBack, states.backEnabled);
    host_.EnableButton(kIdNext, states.nextEnabled);
    host_.SetDefaultButton(states.defaultId);
    return true;
}

void WizardNavigator::UpdateButtons()
{
    host_.SetButtonTexts(MakeButtonTexts(current_, host_.InstallationDone()));
}

void WizardNavigator::Next()
{
    if (current_ == kPageInstall && !host_.InstallationDone()) {
        host_.EnableButton(kIdBack, false);
        host_.EnableButton(kIdNext, false);
        host_.EnableButton(kIdCancel, false);
        host_.SetInstallationDone(host_.RunInstallation());
        ShowPage(kPageInstall);
        host_.EnableButton(kIdCancel, true);
        return;
    }
    if (current_ < kPageEnd)
        ShowPage(current_ + 1);
}

void WizardNavigator::Back()
{
    if (current_ > kPageStart)
        ShowPage(current_ - 1);
}

void WizardNavigator::Cancel()
{
    const bool done = host_.InstallationDone();
    if (ExitNeedsConfirmation(done, host_.UpdateState(), current_) && !host_.ConfirmExit())
        return;
    host_.EndWizard(done);
}

}  // namespace wizard
