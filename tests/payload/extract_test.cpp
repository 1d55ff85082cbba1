#include "bzip2_streams.h"
#include "payload_fixture.h"

#include "payload/crc32.h"

#include <boost/filesystem/operations.hpp>

#include <map>

namespace {

namespace fs = boost::filesystem;
using av::entry_kind;

std::uint32_t k(entry_kind kind)
{
    return static_cast<std::uint32_t>(kind);
}

std::string pattern(std::size_t size, unsigned seed)
{
    std::string s(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return s;
}

class ExtractionBase : public av_test::PayloadFixture {
protected:
    // Runs the installer's two passes over a compressed archive: validation,
    // rewind, extraction; both decode on `threads` threads.
    bool run_on(unsigned threads, const std::string& compressed, bool validate_first = true)
    {
        av::imemstream stream(compressed.data(), compressed.size());
        av::extraction_hooks hooks;
        hooks.sleep = [](std::chrono::milliseconds) {};
        auto callback = [&](const av::notification& n) {
            if (n.index() == 0 && validate_first) {
                m_validated = av::validate_payload(stream, threads);
                if (!m_validated)
                    av::throw_compress_error(av::compress_errc::validation_failed);
                stream.clear();
                stream.seekg(0);
            }
            return m_log.on(n);
        };
        return av::extract_payload(stream, machine(), install(), m_sample, m_temporary, callback, hooks, threads);
    }

    std::string code_text() const
    {
        const std::wstring w = av::error_code_text(m_log.failed_code);
        return std::string(w.begin(), w.end());
    }

    // Makes the first `times` read-backs of `path` meet a sharing violation;
    // counts every read-back of it.
    void hold_file(const std::wstring& path, int times)
    {
        m_plan.fail_when(
            [this, path, times](av::platform::operation op, const std::wstring& subject) {
                return op == av::platform::operation::open_file && subject == path && ++m_read_backs <= times;
            },
            av::win_error::make(av::win_error::sharing_violation));
    }

    av_test::NotificationLog m_log;
    const std::vector<grant>& m_grants = m_rights.grants;
    int m_read_backs = 0;
    bool m_validated = false;
    std::wstring m_sample;
    std::wstring m_temporary;
};

// Every case runs through the stream filter (1 thread) and through the
// parallel decoder (2 and 4 threads, whatever the machine's cores).
class Extraction : public ExtractionBase, public ::testing::WithParamInterface<unsigned> {
protected:
    unsigned threads() const { return GetParam(); }
    bool run(const std::string& compressed, bool validate_first = true)
    {
        return run_on(threads(), compressed, validate_first);
    }
};

INSTANTIATE_TEST_SUITE_P(Decoders, Extraction, ::testing::Values(1u, 2u, 4u),
    [](const ::testing::TestParamInfo<unsigned>& info) { return "threads_" + std::to_string(info.param); });

TEST_P(Extraction, WritesEveryFileIncludingEmptyOnesInTheMiddleAndAtTheEnd)
{
    av::archive_builder b;
    const std::string big = pattern(10000, 1);
    b.add_data(L"C:\\build\\bin\\Korvane.exe", L"<InstallPath>", k(entry_kind::main_program), big);
    b.add_data(L"C:\\build\\empty-middle.dat", L"<InstallPath>\\Lang", k(entry_kind::language_module), "");
    b.add_data(L"/src/data/Stock.dat", L"<CommonData>\\Arvell & Divizere\\Korvane", k(entry_kind::data_file), "stock");
    b.add_data(L"empty-end.txt", L"<InstallPath>", k(entry_kind::sample), "");
    const std::string archive = b.bytes();

    ASSERT_TRUE(run(av::bzip2_compress(archive)));
    EXPECT_TRUE(m_validated);
    EXPECT_EQ(m_log.failed_count, 0);

    const fs::path inst = av::wide_to_path(install());
    EXPECT_EQ(av_test::read_all(inst / "Korvane.exe"), big);
    EXPECT_TRUE(fs::is_regular_file(inst / "Lang" / "empty-middle.dat"));
    EXPECT_EQ(fs::file_size(inst / "Lang" / "empty-middle.dat"), 0u);
    EXPECT_EQ(
        av_test::read_all(known(av::platform::csidl::common_appdata) / "Arvell & Divizere" / "Korvane" / "Stock.dat"),
        "stock");
    EXPECT_TRUE(fs::is_regular_file(inst / "empty-end.txt"));

    const std::vector<std::string> files = {"file_started Korvane.exe", "file_done Korvane.exe",
        "file_started empty-middle.dat", "file_done empty-middle.dat", "file_started Stock.dat", "file_done Stock.dat",
        "file_started empty-end.txt", "file_done empty-end.txt"};
    std::vector<std::string> seen;
    for (const auto& l : m_log.lines)
        if (l.rfind("file_", 0) == 0)
            seen.push_back(l);
    EXPECT_EQ(seen, files);
    EXPECT_EQ(m_log.lines.front(), "started");
    EXPECT_EQ(m_log.lines.back(), "finished " + std::to_string(archive.size()));
    // Progress starts after the header and ends at the total.
    const auto progress = m_log.only("progress");
    const std::string header_size = std::to_string(b.header().size());
    EXPECT_EQ(progress.front(), "progress " + header_size + "/" + std::to_string(archive.size()));
    EXPECT_EQ(progress.back(), "progress " + std::to_string(archive.size()) + "/" + std::to_string(archive.size()));
}

TEST_P(Extraction, DataIsWrittenInChunksOfAtMost4096Bytes)
{
    av::archive_builder b;
    b.add_data(L"big.bin", L"<InstallPath>", 0, pattern(50000, 2));
    ASSERT_TRUE(run(av::bzip2_compress(b.bytes())));
    std::uint64_t last = b.header().size();
    for (const auto& line : m_log.only("progress")) {
        const std::uint64_t pos = std::stoull(line.substr(9));
        EXPECT_LE(pos - last, 4096u);
        last = pos;
    }
    EXPECT_EQ(last, b.header().size() + 50000);
}

TEST_P(Extraction, EmptyTableSucceedsWithoutFiles)
{
    av::archive_builder b;
    ASSERT_TRUE(run(av::bzip2_compress(b.bytes())));
    EXPECT_EQ(m_log.lines, (std::vector<std::string> {"started", "progress 12/12", "finished 12"}));
    EXPECT_FALSE(fs::exists(av::wide_to_path(install())));
}

TEST_P(Extraction, OneByteMoreThanTheTableFailsAfterEveryFileIsVerified)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    b.add_data(L"b.bin", L"<InstallPath>", 0, pattern(5000, 3));
    ASSERT_FALSE(run(av::bzip2_compress(b.bytes() + "x")));
    EXPECT_EQ(code_text(), "7");
    EXPECT_EQ(m_log.failed_count, 1);
    EXPECT_EQ(m_log.only("file_done").size(), 2u);
    EXPECT_EQ(m_log.lines.back(), "failed compress:7");
    EXPECT_EQ(av_test::read_all(av::wide_to_path(install()) / "b.bin"), pattern(5000, 3));
    EXPECT_TRUE(m_log.failed_path.empty());
}

TEST_P(Extraction, MalformedHeadersAreRejectedBeforeAnyFile)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    const std::string good = b.bytes();
    auto with_u64_at = [](std::string s, std::size_t at, std::uint64_t v) {
        for (int i = 0; i < 8; ++i)
            s[at + i] = static_cast<char>(v >> (8 * i));
        return s;
    };
    auto with_u32_at = [](std::string s, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s[at + i] = static_cast<char>(v >> (8 * i));
        return s;
    };
    const std::uint64_t header_size = b.header().size();
    const std::map<std::string, std::string> cases = {
        {"header_size with high bits", with_u64_at(good, 0, header_size | (1ull << 32))},
        {"header_size below 12", with_u64_at(good, 0, 11)},
        {"table ends before header_size", with_u64_at(good, 0, header_size + 1)},
        {"table runs past header_size", with_u64_at(good, 0, header_size - 1)},
        {"entry_count beyond the table", with_u32_at(good, 8, 2)},
        {"huge entry_count", with_u32_at(good, 8, 0xFFFFFFFFu)},
        {"text longer than the table", with_u32_at(good, 12, 0x7FFFFFFFu)},
        {"header cut short", good.substr(0, 20)},
        {"no header at all", good.substr(0, 5)},
    };
    for (const auto& [name, bytes] : cases) {
        m_log = {};
        EXPECT_FALSE(run(av::bzip2_compress(bytes))) << name;
        EXPECT_EQ(code_text(), "7") << name;
        EXPECT_TRUE(m_log.only("file_started").empty()) << name;
        EXPECT_EQ(m_log.failed_count, 1) << name;
    }
    EXPECT_FALSE(fs::exists(av::wide_to_path(install())));
}

