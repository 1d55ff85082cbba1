// The switches of an unattended installation.
#include "install/unattended.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallerOptions, AcceptedCommandLines)
{
    struct accepted {
        const wchar_t* line;
        bool silent;
        const wchar_t* folder;  // nullptr: none
        int language;           // -1: none
        bool noIcons;
        const wchar_t* log;
    };
    const accepted cases[] = {
        {L"", false, nullptr, -1, false, nullptr},
        {L"/VERYSILENT", true, nullptr, -1, false, nullptr},
        {L" /s ", true, nullptr, -1, false, nullptr},
        {L"/S /DIR=\"D:\\My Apps\\Korvane\" /LANG=2 /NOICONS", true, L"D:\\My Apps\\Korvane", 2, true, nullptr},
        {L"/verysilent /log=\"C:\\logs\\run log.txt\"", true, nullptr, -1, false, L"C:\\logs\\run log.txt"},
        {L"/S /D=C:\\Program Files\\Korvane 6", true, L"C:\\Program Files\\Korvane 6", -1, false, nullptr},
        {L"/LANG=0", false, nullptr, 0, false, nullptr},
    };
    for (const auto& c : cases) {
        InstallerOptions o;
        std::wstring error;
        ASSERT_TRUE(ParseInstallerOptions(c.line, o, error)) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(o.silent, c.silent);
        EXPECT_EQ(o.installFolder.value_or(L"<none>"), c.folder ? c.folder : L"<none>");
        EXPECT_EQ(o.language.value_or(-1), c.language);
        EXPECT_EQ(o.noIcons, c.noIcons);
        EXPECT_EQ(o.logFile.value_or(L"<none>"), c.log ? c.log : L"<none>");
    }
}

TEST(InstallerOptions, RejectedCommandLines)
{
    for (const wchar_t* line : {L"/SILENT", L"/DIR=", L"/LANG=5", L"/LANG=20", L"/LANG=x", L"/D=\"C:\\x\"",
                                L"/LOG=", L"/S extra", L"/VERYSILENTX"}) {
        InstallerOptions o;
        std::wstring error;
        EXPECT_FALSE(ParseInstallerOptions(line, o, error)) << testing::PrintToString(std::wstring(line));
        EXPECT_FALSE(error.empty());
    }
}

TEST(InstallerOptions, ArgumentsFollowTheProgramsOwnPath)
{
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\x\\Install.exe\" /S /D=C:\\a b"), L" /S /D=C:\\a b");
    EXPECT_EQ(ArgumentsOf(L"Install.exe"), L"");
    EXPECT_EQ(ArgumentsOf(L"  Install.exe /LANG=1"), L" /LANG=1");
}

}  // namespace
