#include "payload_fixture.h"

#include <boost/filesystem/operations.hpp>

namespace {

namespace fs = boost::filesystem;

class Destinations : public av_test::PayloadFixture {
protected:
    fs::path resolve(const std::wstring& dir) { return av::resolve_destination(m_folders, dir, m_inputs, m_recorded); }
    std::vector<fs::path> recorded() const
    {
        std::vector<fs::path> out;
        for (const auto& f : m_recorded.folders())
            out.push_back(f.folder);
        return out;
    }
    av::destination_inputs m_inputs {L"", L"", L""};
    av::rights_folders m_recorded;
};

TEST_F(Destinations, EachPlaceholderResolvesToItsFolder)
{
    m_inputs.install_folder = install();
    m_inputs.temporary_folder = av::path_to_wide(m_root / "tmp");
    const fs::path inst = av::wide_to_path(install());
    struct row {
        const wchar_t* placeholder;
        fs::path base;
    };
    const row rows[] = {
        {L"<InstallPath>", inst},
        {L"<SamplePath>", known(av::platform::csidl::common_desktop)},
        {L"<ProgramFiles>", known(av::platform::csidl::program_files)},
        {L"<ProgramCommon>", known(av::platform::csidl::program_files_common)},
        {L"<CommonData>", known(av::platform::csidl::common_appdata)},
        {L"<UserData>", known(av::platform::csidl::appdata)},
        {L"<CommonDocuments>", known(av::platform::csidl::common_documents)},
        {L"<Documents>", known(av::platform::csidl::personal)},
        {L"<CommonDesktop>", known(av::platform::csidl::common_desktop)},
        {L"<Desktop>", known(av::platform::csidl::desktop_directory)},
        {L"<WinDir>", known(av::platform::csidl::windows)},
        {L"<System>", known(av::platform::csidl::system)},
        {L"<Temporary>", m_root / "tmp"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(resolve(r.placeholder), r.base) << av::wide_to_path(r.placeholder);
        EXPECT_EQ(resolve(std::wstring(r.placeholder) + L"\\A\\B"), r.base / "A" / "B")
            << av::wide_to_path(r.placeholder);
    }
}

TEST_F(Destinations, SharedDataPlaceholdersRecordEveryAppendedLevel)
{
    resolve(L"<CommonData>\\Arvell & Divizere\\Korvane");
    const fs::path data = known(av::platform::csidl::common_appdata);
    EXPECT_EQ(recorded(), (std::vector<fs::path> {data / "Arvell & Divizere", data / "Arvell & Divizere" / "Korvane"}));
    // The same folders again add nothing; the known folder itself never.
    resolve(L"<CommonData>\\Arvell & Divizere\\Korvane");
    resolve(L"<CommonData>");
    EXPECT_EQ(recorded().size(), 2u);

    resolve(L"<CommonDocuments>\\D");
    resolve(L"<CommonDesktop>\\E");
    resolve(L"<UserData>\\F");
    resolve(L"<Documents>\\G");
    resolve(L"<InstallPath>\\H");
    EXPECT_EQ(recorded(),
        (std::vector<fs::path> {data / "Arvell & Divizere", data / "Arvell & Divizere" / "Korvane",
            known(av::platform::csidl::common_documents) / "D", known(av::platform::csidl::common_desktop) / "E"}));
}

TEST_F(Destinations, SharedFoldersFallBackPersonalOnesDoNot)
{
    m_missing = {av::platform::csidl::common_appdata, av::platform::csidl::common_documents,
        av::platform::csidl::common_desktop};
    EXPECT_EQ(resolve(L"<CommonData>\\A"), known(av::platform::csidl::appdata) / "A");
    EXPECT_EQ(resolve(L"<CommonDocuments>\\A"), known(av::platform::csidl::personal) / "A");
    EXPECT_EQ(resolve(L"<CommonDesktop>\\A"), known(av::platform::csidl::desktop_directory) / "A");
    EXPECT_EQ(resolve(L"<SamplePath>"), known(av::platform::csidl::desktop_directory));

    // The personal folders have no fallback.
    const std::pair<int, const wchar_t*> personal[] = {
        {av::platform::csidl::appdata, L"<UserData>"},
        {av::platform::csidl::personal, L"<Documents>"},
        {av::platform::csidl::desktop_directory, L"<Desktop>"},
        {av::platform::csidl::program_files, L"<ProgramFiles>"},
        {av::platform::csidl::windows, L"<WinDir>"},
    };
    for (const auto& [id, placeholder] : personal) {
        m_missing = {id};
        EXPECT_THROW(resolve(placeholder), std::system_error) << id;
    }
    m_missing = {av::platform::csidl::common_appdata, av::platform::csidl::appdata};
    try {
        resolve(L"<CommonData>");
        FAIL() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), av::make_error_code(av::compress_errc::unexpected));
    }
}

TEST_F(Destinations, SampleFolderRules)
{
    const fs::path desktop = known(av::platform::csidl::common_desktop);
    // Empty: the desktop itself, nothing recorded.
    EXPECT_EQ(resolve(L"<SamplePath>\\x"), desktop / "x");
    EXPECT_TRUE(recorded().empty());
    // Relative: a folder of that name on the desktop, recorded (only it).
    m_inputs.sample_folder = L"Korvaline Examples";
    EXPECT_EQ(resolve(L"<SamplePath>\\x\\y"), desktop / "Korvaline Examples" / "x" / "y");
    EXPECT_EQ(recorded(), std::vector<fs::path> {desktop / "Korvaline Examples"});
    // Absolute: the folder itself, nothing more recorded.
    const fs::path absolute = m_root / "samples";
    m_inputs.sample_folder = av::path_to_wide(absolute);
    EXPECT_EQ(resolve(L"<SamplePath>\\x"), absolute / "x");
    EXPECT_EQ(recorded().size(), 1u);
}

