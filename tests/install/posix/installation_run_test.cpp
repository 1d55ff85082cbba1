// The installation run end to end in the Linux build: a small payload handed
// in as the executable's resource, plain folders for the known folders, the
// in-memory registry, and a stand-in for the product's registration run.
// What it shows: the page's log and status, the decisions per entry kind and
// update state, the registration command line, and a rollback that leaves
// nothing behind.
#include "install/installation_run.h"

#include "app/install_app.h"
#include "app/system.h"
#include "install/install_display.h"
#include "install/process.h"
#include "payload/archive_builder.h"
#include "payload/folders.h"
#include "payload/payload.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "support/text.h"
#include "tests/app/installer_strings.h"
#include "tests/lang/message_table.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using av::test::join;

class RecordingPage : public InstallDisplay {
public:
    std::wstring status;
    std::wstring log;  // everything appended, separators as "----\r\n"
    void SetStatus(const std::wstring& text) override { status = text; }
    void SetStatusPath(const std::wstring& text) override { status = text; }
    void AppendLogLine(const std::wstring& text, bool separator) override { log += separator ? L"----\r\n" : text; }
    void ShowProgress(bool) override {}
    void SetProgress(unsigned long long, unsigned long long) override {}
    void PumpMessages() override {}
    std::wstring& MainProgramPath() override { return main; }
    std::wstring& UninstallerPath() override { return uninstaller; }
    std::wstring main, uninstaller;
};

std::string ReadFile(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class InstallationRun : public testing::Test {
protected:
    av::test::scratch_folder scratch;
    test::ScopedMessageTable messages{test::InstallerStrings()};
    test::ScopedLanguage english{1};
    CInstallApp app{L"AvRunTest"};
    RecordingPage page;
    std::vector<std::wstring> commandLines;
    std::string payload;

    std::wstring Folder(const wchar_t* name) { return join(scratch.path(), name); }

    void SetUp() override
    {
        for (const wchar_t* name : {L"ProgramData", L"Desktop", L"Roaming", L"temp"})
            std::filesystem::create_directories(std::filesystem::path(Folder(name)));
        av::set_folder_lookup([this](int csidl) -> std::wstring {
            switch (csidl) {
            case av::csidl::common_appdata: return Folder(L"ProgramData");
            case av::csidl::common_desktop: return Folder(L"Desktop");
            case av::csidl::appdata: return Folder(L"Roaming");
            default: return {};
            }
        });
        app_system::SetTempPathSource([this] {
            app_system::TempPathAnswer answer;
            answer.path = Folder(L"temp") + L"/";
            answer.length = static_cast<std::uint32_t>(answer.path.size());
            return answer;
        });
        SetProcessRunner([this](const std::wstring& commandLine, const std::wstring&) {
            commandLines.push_back(commandLine);
            return ProcessOutcome{true, 0xFFFFFFF6u};
        });
        app.m_strInstallFolder = Folder(L"Korvaline 6");
        app.m_strStartMenuFolder = Folder(L"Programs");
        app.m_bStartMenuShortcut = true;
        app.m_bDesktopShortcut = false;
        app.m_uninstallLog.Load(std::wstring());

        av::archive_builder archive;
        archive.add_data(L"Materials.kmt", L"<CommonData>\\Arvell & Divizere\\Korvane", 3, "material data");
        archive.add_data(L"Sample 1.kvn", L"<SamplePath>", 4, "sample one");
        archive.add_data(L"setup.tmp", L"<Temporary>", 5, "scratch");
        archive.add_data(L"Uninstall.exe", L"<InstallPath>", 2, "uninstaller bytes");
        archive.add_data(L"Korvane.en.dll", L"<InstallPath>\\Lang", 0, "english texts");
        archive.add_data(L"Korvane.exe", L"<InstallPath>", 1, "main program bytes");
        payload = av::bzip2_compress(archive.bytes());
        av::details::register_resource(av::payload_resource_type, av::payload_resource_name,
                                       std::as_bytes(std::span(payload.data(), payload.size())));
    }

    void TearDown() override
    {
        av::details::unregister_resource(av::payload_resource_type, av::payload_resource_name);
        av::set_folder_lookup({});
        app_system::SetTempPathSource({});
        SetProcessRunner({});
        std::unique_ptr<av::platform::registry_key> machine = av::platform::system_registry().local_machine();
        machine->delete_subkey_tree(L"Software\\Arvell & Divizere");
    }

    std::wstring Installed(const wchar_t* relative) { return join(Folder(L"Korvaline 6"), relative); }
};

TEST_F(InstallationRun, FreshInstallationWritesEveryFileLogsEachStepAndRegistersTheProduct)
{
    ASSERT_TRUE(run_installation(app, page));

    EXPECT_EQ(ReadFile(Installed(L"Korvane.exe")), "main program bytes");
    EXPECT_EQ(ReadFile(join(Installed(L"Lang"), L"Korvane.en.dll")), "english texts");
    EXPECT_EQ(ReadFile(join(join(Folder(L"Desktop"), L"Korvaline Examples"), L"Sample 1.kvn")), "sample one");
    EXPECT_EQ(ReadFile(join(Folder(L"ProgramData"), L"Arvell & Divizere/Korvane/Materials.kmt")), "material data");
    // The temporary file and its folder are gone with the run.
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(Folder(L"temp"))));

    const std::wstring quotedMain = L"\"" + Installed(L"Korvane.exe") + L"\"";
    EXPECT_NE(page.log.find(L"Copying File  " + quotedMain + L"...OK\r\n"), std::wstring::npos) << page.log;
    // A temporary file is written and logged like any other, but never recorded.
    EXPECT_NE(page.log.find(L"setup.tmp...OK"), std::wstring::npos);
    for (const auto& e : app.m_uninstallLog.entries)
        EXPECT_EQ(e.path.find(L"setup.tmp"), std::wstring::npos);
    EXPECT_TRUE(page.log.starts_with(L"----\r\nPreparing Installation...OK\r\n")) << page.log;
    EXPECT_TRUE(page.log.ends_with(L"Shortcuts Creation...OK\r\nRegistry Data Writing...Failed\r\n"
                                   L"Installation Data Writing...OK\r\n"))
        << page.log;  // the in-memory machine has no program list to register in
    EXPECT_EQ(page.status, L"Click on 'Next' to continue.");

    ASSERT_EQ(commandLines.size(), 1u);
    EXPECT_EQ(commandLines[0], quotedMain + L" /Register /Background");
    av::platform::registry_value value;
    std::wstring path;
    ASSERT_FALSE(av::platform::read_value(av::platform::system_registry(), L"Software\\Arvell & Divizere",
                                          L"Korvane 6 Path", value));
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
    ASSERT_TRUE(run_installation(app, page));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(join(Folder(L"Desktop"), L"Korvaline Examples"))));
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
    const std::wstring data = join(Folder(L"ProgramData"), L"Arvell & Divizere/Korvane/Materials.kmt");
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
        std::filesystem::remove_all(std::filesystem::path(Folder(L"Korvaline 6")));
        std::filesystem::create_directories(std::filesystem::path(data).parent_path());
        std::ofstream(std::filesystem::path(data), std::ios::trunc) << "the user's own materials";

        CInstallApp run{L"AvRunTest"};
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

        ASSERT_TRUE(run_installation(run, runPage));
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
    const std::wstring data = join(Folder(L"ProgramData"), L"Arvell & Divizere/Korvane/Materials.kmt");
    std::filesystem::create_directories(std::filesystem::path(data).parent_path());
    std::ofstream(std::filesystem::path(data)) << "the user's own materials";
    std::filesystem::create_directories(std::filesystem::path(Installed(L"Korvane.exe")) / "occupied");
    const av::test::tree_snapshot before = av::test::snapshot_tree(scratch.path());

    EXPECT_FALSE(run_installation(app, page));
    EXPECT_EQ(av::test::snapshot_tree(scratch.path()), before);
    EXPECT_EQ(ReadFile(data), "the user's own materials");
}

