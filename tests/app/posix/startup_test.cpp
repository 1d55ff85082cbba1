// The start-up sequence in the Linux build: language choice with the stored
// "AvLanguage", the administrator check, the running-product check, the
// refusals, the defaults. The user's locale is the stand-in's; the machine is
// the test's own (an in-memory registry, known folders answered here, an
// ordinary user or an administrator as the test says); the boxes are recorded
// and answered here, and the messages are the installer's own.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>

#include "app/install_app.h"
#include "app/process_init.h"
#include "lang/locale.h"
#include "lang/posix/stand_in_locale.h"
#include "platform/memory_registry.h"
#include "platform/win_error.h"
#include "support/error.h"
#include "support/ui_hooks.h"
#include "tests/app/installer_strings.h"
#include "tests/install/run_machine.h"
#include "tests/lang/message_table.h"
#include "tests/platform/scratch.h"
#include "wizard/wizard_app.h"

namespace {

namespace platform = av::platform;

constexpr wchar_t kCommonPrograms[] = L"C:\\ProgramData\\Start Menu\\Programs";
constexpr wchar_t kUserPrograms[] = L"C:\\Users\\u\\Start Menu\\Programs";
constexpr wchar_t kProgramFiles[] = L"C:\\Program Files";

struct Box {
    std::wstring text;
    std::uint32_t type;
};

// Known folders answered by the test: Program Files, the start menus (the
// all-users one only while `commonPrograms` is set).
class StartupFolders final : public platform::known_folders {
public:
    bool commonPrograms = true;
    bool programFiles = true;
    std::error_code folder(int csidl, std::wstring& path) override
    {
        const std::error_code none = av::win_error::make(av::win_error::file_not_found);
        switch (csidl) {
        case platform::csidl::program_files:
            if (!programFiles)
                return none;
            path = kProgramFiles;
            return {};
        case platform::csidl::common_programs:
            if (!commonPrograms)
                return none;
            path = kCommonPrograms;
            return {};
        case platform::csidl::programs:
            path = kUserPrograms;
            return {};
        default:
            return none;
        }
    }
    std::error_code temp_folder(std::wstring&) override { return av::win_error::make(av::win_error::path_not_found); }
};

class Startup : public testing::Test {
protected:
    void SetUp() override
    {
        InitializeProcess();
        SetMessageBoxFunction([this](const std::wstring& text, std::uint32_t type) {
            boxes_.push_back({text, type});
            if (onBox_)
                onBox_();
            if (answers_.empty())
                return kIdCancel;
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
    }
    void TearDown() override
    {
        SetMessageBoxFunction({});
        av::locale::set_stand_in_user_locale(1033);
        SetLanguage(0);
    }

    void StoreLanguage(const platform::registry_value& value)
    {
        std::unique_ptr<platform::registry_key> key;
        bool created = false;
        ASSERT_FALSE(registry_.local_machine()->create_subkey(
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6", platform::key_access::all, key,
            created));
        ASSERT_FALSE(key->set_value(L"AvLanguage", value));
    }

    // Runs InitInstance of a fresh application object for a user of `lcid`,
    // with `commandLine` after the program's name.
    std::unique_ptr<CInstallApp> Start(std::uint32_t lcid, const std::wstring& commandLine = {})
    {
        av::locale::set_stand_in_user_locale(lcid);
        auto app = std::make_unique<CInstallApp>(ApplicationId(), machine_);
        app->m_strCommandLine = commandLine;
        EXPECT_FALSE(app->InitInstance());  // always false
        return app;
    }

    platform::memory_registry registry_;
    StartupFolders folders_;
    av::test::recording_processes processes_;
    av::test::answering_rights rights_;
    const platform::machine machine_ {
        platform::system_file_system(), registry_, folders_, processes_, platform::system_shell_links(), rights_};
    test::ScopedMessageTable messages_ {test::InstallerStrings()};
    std::vector<Box> boxes_;
    std::deque<int> answers_;
    std::function<void()> onBox_;
};

TEST_F(Startup, ProcessInitialisationRan)
{
    EXPECT_TRUE(ProcessorCheckPassed());
    ASSERT_NE(RunningInstanceCounter::Current(), nullptr);
    EXPECT_EQ(RunningInstanceCounter::Current()->Held(), 1);
}

TEST_F(Startup, DutchUserWithoutPreviousInstallationStartsInEnglish)
{
    const auto app = Start(1043);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(GetLanguageSettings().language, 1);
    EXPECT_STREQ(app->m_pszAppName, L"Installer \u2013 Korvaline 6.03g");
    EXPECT_EQ(app->m_nUpdateState, FreshInstall);
    EXPECT_EQ(app->m_strInstallFolder, L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6");
    EXPECT_EQ(app->m_strStartMenuFolder, std::wstring(kCommonPrograms) + L"\\Arvell & Divizere\\Korvaline 6");
    EXPECT_TRUE(app->m_bStartMenuShortcut);
    EXPECT_TRUE(app->m_bDesktopShortcut);
    EXPECT_FALSE(app->m_bAdvancedMode);
    EXPECT_TRUE(app->m_installerMutex.IsOwned());
}

TEST_F(Startup, FrenchUserGetsFrenchNames)
{
    const auto app = Start(1036);
    EXPECT_EQ(GetLanguageSettings().language, 0);
    EXPECT_STREQ(app->m_pszAppName, L"Installeur \u2013 Korvane 6.03g");
    EXPECT_EQ(app->m_strInstallFolder, L"C:\\Program Files\\Arvell & Divizere\\Korvane 6");
}

TEST_F(Startup, UsersOfOtherLanguages)
{
    struct Case {
        std::uint32_t lcid;
        int language;
    } cases[] = {
        {1041, 1},  // Japanese: English
        {1028, 1},  // Traditional Chinese: English
        {2052, 1},  // Simplified Chinese: index 10, no texts, English
        {3084, 0},  // Canadian French: French
        {1031, 2},  // German
        {1049, 1},  // Russian: English
    };
    for (const Case& c : cases) {
        const auto app = Start(c.lcid);
        EXPECT_EQ(GetLanguageSettings().language, c.language) << c.lcid;
    }
    Start(3084);
    EXPECT_EQ(av::locale::runtime_locale_name(), L"fr-CA");
    EXPECT_EQ(GetLanguageSettings().lcid, 1036u);
}

TEST_F(Startup, StoredLanguage)
{
    struct Case {
        std::uint32_t stored;
        int language;  // for a French user
    } cases[] = {
        {5, 1},  // Dutch: accepted, then English (no texts)
        {18, 0},  // Japanese: not a product language, ignored
        {25, 0},  // outside the table: ignored
        {11, 11},  // Italian
        {1, 1},  // English
        {9, 9},  // Romanian
        {6, 0},  // Danish: not offered
    };
    for (const Case& c : cases) {
        StoreLanguage(platform::dword_value(c.stored));
        const auto app = Start(1036);
        EXPECT_EQ(GetLanguageSettings().language, c.language) << c.stored;
    }
}

TEST_F(Startup, StoredLanguageOfAnotherTypeOrSizeIsIgnored)
{
    StoreLanguage(platform::string_value(L"2"));
    Start(1036);
    EXPECT_EQ(GetLanguageSettings().language, 0);
    platform::registry_value wide {platform::reg_dword, std::vector<std::byte>(8, std::byte {2})};
    StoreLanguage(wide);
    Start(1036);
    EXPECT_EQ(GetLanguageSettings().language, 0);
}

TEST_F(Startup, StartMenuFallsBackToTheUsersPrograms)
{
    folders_.commonPrograms = false;
    const auto app = Start(1033);
    EXPECT_EQ(app->m_strStartMenuFolder, std::wstring(kUserPrograms) + L"\\Arvell & Divizere\\Korvaline 6");
}

TEST_F(Startup, AFolderTheMachineCannotNameLeavesItsDefaultEmpty)
{
    folders_.programFiles = false;
    folders_.commonPrograms = false;
    const auto app = Start(1033);
    EXPECT_TRUE(app->m_strInstallFolder.empty());
    EXPECT_EQ(app->m_strStartMenuFolder, std::wstring(kUserPrograms) + L"\\Arvell & Divizere\\Korvaline 6");
}

TEST_F(Startup, AnOrdinaryUserIsRefusedWithMessage126)
{
    rights_.administrator = false;
    const auto app = Start(1033);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"You should have Administrator Rights in order to proceed to Installation.");
    EXPECT_EQ(boxes_[0].type, kMbOk | kMbIconWarning);
    EXPECT_TRUE(app->m_strInstallFolder.empty());  // ended before the defaults
    EXPECT_EQ(app->m_nUpdateState, FreshInstall);
}

TEST_F(Startup, FoldersAlreadyKnownAreKept)
{
    av::locale::set_stand_in_user_locale(1033);
    CInstallApp app(ApplicationId(), machine_);
    app.m_strInstallFolder = L"D:\\Tools\\Korvane";
    app.m_strStartMenuFolder = L"D:\\Menu";
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_strInstallFolder, L"D:\\Tools\\Korvane");
    EXPECT_EQ(app.m_strStartMenuFolder, L"D:\\Menu");
}

TEST_F(Startup, RunningProductKeepsAskingUntilCancel)
{
    auto product = std::make_unique<RunningInstanceCounter>(RunningCounterName(ApplicationId()));
    answers_ = {kIdRetry, kIdRetry, kIdCancel};
    const auto app = Start(1033);
    ASSERT_EQ(boxes_.size(), 3u);
    for (const Box& box : boxes_) {
        EXPECT_EQ(box.text, L"You should close 'Korvaline' before continuing Installation.");
        EXPECT_EQ(box.type, kMbRetryCancel | kMbIconWarning);
    }
    EXPECT_TRUE(app->m_strInstallFolder.empty());  // ended before the defaults
}

TEST_F(Startup, RetryPassesOnceTheProductHasEnded)
{
    auto product = std::make_unique<RunningInstanceCounter>(RunningCounterName(ApplicationId()));
    answers_ = {kIdRetry, kIdRetry};
    onBox_ = [&product] { product.reset(); };
    const auto app = Start(1036);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"Vous devez fermer 'Korvane' avant de poursuivre l'installation.");
    EXPECT_FALSE(app->m_strInstallFolder.empty());
}

// Boxes as the support library shows them (text, caption), recorded at the
// system box.
class SystemBoxes {
public:
    SystemBoxes()
    {
        av::details::set_message_box_function(
            [this](av::window_handle, const wchar_t* text, const wchar_t* caption, std::uint32_t) {
                boxes.push_back({text, caption != nullptr ? std::optional<std::wstring>(caption) : std::nullopt});
                return answer;
            });
    }
    ~SystemBoxes() { av::details::set_message_box_function({}); }
    SystemBoxes(const SystemBoxes&) = delete;
    SystemBoxes& operator=(const SystemBoxes&) = delete;

    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> boxes;
    int answer = kIdCancel;
};

TEST_F(Startup, BoxesCarryTheApplicationTitle)
{
    SetMessageBoxFunction({});  // through the support library's box
    SystemBoxes system;
    RunningInstanceCounter product(RunningCounterName(ApplicationId()));
    const auto app = Start(1033);
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].first, L"You should close 'Korvaline' before continuing Installation.");
    EXPECT_EQ(system.boxes[0].second, L"Installer \u2013 Korvaline 6.03g");
}

