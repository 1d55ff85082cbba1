#include "support/error.h"
#include "support/ui_hooks.h"

#include "lang/languages.h"
#include "tests/support/test_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

struct recorded_box {
    av::window_handle owner;
    std::wstring text;
    std::optional<std::wstring> caption;
    std::uint32_t type;
    bool owner_enabled;  // the owner's state while the box was up
    bool disabled_enabled;  // the disabled window's state while the box was up
};

// Replaces the system box by a recorder and the hooks by the test's own for
// the length of a test; puts everything back after.
class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_saved_hooks = av::ui_hooks::instance();
        m_saved_language = GetLanguageSettings();
        av::ui_hooks::instance() = av::ui_hooks {};
        m_saved_box = av::details::set_message_box_function([this](av::window_handle owner, const wchar_t* text,
                                                                const wchar_t* caption, std::uint32_t type) {
            m_boxes.push_back({owner, text, caption != nullptr ? std::optional<std::wstring>(caption) : std::nullopt,
                type, m_owner != nullptr && m_owner->enabled(), m_disabled != nullptr && m_disabled->enabled()});
            return m_answer;
        });
    }
    void TearDown() override
    {
        av::details::set_message_box_function(std::move(m_saved_box));
        av::ui_hooks::instance() = m_saved_hooks;
        GetLanguageSettings() = m_saved_language;
    }

    // The owner hook answers `owner`; `disabled` is disabled by the hook, as
    // the framework's safe owner does.
    void use_owner(av_test::test_window* owner, av_test::test_window* disabled = nullptr)
    {
        m_owner = owner;
        m_disabled = disabled;
        av::ui_hooks::instance().owner = [owner, disabled] {
            if (disabled != nullptr)
                disabled->disable();
            return av::modal_owner {
                owner != nullptr ? owner->handle() : nullptr, disabled != nullptr ? disabled->handle() : nullptr};
        };
        av::ui_hooks::instance().title = [] { return std::wstring(L"Installer - Korvaline 6.03g"); };
    }

    std::vector<recorded_box> m_boxes;
    int m_answer = av::id_ok;
    av_test::test_window* m_owner = nullptr;
    av_test::test_window* m_disabled = nullptr;

private:
    av::ui_hooks m_saved_hooks;
    LanguageSettings m_saved_language;
    av::details::message_box_function m_saved_box;
};

TEST_F(MessageBoxTest, CompletesTheIconForTheButtonSet)
{
    av_test::test_window owner;
    ASSERT_NE(owner.handle(), nullptr);
    use_owner(&owner);
    struct Case {
        std::uint32_t type;
        std::uint32_t shown;
    };
    const Case cases[] = {
        {av::mb_ok, 0x30},
        {av::mb_okcancel, 0x31},
        {av::mb_yesnocancel, 0x23},
        {av::mb_yesno, 0x24},
        {av::mb_yesno | av::mb_iconinformation, 0x44},
        {av::mb_ok | av::mb_iconerror, 0x10},
        {av::mb_retrycancel, 0x05},
        {av::mb_abortretryignore, 0x02},
        {av::mb_ok | av::mb_taskmodal, 0x2030},
    };
    for (const Case& c : cases) {
        m_boxes.clear();
        EXPECT_EQ(av::message_box(L"text", c.type), av::id_ok);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].type, c.shown) << std::hex << c.type;
        EXPECT_EQ(m_boxes[0].owner, owner.handle());
        EXPECT_EQ(m_boxes[0].text, L"text");
        EXPECT_EQ(m_boxes[0].caption, L"Installer - Korvaline 6.03g");
    }
}

TEST_F(MessageBoxTest, AnOwnerLaidOutRightToLeftGivesRightToLeftReading)
{
    av_test::test_window rtl(av::details::ws_ex_layoutrtl);
    ASSERT_NE(rtl.handle(), nullptr);
    use_owner(&rtl);
    GetLanguageSettings().language = 0;
    av::message_box(L"text", av::mb_ok);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].type, av::mb_iconexclamation | av::mb_rtlreading);
}