TEST_P(Extraction, ChecksumMismatchFailsWithThreeAndNamesTheFile)
{
    av::archive_builder b;
    b.add_data(L"good.bin", L"<InstallPath>", 0, "good");
    b.add_data(L"bad.bin", L"<InstallPath>", 0, "bad data").crc32 ^= 1;
    b.add_data(L"never.bin", L"<InstallPath>", 0, "never");
    ASSERT_FALSE(run(av::bzip2_compress(b.bytes())));
    EXPECT_EQ(code_text(), "3");
    const fs::path bad = av::wide_to_path(install()) / "bad.bin";
    EXPECT_EQ(m_log.failed_path, av::path_to_wide(bad));
    EXPECT_EQ(av_test::read_all(bad), "bad data");  // stays for the rollback
    EXPECT_FALSE(fs::exists(av::wide_to_path(install()) / "never.bin"));
    EXPECT_EQ(m_log.only("file_done"), (std::vector<std::string> {"file_done good.bin"}));
}

TEST_P(Extraction, CorruptCompressedDataFailsValidationAndExtraction)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, pattern(20000, 4));
    const std::string good = av::bzip2_compress(b.bytes());
    // Damage in the block data is found by the block checksum; damage in the
    // block header at once.
    std::string in_data = good;
    in_data[in_data.size() / 2] ^= 0x55;
    std::string in_block_header = good;
    in_block_header[6] ^= 0x55;
    for (const std::string* damaged : {&in_data, &in_block_header}) {
        av::imemstream stream(damaged->data(), damaged->size());
        EXPECT_FALSE(av::validate_payload(stream, threads()));
    }

    // The installer stops at the validation (4) ...
    ASSERT_FALSE(run(in_data));
    EXPECT_EQ(code_text(), "4");
    EXPECT_TRUE(m_log.only("file_started").empty());
    // ... and an extraction without it meets the bzip2 error (6).
    m_log = {};
    ASSERT_FALSE(run(in_block_header, false));
    EXPECT_EQ(code_text(), "6");
    EXPECT_EQ(m_log.failed_count, 1);
}

