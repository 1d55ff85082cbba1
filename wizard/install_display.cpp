// The replaceable installation run.
#include "wizard/install_display.h"

#include "lang/messages.h"

namespace wizard {

namespace {

InstallationRun& Run()
{
    static InstallationRun run;
    return run;
}

// The code of an unexpected failure among the installer's own codes.
constexpr wchar_t kUnexpectedCode[] = L"7";

}  // namespace

void SetInstallationRun(InstallationRun run)
{
    Run() = std::move(run);
}

bool RunInstallation(InstallDisplay& display)
{
    if (Run())
        return Run()(display);
    // No run in this program: say so the way a failed run does.
    const std::wstring text = Message(msg::InstallationFailed, {kUnexpectedCode});
    display.SetStatus(text);
    display.AppendLogLine(text + L"\r\n", false);
    return false;
}

}  // namespace wizard
