// The installation run end to end in the Linux build, on a machine inside a
// scratch folder (tests/install/run_machine.h): a small payload handed in as
// the executable's resource. What it shows: the page's log and status, the
// decisions per entry kind and update state, the registration command line,
// and a rollback that leaves nothing behind. (Every operation failed in turn:
// tests/install/run_sweep_test.cpp.)
#include "install/installation_run.h"

#include "app/install_app.h"
#include "install/install_display.h"
#include "payload/archive_builder.h"
#include "payload/payload.h"
#include "platform/win_error.h"
#include "support/text.h"
#include "tests/app/installer_strings.h"
#include "tests/install/run_fixture.h"
#include "tests/install/run_machine.h"
#include "tests/lang/message_table.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using av::test::join;
using av::test::RecordingPage;
using av::test::SamplePayload;

std::string ReadFile(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The payload resource for the life of the object.
class ScopedPayload {
public:
    explicit ScopedPayload(std::string bytes = SamplePayload())
        : bytes_(std::move(bytes))
    {
        av::details::register_resource(av::payload_resource_type, av::payload_resource_name,
            std::as_bytes(std::span(bytes_.data(), bytes_.size())));
    }
    ~ScopedPayload() { av::details::unregister_resource(av::payload_resource_type, av::payload_resource_name); }
    ScopedPayload(const ScopedPayload&) = delete;
    ScopedPayload& operator=(const ScopedPayload&) = delete;

private:
    std::string bytes_;
};

class InstallationRun : public testing::Test {
protected:
    av::test::scratch_folder scratch;
    test::ScopedMessageTable messages {test::InstallerStrings()};
    test::ScopedLanguage english {1};
    ScopedPayload payload;
    av::test::run_machine m {scratch.path()};
    CInstallApp app {L"AvRunTest", m.faulty.get()};
    RecordingPage page;
    std::vector<std::wstring>& commandLines = m.processes.command_lines;

    std::wstring Folder(const wchar_t* name) { return join(scratch.path(), name); }
    std::wstring Known(int csidl) { return m.folder(csidl); }

    void SetUp() override
    {
        app.m_strInstallFolder = join(Known(av::platform::csidl::program_files), L"Korvaline 6");
        app.m_strStartMenuFolder = join(Known(av::platform::csidl::common_programs), L"Korvaline 6");
        app.m_bStartMenuShortcut = true;
        app.m_bDesktopShortcut = false;
        app.m_uninstallLog.Load(std::wstring());
    }

    std::wstring Installed(const wchar_t* relative) { return join(app.m_strInstallFolder, relative); }
    std::wstring Data()
    {
        return join(Known(av::platform::csidl::common_appdata), L"Arvell & Divizere/Korvane/Materials.kmt");
    }
};

TEST_F(InstallationRun, FreshInstallationWritesEveryFileLogsEachStepAndRegistersTheProduct)
{
    ASSERT_TRUE(run_installation(app, page, m.faulty.get()));

    EXPECT_EQ(ReadFile(Installed(L"Korvane.exe")), "main program bytes");
    EXPECT_EQ(ReadFile(join(Installed(L"Lang"), L"Korvane.en.dll")), "english texts");
    EXPECT_EQ(ReadFile(join(join(Known(av::platform::csidl::common_desktop), L"Korvaline Examples"), L"Sample 1.kvn")),
        "sample one");
    EXPECT_EQ(ReadFile(Data()), "material data");
    // The temporary file and its folder are gone with the run.
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(Folder(L"Temp"))));

    const std::wstring quotedMain = L"\"" + Installed(L"Korvane.exe") + L"\"";
    EXPECT_NE(page.log.find(L"Copying File  " + quotedMain + L"...OK\r\n"), std::wstring::npos) << page.log;
    // A temporary file is written and logged like any other, but never recorded.
    EXPECT_NE(page.log.find(L"setup.tmp...OK"), std::wstring::npos);
    for (const auto& e : app.m_uninstallLog.entries)
        EXPECT_EQ(e.path.find(L"setup.tmp"), std::wstring::npos);
    EXPECT_TRUE(page.log.starts_with(L"----\r\nPreparing Installation...OK\r\n")) << page.log;
    EXPECT_TRUE(page.log.ends_with(L"Shortcuts Creation...OK\r\nRegistry Data Writing...OK\r\n"
                                   L"Installation Data Writing...OK\r\n"))
        << page.log;
    EXPECT_EQ(page.status, L"Click on 'Next' to continue.");

    ASSERT_EQ(commandLines.size(), 1u);
    EXPECT_EQ(commandLines[0], quotedMain + L" /Register /Background");
    av::platform::registry_value value;
    std::wstring path;
    ASSERT_FALSE(av::platform::read_value(m.registry, L"Software\\Arvell & Divizere", L"Korvane 6 Path", value));
    ASSERT_TRUE(av::platform::value_as_string(value, path));
    EXPECT_EQ(path, Installed(L"Korvane.exe"));

    // The log next to the uninstaller, read-only; the programs read-only too.
    UninstallLog written;
    written.Load(Installed(L"Uninstall.ulog"));
    EXPECT_EQ(written.previousVersion, L"Korvaline 6.03g");
    EXPECT_FALSE(written.previousEntries.empty());
    std::uint32_t attributes = 0;
    ASSERT_FALSE(av::platform::system_file_system().get_attributes(Installed(L"Korvane.exe"), attributes));
    EXPECT_TRUE(attributes & av::platform::attr_readonly);
}