TEST_P(Extraction, TruncatedCompressedDataIsABzip2Error)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, pattern(20000, 5));
    const std::string compressed = av::bzip2_compress(b.bytes());
    const std::string cut = compressed.substr(0, compressed.size() - 10);
    av::imemstream stream(cut.data(), cut.size());
    EXPECT_FALSE(av::validate_payload(stream, threads()));
    ASSERT_FALSE(run(cut, false));
    EXPECT_EQ(code_text(), "6");
}

TEST_P(Extraction, ShortArchiveFailsWithSevenAndNamesTheUnfinishedFile)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "complete");
    b.add_data(L"b.bin", L"<InstallPath>", 0, pattern(9000, 6));
    const std::string archive = b.bytes();
    ASSERT_FALSE(run(av::bzip2_compress(archive.substr(0, archive.size() - 100))));
    EXPECT_EQ(code_text(), "7");
    EXPECT_EQ(m_log.failed_path, av::path_to_wide(av::wide_to_path(install()) / "b.bin"));
    EXPECT_EQ(m_log.only("file_done"), (std::vector<std::string> {"file_done a.bin"}));
}

TEST_P(Extraction, EmptyPayloadPassesValidationAndFailsWithSeven)
{
    av::imemstream empty;
    EXPECT_TRUE(av::validate_payload(empty, threads()));
    ASSERT_FALSE(run(std::string()));
    EXPECT_EQ(code_text(), "7");
    EXPECT_EQ(m_log.lines, (std::vector<std::string> {"started", "failed compress:7"}));
}