TEST_F(Destinations, TemporaryWithoutATemporaryFolderIsTheInstallFolder)
{
    m_inputs.install_folder = install();
    EXPECT_EQ(resolve(L"<Temporary>\\t"), av::wide_to_path(install()) / "t");
}

TEST_F(Destinations, LiteralsAreUsedUnchanged)
{
#ifdef _WIN32
    EXPECT_EQ(resolve(L"C:\\Some Folder\\x").wstring(), L"C:\\Some Folder\\x");
    EXPECT_EQ(resolve(L"single").wstring(), L"single");
    EXPECT_EQ(resolve(L"<NoClosing\\x").wstring(), L"<NoClosing\\x");
    EXPECT_EQ(resolve(L"x\\<InstallPath>").wstring(), L"x\\<InstallPath>");
#else
    EXPECT_EQ(resolve(L"C:\\Some Folder\\x"), fs::path("C:/Some Folder/x"));
    EXPECT_EQ(resolve(L"single"), fs::path("single"));
    EXPECT_EQ(resolve(L"<NoClosing\\x"), fs::path("<NoClosing/x"));
    EXPECT_EQ(resolve(L"x\\<InstallPath>"), fs::path("x/<InstallPath>"));
#endif
    EXPECT_EQ(resolve(L""), fs::path());
    EXPECT_TRUE(recorded().empty());
}

TEST_F(Destinations, PlaceholderNamesAreCaseSensitiveAndUnknownNamesRefused)
{
    for (const wchar_t* dir : {L"<installpath>", L"<COMMONDATA>\\A", L"<Nowhere>\\A", L"<>"}) {
        try {
            resolve(dir);
            ADD_FAILURE() << "accepted " << av::wide_to_path(dir);
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), av::make_error_code(av::compress_errc::unexpected));
        }
    }
    EXPECT_TRUE(recorded().empty());
}

TEST(AbsoluteWindowsPath, NeedsADriveOrShareAndARootSeparator)
{
    EXPECT_TRUE(av::is_absolute_windows_path(L"C:\\x"));
    EXPECT_TRUE(av::is_absolute_windows_path(L"d:/x"));
    EXPECT_TRUE(av::is_absolute_windows_path(L"\\\\server\\share"));
    EXPECT_FALSE(av::is_absolute_windows_path(L"C:x"));
    EXPECT_FALSE(av::is_absolute_windows_path(L"\\x"));
    EXPECT_FALSE(av::is_absolute_windows_path(L"Examples"));
    EXPECT_FALSE(av::is_absolute_windows_path(L""));
}

class FolderGrant : public av_test::PayloadFixture {
protected:
    // The folders granted by one folder grant, each with full control and
    // inheritance 3.
    std::vector<fs::path> grant(const fs::path& file_folder)
    {
        m_rights.grants.clear();
        m_list.grant(machine().files, machine().rights, file_folder);
        std::vector<fs::path> granted;
        for (const auto& g : m_rights.grants) {
            EXPECT_EQ(g.mask, 0x1F01FFu);
            EXPECT_EQ(g.flags, 3u);
            granted.push_back(g.path);
        }
        return granted;
    }
    av::rights_folders m_list;
};

TEST_F(FolderGrant, ParentAndChildAreGrantedByTheFirstFileInTheChild)
{
    const fs::path parent = m_root / "Maker";
    const fs::path child = parent / "Product";
    fs::create_directories(child / "deep");
    m_list.add(parent);
    m_list.add(child);
    EXPECT_EQ(grant(child / "deep"), (std::vector<fs::path> {parent, child}));
    EXPECT_TRUE(grant(child).empty());  // once only
}

TEST_F(FolderGrant, FileElsewhereGrantsNothingFileInTheFolderGrantsIt)
{
    const fs::path data = m_root / "Data";
    fs::create_directories(data);
    fs::create_directories(m_root / "Other");
    m_list.add(data);
    EXPECT_TRUE(grant(m_root / "Other").empty());
    EXPECT_TRUE(grant(m_root).empty());  // above it
    EXPECT_FALSE(m_list.folders()[0].granted);
    EXPECT_EQ(grant(data), std::vector<fs::path> {data});
    EXPECT_TRUE(m_list.folders()[0].granted);
}

TEST_F(FolderGrant, AFailedGrantLeavesTheFolderClosedAndIsNotRetried)
{
    const fs::path data = m_root / "Data";
    fs::create_directories(data);
    m_list.add(data);
    m_plan.fail_when(
        [](av::platform::operation op, const std::wstring&) { return op == av::platform::operation::grant_access; });
    EXPECT_TRUE(grant(data).empty());
    EXPECT_TRUE(m_list.folders()[0].granted);
    m_plan.disarm();
    EXPECT_TRUE(grant(data).empty());
}

TEST_F(FolderGrant, MissingFolderIsNeverReached)
{
    const fs::path data = m_root / "Data";
    m_list.add(data);
    EXPECT_TRUE(grant(data / "not-yet").empty());
    EXPECT_FALSE(m_list.folders()[0].granted);
}

}  // namespace
