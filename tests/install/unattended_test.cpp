// The switches of an unattended installation.
#include "install/unattended.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InstallerOptions, AcceptedCommandLines)
{
    struct accepted {
        const wchar_t* line;
        bool verySilent;
        bool silent;
        bool suppress;
        bool help;
        const wchar_t* folder;  // nullptr: none
        int language;  // -1: none
        bool noIcons;
        const wchar_t* log;
    };
    const accepted cases[] = {
        {L"", false, false, false, false, nullptr, -1, false, nullptr},
        {L"/VERYSILENT", true, false, false, false, nullptr, -1, false, nullptr},
        {L" /s ", true, false, false, false, nullptr, -1, false, nullptr},
        {L"/SILENT", false, true, false, false, nullptr, -1, false, nullptr},
        {L"/silent /SuppressMsgBoxes", false, true, true, false, nullptr, -1, false, nullptr},
        {L"/?", false, false, false, true, nullptr, -1, false, nullptr},
        {L"/help /LANG=0", false, false, false, true, nullptr, 0, false, nullptr},
        {L"/S /DIR=\"D:\\My Apps\\Korvane\" /LANG=2 /NOICONS", true, false, false, false, L"D:\\My Apps\\Korvane", 2,
            true, nullptr},
        {L"/verysilent /log=\"C:\\logs\\run log.txt\"", true, false, false, false, nullptr, -1, false,
            L"C:\\logs\\run log.txt"},
        {L"/S /D=C:\\Program Files\\Korvane 6", true, false, false, false, L"C:\\Program Files\\Korvane 6", -1, false,
            nullptr},
        {L"/DIR=\\\\server\\share\\Korvane", false, false, false, false, L"\\\\server\\share\\Korvane", -1, false,
            nullptr},
        {L"/LANG=0", false, false, false, false, nullptr, 0, false, nullptr},
    };
    for (const auto& c : cases) {
        InstallerOptions o;
        CommandLineError error;
        ASSERT_TRUE(ParseInstallerOptions(c.line, o, error)) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(error.kind, CommandLineError::kNone);
        EXPECT_EQ(o.verySilent, c.verySilent);
        EXPECT_EQ(o.silent, c.silent);
        EXPECT_EQ(o.suppressMessageBoxes, c.suppress);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.installFolder.value_or(L"<none>"), c.folder ? c.folder : L"<none>");
        EXPECT_EQ(o.language.value_or(-1), c.language);
        EXPECT_EQ(o.noIcons, c.noIcons);
        EXPECT_EQ(o.logFile.value_or(L"<none>"), c.log ? c.log : L"<none>");
    }
}

TEST(InstallerOptions, RejectedCommandLinesNameTheFirstWrongSwitch)
{
    const std::wstring longFolder = L"C:\\" + std::wstring(297, L'k');  // 300 characters
    struct refused {
        std::wstring line;
        CommandLineError::Kind kind;
        std::wstring argument;
    };
    const refused cases[] = {
        {L"/BOGUS", CommandLineError::kUnknownSwitch, L"/BOGUS"},
        {L"/VERYSILENT /BOGUS /OTHER", CommandLineError::kUnknownSwitch, L"/BOGUS"},
        {L"/VERYSILENTX", CommandLineError::kUnknownSwitch, L"/VERYSILENTX"},
        {L"/S extra", CommandLineError::kUnknownSwitch, L"extra"},
        {L"/DIR=", CommandLineError::kInvalidSwitch, L"/DIR="},
        {L"/DIR=Korvane", CommandLineError::kInvalidSwitch, L"/DIR=Korvane"},
        {L"/DIR=..\\Korvane", CommandLineError::kInvalidSwitch, L"/DIR=..\\Korvane"},
        {L"/DIR=\"" + longFolder + L"\"", CommandLineError::kInvalidSwitch, L"/DIR=\"" + longFolder + L"\""},
        {L"/D=Korvane", CommandLineError::kInvalidSwitch, L"/D=Korvane"},
        {L"/D=" + longFolder, CommandLineError::kInvalidSwitch, L"/D=" + longFolder},
        {L"/D=\"C:\\x\"", CommandLineError::kInvalidSwitch, L"/D=\"C:\\x\""},
        {L"/LANG=5", CommandLineError::kInvalidSwitch, L"/LANG=5"},
        {L"/LANG=20", CommandLineError::kInvalidSwitch, L"/LANG=20"},
        {L"/LANG=x", CommandLineError::kInvalidSwitch, L"/LANG=x"},
        {L"/LOG=", CommandLineError::kInvalidSwitch, L"/LOG="},
    };
    for (const auto& c : cases) {
        InstallerOptions o;
        CommandLineError error;
        EXPECT_FALSE(ParseInstallerOptions(c.line, o, error)) << testing::PrintToString(c.line);
        EXPECT_EQ(error.kind, c.kind) << testing::PrintToString(c.line);
        EXPECT_EQ(error.argument, c.argument) << testing::PrintToString(c.line);
        EXPECT_FALSE(error.reason.empty());
        EXPECT_FALSE(o.installFolder.has_value()) << testing::PrintToString(c.line);
    }
}