TEST_P(Extraction, DataAfterTheBzip2StreamFailsValidation)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    const std::string compressed = av::bzip2_compress(b.bytes()) + "trailing";
    av::imemstream stream(compressed.data(), compressed.size());
    EXPECT_FALSE(av::validate_payload(stream, threads()));
}

TEST_P(Extraction, AbortAnswersRaiseInterrupted)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    b.add_data(L"b.bin", L"<InstallPath>", 0, "beta");
    const std::string compressed = av::bzip2_compress(b.bytes());

    m_log.answers["b.bin"] = av::notification::result::abort;
    ASSERT_FALSE(run(compressed));
    EXPECT_EQ(code_text(), "5");
    EXPECT_FALSE(fs::exists(av::wide_to_path(install()) / "b.bin"));

    m_log = {};
    m_log.abort_at_progress = 1;  // right after the header
    ASSERT_FALSE(run(compressed));
    EXPECT_EQ(code_text(), "5");
    EXPECT_TRUE(m_log.only("file_started").empty());
}

TEST_P(Extraction, SkippedEntryIsConsumedWithoutWritingOrVerifying)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    b.add_data(L"skip.bin", L"<InstallPath>", 0, pattern(9000, 7)).crc32 ^= 1;  // never checked
    b.add_data(L"c.bin", L"<InstallPath>", 0, "gamma");
    m_log.answers["skip.bin"] = av::notification::result::skip;
    ASSERT_TRUE(run(av::bzip2_compress(b.bytes())));
    const fs::path inst = av::wide_to_path(install());
    EXPECT_FALSE(fs::exists(inst / "skip.bin"));
    EXPECT_EQ(av_test::read_all(inst / "c.bin"), "gamma");
    EXPECT_EQ(m_log.only("file_done"), (std::vector<std::string> {"file_done a.bin", "file_done c.bin"}));
}

TEST_P(Extraction, CommonDataRecordsBothLevelsAndGrantsThemOnce)
{
    av::archive_builder b;
    b.add_data(L"m1.dat", L"<CommonData>\\Arvell & Divizere\\Korvane", k(entry_kind::data_file), "1");
    b.add_data(L"m2.dat", L"<CommonData>\\Arvell & Divizere\\Korvane", k(entry_kind::data_file), "2");
    b.add_data(L"s.dat", L"<CommonData>\\Arvell & Divizere\\Korvane\\Stock", k(entry_kind::data_file), "3");
    b.add_data(L"p.exe", L"<InstallPath>", k(entry_kind::main_program), "4");
    ASSERT_TRUE(run(av::bzip2_compress(b.bytes())));
    const fs::path maker = known(av::platform::csidl::common_appdata) / "Arvell & Divizere";
    ASSERT_EQ(m_grants.size(), 3u);  // each recorded level once, in list order
    EXPECT_EQ(m_grants[0].path, maker);
    EXPECT_EQ(m_grants[1].path, maker / "Korvane");
    EXPECT_EQ(m_grants[2].path, maker / "Korvane" / "Stock");
    for (const auto& g : m_grants) {
        EXPECT_EQ(g.mask, 0x1F01FFu);
        EXPECT_EQ(g.flags, 3u);
    }
}

TEST_P(Extraction, MissingKnownFolderFailsWithSevenBeforeAnyFile)
{
    m_missing = {av::platform::csidl::appdata};
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    b.add_data(L"u.dat", L"<UserData>\\Korvane", 3, "user");
    ASSERT_FALSE(run(av::bzip2_compress(b.bytes())));
    EXPECT_EQ(code_text(), "7");
    EXPECT_TRUE(m_log.only("file_started").empty());
}

TEST_P(Extraction, PlaceholderInOtherLetterCaseIsRefused)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<installpath>\\x", 0, "alpha");
    ASSERT_FALSE(run(av::bzip2_compress(b.bytes())));
    EXPECT_EQ(code_text(), "7");
    EXPECT_TRUE(m_log.only("file_started").empty());
}