TEST_F(Startup, SecondInstallerEndsBeforeAnythingElse)
{
    NamedMutex first(InstallerMutexName(ApplicationId()));
    ASSERT_TRUE(first.TryLock());
    SystemBoxes system;
    const auto app = Start(1033);
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].first, av::system_message(170));
    // The error box of the error model: the installer's own caption, not the
    // system's default one.
    ASSERT_TRUE(system.boxes[0].second.has_value());
    EXPECT_FALSE(system.boxes[0].second->empty());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(app->m_installerMutex.IsOwned());
    EXPECT_EQ(app->m_pszAppName, nullptr);
    EXPECT_TRUE(app->m_strInstallFolder.empty());
}

// The help of the command line, read from the executable's own tables.
std::wstring HelpText(int block)
{
    return test::InstallerStrings().at(block * 1000 + 131);
}

TEST_F(Startup, HelpBoxInTheChosenLanguageEndsWithZero)
{
    struct Case {
        std::uint32_t lcid;
        const wchar_t* line;
        int block;  // of the text shown
    } cases[] = {
        {1036, L"/?", 1},  // a French user: French
        {1033, L"/HELP", 2},  // English
        {1036, L"/? /LANG=1", 2},  // the language the line asks for
        {1031, L"/help", 2},  // German has no help of its own: English
    };
    for (const Case& c : cases) {
        boxes_.clear();
        const auto app = Start(c.lcid, c.line);
        ASSERT_EQ(boxes_.size(), 1u) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(boxes_[0].text, HelpText(c.block));
        EXPECT_EQ(boxes_[0].type, kMbOk | kMbIconInformation);
        EXPECT_EQ(app->m_nExitCode, 0);
        // Nothing else of the start-up ran.
        EXPECT_FALSE(app->m_installerMutex.IsOwned());
        EXPECT_TRUE(app->m_strInstallFolder.empty());
    }
}

