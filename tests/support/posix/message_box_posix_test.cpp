#include "support/error.h"
#include "support/text.h"
#include "support/ui_hooks.h"

#include "lang/languages.h"
#include "lang/posix/stand_in_locale.h"
#include "tests/support/resource_builders.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class NativeMessageBox : public testing::Test {
protected:
    void SetUp() override
    {
        m_saved_hooks = av::ui_hooks::instance();
        m_saved_language = GetLanguageSettings();
        av::ui_hooks::instance() = av::ui_hooks {};
        m_saved_box = av::details::set_message_box_function(
            [this](av::window_handle, const wchar_t*, const wchar_t* caption, std::uint32_t type) {
                m_types.push_back(type);
                m_captions.push_back(caption != nullptr ? caption : L"(none)");
                return av::id_ok;
            });
    }
    void TearDown() override
    {
        av::details::set_message_box_function(std::move(m_saved_box));
        av::ui_hooks::instance() = m_saved_hooks;
        GetLanguageSettings() = m_saved_language;
        av::locale::set_stand_in_user_locale(1033);
    }

    std::vector<std::uint32_t> m_types;
    std::vector<std::wstring> m_captions;

private:
    av::ui_hooks m_saved_hooks;
    LanguageSettings m_saved_language;
    av::details::message_box_function m_saved_box;
};

TEST_F(NativeMessageBox, WithoutOwnerTheUsersLanguageDecidesTheReadingOrder)
{
    av::ui_hooks::instance().owner = [] { return av::modal_owner {}; };
    // A Hebrew user whose language the installer may select.
    av::locale::set_stand_in_user_locale(1037);
    GetLanguageSettings().supportedMask = 1u | (1u << 16);
    av::message_box(L"text", av::mb_ok);
    EXPECT_FALSE(av::show_system_error(nullptr, 5));
    // The same user when Hebrew is not selectable reads left to right.
    GetLanguageSettings().supportedMask = 1u;
    av::message_box(L"text", av::mb_ok);
    ASSERT_EQ(m_types.size(), 3u);
    EXPECT_EQ(m_types[0], av::mb_iconexclamation | av::mb_rtlreading);
    EXPECT_EQ(m_types[1], av::mb_iconexclamation | av::mb_rtlreading);
    EXPECT_EQ(m_types[2], av::mb_iconexclamation);
}

TEST_F(NativeMessageBox, WithoutATitleHookTheCaptionIsTheOwnDisplayVersion)
{
    av_test::version_block block;
    block.fixed = av_test::fixed_info {0x0002000400010001ull, 0x0002000400010001ull, 0x3F, 0};
    block.translations = {{0x0400, 1200}};
    block.tables = {{L"040004b0",
        {av_test::string_node(L"ProductName", L"Install"), av_test::string_node(L"ProductVersion", L"2.04a")}}};
    av::details::register_resource(av::rt_version, 1, block.build());
    av::message_box(L"text", av::mb_ok);
    av::details::unregister_resource(av::rt_version, 1);
    av::ui_hooks::instance().title = [] { return std::wstring(L"Installateur - Korvane 6.03g"); };
    av::message_box(L"text", av::mb_ok);
    EXPECT_EQ(m_captions, (std::vector<std::wstring> {L"Install 2.04a", L"Installateur - Korvane 6.03g"}));
}

}  // namespace
