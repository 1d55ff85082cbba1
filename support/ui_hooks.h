// The process-wide table of replaceable hooks through which the support
// library reaches the application framework (a caption, an icon, the owner
// of a modal box), and the support library's modal message box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace av {

using window_handle = void*;  // HWND on Windows
using icon_handle = void*;    // HICON on Windows

struct modal_owner {
    window_handle owner = nullptr;     // the window that owns the box (may be none)
    window_handle disabled = nullptr;  // the top-level window this call disabled (may be none)
};

struct ui_hooks {
    std::function<std::wstring()> title;
    std::function<icon_handle()> icon;
    std::function<modal_owner()> owner;

    static ui_hooks& instance();  // created once, on first use
};

// MessageBoxW with the owner from the `owner` hook, the default icon for the
// button set, right-to-left reading where the owner or the user's language
// reads so, and the `title` hook as caption. Returns the button pressed.
int message_box(const std::wstring& text, std::uint32_t type);

}  // namespace av