TEST_F(InstallationRun, UpdateSkipsSamplesAndPassesThePreviousVersion)
{
    app.m_nUpdateState = Upgrade;
    app.m_nPreviousVersion = 0x0006000300060009ull;
    ASSERT_TRUE(run_installation(app, page, m.faulty.get()));
    EXPECT_FALSE(std::filesystem::exists(
        std::filesystem::path(join(Known(av::platform::csidl::common_desktop), L"Korvaline Examples"))));
    EXPECT_EQ(page.log.find(L"Sample 1.kvn"), std::wstring::npos);
    ASSERT_EQ(commandLines.size(), 1u);
    EXPECT_TRUE(commandLines[0].ends_with(L" /Register /Background /update=0006000300060009")) << commandLines[0];
}

// A data file already on the machine is never overwritten. Whether the new
// uninstall log lists it depends on who made it: one an earlier installation
// of the product wrote stays listed (its old entry carries over), one that was
// there before the product is the user's and is not listed, so that the
// uninstaller does not delete it.
TEST_F(InstallationRun, AnExistingDataFileIsKeptAndListedOnlyWhenTheProductMadeIt)
{
    const std::wstring data = Data();
    struct Case {
        const char* what;
        UpdateState state;
        bool listedInEarlierLog;
        bool listedAfterwards;
    } const cases[] = {
        {"the user's file before a first installation", FreshInstall, false, false},
        {"the user's file, a reinstallation whose earlier log lacks it", SameVersion, false, false},
        {"the user's file, an update whose earlier log lacks it", Upgrade, false, false},
        {"the product's file, a reinstallation", SameVersion, true, true},
        {"the product's file, an update", Upgrade, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(std::filesystem::path(app.m_strInstallFolder));
        std::filesystem::create_directories(std::filesystem::path(data).parent_path());
        std::ofstream(std::filesystem::path(data), std::ios::trunc) << "the user's own materials";

        CInstallApp run {L"AvRunTest", m.faulty.get()};
        run.m_strInstallFolder = app.m_strInstallFolder;
        run.m_strStartMenuFolder = app.m_strStartMenuFolder;
        run.m_bStartMenuShortcut = false;
        run.m_bDesktopShortcut = false;
        run.m_nUpdateState = c.state;
        if (c.listedInEarlierLog) {
            const std::wstring earlier = Folder(L"earlier.ulog");
            {
                UninstallLog log;
                log.Load(std::wstring());
                ASSERT_TRUE(log.RecordFile(data, 3, true));
                log.Complete(true);
                ASSERT_TRUE(log.Write(earlier, app.m_strInstallFolder, app.m_strStartMenuFolder));
            }
            run.m_uninstallLog.Load(earlier);
            ASSERT_TRUE(run.m_uninstallLog.WasInstalled(data));
        } else {
            run.m_uninstallLog.Load(std::wstring());
        }
        RecordingPage runPage;

        ASSERT_TRUE(run_installation(run, runPage, m.faulty.get()));
        EXPECT_EQ(ReadFile(data), "the user's own materials");
        EXPECT_EQ(runPage.log.find(L"Materials.kmt"), std::wstring::npos) << runPage.log;

        UninstallLog written;
        written.Load(Installed(L"Uninstall.ulog"));
        ASSERT_FALSE(written.previousEntries.empty());
        bool listed = false;
        for (const auto& e : written.previousEntries)
            listed = listed || (e.kind == UninstallLogEntry::InstalledFile && e.path == data);
        EXPECT_EQ(listed, c.listedAfterwards);
    }
}

// The user's data file before a first installation that fails: the rollback
// leaves it exactly as it was.
TEST_F(InstallationRun, AFailedFirstInstallationLeavesTheUsersDataFileAsItWas)
{
    const std::wstring data = Data();
    std::filesystem::create_directories(std::filesystem::path(data).parent_path());
    std::ofstream(std::filesystem::path(data)) << "the user's own materials";
    std::filesystem::create_directories(std::filesystem::path(Installed(L"Korvane.exe")) / "occupied");
    const av::test::tree_snapshot before = av::test::snapshot_tree(scratch.path());

    EXPECT_FALSE(run_installation(app, page, m.faulty.get()));
    EXPECT_EQ(av::test::snapshot_tree(scratch.path()), before);
    EXPECT_EQ(ReadFile(data), "the user's own materials");
}

TEST_F(InstallationRun, AFileThatCannotBeWrittenRollsEverythingBack)
{
    // The main program's place is taken by a folder: the last file fails.
    std::filesystem::create_directories(std::filesystem::path(Installed(L"Korvane.exe")) / "occupied");
    const av::test::tree_snapshot before = av::test::snapshot_tree(scratch.path());

    EXPECT_FALSE(run_installation(app, page, m.faulty.get()));
    EXPECT_TRUE(page.status.starts_with(L"Installation failed (Error Code ")) << page.status;
    EXPECT_TRUE(page.log.ends_with(L"...Failed\r\n")) << page.log;
    EXPECT_TRUE(commandLines.empty());
    EXPECT_EQ(av::test::snapshot_tree(scratch.path()), before);
    EXPECT_TRUE(app.m_uninstallLog.entries.empty());
}

TEST_F(InstallationRun, AFileThatCannotBeBackedUpIsNotOverwrittenAndTheRunFails)
{
    // A previous main program, and no temporary folder for its backup.
    std::filesystem::create_directories(std::filesystem::path(app.m_strInstallFolder));
    std::ofstream(std::filesystem::path(Installed(L"Korvane.exe"))) << "previous main program";
    m.plan.fail_when(
        [](av::platform::operation op, const std::wstring&) { return op == av::platform::operation::temp_file_name; },
        av::win_error::make(av::win_error::directory));

    EXPECT_FALSE(run_installation(app, page, m.faulty.get()));
    // The reason the backup could not be taken.
    EXPECT_EQ(page.status, L"Installation failed (Error Code 1:0000010B).");
    EXPECT_EQ(ReadFile(Installed(L"Korvane.exe")), "previous main program");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(Installed(L"Uninstall.exe"))));
}

