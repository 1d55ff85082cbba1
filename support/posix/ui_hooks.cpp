// The Linux half of the message box. There are no windows: a handle points
// to a native_window, and the system box only writes its text to the error
// stream (tools have no user to answer it).
#include "support/ui_hooks.h"

#include "support/text.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace av::details {

int system_message_box(window_handle, const wchar_t* text, const wchar_t* caption, std::uint32_t)
{
    const std::string title = caption != nullptr ? utf8_from_wide(caption) + ": " : std::string();
    std::fprintf(stderr, "%s%s\n", title.c_str(), utf8_from_wide(text != nullptr ? text : L"").c_str());
    return 0;  // MessageBoxW's answer when no box could be shown
}

bool has_layout_rtl(window_handle window)
{
    return window != nullptr && (static_cast<const native_window*>(window)->ex_style & ws_ex_layoutrtl) != 0;
}

void enable_window(window_handle window)
{
    if (window != nullptr)
        static_cast<native_window*>(window)->enabled = true;
}

std::wstring module_file_stem()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(length));
    std::string name = path.substr(path.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0)
        name.resize(dot);
    return wide_from_utf8(name);
}

}  // namespace av::details

namespace av {

window_handle default_owner_window()
{
    return nullptr;
}

}  // namespace av