TEST_F(Startup, AWrongSwitchIsNamedBeforeTheHelpAndEndsWith1639)
{
    struct Case {
        std::uint32_t lcid;
        const wchar_t* line;
        std::wstring first;
        int block;
    } cases[] = {
        {1033, L"/BOGUS", L"Unknown switch: /BOGUS", 2},
        {1036, L"/BOGUS", L"Option inconnue\u00A0: /BOGUS", 1},
        {1033, L"/DIR=Korvane", L"Invalid switch: /DIR=Korvane", 2},
        {1033, L"/LANG=0 /DIR=..\\Korvane", L"Option incorrecte\u00A0: /DIR=..\\Korvane", 1},
    };
    for (const Case& c : cases) {
        boxes_.clear();
        const auto app = Start(c.lcid, c.line);
        ASSERT_EQ(boxes_.size(), 1u) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(boxes_[0].text, c.first + L"\r\n\r\n" + HelpText(c.block));
        EXPECT_EQ(boxes_[0].type, kMbOk | kMbIconError);
        EXPECT_EQ(app->m_nExitCode, 1639);
        EXPECT_FALSE(app->m_installerMutex.IsOwned());
        EXPECT_TRUE(app->m_strInstallFolder.empty());
    }
}

TEST_F(Startup, VerySilentReportsAWrongSwitchOnlyByItsExitCode)
{
    SetMessageBoxFunction({});  // through the support library's box
    SystemBoxes system;
    const auto app = Start(1033, L"/VERYSILENT /BOGUS");
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_EQ(app->m_nExitCode, 1639);
    const auto help = Start(1033, L"/S /?");
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_EQ(help->m_nExitCode, 0);
}

