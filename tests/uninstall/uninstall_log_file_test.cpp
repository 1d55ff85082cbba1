// The log file: what Write puts in it, byte for byte, how Load reads it back,
// every rule that ends the reading, and the merge of a previous installation's
// entries into the new log.
#include "platform/fault_injection.h"
#include "platform/win_error.h"
#include "support/text.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

namespace {

using namespace av::platform;
using av::test::scratch_folder;
using Kind = UninstallLogEntry::EntryKind;

std::string utf16le(const std::wstring& text)
{
    std::string out;
    for (const char16_t u : av::details::utf16_from_wide(text)) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

// A UTF-16 log file: the mark, then each line with CR LF.
std::string utf16_log(const std::vector<std::wstring>& lines)
{
    std::string out("\xFF\xFE", 2);
    for (const std::wstring& line : lines)
        out += utf16le(line + L"\r\n");
    return out;
}

UninstallLogEntry entry(std::int32_t kind, const std::wstring& path, std::int32_t detail = -1, bool ok = true)
{
    UninstallLogEntry e;
    e.kind = kind;
    e.path = path;
    e.detail = detail;
    e.succeeded = ok;
    return e;
}

class LogFileTest : public ::testing::Test {
protected:
    scratch_folder dir;
    file_system& fs = system_file_system();
    std::wstring logPath = dir / L"Uninstall.ulog";

    std::string read(const std::wstring& path)
    {
        std::string bytes;
        EXPECT_FALSE(read_whole_file(fs, path, bytes));
        return bytes;
    }
    void put(const std::wstring& path, const std::string& bytes)
    {
        (void)fs.set_attributes(path, attr_normal);
        ASSERT_FALSE(write_whole_file(fs, path, bytes));
    }
    static std::vector<std::wstring> header(const std::wstring& install = L"C:\\P")
    {
        return {L"// Uninstall Log File v1",
            L"// ############ WARNING: Do not delete or modify this file. ############", L"// Install Korvaline 6.03f",
            L"// Install Path : " + install, L"// Shortcut Path : C:\\S", L"// ------------------"};
    }
};

TEST_F(LogFileTest, FirstInstallationIsWrittenExactlyAsTheExample)
{
    const std::wstring pf = L"C:\\Program Files\\Arvell & Divizere";
    const std::wstring app = pf + L"\\Korvaline 6";
    const std::wstring pd = L"C:\\ProgramData\\Arvell & Divizere";
    const std::wstring sm = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Arvell & Divizere";
    const std::wstring menu = sm + L"\\Korvaline 6";
    const std::wstring desktop = L"C:\\Users\\Public\\Desktop\\Korvaline 6.03g.lnk";

    UninstallLog log;
    log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    log.entries = {entry(Kind::CreatedFolder, pd), entry(Kind::CreatedFolder, pd + L"\\Korvane"),
        entry(Kind::InstalledFile, pd + L"\\Korvane\\Korvane.dat", 3), entry(Kind::CreatedFolder, pf),
        entry(Kind::CreatedFolder, app), entry(Kind::InstalledFile, app + L"\\Uninstall.exe", 2),
        entry(Kind::CreatedFolder, app + L"\\Lang"), entry(Kind::InstalledFile, app + L"\\Lang\\Korvane.en.dll", 0),
        entry(Kind::InstalledFile, app + L"\\Korvane.exe", 1), entry(Kind::CreatedFolder, sm),
        entry(Kind::CreatedFolder, menu), entry(Kind::MenuShortcut, menu + L"\\Korvaline 6.03g.lnk"),
        entry(Kind::MenuUninstallShortcut, menu + L"\\Uninstall Korvaline.lnk"), entry(Kind::DesktopShortcut, desktop),
        entry(Kind::UninstallKey, L""), entry(Kind::ProductRegistration, L"")};
    ASSERT_TRUE(log.Write(logPath, app, menu));

    const std::string expected = utf16_log({
        L"// Uninstall Log File v1",
        L"// ############ WARNING: Do not delete or modify this file. ############",
        L"// Install Korvaline 6.03g",
        L"// Install Path : C:\\Program Files\\Arvell & Divizere\\Korvaline 6",
        L"// Shortcut Path : C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Arvell & Divizere\\Korvaline 6",
        L"// " + std::wstring(98, L'-'),
        L"0000:00ff:1 -- C:\\ProgramData\\Arvell & Divizere",
        L"0001:00ff:1 -- C:\\ProgramData\\Arvell & Divizere\\Korvane",
        L"0002:0103:1 -- C:\\ProgramData\\Arvell & Divizere\\Korvane\\Korvane.dat",
        L"0003:00ff:1 -- C:\\Program Files\\Arvell & Divizere",
        L"0004:00ff:1 -- C:\\Program Files\\Arvell & Divizere\\Korvaline 6",
        L"0005:0102:1 -- C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Uninstall.exe",
        L"0006:00ff:1 -- C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Lang",
        L"0007:0100:1 -- C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Lang\\Korvane.en.dll",
        L"0008:0101:1 -- C:\\Program Files\\Arvell & Divizere\\Korvaline 6\\Korvane.exe",
        L"0009:00ff:1 -- " + sm,
        L"0010:00ff:1 -- " + menu,
        L"0011:02ff:1 -- " + menu + L"\\Korvaline 6.03g.lnk",
        L"0012:03ff:1 -- " + menu + L"\\Uninstall Korvaline.lnk",
        L"0013:04ff:1 -- " + desktop,
        L"0014:05ff:1 -- HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6",
        L"0015:06ff:1 -- HKEY_CLASSES_ROOT\\...",
    });
    EXPECT_EQ(read(logPath), expected);
    // 98 = 16 + length of the start-menu folder.
    EXPECT_EQ(menu.size(), 82u);

    std::uint32_t attributes = 0;
    ASSERT_FALSE(fs.get_attributes(logPath, attributes));
    EXPECT_NE(attributes & attr_readonly, 0u);
}

TEST_F(LogFileTest, UpdateLineFailedShortcutAndAllCodes)
{
    UninstallLog log;
    log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    log.previousVersion = L"Korvaline 6.03f";
    for (int detail = 0; detail <= 4; ++detail)
        log.entries.push_back(entry(Kind::InstalledFile, L"f" + std::to_wstring(detail), detail));
    log.entries.push_back(entry(Kind::MenuShortcut, L"", -1, false));
    log.entries.push_back(entry(Kind::MenuUninstallShortcut, L"", -1, false));
    log.entries.push_back(entry(Kind::DesktopShortcut, L"", -1, false));
    log.entries.push_back(entry(Kind::InstalledFile, L"half", 3, false));
    ASSERT_TRUE(log.Write(logPath, L"C:\\P", L""));
    const std::string expected = utf16_log({
        L"// Uninstall Log File v1",
        L"// ############ WARNING: Do not delete or modify this file. ############",
        L"// Install Korvaline 6.03g -- Update (Korvaline 6.03f)",
        L"// Install Path : C:\\P",
        L"// Shortcut Path : ",
        L"// ----------------",
        L"0000:0100:1 -- f0",
        L"0001:0101:1 -- f1",
        L"0002:0102:1 -- f2",
        L"0003:0103:1 -- f3",
        L"0004:0104:1 -- f4",
        L"0005:02ff:0 -- ",
        L"0006:03ff:0 -- ",
        L"0007:04ff:0 -- ",
        L"0008:0103:0 -- half",
    });
    EXPECT_EQ(read(logPath), expected);
}

TEST_F(LogFileTest, IndexesGoOnWithFiveDigitsAndLoadAcceptsThem)
{
    UninstallLog log;
    log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    for (int i = 0; i < 10002; ++i)
        log.entries.push_back(entry(Kind::InstalledFile, L"C:\\f" + std::to_wstring(i), 3));
    ASSERT_TRUE(log.Write(logPath, L"C:\\P", L"C:\\S"));
    const std::string bytes = read(logPath);
    EXPECT_NE(bytes.find(utf16le(L"\r\n9999:0103:1 -- C:\\f9999\r\n")), std::string::npos);
    EXPECT_NE(bytes.find(utf16le(L"\r\n10000:0103:1 -- C:\\f10000\r\n")), std::string::npos);
    EXPECT_NE(bytes.find(utf16le(L"\r\n10001:0103:1 -- C:\\f10001\r\n")), std::string::npos);

    UninstallLog reader;
    reader.Load(logPath);
    ASSERT_EQ(reader.previousEntries.size(), 10002u);
    EXPECT_EQ(reader.previousEntries.back().path, L"C:\\f10001");
}

TEST_F(LogFileTest, LoadReadsBackWhatWriteWrote)
{
    const std::wstring install = dir / L"Install";
    const std::wstring menu = dir / L"Menu";
    ASSERT_FALSE(fs.create_folder(install));
    ASSERT_FALSE(fs.create_folder(menu));
    UninstallLog log;
    log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    log.entries = {entry(Kind::CreatedFolder, install), entry(Kind::InstalledFile, install + L"\\a -- b.txt", 0),
        entry(Kind::InstalledFile, install + L"\\\u040A\u010A.txt", 4, false),
        entry(Kind::MenuShortcut, L"", -1, false), entry(Kind::MenuUninstallShortcut, menu + L"\\U.lnk"),
        entry(Kind::DesktopShortcut, L"D.lnk"), entry(Kind::UninstallKey, L""),
        entry(Kind::ProductRegistration, L"", -1, false)};
    const auto written = log.entries;
    ASSERT_TRUE(log.Write(logPath, install, menu));

    UninstallLog reader;
    reader.Load(logPath);
    EXPECT_EQ(reader.installPath, install);
    EXPECT_EQ(reader.shortcutPath, menu);
    EXPECT_EQ(reader.previousVersion, L"Korvaline 6.03g");
    EXPECT_TRUE(reader.entries.empty());
    ASSERT_EQ(reader.previousEntries.size(), written.size());
    auto it = reader.previousEntries.begin();
    for (const UninstallLogEntry& w : written) {
        const UninstallLogEntry& r = *it++;
        EXPECT_EQ(r.kind, w.kind);
        EXPECT_EQ(r.detail, w.detail);
        EXPECT_EQ(r.succeeded, w.succeeded);
        EXPECT_EQ(r.path, w.path) << "kind " << w.kind;  // key and registration: empty
        EXPECT_TRUE(r.backupPath.empty());
    }
    EXPECT_TRUE(reader.WasInstalled(install + L"\\a -- b.txt"));
    EXPECT_FALSE(reader.WasInstalled(install + L"\\\u040A\u010A.txt"));  // it failed
}

TEST_F(LogFileTest, EightBitLogIsReadInTheThreadCodePage)
{
    // The reader converts with the thread's ANSI code page, whatever it is.
    const std::string name = "caf\xE9 \xC0";
    const std::wstring converted = av::narrow_to_wide(name);
    ASSERT_FALSE(converted.empty());
    std::string text;
    for (const std::wstring& line : header())
        text += av::wide_to_narrow(line) + "\r\n";
    text += "0000:0103:1 -- C:\\" + name + "\r\n0001:00ff:1 -- C:\\x\n";
    put(logPath, text);
    UninstallLog log;
    log.Load(logPath);
    EXPECT_EQ(log.previousVersion, L"Korvaline 6.03f");
    ASSERT_EQ(log.previousEntries.size(), 2u);
    EXPECT_EQ(log.previousEntries.front().path, L"C:\\" + converted);
    EXPECT_EQ(log.previousEntries.front().detail, 3);
    EXPECT_EQ(log.previousEntries.back().path, L"C:\\x");
}

#ifndef _WIN32
TEST_F(LogFileTest, EightBitLogFollowsTheChosenCodePage)
{
    struct restore {
        std::uint32_t cp = av::details::thread_code_page();
        ~restore() { av::details::set_thread_code_page(cp); }
    } guard;
    av::details::set_thread_code_page(1251);
    std::string text;
    for (const std::wstring& line : header())
        text += av::wide_to_narrow(line) + "\r\n";
    text += "0000:0103:1 -- C:\\\xC0\xE1\r\n";
    put(logPath, text);
    UninstallLog log;
    log.Load(logPath);
    ASSERT_EQ(log.previousEntries.size(), 1u);
    EXPECT_EQ(log.previousEntries.front().path, L"C:\\\u0410\u0431");
}
#endif

struct stop_case {
    const char* name;
    std::wstring line;
};

class LoadStopsTest : public LogFileTest, public ::testing::WithParamInterface<stop_case> { };

TEST_P(LoadStopsTest, KeepsWhatCameBeforeAndReadsNothingAfter)
{
    std::vector<std::wstring> lines = header();
    lines.push_back(L"0000:00ff:1 -- C:\\A");
    lines.push_back(L"0001:0103:0 -- C:\\A\\b");
    lines.push_back(GetParam().line);
    lines.push_back(L"0003:0100:1 -- C:\\A\\late");
    put(logPath, utf16_log(lines));
    UninstallLog log;
    log.Load(logPath);
    EXPECT_EQ(log.previousVersion, L"Korvaline 6.03f");
    ASSERT_EQ(log.previousEntries.size(), 2u);
    EXPECT_EQ(log.previousEntries.back().path, L"C:\\A\\b");
    EXPECT_FALSE(log.previousEntries.back().succeeded);
}

INSTANTIATE_TEST_SUITE_P(Rules, LoadStopsTest,
    ::testing::Values(stop_case {"BlankLine", L""}, stop_case {"WhiteSpaceOnly", L" \t "},
        stop_case {"KindSeven", L"0002:07ff:1 -- C:\\x"}, stop_case {"FlagTwo", L"0002:0100:2 -- C:\\x"},
        stop_case {"MissingFirstColon", L"0002 0100:1 -- C:\\x"},
        stop_case {"MissingSecondColon", L"0002:0100 1 -- C:\\x"},
        stop_case {"WordOtherThanDashes", L"0002:0100:1 - C:\\x"}, stop_case {"DashesGlued", L"0002:0100:1 --C:\\x"},
        stop_case {"NegativeIndex", L"-1:0100:1 -- C:\\x"}, stop_case {"NoIndex", L":0100:1 -- C:\\x"},
        stop_case {"NoCode", L"0002::1 -- C:\\x"}, stop_case {"CodeTooLarge", L"0002:1ffffffff:1 -- C:\\x"},
        stop_case {"NothingAfterFlag", L"0002:0100:1"},
        stop_case {"TooLong", L"0002:0100:1 -- C:\\" + std::wstring(600, L'x')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogFileTest, LineOfExactlyTheBufferIsReadAndOneMoreStops)
{
    // 511 characters in UTF-16 with CR LF: the longest line the buffer holds.
    const std::wstring prefix = L"0000:0103:1 -- C:\\";
    const std::wstring fits = prefix + std::wstring(511 - 2 - prefix.size(), L'a');
    const std::wstring longer = prefix + std::wstring(511 - 1 - prefix.size(), L'b');
    std::vector<std::wstring> lines = header();
    lines.push_back(fits);
    lines.push_back(longer);
    put(logPath, utf16_log(lines));
    UninstallLog log;
    log.Load(logPath);
    ASSERT_EQ(log.previousEntries.size(), 1u);
    EXPECT_EQ(log.previousEntries.front().path.size(), 511 - 2 - 15u);

    // 8-bit: up to 1023 bytes with the line end.
    std::string text;
    for (const std::wstring& line : header())
        text += av::wide_to_narrow(line) + "\r\n";
    const std::string narrow_prefix = "0000:0103:1 -- C:\\";
    text += narrow_prefix + std::string(1023 - 2 - narrow_prefix.size(), 'a') + "\r\n";
    text += narrow_prefix + std::string(1023 - 1 - narrow_prefix.size(), 'b') + "\r\n";
    put(logPath, text);
    log.Load(logPath);
    ASSERT_EQ(log.previousEntries.size(), 1u);
    EXPECT_EQ(log.previousEntries.front().path.size(), 1023 - 2 - 15u);
}

TEST_F(LogFileTest, PathWithDashesAndSpacesAroundIsKeptWhole)
{
    std::vector<std::wstring> lines = header();
    lines.push_back(L"  0000 : 0103 :  1   --    C:\\a -- b -- c.txt   ");
    lines.push_back(L"0001:0x0500:1 -- ignored text");
    put(logPath, utf16_log(lines));
    UninstallLog log;
    log.Load(logPath);
    ASSERT_EQ(log.previousEntries.size(), 2u);
    EXPECT_EQ(log.previousEntries.front().path, L"C:\\a -- b -- c.txt");
    EXPECT_EQ(log.previousEntries.back().kind, Kind::UninstallKey);
    EXPECT_EQ(log.previousEntries.back().path, L"");
}

TEST_F(LogFileTest, VersionOtherThanOneYieldsNothing)
{
    const std::wstring install = dir / L"Install";
    ASSERT_FALSE(fs.create_folder(install));
    for (const std::wstring first :
        {L"// Uninstall Log File v2", L"// Uninstall Log File v", L"// Log v1", L"0000:00ff:1 -- C:\\A"}) {
        std::vector<std::wstring> lines = header(install);
        lines[0] = first;
        lines.push_back(L"0000:00ff:1 -- C:\\A");
        put(logPath, utf16_log(lines));
        UninstallLog log;
        log.previousVersion = L"stale";
        log.Load(logPath);
        EXPECT_TRUE(log.installPath.empty());
        EXPECT_TRUE(log.shortcutPath.empty());
        EXPECT_TRUE(log.previousVersion.empty());
        EXPECT_TRUE(log.previousEntries.empty()) << std::string(first.begin(), first.end());
    }
}

TEST_F(LogFileTest, HeaderLabelsAndFolders)
{
    const std::wstring install = dir / L"Install";
    ASSERT_FALSE(fs.create_folder(install));
    {
        // A deleted folder leaves the path empty and the entries in place.
        std::vector<std::wstring> lines = header(dir / L"Deleted");
        lines.push_back(L"0000:00ff:1 -- C:\\A");
        put(logPath, utf16_log(lines));
        UninstallLog log;
        log.Load(logPath);
        EXPECT_TRUE(log.installPath.empty());
        EXPECT_EQ(log.previousEntries.size(), 1u);
    }
    {
        // Update line: the version is cut at "--".
        std::vector<std::wstring> lines = header(install);
        lines[2] = L"/// Install   Korvaline 6.03g -- Update (Korvaline 6.03f)";
        put(logPath, utf16_log(lines));
        UninstallLog log;
        log.Load(logPath);
        EXPECT_EQ(log.previousVersion, L"Korvaline 6.03g");
        EXPECT_EQ(log.installPath, install);
    }
    for (int missing : {2, 3, 4}) {
        // A header line 3 to 5 without its label ends the reading there.
        std::vector<std::wstring> lines = header(install);
        lines[missing] = L"// something else";
        lines.push_back(L"0000:00ff:1 -- C:\\A");
        put(logPath, utf16_log(lines));
        UninstallLog log;
        log.Load(logPath);
        EXPECT_TRUE(log.previousEntries.empty()) << missing;
        EXPECT_EQ(log.installPath.empty(), missing <= 3) << missing;
    }
}

TEST_F(LogFileTest, MissingFileOrNoPathLoadsNothing)
{
    UninstallLog log;
    log.installPath = L"x";
    log.shortcutPath = L"y";
    log.Load(dir / L"none.ulog");
    EXPECT_TRUE(log.installPath.empty());
    EXPECT_TRUE(log.shortcutPath.empty());
    log.Load(L"");
    EXPECT_TRUE(log.previousEntries.empty());
    // A file of nothing but the mark, or nothing at all.
    put(logPath, "\xFF\xFE");
    log.Load(logPath);
    EXPECT_TRUE(log.previousEntries.empty());
    put(logPath, "");
    log.Load(logPath);
    EXPECT_TRUE(log.previousEntries.empty());
}

TEST_F(LogFileTest, AReadErrorEndsTheReadingAndDropsTheLineItCut)
{
    std::vector<std::wstring> lines = header();
    for (int i = 0; i < 200; ++i)
        lines.push_back(L"0000:0103:1 -- C:\\file number " + std::to_wstring(i));
    put(logPath, utf16_log(lines));
    fault_plan plan;
    faulty_file_system faulty(fs, plan);
    int reads = 0;
    plan.fail_when([&](operation op, const std::wstring&) { return op == operation::read_file && ++reads == 2; });
    av::test::machine_of faulty_machine {faulty, system_registry()};
    UninstallLog log(faulty_machine);
    log.Load(logPath);
    // The first 4096 bytes hold the header and some whole lines.
    ASSERT_FALSE(log.previousEntries.empty());
    EXPECT_LT(log.previousEntries.size(), 200u);
    for (const UninstallLogEntry& e : log.previousEntries)
        EXPECT_TRUE(e.path.starts_with(L"C:\\file number ")) << std::string(e.path.begin(), e.path.end());
    const std::wstring last = log.previousEntries.back().path;
    EXPECT_EQ(last, L"C:\\file number " + std::to_wstring(log.previousEntries.size() - 1));
}

TEST_F(LogFileTest, WasInstalledIsExactAndCaseSensitive)
{
    std::vector<std::wstring> lines = header();
    lines.push_back(L"0000:0103:1 -- C:\\A\\b.txt");
    lines.push_back(L"0001:0103:0 -- C:\\A\\failed.txt");
    lines.push_back(L"0002:00ff:1 -- C:\\A\\folder");
    put(logPath, utf16_log(lines));
    UninstallLog log;
    EXPECT_FALSE(log.WasInstalled(L"C:\\A\\b.txt"));  // nothing loaded
    log.Load(logPath);
    EXPECT_TRUE(log.WasInstalled(L"C:\\A\\b.txt"));
    EXPECT_FALSE(log.WasInstalled(L"C:\\a\\b.txt"));
    EXPECT_FALSE(log.WasInstalled(L"C:\\A\\b.txt "));
    EXPECT_FALSE(log.WasInstalled(L"C:\\A\\failed.txt"));
    EXPECT_FALSE(log.WasInstalled(L"C:\\A\\folder"));
}

TEST_F(LogFileTest, MergeSupersedesFilesKeepsOtherShortcutsReplacesKeyAndRegistration)
{
    UninstallLog log;
    log.SetProduct(L"Korvaline 6.03g", L"Korvane 6");
    log.previousVersion = L"Korvaline 6.03g";
    log.previousEntries = {entry(Kind::CreatedFolder, L"C:\\P"), entry(Kind::InstalledFile, L"C:\\P\\a.exe", 1),
        entry(Kind::InstalledFile, L"C:\\P\\old.dll", 0), entry(Kind::InstalledFile, L"C:\\P\\B.DAT", 3),
        entry(Kind::MenuShortcut, L"C:\\S\\K 6.03f.lnk"), entry(Kind::DesktopShortcut, L"C:\\D\\K 6.03f.lnk"),
        entry(Kind::UninstallKey, L""), entry(Kind::ProductRegistration, L"")};
    log.entries = {entry(Kind::InstalledFile, L"C:\\P\\a.exe", 1),
        entry(Kind::InstalledFile, L"C:\\p\\b.dat", 3),  // same file by the same-path rule
        entry(Kind::MenuShortcut, L"C:\\S\\K 6.03g.lnk"), entry(Kind::UninstallKey, L""),
        entry(Kind::ProductRegistration, L"", -1, false)};
    ASSERT_TRUE(log.Write(logPath, L"C:\\P", L"C:\\S"));
    EXPECT_TRUE(log.previousEntries.empty());

    std::vector<std::pair<std::int32_t, std::wstring>> merged;
    for (const UninstallLogEntry& e : log.entries)
        merged.emplace_back(e.kind, e.path);
    const std::wstring key = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6";
    const std::vector<std::pair<std::int32_t, std::wstring>> expected = {
        {Kind::CreatedFolder, L"C:\\P"},
        {Kind::InstalledFile, L"C:\\P\\old.dll"},
        {Kind::DesktopShortcut, L"C:\\D\\K 6.03f.lnk"},
        {Kind::InstalledFile, L"C:\\P\\a.exe"},
        {Kind::InstalledFile, L"C:\\p\\b.dat"},
        {Kind::MenuShortcut, L"C:\\S\\K 6.03g.lnk"},
        {Kind::UninstallKey, key},
        {Kind::ProductRegistration, L"HKEY_CLASSES_ROOT\\..."},
    };
    EXPECT_EQ(merged, expected);
    const std::string bytes = read(logPath);
    EXPECT_NE(bytes.find(utf16le(L"// Install Korvaline 6.03g -- Update (Korvaline 6.03g)\r\n")), std::string::npos);
    EXPECT_NE(bytes.find(utf16le(L"\r\n0002:04ff:1 -- C:\\D\\K 6.03f.lnk\r\n")), std::string::npos);
    EXPECT_NE(bytes.find(utf16le(L"\r\n0007:06ff:0 -- HKEY_CLASSES_ROOT\\...\r\n")), std::string::npos);
}

TEST_F(LogFileTest, WriteReplacesAReadOnlyLogAndDeletesEveryBackup)
{
    put(logPath, "old log");
    ASSERT_FALSE(fs.set_attributes(logPath, attr_readonly));
    const std::wstring b1 = dir / L"av1.tmp", b2 = dir / L"av2.tmp";
    put(b1, "backup 1");
    put(b2, "backup 2");
    ASSERT_FALSE(fs.set_attributes(b2, attr_readonly));

    UninstallLog log;
    log.SetProduct(L"K", L"Korvane 6");
    log.entries = {entry(Kind::InstalledFile, L"C:\\a", 1), entry(Kind::InstalledFile, L"C:\\b", 1)};
    log.entries.front().backupPath = b1;
    log.entries.back().backupPath = b2;
    EXPECT_TRUE(log.Write(logPath, L"C:\\P", L"C:\\S"));
    EXPECT_EQ(read(logPath).substr(0, 2), "\xFF\xFE");
    EXPECT_FALSE(is_file(fs, b1));
    EXPECT_FALSE(is_file(fs, b2));
    EXPECT_TRUE(log.entries.front().backupPath.empty());
    EXPECT_EQ(log.entries.size(), 2u);  // the entries stay
}

TEST_F(LogFileTest, WriteThatCannotCreateTheFileFailsAndStillDeletesBackups)
{
    const std::wstring b1 = dir / L"av1.tmp";
    put(b1, "backup");
    UninstallLog log;
    log.entries = {entry(Kind::InstalledFile, L"C:\\a", 1)};
    log.entries.front().backupPath = b1;
    EXPECT_FALSE(log.Write(dir / L"missing folder" + L"/Uninstall.ulog", L"C:\\P", L"C:\\S"));
    EXPECT_FALSE(is_file(fs, b1));
    EXPECT_TRUE(log.entries.front().backupPath.empty());
}

TEST_F(LogFileTest, AFailedWriteFailsTheResultButTheOtherLinesAreWritten)
{
    fault_plan plan;
    faulty_file_system faulty(fs, plan);
    av::test::machine_of faulty_machine {faulty, system_registry()};
    UninstallLog log(faulty_machine);
    log.SetProduct(L"K", L"Korvane 6");
    log.entries = {entry(Kind::CreatedFolder, L"C:\\A"), entry(Kind::CreatedFolder, L"C:\\B")};
    int writes = 0;
    plan.fail_when([&](operation op, const std::wstring&) { return op == operation::write_file && ++writes == 8; },
        av::win_error::make(av::win_error::disk_full));
    EXPECT_FALSE(log.Write(logPath, L"C:\\P", L"C:\\S"));
    const std::string bytes = read(logPath);
    // Mark, six header lines, the first entry failed half-way, the second written.
    EXPECT_NE(bytes.find(utf16le(L"// " + std::wstring(20, L'-') + L"\r\n")), std::string::npos);
    EXPECT_NE(bytes.find(utf16le(L"0001:00ff:1 -- C:\\B\r\n")), std::string::npos);
    EXPECT_EQ(bytes.find(utf16le(L"0000:00ff:1 -- C:\\A\r\n")), std::string::npos);
}

}  // namespace