TEST_F(InstallationRun, NoUsableTemporaryPathStopsBeforeAnythingChanges)
{
    av::platform::rooted_known_folders long_temp(scratch.path(), L"/" + std::wstring(246, L't'));
    const av::platform::machine machine {m.machine.files, m.registry, long_temp, m.processes, m.links, m.rights};
    EXPECT_FALSE(run_installation(app, page, machine));
    EXPECT_EQ(page.status, L"Installation failed (Error Code 00000000 (GetTempPath)).");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(app.m_strInstallFolder)));
}

TEST_F(InstallationRun, WithoutADesktopFolderTheDesktopShortcutFailsAndNothingLandsInTheCurrentFolder)
{
    app.m_bDesktopShortcut = true;
    // The samples' folder is looked up once, by the file phase; the shortcut
    // step's lookups after it find no desktop at all.
    int desktopLookups = 0;
    m.plan.fail_when([&desktopLookups](av::platform::operation op, const std::wstring& subject) {
        if (op != av::platform::operation::known_folder)
            return false;
        if (subject == std::to_wstring(av::platform::csidl::common_desktop))
            return ++desktopLookups > 1;
        return subject == std::to_wstring(av::platform::csidl::desktop_directory);
    });
    const std::wstring work = Folder(L"work");
    std::filesystem::create_directories(std::filesystem::path(work));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(work));
    const bool installed = run_installation(app, page, m.faulty.get());
    std::filesystem::current_path(previous);
    ASSERT_TRUE(installed);
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(work)));
    EXPECT_TRUE(page.log.ends_with(L"Shortcuts Creation...Failed\r\nRegistry Data Writing...OK\r\n"
                                   L"Installation Data Writing...OK\r\n"))
        << page.log;
    bool desktopRecordedAsFailed = false;
    for (const auto& e : app.m_uninstallLog.entries)
        if (e.kind == UninstallLogEntry::DesktopShortcut)
            desktopRecordedAsFailed = !e.succeeded && e.path.empty();
    EXPECT_TRUE(desktopRecordedAsFailed);
}

