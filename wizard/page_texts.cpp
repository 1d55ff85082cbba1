// The wizard's texts and the Install page's display rules.
#include "wizard/page_texts.h"

#include <cmath>

#include "lang/languages.h"
#include "support/win_path.h"
#include "wizard/navigation.h"

namespace wizard {

using winpath::QuoteSpaces;

namespace {

std::wstring MessageWith(int offset, const std::vector<std::wstring>& args) {
    return FormatText(LoadLocalizedString(1000 + offset), args);
}

std::wstring Status106() { return MessageWith(106, {Message(6)}); }

}  // namespace

std::wstring Message(int offset) { return LoadLocalizedString(1000 + offset); }

std::wstring FormatText(const std::wstring& pattern, const std::vector<std::wstring>& args) {
    std::wstring out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' && pattern[i + 1] <= L'9') {
            const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - L'1');
            if (n < args.size()) out += args[n];
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}

ControlTexts StartPageTexts(int updateState, const std::wstring& label, const std::wstring& previous) {
    std::wstring info;
    std::wstring status;
    switch (updateState) {
        case kSameVersion:
            info = MessageWith(102, {label}) + L"\r\n" + Message(104);
            status = MessageWith(105, {Message(6), Message(2)});
            break;
        case kUpgrade:
            info = MessageWith(101, {previous, label});
            status = Status106();
            break;
        case kNewerInstalled:
            info = MessageWith(100, {label}) + L"\r\n" + MessageWith(103, {previous});
            status = MessageWith(107, {Message(2)});
            break;
        default:
            info = MessageWith(100, {label});
            status = Status106();
            break;
    }
    return {{1016, info}, {kIdStatus, status}, {1020, MessageWith(109, {label})}, {1022, Message(14)}};
}

ControlTexts ModePageTexts() {
    return {{1021, Message(15)}, {1018, Message(16)}, {1019, Message(17)}, {kIdStatus, Status106()}};
}

ControlTexts FolderPageTexts(const std::wstring& productName) {
    return {{1008, Message(10)}, {1009, MessageWith(111, {productName})}, {1006, Message(8)},
            {kIdStatus, Status106()}};
}

ControlTexts ShortcutPageTexts() {
    return {{1012, Message(9)}, {1011, Message(112)}, {1006, Message(8)}, {1010, Message(113)},
            {kIdStatus, Status106()}};
}

ControlTexts InstallPageTexts() { return {{kIdStatus, MessageWith(108, {Message(7)})}}; }

ControlTexts EndPageTexts() { return {{1016, L""}, {kIdStatus, MessageWith(107, {Message(4)})}}; }

std::wstring EndPageResultText() { return Message(120); }

std::wstring AboutMenuText(const std::wstring& appTitle, bool rightToLeft) {
    const std::wstring text = MessageWith(3, {appTitle});
    if (text.empty()) return text;
    return rightToLeft ? L"..." + text : L"&" + text + L"...";
}

std::wstring AboutCaption(const std::wstring& appTitle, const std::wstring& templateCaption) {
    std::wstring pattern = Message(3);
    if (pattern.empty()) pattern = templateCaption;
    return FormatText(pattern, {appTitle});
}

std::vector<LogLine> OptionSummary(const SummaryOptions& options) {
    std::vector<LogLine> lines;
    lines.push_back({MessageWith(100, {options.productLabel}) + L"\r\n", false});
    lines.push_back({Message(122), true});
    lines.push_back({MessageWith(123, {QuoteSpaces(options.installFolder)}) + L"\r\n", false});
    if (options.startMenuShortcut)
        lines.push_back({MessageWith(124, {QuoteSpaces(options.startMenuFolder)}) + L"\r\n", false});
    if (options.desktopShortcut) lines.push_back({Message(125) + L"\r\n", false});
    return lines;
}

std::wstring ComposeLogLine(const std::wstring& text, bool separator, int availableWidth,
                            const std::function<int(const std::wstring&)>& measure) {
    if (!text.empty() && !separator) return text;
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

int ProgressPosition(std::uint64_t done, std::uint64_t total) {
    // Nothing to do counts as done; more than announced never goes past the bar.
    if (total == 0 || done >= total) return 100;
    const double percent = std::floor(static_cast<double>(done) * 100.0 / static_cast<double>(total) + 0.5);
    const int position = static_cast<int>(percent);
    return position >= 100 ? 99 : position;
}

}  // namespace wizard
