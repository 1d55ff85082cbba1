// The wizard's texts and the Install page's display rules.
#include "wizard/page_texts.h"

#include <cmath>

#include "lang/languages.h"
#include "lang/messages.h"
#include "support/win_path.h"
#include "wizard/navigation.h"

namespace wizard {

using winpath::QuoteSpaces;

namespace {

std::wstring ClickNextToContinue()
{
    return Message(msg::ClickToContinue, {Message(msg::Next)});
}

}  // namespace

ControlTexts StartPageTexts(int updateState, const std::wstring& label, const std::wstring& previous)
{
    std::wstring info;
    std::wstring status;
    switch (updateState) {
    case SameVersion:
        info = Message(msg::AlreadyInstalled, {label}) + L"\r\n" + Message(msg::ConfirmReinstallation);
        status = Message(msg::ClickToContinueOrExit, {Message(msg::Next), Message(msg::Cancel)});
        break;
    case Upgrade:
        info = Message(msg::UpdateFromTo, {previous, label});
        status = ClickNextToContinue();
        break;
    case NewerInstalled:
        info = Message(msg::InstallationOf, {label}) + L"\r\n" + Message(msg::NewerVersionInstalled, {previous});
        status = Message(msg::ClickToExit, {Message(msg::Cancel)});
        break;
    default:
        info = Message(msg::InstallationOf, {label});
        status = ClickNextToContinue();
        break;
    }
    return {{1016, info}, {kIdStatus, status}, {1020, Message(msg::Copyright, {label})},
        {1022, Message(msg::SelectLanguage)}};
}

ControlTexts ModePageTexts()
{
    return {{1021, Message(msg::InstallationMethod)}, {1018, Message(msg::QuickInstallation)},
        {1019, Message(msg::AdvancedInstallation)}, {kIdStatus, ClickNextToContinue()}};
}

ControlTexts FolderPageTexts(const std::wstring& productName)
{
    return {{1008, Message(msg::FolderSelection)}, {1009, Message(msg::SelectInstallationFolder, {productName})},
        {1006, Message(msg::Browse)}, {kIdStatus, ClickNextToContinue()}};
}

ControlTexts ShortcutPageTexts()
{
    return {{1012, Message(msg::StartMenu)}, {1011, Message(msg::StartMenuShortcut)}, {1006, Message(msg::Browse)},
        {1010, Message(msg::DesktopShortcut)}, {kIdStatus, ClickNextToContinue()}};
}

ControlTexts InstallPageTexts()
{
    return {{kIdStatus, Message(msg::ClickToInstall, {Message(msg::Install)})}};
}

ControlTexts EndPageTexts()
{
    return {{1016, L""}, {kIdStatus, Message(msg::ClickToExit, {Message(msg::Exit)})}};
}

std::wstring EndPageResultText()
{
    return Message(msg::InstallationComplete);
}

std::wstring AboutMenuText(const std::wstring& appTitle, bool rightToLeft)
{
    const std::wstring text = Message(msg::About, {appTitle});
    if (text.empty())
        return text;
    return rightToLeft ? L"..." + text : L"&" + text + L"...";
}

std::wstring AboutCaption(const std::wstring& appTitle, const std::wstring& templateCaption)
{
    std::wstring pattern = Message(msg::About);
    if (pattern.empty())
        pattern = templateCaption;
    return FormatMessageString(pattern, {appTitle});
}

std::vector<LogLine> OptionSummary(const SummaryOptions& options)
{
    std::vector<LogLine> lines;
    lines.push_back({Message(msg::InstallationOf, {options.productLabel}) + L"\r\n", false});
    lines.push_back({Message(msg::InstallationOptions), true});
    lines.push_back({Message(msg::InstallationFolder, {QuoteSpaces(options.installFolder)}) + L"\r\n", false});
    if (options.startMenuShortcut)
        lines.push_back(
            {Message(msg::StartMenuShortcutChosen, {QuoteSpaces(options.startMenuFolder)}) + L"\r\n", false});
    if (options.desktopShortcut)
        lines.push_back({Message(msg::DesktopShortcutChosen) + L"\r\n", false});
    return lines;
}

std::wstring ComposeLogLine(const std::wstring& text, bool separator, int availableWidth,
    const std::function<int(const std::wstring&)>& measure)
{
    if (!text.empty() && !separator)
        return text;
    std::wstring middle;
    long long available = availableWidth;
    if (!text.empty()) {
        middle = L" " + text + L" ";
        available -= measure(middle);
    }
    const int dash = measure(L"-");
    // Too narrow for even one dash: the text stands alone between its spaces.
    const long long count = (dash > 0 && available > 0) ? available / dash : 0;
    std::wstring line;
    if (text.empty()) {
        line.assign(static_cast<std::size_t>(count), L'-');
    } else {
        line.assign(static_cast<std::size_t>(count / 2), L'-');
        line += middle;
        line.append(static_cast<std::size_t>((count + 1) / 2), L'-');
    }
    return line + L"\r\n";
}

int ProgressPosition(std::uint64_t done, std::uint64_t total)
{
    // Nothing to do counts as done; more than announced never goes past the bar.
    if (total == 0 || done >= total)
        return 100;
    const double percent = std::floor(static_cast<double>(done) * 100.0 / static_cast<double>(total) + 0.5);
    const int position = static_cast<int>(percent);
    return position >= 100 ? 99 : position;
}

}  // namespace wizard