TEST_F(InstallationRun, AFileThatCannotBeWrittenRollsEverythingBack)
{
    // The main program's place is taken by a folder: the last file fails.
    std::filesystem::create_directories(std::filesystem::path(Installed(L"Korvane.exe")) / "occupied");
    const av::test::tree_snapshot before = av::test::snapshot_tree(scratch.path());

    EXPECT_FALSE(run_installation(app, page));
    EXPECT_TRUE(page.status.starts_with(L"Installation failed (Error Code ")) << page.status;
    EXPECT_TRUE(page.log.ends_with(L"...Failed\r\n")) << page.log;
    EXPECT_TRUE(commandLines.empty());
    EXPECT_EQ(av::test::snapshot_tree(scratch.path()), before);
    EXPECT_TRUE(app.m_uninstallLog.entries.empty());
}

TEST_F(InstallationRun, AFileThatCannotBeBackedUpIsNotOverwrittenAndTheRunFails)
{
    // A previous main program, and no temporary folder for its backup.
    std::filesystem::create_directories(std::filesystem::path(Folder(L"Korvaline 6")));
    std::ofstream(std::filesystem::path(Installed(L"Korvane.exe"))) << "previous main program";
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous ? previous : "";
    setenv("TMPDIR", "/nonexistent-folder-for-backups", 1);

    const bool installed = run_installation(app, page);
    if (saved.empty())
        unsetenv("TMPDIR");
    else
        setenv("TMPDIR", saved.c_str(), 1);

    EXPECT_FALSE(installed);
    // The reason the backup could not be taken: the temporary folder is none.
    EXPECT_EQ(page.status, L"Installation failed (Error Code 1:0000010B).");
    EXPECT_EQ(ReadFile(Installed(L"Korvane.exe")), "previous main program");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(Installed(L"Uninstall.exe"))));
}

TEST_F(InstallationRun, NoUsableTemporaryPathStopsBeforeAnythingChanges)
{
    app_system::SetTempPathSource([] {
        app_system::TempPathAnswer answer;
        answer.path = L"/" + std::wstring(246, L't');
        answer.length = 247;
        answer.lastError = 0;
        return answer;
    });
    EXPECT_FALSE(run_installation(app, page));
    EXPECT_EQ(page.status, L"Installation failed (Error Code 00000000 (GetTempPath)).");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(Folder(L"Korvaline 6"))));
}

TEST(RegistrationCommandLine, QuotesPathsWithSpacesAndFormatsTheVersion)
{
    EXPECT_EQ(RegistrationCommandLine(L"C:\\Korvane\\Korvane.exe", 0), L"C:\\Korvane\\Korvane.exe /Register /Background");
    EXPECT_EQ(RegistrationCommandLine(L"C:\\Program Files\\K\\Korvane.exe", 0x0006000200050003ull),
              L"\"C:\\Program Files\\K\\Korvane.exe\" /Register /Background /update=0006000200050003");
}

}  // namespace