TEST_P(Extraction, EntryWithoutAFileNameIsRefused)
{
    for (const wchar_t* source : {L"C:\\build\\", L"..", L"dir/."}) {
        m_log = {};
        av::archive_builder b;
        b.add_data(source, L"<InstallPath>", 0, "x");
        EXPECT_FALSE(run(av::bzip2_compress(b.bytes())));
        EXPECT_EQ(code_text(), "7");
    }
}

TEST_P(Extraction, ReadOnlyDestinationIsOverwritten)
{
    const fs::path inst = av::wide_to_path(install());
    fs::create_directories(inst);
    av_test::write_all(inst / "t.tmp", "old contents");
    fs::permissions(inst / "t.tmp", fs::owner_read | fs::group_read | fs::others_read);
    av::archive_builder b;
    b.add_data(L"t.tmp", L"<InstallPath>", k(entry_kind::temporary_file), "new");
    ASSERT_TRUE(run(av::bzip2_compress(b.bytes())));
    EXPECT_EQ(av_test::read_all(inst / "t.tmp"), "new");
}

TEST_P(Extraction, FolderThatCannotBeCreatedFailsWithTheSystemsCode)
{
    const fs::path inst = av::wide_to_path(install());
    fs::create_directories(inst);
    av_test::write_all(inst / "blocker", "a file where a folder should be");
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>\\blocker\\sub", 0, "alpha");
    ASSERT_FALSE(run(av::bzip2_compress(b.bytes())));
    // The operating system's code ("1:%08X"; natively the file-system
    // library reports errno values in its system category too).
    EXPECT_EQ(m_log.failed_code.category(), std::system_category());
    EXPECT_NE(m_log.failed_code.value(), 0);
    EXPECT_EQ(code_text().substr(0, 2), "1:");
    EXPECT_EQ(m_log.failed_path, av::path_to_wide(inst / "blocker" / "sub" / "a.bin"));
    EXPECT_EQ(m_log.only("file_started").size(), 1u);
}

TEST_P(Extraction, SharingViolationTwiceThenClearedInstallsNormally)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    hold_file(av::path_to_wide(av::wide_to_path(install()) / "a.bin"), 2);
    ASSERT_TRUE(run(av::bzip2_compress(b.bytes())));
    EXPECT_EQ(m_read_backs, 3);
}

TEST_P(Extraction, FourthSharingViolationFails)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    hold_file(av::path_to_wide(av::wide_to_path(install()) / "a.bin"), 100);
    ASSERT_FALSE(run(av::bzip2_compress(b.bytes())));
    EXPECT_EQ(m_read_backs, 4);
    EXPECT_EQ(code_text(), "1:00000020");
    EXPECT_EQ(m_log.failed_path, av::path_to_wide(av::wide_to_path(install()) / "a.bin"));
}

// The parallel decoder against the stream filter on archives of many blocks,
// sound and damaged: the same notifications, the same code, the same files.
class SameAsTheStreamFilter : public ExtractionBase {
protected:
    struct outcome {
        bool ok;
        std::vector<std::string> lines;
        std::string code;
        std::map<std::string, std::string> files;
    };

    outcome observe(unsigned threads, const std::string& compressed, bool validate_first)
    {
        const fs::path inst = av::wide_to_path(install());
        fs::remove_all(inst);
        m_log = {};
        outcome o;
        o.ok = run_on(threads, compressed, validate_first);
        o.lines = m_log.lines;
        o.code = code_text();
        if (fs::exists(inst))
            for (const auto& e : fs::directory_iterator(inst))
                o.files[e.path().filename().string()] = av_test::read_all(e.path());
        return o;
    }
};

