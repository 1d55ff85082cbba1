// Messages by name and the positional formatting of their templates.
#include "lang/messages.h"

#include <gtest/gtest.h>

#include "tests/app/installer_strings.h"
#include "tests/lang/message_table.h"

namespace {

TEST(FormatMessageString, ReplacesPositionalInserts)
{
    const struct {
        std::wstring pattern;
        std::vector<std::wstring> args;
        std::wstring expected;
    } cases[] = {
        {L"Update from '%1' to '%2'.", {L"A", L"B"}, L"Update from 'A' to 'B'."},
        {L"%2 then %1", {L"x", L"y"}, L"y then x"},
        {L"%1 and %3", {L"x"}, L"x and "},  // an insert without argument is left out
        {L"100% %1 %3", {L"x"}, L"100% x "},
        {L"%1", {L"%2"}, L"%2"},  // inserts are not read again
        {L"100% sure %", {}, L"100% sure %"},  // any other "%" stays
        {L"end %", {}, L"end %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMessageString(c.pattern, c.args), c.expected) << c.pattern;
}

// Each name reads the message whose English text it was named after, in
// the current language's block.
TEST(Message, NamesReadTheirOwnTexts)
{
    test::ScopedMessageTable messages {test::InstallerStrings()};
    test::ScopedLanguage english {1};
    const struct {
        msg::Offset offset;
        std::wstring text;
    } cases[] = {
        {msg::Installer, L"Installer"},
        {msg::StepOk, L"OK"},
        {msg::StepFailed, L"Failed"},
        {msg::PreparingInstallation, L"Preparing Installation..."},
        {msg::CreatingShortcuts, L"Shortcuts Creation..."},
        {msg::WritingRegistryData, L"Registry Data Writing..."},
        {msg::WritingInstallationData, L"Installation Data Writing..."},
        {msg::InstallationComplete, L"Installation is complete."},
        {msg::AdministratorRightsNeeded, L"You should have Administrator Rights in order to proceed to Installation."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Message(c.offset), c.text) << c.offset;

    EXPECT_EQ(Message(msg::InstallationFailed, {L"-1"}), L"Installation failed (Error Code -1).");
    EXPECT_EQ(Message(msg::UpdateFromTo, {L"Korvaline 6.03f", L"Korvaline 6.03g"}),
        L"Update from 'Korvaline 6.03f' to 'Korvaline 6.03g'.");
}

TEST(Message, FollowsTheCurrentLanguage)
{
    test::ScopedMessageTable messages {test::InstallerStrings()};
    EXPECT_EQ(Message(msg::Cancel), L"Annuler");
    test::ScopedLanguage english {1};
    EXPECT_EQ(Message(msg::Cancel), L"Cancel");
}

}  // namespace
