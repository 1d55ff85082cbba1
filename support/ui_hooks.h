// The process-wide table of replaceable hooks through which the support
// library reaches the application framework (a caption, an icon, the owner
// of a modal box), and the support library's modal message box.
//
// The system box itself sits behind a replaceable function
// (details::set_message_box_function), so that tests record boxes instead of
// opening them. The Linux build has no windows: a window handle there points
// to a details::native_window, and the default box only writes its text to
// the error stream.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace av {

using window_handle = void*;  // HWND on Windows
using icon_handle = void*;  // HICON on Windows

struct modal_owner {
    window_handle owner = nullptr;  // the window that owns the box (may be none)
    window_handle disabled = nullptr;  // the top-level window this call disabled (may be none)
};

struct ui_hooks {
    std::function<std::wstring()> title;
    std::function<icon_handle()> icon;
    std::function<modal_owner()> owner;

    static ui_hooks& instance();  // created once, on first use
};

// The window that owns what this thread shows when nobody names an owner
// (a box without owner hook, the folder picker, the shell's folder lookup):
// the root owner of the thread's active window or, with no active window,
// the first root owner of the thread's top-level windows that has a
// caption, taken at its last active pop-up. Null when there is none (always
// in the Linux build, which has no windows).
window_handle default_owner_window();

// MessageBoxW with the owner from the `owner` hook, the default icon for the
// button set, right-to-left reading where the owner or the user's language
// reads so, and the `title` hook as caption. Returns the button pressed.
int message_box(const std::wstring& text, std::uint32_t type);

// Message box types and results used by the installer (MessageBoxW values).
inline constexpr std::uint32_t mb_ok = 0x0;
inline constexpr std::uint32_t mb_okcancel = 0x1;
inline constexpr std::uint32_t mb_abortretryignore = 0x2;
inline constexpr std::uint32_t mb_yesnocancel = 0x3;
inline constexpr std::uint32_t mb_yesno = 0x4;
inline constexpr std::uint32_t mb_retrycancel = 0x5;
inline constexpr std::uint32_t mb_iconerror = 0x10;
inline constexpr std::uint32_t mb_iconquestion = 0x20;
inline constexpr std::uint32_t mb_iconexclamation = 0x30;
inline constexpr std::uint32_t mb_iconinformation = 0x40;
inline constexpr std::uint32_t mb_iconmask = 0xF0;
inline constexpr std::uint32_t mb_taskmodal = 0x2000;
inline constexpr std::uint32_t mb_setforeground = 0x10000;
inline constexpr std::uint32_t mb_rtlreading = 0x100000;
inline constexpr int id_ok = 1;
inline constexpr int id_cancel = 2;

namespace details {

// The system's message box; `caption` null gives the system's own caption.
using message_box_function =
    std::function<int(window_handle owner, const wchar_t* text, const wchar_t* caption, std::uint32_t type)>;

// Replaces the function that shows boxes and returns the previous one; an
// empty function puts the system's box back.
message_box_function set_message_box_function(message_box_function box);

// Shows a box through the current function.
int show_message_box(window_handle owner, const wchar_t* text, const wchar_t* caption, std::uint32_t type);

// While an answerer is set, no box is shown at all: show_message_box returns
// the answerer's button for the box's type (an unattended run answers every
// box with its default). Null shows boxes again.
using box_answerer = int (*)(std::uint32_t type);
void set_box_answerer(box_answerer answerer);

// Whether boxes owned by `owner` read right to left: the owner's extended
// style WS_EX_LAYOUTRTL, or with no owner the language the user's locale
// selects.
bool reads_right_to_left(window_handle owner);

inline constexpr std::uint32_t ws_ex_layoutrtl = 0x00400000;

// The platform halves.
int system_message_box(window_handle owner, const wchar_t* text, const wchar_t* caption, std::uint32_t type);
bool has_layout_rtl(window_handle window);
void enable_window(window_handle window);
// The executable's file name without its extension.
std::wstring module_file_stem();

#if !defined(_WIN32)
// What a window handle points to in the Linux build.
struct native_window {
    std::uint32_t ex_style = 0;
    bool enabled = true;
};
#endif

}  // namespace details
}  // namespace av