TEST_F(SameAsTheStreamFilter, DamagedArchivesOfManyBlocksStopAtTheSamePoint)
{
    av::archive_builder b;
    for (unsigned i = 0; i < 12; ++i)
        b.add_data(L"file" + std::to_wstring(i) + L".bin", L"<InstallPath>", 0, av_test::mixed_data(45000, 20 + i));
    const std::string good = av_test::compress_bzip2(b.bytes(), 1);
    auto variants = av_test::damaged_variants(good);
    variants.emplace_back("sound", good);
    for (const auto& [name, bytes] : variants) {
        for (const bool validate_first : {false, true}) {
            const outcome filter = observe(1, bytes, validate_first);
            const outcome parallel = observe(2, bytes, validate_first);
            EXPECT_EQ(parallel.ok, filter.ok) << name << " " << validate_first;
            EXPECT_EQ(parallel.code, filter.code) << name << " " << validate_first;
            EXPECT_EQ(parallel.lines, filter.lines) << name << " " << validate_first;
            EXPECT_EQ(parallel.files, filter.files) << name << " " << validate_first;
            if (name == "sound") {
                EXPECT_TRUE(parallel.ok);
            }
        }
    }
}

TEST_P(Extraction, AFailedWriteOrCloseFailsWithTheMachinesCode)
{
    const struct {
        av::platform::operation op;
        const char* text;
    } rows[] = {{av::platform::operation::write_file, "1:00000070"},
        {av::platform::operation::close_file, "1:00000070"}, {av::platform::operation::create_file, "1:00000020"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(av::platform::operation_name(row.op));
        m_log = {};
        m_plan.reset();
        m_plan.fail_when([op = row.op](av::platform::operation o, const std::wstring&) { return o == op; });
        av::archive_builder b;
        b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
        ASSERT_FALSE(run(av::bzip2_compress(b.bytes())));
        EXPECT_EQ(code_text(), row.text);
        EXPECT_EQ(m_log.failed_path, av::path_to_wide(av::wide_to_path(install()) / "a.bin"));
        EXPECT_TRUE(m_log.only("file_done").empty());
    }
}

TEST_F(ExtractionBase, RelativeInstallFolderWritesNothing)
{
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    m_plan.reset();
    const std::string compressed = av::bzip2_compress(b.bytes());
    av::imemstream in(compressed.data(), compressed.size());
    EXPECT_FALSE(av::extract_payload(in, machine(), L"Korvane", L"", L"", m_log.callback()));
    EXPECT_EQ(code_text(), "1:0000007B");
    EXPECT_EQ(m_log.only("file_done").size(), 0u);
}

TEST_F(ExtractionBase, VerificationRetriesOnlySharingViolationsOneSecondApart)
{
    const fs::path file = m_root / "x";
    av_test::write_all(file, "abc");
    av::payload_entry entry;
    entry.destination = file;
    entry.crc32 = av::compute_crc32("abc");
    std::vector<std::chrono::milliseconds> pauses;
    av::extraction_hooks hooks;
    hooks.sleep = [&](std::chrono::milliseconds d) { pauses.push_back(d); };

    hold_file(av::path_to_wide(file), 3);
    EXPECT_NO_THROW(av::verify_file(machine().files, entry, hooks));
    EXPECT_EQ(m_read_backs, 4);
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>(3, std::chrono::milliseconds(1000)));

    m_plan.reset();
    pauses.clear();
    m_plan.fail_when(
        [](av::platform::operation op, const std::wstring&) { return op == av::platform::operation::read_file; });
    EXPECT_THROW(av::verify_file(machine().files, entry, hooks), std::system_error);
    EXPECT_TRUE(pauses.empty());

    m_plan.reset();
    entry.crc32 = 41;
    try {
        av::verify_file(machine().files, entry, hooks);
        FAIL() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), av::make_error_code(av::compress_errc::invalid_checksum));
    }
}

TEST_F(ExtractionBase, WriterIgnoresEverythingAfterAFailure)
{
    av::payload_writer writer(machine(), L"", L"", L"", nullptr);
    const char bad[8] = {1, 0, 0, 0, 1, 0, 0, 0};  // header_size with high bits
    EXPECT_THROW(writer.write(bad, 8), std::system_error);
    EXPECT_TRUE(writer.failed());
    EXPECT_EQ(writer.write("anything", 8), 8);
    EXPECT_EQ(writer.entry_index(), 0u);
}

}  // namespace
