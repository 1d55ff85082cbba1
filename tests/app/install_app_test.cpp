// The product identity and the small functions of the application object, in
// both builds: names and title by language, the temporary folder name, the
// update state.
#include "app/install_app.h"

#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>

#include "platform/win_error.h"
#include "tests/lang/message_table.h"

namespace {

const std::wstring kTestAppId = L"AvAppTest";

std::map<int, std::wstring> TitleMessages()
{
    return {{1000, L"Installeur"}, {2000, L"Installer"}, {6000, L"Programma di installazione"}, {3000, L"#"},
        {1129, L"'%1' fr"}, {2129, L"'%1' will be installed in English."}};
}

class AppTest : public testing::Test {
protected:
    void TearDown() override
    {
        SetLanguage(0);
        SetMessageBoxFunction({});
    }
    test::ScopedMessageTable messages_ {TitleMessages()};
    CInstallApp app_ {kTestAppId};
};

TEST_F(AppTest, FrenchNames)
{
    SetLanguage(0);
    EXPECT_EQ(app_.GetProductLabel(false), L"Korvane 6.03g");
    EXPECT_EQ(app_.GetProductLabel(true), L"Korvane");
    EXPECT_EQ(app_.GetProductFolderName(), L"Korvane 6");
    EXPECT_EQ(app_.GetApplicationTitle(false), L"Installeur");
    EXPECT_EQ(app_.GetApplicationTitle(true), L"Installeur \u2013 Korvane 6.03g");
}

TEST_F(AppTest, OtherLanguagesReadKorvaline)
{
    for (int index : {1, 2, 5, 11, 19}) {
        SetLanguage(index);
        EXPECT_EQ(app_.GetProductLabel(false), L"Korvaline 6.03g") << index;
        EXPECT_EQ(app_.GetProductLabel(true), L"Korvaline") << index;
        EXPECT_EQ(app_.GetProductFolderName(), L"Korvaline 6") << index;
    }
    SetLanguage(1);
    EXPECT_EQ(app_.GetApplicationTitle(true), L"Installer \u2013 Korvaline 6.03g");
    SetLanguage(11);
    EXPECT_EQ(app_.GetApplicationTitle(true), L"Programma di installazione \u2013 Korvaline 6.03g");
    SetLanguage(2);  // German message 0 untranslated here: English
    EXPECT_EQ(app_.GetApplicationTitle(false), L"Installer");
}

TEST_F(AppTest, InitialState)
{
    EXPECT_EQ(app_.m_nUpdateState, FreshInstall);
    EXPECT_TRUE(app_.m_strPreviousVersion.empty());
    EXPECT_TRUE(app_.m_installerMutex.IsValid());
    EXPECT_FALSE(app_.m_installerMutex.IsOwned());
    EXPECT_TRUE(app_.m_strInstallFolder.empty());
    EXPECT_TRUE(app_.m_strStartMenuFolder.empty());
    EXPECT_TRUE(app_.m_strTempFolder.empty());
    EXPECT_FALSE(app_.m_bStartMenuShortcut);
    EXPECT_FALSE(app_.m_bDesktopShortcut);
    EXPECT_FALSE(app_.m_bAdvancedMode);
    EXPECT_TRUE(app_.m_uninstallLog.entries.empty());
    EXPECT_FALSE(app_.m_bInstallationDone);
    EXPECT_EQ(app_.m_nPreviousVersion, 0u);
    EXPECT_EQ(app_.m_pszAppName, nullptr);
    EXPECT_EQ(AfxGetApp(), &app_);
    EXPECT_EQ(GetInstallApp(), &app_);
}

TEST_F(AppTest, UpdateStateCopiesThePreviousVersionOnlyWhenItMatters)
{
    app_.m_strPreviousVersion = L"Korvaline 6.03f";
    struct Case {
        int state;
        bool copied;
    } cases[] = {{NewerInstalled, true}, {FreshInstall, false}, {SameVersion, false}, {Upgrade, true}};
    for (const Case& c : cases) {
        app_.m_nUpdateState = c.state;
        std::wstring previous = L"untouched";
        EXPECT_EQ(app_.GetUpdateState(&previous), c.state);
        EXPECT_EQ(previous, c.copied ? L"Korvaline 6.03f" : L"untouched") << c.state;
        EXPECT_EQ(app_.GetUpdateState(), c.state);
    }
}

std::wstring TempPathOfLength(std::size_t length)
{
    std::wstring path = L"C:\\";
    while (path.size() < length - 1)
        path += L'T';
    return path + L"\\";
}

// A machine's temporary folder that answers `path`, or fails with `error`.
class FixedTemp final : public av::platform::known_folders {
public:
    FixedTemp(std::wstring path, int error)
        : path_(std::move(path))
        , error_(error)
    {
    }
    std::error_code folder(int, std::wstring&) override { return av::win_error::make(av::win_error::file_not_found); }
    std::error_code temp_folder(std::wstring& path) override
    {
        if (error_ != 0)
            return av::win_error::make(error_);
        path = path_;
        return {};
    }

private:
    std::wstring path_;
    int error_;
};

TEST_F(AppTest, TempFolderNameUnderTheTemporaryPath)
{
    FixedTemp temp(L"C:\\Temp\\", 0);
    std::wstring error;
    ASSERT_TRUE(app_.MakeTempFolderPath(temp, error));
    EXPECT_TRUE(error.empty());
    const std::wregex form(
        L"C:\\\\Temp\\\\arvell_\\{[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}\\}");
    EXPECT_TRUE(std::regex_match(app_.m_strTempFolder, form))
        << std::string(app_.m_strTempFolder.begin(), app_.m_strTempFolder.end());
    const std::wstring first = app_.m_strTempFolder;
    ASSERT_TRUE(app_.MakeTempFolderPath(temp, error));
    EXPECT_NE(app_.m_strTempFolder, first);
}

TEST_F(AppTest, TempPathLimit)
{
    for (std::size_t length : {246u, 247u, 259u}) {
        FixedTemp temp(TempPathOfLength(length), 0);
        CInstallApp app(kTestAppId);
        std::wstring error;
        const bool made = app.MakeTempFolderPath(temp, error);
        if (length <= 246) {
            EXPECT_TRUE(made) << length;
            EXPECT_EQ(app.m_strTempFolder.substr(0, length), TempPathOfLength(length));
            EXPECT_EQ(app.m_strTempFolder.size(), length + 7 + 38);
        } else {
            EXPECT_FALSE(made) << length;
            EXPECT_EQ(error, L"00000000 (GetTempPath)");
            EXPECT_TRUE(app.m_strTempFolder.empty());
        }
    }
}

TEST_F(AppTest, FailingTempPathQueryKeepsTheFolder)
{
    app_.m_strTempFolder = L"C:\\Earlier";
    FixedTemp temp(L"", 5);
    std::wstring error;
    EXPECT_FALSE(app_.MakeTempFolderPath(temp, error));
    EXPECT_EQ(error, L"00000005 (GetTempPath)");
    EXPECT_EQ(app_.m_strTempFolder, L"C:\\Earlier");
}

TEST_F(AppTest, ChoosingALanguageWithTexts)
{
    std::vector<std::wstring> boxes;
    SetMessageBoxFunction([&boxes](const std::wstring& text, std::uint32_t) {
        boxes.push_back(text);
        return kIdOk;
    });
    int reloads = 0;
    app_.m_updateTexts = [&reloads] { ++reloads; };
    app_.OnLanguageSelected(11);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GetLanguageSettings().language, 11);
    EXPECT_STREQ(app_.m_pszAppName, L"Programma di installazione \u2013 Korvaline 6.03g");
    EXPECT_EQ(reloads, 1);
}

TEST_F(AppTest, ChoosingALanguageWithoutTextsFallsBackToEnglish)
{
    std::vector<std::pair<std::wstring, std::uint32_t>> boxes;
    SetMessageBoxFunction([&boxes](const std::wstring& text, std::uint32_t type) {
        boxes.emplace_back(text, type);
        return kIdOk;
    });
    app_.OnLanguageSelected(14);  // Greek
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, L"'Korvaline' will be installed in English.");
    EXPECT_EQ(boxes[0].second, kMbOk | kMbIconInformation);
    EXPECT_EQ(GetLanguageSettings().language, 1);
    EXPECT_STREQ(app_.m_pszAppName, L"Installer \u2013 Korvaline 6.03g");
}

}  // namespace
