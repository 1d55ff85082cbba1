// The folder picker's rules and the lexical path rules under them.
#include "wizard/folder_rules.h"

#include <gtest/gtest.h>

#include "support/win_path.h"

namespace {

using namespace wizard;
using namespace winpath;

const std::wstring kStartMenu = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
const std::wstring kPrograms = kStartMenu + L"\\Programs";

TEST(PickerStart, RelativePathsAreDiscardedByTheShellsRule)
{
    const std::wstring documents = L"C:\\Users\\me\\Documents";
    const std::optional<std::wstring> root = L"C:\\ProgramData\\Start Menu\\Programs";
    EXPECT_EQ(PickerStartPath(L"D:", std::nullopt, documents), L"D:\\");
    EXPECT_EQ(PickerStartPath(L"\\Apps", std::nullopt, documents), L"\\Apps");
    EXPECT_EQ(PickerStartPath(L"D:Apps", std::nullopt, documents), L"D:Apps");
    EXPECT_EQ(PickerStartPath(L"D:\\Apps", std::nullopt, documents), L"D:\\Apps");
    EXPECT_EQ(PickerStartPath(L"\\\\server\\share", std::nullopt, documents), L"\\\\server\\share");
    EXPECT_EQ(PickerStartPath(L"Apps", std::nullopt, documents), documents);
    EXPECT_EQ(PickerStartPath(L"..\\Apps", std::nullopt, documents), documents);
    EXPECT_EQ(PickerStartPath(L"", std::nullopt, documents), documents);
    EXPECT_EQ(PickerStartPath(L"Apps", root, documents), *root);
    EXPECT_EQ(PickerStartPath(L"", std::nullopt, L""), L"");
}

TEST(SubFolderRule, ProposesTheProductFolder)
{
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Apps", L"Korvaline 6", std::nullopt), L"D:\\Apps\\Korvaline 6");
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Apps\\Korvaline 6", L"Korvaline 6", std::nullopt), L"D:\\Apps\\Korvaline 6");
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Apps\\KORVALINE 6\\", L"Korvaline 6", std::nullopt), L"D:\\Apps\\KORVALINE 6\\");
    EXPECT_EQ(ApplySubFolderRule(L"D:\\", L"Korvaline 6", std::nullopt), L"D:\\Korvaline 6");
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Apps\\", L"Korvaline 6", std::nullopt), L"D:\\Apps\\Korvaline 6");
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Apps", L"", std::nullopt), L"D:\\Apps");
}

TEST(SubFolderRule, SeveralComponents)
{
    const std::wstring sub = L"Arvell & Divizere\\Korvaline 6";
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Apps", sub, std::nullopt), L"D:\\Apps\\Arvell & Divizere\\Korvaline 6");
    // The leading part already there is not repeated.
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Apps\\Arvell & Divizere", sub, std::nullopt),
        L"D:\\Apps\\Arvell & Divizere\\Korvaline 6");
    EXPECT_EQ(ApplySubFolderRule(L"D:\\Arvell & Divizere\\Korvaline 6", sub, std::nullopt),
        L"D:\\Arvell & Divizere\\Korvaline 6");
}

TEST(SubFolderRule, RelativeToTheBase)
{
    EXPECT_EQ(ApplySubFolderRule(kPrograms + L"\\Arvell & Divizere", L"Korvaline 6", kStartMenu),
        L"Programs\\Arvell & Divizere\\Korvaline 6");
    EXPECT_EQ(ApplySubFolderRule(kStartMenu, L"Korvaline 6", kStartMenu), L"Korvaline 6");
    // Another volume: no relative form, the full path stays.
    EXPECT_EQ(ApplySubFolderRule(L"E:\\Menu", L"Korvaline 6", kStartMenu), L"E:\\Menu\\Korvaline 6");
}

TEST(SubFolderRule, UsableNames)
{
    EXPECT_EQ(UsableSubFolder(L"Korvaline 6"), L"Korvaline 6");
    EXPECT_EQ(UsableSubFolder(L"Korvaline 6.."), L"Korvaline 6");
    EXPECT_EQ(UsableSubFolder(L"A\\B"), L"A\\B");
    EXPECT_EQ(UsableSubFolder(L"Kor*"), L"");
    EXPECT_EQ(UsableSubFolder(L"a|b"), L"");
}

