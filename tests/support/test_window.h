// A top-level window for the message box tests: a real hidden window on
// Windows, the Linux build's stand-in elsewhere.
#pragma once

#include "support/ui_hooks.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstdint>

namespace av_test {

class test_window {
public:
    explicit test_window(std::uint32_t ex_style = 0)
    {
#if defined(_WIN32)
        m_handle = ::CreateWindowExW(ex_style, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
            nullptr, ::GetModuleHandleW(nullptr), nullptr);
#else
        m_window.ex_style = ex_style;
        m_handle = &m_window;
#endif
    }
    ~test_window()
    {
#if defined(_WIN32)
        if (m_handle != nullptr)
            ::DestroyWindow(static_cast<HWND>(m_handle));
#endif
    }
    test_window(const test_window&) = delete;
    test_window& operator=(const test_window&) = delete;

    av::window_handle handle() const
    {
        return m_handle;
    }

    bool enabled() const
    {
#if defined(_WIN32)
        return ::IsWindowEnabled(static_cast<HWND>(m_handle)) != FALSE;
#else
        return m_window.enabled;
#endif
    }
    void disable()
    {
#if defined(_WIN32)
        ::EnableWindow(static_cast<HWND>(m_handle), FALSE);
#else
        m_window.enabled = false;
#endif
    }

private:
    av::window_handle m_handle = nullptr;
#if !defined(_WIN32)
    av::details::native_window m_window;
#endif
};

}  // namespace av_test