TEST_F(MessageBoxTest, TheDisabledWindowIsEnabledAgainAfterTheBox)
{
    av_test::test_window frame;
    av_test::test_window popup;
    use_owner(&popup, &frame);
    m_answer = av::id_cancel;
    EXPECT_EQ(av::message_box(L"Installation is not complete.", av::mb_okcancel), av::id_cancel);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(m_boxes[0].owner_enabled) << "an owner other than the disabled window is enabled for the box";
    EXPECT_FALSE(m_boxes[0].disabled_enabled) << "the disabled window stays disabled while the box is up";
    EXPECT_TRUE(frame.enabled());

    // The owner is the disabled window itself: it stays disabled during the
    // box and is enabled after it.
    m_boxes.clear();
    use_owner(&frame, &frame);
    av::message_box(L"text", av::mb_ok);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_FALSE(m_boxes[0].owner_enabled);
    EXPECT_TRUE(frame.enabled());
}

TEST_F(MessageBoxTest, TheDisabledWindowIsEnabledAgainWhenTheBoxFails)
{
    av_test::test_window frame;
    use_owner(&frame, &frame);
    av::details::set_message_box_function([](av::window_handle, const wchar_t*, const wchar_t*, std::uint32_t) -> int {
        throw std::runtime_error("no box");
    });
    EXPECT_THROW(av::message_box(L"text", av::mb_ok), std::runtime_error);
    EXPECT_TRUE(frame.enabled());
}

TEST_F(MessageBoxTest, WithoutATitleHookTheCaptionIsTheProgramName)
{
    av_test::test_window owner;
    use_owner(&owner);
    av::ui_hooks::instance().title = nullptr;
    av::message_box(L"text", av::mb_ok);
    ASSERT_EQ(m_boxes.size(), 1u);
    // The test program has no version block: its file name stands in.
    EXPECT_EQ(m_boxes[0].caption, L"av_tests");
}

TEST_F(MessageBoxTest, ShowErrorShowsTheErrorMessageWithTheExclamationIcon)
{
    av_test::test_window owner;
    use_owner(&owner);
    av::show_error(av::e_unexpected);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, av::system_message(av::e_unexpected));
    EXPECT_FALSE(m_boxes[0].text.empty());
    EXPECT_EQ(m_boxes[0].type, av::mb_iconexclamation);
    EXPECT_EQ(m_boxes[0].caption, L"Installer - Korvaline 6.03g");
}

TEST_F(MessageBoxTest, ShowSystemErrorUsesTheSystemCaptionAndTheOwnersReadingOrder)
{
    av_test::test_window plain;
    av_test::test_window rtl(av::details::ws_ex_layoutrtl);
    EXPECT_FALSE(av::show_system_error(plain.handle(), 5));
    EXPECT_FALSE(av::show_system_error(rtl.handle(), 0x80070005u));
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[0].owner, plain.handle());
    EXPECT_EQ(m_boxes[0].text, av::system_message(5));
    EXPECT_EQ(m_boxes[0].caption, std::nullopt);
    EXPECT_EQ(m_boxes[0].type, av::mb_iconexclamation);
    EXPECT_EQ(m_boxes[1].owner, rtl.handle());
    EXPECT_EQ(m_boxes[1].type, av::mb_iconexclamation | av::mb_rtlreading);
}

TEST(FatalInitializationError, ShowsItsBoxAndEndsTheProcessWithMinusEleven)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto fatal = [] {
        av::details::set_message_box_function(
            [](av::window_handle owner, const wchar_t* text, const wchar_t* caption, std::uint32_t type) {
                std::fprintf(stderr, "box %s %ls %s %#x\n", owner == nullptr ? "unowned" : "owned", text,
                    caption == nullptr ? "default-caption" : "caption", static_cast<unsigned>(type));
                return av::id_ok;
            });
        av::fatal_initialization_error();
    };
#if defined(_WIN32)
    const int exit_code = -11;
#else
    const int exit_code = 256 - 11;
#endif
    EXPECT_EXIT(
        fatal(), testing::ExitedWithCode(exit_code), "box unowned Initialization Error default-caption 0x12010");
}

}  // namespace