TEST(TypedFolder, Validation)
{
    struct Case {
        std::wstring text;
        unsigned long error;
        std::wstring path;
    };
    const std::wstring current = L"C:\\Users\\me";
    const Case cases[] = {
        {L"D:\\New\\Place", 0, L"D:\\New\\Place"},
        {L"  D:\\New\\Place\\  ", 0, L"D:\\New\\Place"},
        {L"D:", 0, L"D:\\"},
        {L"D:\\", 0, L"D:\\"},
        {L"Sub\\Dir", 0, L"C:\\Users\\me\\Sub\\Dir"},
        {L"..\\Other", 0, L"C:\\Users\\Other"},
        {L"", 0, L"C:\\Users\\me"},
        {L"\\Top", 0, L"C:\\Top"},
        {L"\\\\server\\share\\x", 0, L"\\\\server\\share\\x"},
        {L"D:\\New\\*", kErrorBadPathname, L""},
        {L"D:\\New?", kErrorBadPathname, L""},
        {L"*", kErrorBadPathname, L""},
        {L"D:\\a<b", kErrorBadPathname, L""},
        {L"\\\\server", kErrorBadPathname, L""},
        {L"D:\\" + std::wstring(256, L'a'), 0, L"D:\\" + std::wstring(256, L'a')},
        {L"D:\\" + std::wstring(257, L'a'), kErrorFilenameExcedRange, L""},
    };
    for (const Case& c : cases) {
        const TypedFolder r = ValidateTypedFolder(c.text, std::nullopt, current);
        EXPECT_EQ(r.error, c.error) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(r.path, c.path) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(TypedFolder, InsideTheStartMenu)
{
    const TypedFolder tools = ValidateTypedFolder(L"Programs\\Tools", kStartMenu, L"C:\\elsewhere");
    EXPECT_EQ(tools.error, 0u);
    EXPECT_EQ(tools.path, kPrograms + L"\\Tools");
    EXPECT_EQ(ValidateTypedFolder(L"..\\Other", kStartMenu, L"C:\\").error, kErrorBadPathname);
    EXPECT_EQ(ValidateTypedFolder(L"D:\\Menu", kStartMenu, L"C:\\").error, kErrorBadPathname);
    // A name that merely begins like the base is not inside it.
    EXPECT_EQ(ValidateTypedFolder(kStartMenu + L" Copy", kStartMenu, L"C:\\").error, kErrorBadPathname);
    EXPECT_EQ(ValidateTypedFolder(kPrograms + L"\\X", kStartMenu, L"C:\\").path, kPrograms + L"\\X");
}

TEST(StartMenuText, BothWays)
{
    EXPECT_EQ(StartMenuRelativeText(kStartMenu, kPrograms + L"\\Arvell & Divizere\\Korvaline 6"),
        L"Programs\\Arvell & Divizere\\Korvaline 6");
    EXPECT_EQ(StartMenuRelativeText(kStartMenu, kStartMenu + L"\\"), L"");
    EXPECT_EQ(StartMenuRelativeText(kStartMenu, L"C:\\Other"), L"..\\..\\..\\..\\Other");
    EXPECT_EQ(StartMenuRelativeText(kStartMenu, L"E:\\Menu"), std::nullopt);

    EXPECT_EQ(StartMenuFolderFromText(kStartMenu, L"Programs\\A"), kPrograms + L"\\A");
    EXPECT_EQ(StartMenuFolderFromText(kStartMenu, L""), kStartMenu);
    EXPECT_EQ(StartMenuFolderFromText(kStartMenu, L"..\\x"), L"C:\\ProgramData\\Microsoft\\Windows\\x");
    EXPECT_EQ(StartMenuFolderFromText(kStartMenu, L"E:\\Menu"), L"E:\\Menu");
}

TEST(WinPath, Pieces)
{
    EXPECT_EQ(PathRoot(L"D:\\a"), L"D:\\");
    EXPECT_EQ(PathRoot(L"d:a"), L"d:");
    EXPECT_EQ(PathRoot(L"\\\\srv\\sh\\a"), L"\\\\srv\\sh\\");
    EXPECT_EQ(PathComponents(L"D:\\a\\\\b/c\\"), (std::vector<std::wstring> {L"a", L"b", L"c"}));
    EXPECT_EQ(PathJoin(L"D:\\a\\", L"\\b"), L"D:\\a\\b");
    EXPECT_EQ(PathJoin(L"D:\\a", L""), L"D:\\a");
    EXPECT_EQ(QualifyPath(L"E:x", L"D:\\cur"), L"E:\\x");
    EXPECT_EQ(QualifyPath(L"d:x", L"D:\\cur"), L"D:\\cur\\x");
    EXPECT_EQ(QualifyPath(L"..\\..\\..", L"D:\\a"), L"D:\\");
    EXPECT_EQ(QualifyPath(L"a. \\b", L"D:\\"), L"D:\\a\\b");
    EXPECT_EQ(QualifyPath(L"x", L"relative"), std::nullopt);
    EXPECT_EQ(QuoteSpaces(L"C:\\a b"), L"\"C:\\a b\"");
    EXPECT_EQ(QuoteSpaces(L"C:\\ab"), L"C:\\ab");
    EXPECT_TRUE(IsInsideFolder(L"c:\\START\\x", L"C:\\Start"));
    EXPECT_FALSE(IsInsideFolder(L"C:\\Startx", L"C:\\Start"));
}

}  // namespace
