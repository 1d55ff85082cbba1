// The texts the wizard shows, computed without windows: each page's control
// texts for the current language and situation, the system-menu About
// entry, the Install page's option summary and its log lines (the dash
// rule), and the progress rule. Messages come from lang/messages.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace wizard {

// A page's texts: control id and text, in the order they are set.
using ControlTexts = std::vector<std::pair<int, std::wstring>>;

// Control ids shared by the pages.
inline constexpr int kIdStatus = 1003;

// Start page: `label` is the product label with version, `previous` the
// label of the installed version (update and newer-version situations).
ControlTexts StartPageTexts(int updateState, const std::wstring& label, const std::wstring& previous);
ControlTexts ModePageTexts();
// `productName` is the display name without version.
ControlTexts FolderPageTexts(const std::wstring& productName);
ControlTexts ShortcutPageTexts();
ControlTexts InstallPageTexts();
ControlTexts EndPageTexts();
// The End page's result text once the installation succeeded.
std::wstring EndPageResultText();

// The system-menu entry that opens the About box ("" when message 3 is empty):
// "&About '<title>'..." left to right, "...About '<title>'" right to left.
std::wstring AboutMenuText(const std::wstring& appTitle, bool rightToLeft);
// The About box caption: message 3 (or the template's caption when it is
// empty) with the application title.
std::wstring AboutCaption(const std::wstring& appTitle, const std::wstring& templateCaption);

// One line for AppendLogLine.
struct LogLine {
    std::wstring text;
    bool separator = false;
    bool operator==(const LogLine&) const = default;
};

struct SummaryOptions {
    std::wstring productLabel;  // with version
    std::wstring installFolder;
    std::wstring startMenuFolder;
    bool startMenuShortcut = false;
    bool desktopShortcut = false;
};
// The Install page's summary of the chosen options, before the installation.
std::vector<LogLine> OptionSummary(const SummaryOptions& options);

// The text AppendLogLine puts into the log box. Separator lines (and an
// empty text) are dashes filling `availableWidth` pixels (the box's client
// width less its margins and 2), with the text between spaces in the middle;
// `measure` gives the pixel width of a text in the box's font. Other texts
// are used unchanged (callers end their own lines).
std::wstring ComposeLogLine(const std::wstring& text, bool separator, int availableWidth,
    const std::function<int(const std::wstring&)>& measure);

// The progress bar position (0 to 100) for `done` of `total` bytes: rounded
// to the nearest percent, but never 100 before everything is done.
int ProgressPosition(std::uint64_t done, std::uint64_t total);

}  // namespace wizard
