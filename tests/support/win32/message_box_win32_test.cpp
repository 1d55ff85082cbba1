#include "support/ui_hooks.h"

#include "tests/support/test_window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Without an owner hook the box is owned by the thread's captioned top-level
// window (no window is active here) and nothing is disabled.
TEST(WindowsMessageBox, WithoutAnOwnerHookTheThreadsCaptionedWindowOwnsTheBox)
{
    const av::ui_hooks saved = av::ui_hooks::instance();
    av::ui_hooks::instance() = av::ui_hooks {};
    std::vector<av::window_handle> owners;
    auto previous = av::details::set_message_box_function(
        [&](av::window_handle owner, const wchar_t*, const wchar_t*, std::uint32_t) {
            owners.push_back(owner);
            return av::id_ok;
        });
    {
        const av_test::test_window frame;
        ASSERT_NE(frame.handle(), nullptr);
        const HWND active = ::GetActiveWindow();
        av::message_box(L"text", av::mb_ok);
        ASSERT_EQ(owners.size(), 1u);
        if (active == nullptr)
            EXPECT_EQ(owners[0], frame.handle());
        else
            EXPECT_EQ(owners[0], ::GetLastActivePopup(::GetAncestor(active, GA_ROOTOWNER)));
        EXPECT_TRUE(frame.enabled());
    }
    av::details::set_message_box_function(std::move(previous));
    av::ui_hooks::instance() = saved;
}

}  // namespace