TEST(InstallerOptions, SwitchesAfterAWrongOneStillCount)
{
    // How to report a wrong line (silently, in which language, into which
    // log) is read from the whole line.
    InstallerOptions o;
    CommandLineError error;
    EXPECT_FALSE(ParseInstallerOptions(L"/BOGUS /LANG=0 /VERYSILENT /LOG=\"C:\\l.txt\"", o, error));
    EXPECT_TRUE(o.verySilent);
    EXPECT_EQ(o.language.value_or(-1), 0);
    EXPECT_EQ(o.logFile.value_or(L""), L"C:\\l.txt");
    EXPECT_TRUE(o.ShowsNothing());
}

TEST(InstallerOptions, WhatEachModeShowsAndAnswers)
{
    struct mode {
        const wchar_t* line;
        bool showsNothing;
        bool unattended;
        bool answersByDefault;
    };
    for (const mode& m : {mode {L"", false, false, false}, mode {L"/SUPPRESSMSGBOXES", false, false, false},
             mode {L"/SILENT", false, true, false}, mode {L"/SILENT /SUPPRESSMSGBOXES", false, true, true},
             mode {L"/VERYSILENT", true, true, true}}) {
        InstallerOptions o;
        CommandLineError error;
        ASSERT_TRUE(ParseInstallerOptions(m.line, o, error));
        EXPECT_EQ(o.ShowsNothing(), m.showsNothing) << testing::PrintToString(std::wstring(m.line));
        EXPECT_EQ(o.Unattended(), m.unattended) << testing::PrintToString(std::wstring(m.line));
        EXPECT_EQ(o.AnswersBoxesByDefault(), m.answersByDefault) << testing::PrintToString(std::wstring(m.line));
    }
}

TEST(InstallFolder, OnlyAbsoluteFoldersShorterThan260Characters)
{
    const std::wstring deep = L"C:\\" + std::wstring(256, L'k');  // 259 characters
    for (const std::wstring& folder :
        {std::wstring(L"C:\\Program Files\\Korvane"), std::wstring(L"d:/Apps"), std::wstring(L"C:\\"),
            std::wstring(L"\\\\server\\share"), std::wstring(L"\\\\server\\share\\Apps\\Korvane"), deep})
        EXPECT_TRUE(IsAcceptedInstallFolder(folder)) << testing::PrintToString(folder);
    for (const std::wstring& folder : {std::wstring(L""), std::wstring(L"Korvane"), std::wstring(L"..\\Korvane"),
             std::wstring(L".\\Korvane"), std::wstring(L"\\Apps"), std::wstring(L"C:"), std::wstring(L"C:Korvane"),
             std::wstring(L"\\\\server"), std::wstring(L"\\\\server\\"), std::wstring(L"\\\\?\\C:\\Korvane"),
             std::wstring(L"\\\\.\\C:\\Korvane"), std::wstring(L"C:\\Kor*vane"), std::wstring(L"C:\\a|b"),
             std::wstring(L"C:\\a:b"), deep + L"k", L"C:\\" + std::wstring(297, L'k'), std::wstring(L"1:\\Korvane")})
        EXPECT_FALSE(IsAcceptedInstallFolder(folder)) << testing::PrintToString(folder);
}

TEST(DefaultBoxAnswer, TheDefaultButtonOfEachButtonSet)
{
    struct box {
        std::uint32_t type;
        int answer;
    };
    for (const box& b : {box {0x0, 1},  // OK
             box {0x30, 1},  // OK with an icon
             box {0x1, 1},  // OK, Cancel
             box {0x101, 2},  // OK, Cancel; Cancel the default
             box {0x4, 6},  // Yes, No
             box {0x124, 7},  // Yes, No, question icon, No the default (the exit question)
             box {0x3, 6},  // Yes, No, Cancel
             box {0x203, 2},  // Yes, No, Cancel; Cancel the default
             box {0x5, 4},  // Retry, Cancel
             box {0x105, 2},  // Retry, Cancel; Cancel the default
             box {0x2, 3},  // Abort, Retry, Ignore
             box {0x6, 2},  // Cancel, Try Again, Continue
             box {0x301, 1}})  // a Help button named default: the first instead
        EXPECT_EQ(DefaultBoxAnswer(b.type), b.answer) << std::hex << b.type;
}

TEST(InstallerOptions, ArgumentsFollowTheProgramsOwnPath)
{
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\x\\Install.exe\" /S /D=C:\\a b"), L" /S /D=C:\\a b");
    EXPECT_EQ(ArgumentsOf(L"Install.exe"), L"");
    EXPECT_EQ(ArgumentsOf(L"  Install.exe /LANG=1"), L" /LANG=1");
}

}  // namespace