TEST_F(Startup, AQuestionThatCannotBeShownEndsLikeCancel)
{
    auto product = std::make_unique<RunningInstanceCounter>(RunningCounterName(ApplicationId()));
    answers_ = {0};  // MessageBoxW's answer when it could not show the box
    const auto app = Start(1033);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(app->m_strInstallFolder.empty());
}

TEST_F(Startup, SilentTellsARefusalInABoxUnlessBoxesAreSuppressed)
{
    RunningInstanceCounter product(RunningCounterName(ApplicationId()));
    SetMessageBoxFunction({});
    {
        SystemBoxes system;
        const auto app = Start(1033, L"/SILENT");
        ASSERT_EQ(system.boxes.size(), 1u);  // told, not asked: no Retry
        EXPECT_EQ(system.boxes[0].first, L"You should close 'Korvaline' before continuing Installation.");
        EXPECT_EQ(app->m_nExitCode, 2000);
    }
    {
        SystemBoxes system;
        const auto app = Start(1033, L"/SILENT /SUPPRESSMSGBOXES");
        EXPECT_TRUE(system.boxes.empty());
        EXPECT_EQ(app->m_nExitCode, 2000);
    }
    // The answers by default end with the start-up: a later box is shown.
    SystemBoxes after;
    EXPECT_EQ(av::message_box(L"shown", av::mb_ok), kIdCancel);
    ASSERT_EQ(after.boxes.size(), 1u);
}

// A display that fails the moment the run first touches it.
class ThrowingDisplay : public InstallDisplay {
public:
    void SetStatus(const std::wstring& text) override { status = text; }
    void SetStatusPath(const std::wstring& path) override { status = path; }
    void AppendLogLine(const std::wstring& text, bool) override { log += text; }
    void ShowProgress(bool) override { }
    void SetProgress(unsigned long long, unsigned long long) override { }
    void PumpMessages() override { }
    std::wstring& MainProgramPath() override { throw std::system_error(5, std::system_category()); }
    std::wstring& UninstallerPath() override { return uninstaller; }

    std::wstring status;
    std::wstring log;
    std::wstring uninstaller;
};

TEST_F(Startup, ARunInterruptedByAnExceptionIsRolledBackAndTold)
{
    av::test::scratch_folder scratch;
    const std::wstring file = scratch / L"Korvane.exe";
    ASSERT_FALSE(platform::write_whole_file(platform::system_file_system(), file, "the old program"));
    SystemBoxes system;
    CInstallApp app(ApplicationId());
    SetLanguage(1);
    // What the run did before it was interrupted: a file replaced, its
    // backup taken by the recorder.
    ASSERT_TRUE(app.m_uninstallLog.RecordFile(file, 1, false));
    const std::wstring backup = app.m_uninstallLog.entries.back().backupPath;
    ASSERT_FALSE(backup.empty());
    ASSERT_FALSE(platform::write_whole_file(platform::system_file_system(), file, "the new program"));
    app.m_uninstallLog.Complete(true);

    // The run as the wizard's Install button reaches it.
    ThrowingDisplay display;
    wizard::WizardApp& wizardView = app;
    EXPECT_FALSE(wizardView.RunInstallation(display));

    std::string content;
    EXPECT_FALSE(platform::read_whole_file(platform::system_file_system(), file, content));
    EXPECT_EQ(content, "the old program");
    std::uint32_t attributes = 0;
    EXPECT_TRUE(platform::system_file_system().get_attributes(backup, attributes)) << "the backup is left behind";
    EXPECT_TRUE(app.m_uninstallLog.entries.empty());
    EXPECT_EQ(display.status, L"Installation failed (Error Code 1:00000005).");
    EXPECT_EQ(display.log, L"Failed\r\n");
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].first, av::system_message(5));
}

}  // namespace