TEST_F(InstallationRun, AnUninstallKeyThatCannotBeSavedIsLeftAsItWas)
{
    std::unique_ptr<av::platform::registry_key> key;
    bool created = false;
    ASSERT_FALSE(
        av::platform::create_key(m.registry, app.UninstallKeyPath(), av::platform::key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"DisplayName", av::platform::string_value(L"Korvaline 6.03f")));
    key.reset();
    m.plan.fail_when(
        [](av::platform::operation op, const std::wstring&) { return op == av::platform::operation::save_key; });
    ASSERT_TRUE(run_installation(app, page, m.faulty.get()));
    EXPECT_TRUE(page.log.ends_with(L"Registry Data Writing...Failed\r\nInstallation Data Writing...OK\r\n"))
        << page.log;
    av::platform::registry_value value;
    ASSERT_FALSE(av::platform::read_value(m.registry, app.UninstallKeyPath(), L"DisplayName", value));
    EXPECT_EQ(value, av::platform::string_value(L"Korvaline 6.03f"));
    EXPECT_TRUE(av::platform::read_value(m.registry, app.UninstallKeyPath(), L"UninstallString", value));
}

TEST_F(InstallationRun, ATemporaryEntryNeverReplacesAFileWithoutABackupAndRemovesOnlyWhatItWrote)
{
    // A temporary entry that goes where a file of that name already is.
    ScopedPayload inInstallFolder(SamplePayload(L"<InstallPath>"));
    std::filesystem::create_directories(std::filesystem::path(app.m_strInstallFolder));
    const std::wstring existing = Installed(L"setup.tmp");
    std::ofstream(std::filesystem::path(existing)) << "the user's file";
    // Its backup refused: the run fails and the file is as it was.
    m.plan.fail_when([&](av::platform::operation op, const std::wstring& subject) {
        return op == av::platform::operation::move_file && subject == existing;
    });
    const std::string before = ReadFile(existing);
    EXPECT_FALSE(run_installation(app, page, m.faulty.get()));
    EXPECT_EQ(ReadFile(existing), before);

    // With its backup: written for the run, then the user's file is back.
    m.plan.reset();
    ASSERT_TRUE(run_installation(app, page, m.faulty.get()));
    EXPECT_EQ(ReadFile(existing), "the user's file");

    // A run that fails before it writes the temporary entry deletes nothing.
    m.plan.fail_when([](av::platform::operation op, const std::wstring& subject) {
        return op == av::platform::operation::create_file && subject.ends_with(L"Sample 1.kvn");
    });
    EXPECT_FALSE(run_installation(app, page, m.faulty.get()));
    EXPECT_EQ(ReadFile(existing), "the user's file");
}

TEST(RegistrationCommandLine, QuotesPathsWithSpacesAndFormatsTheVersion)
{
    EXPECT_EQ(
        RegistrationCommandLine(L"C:\\Korvane\\Korvane.exe", 0), L"C:\\Korvane\\Korvane.exe /Register /Background");
    EXPECT_EQ(RegistrationCommandLine(L"C:\\Program Files\\K\\Korvane.exe", 0x0006000200050003ull),
        L"\"C:\\Program Files\\K\\Korvane.exe\" /Register /Background /update=0006000200050003");
}

}  // namespace
