// avpack end to end: the tool built next to the test program, driven as a
// release engineer drives it.
#include "payload/payload_fixture.h"

#include "payload/crc32.h"

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = boost::filesystem;

struct run_result {
    int exit_code;
    std::string out;
};

class Avpack : public av_test::ScratchFolder {
protected:
    static fs::path tool() { return fs::read_symlink("/proc/self/exe").parent_path() / "avpack"; }

    run_result avpack(const std::string& arguments)
    {
        const std::string command = "'" + tool().string() + "' " + arguments + " 2>/dev/null";
        run_result result {-1, {}};
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr)
            return result;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            result.out.append(buffer, n);
        const int status = ::pclose(pipe);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    std::string q(const fs::path& p) const { return "'" + p.string() + "'"; }

    // A small product: a large program, a data file, an empty sample.
    fs::path write_product()
    {
        fs::create_directories(m_root / "src" / "lang");
        m_program = std::string(300000, '\0');
        for (std::size_t i = 0; i < m_program.size(); ++i)
            m_program[i] = static_cast<char>((i * 2654435761u) >> 13);
        av_test::write_all(m_root / "src" / "Korvane.exe", m_program);
        av_test::write_all(m_root / "src" / "Stock data.dat", "stock");
        av_test::write_all(m_root / "src" / "lang" / "Korvane_de.dll", "deutsch");
        av_test::write_all(m_root / "src" / "Empty sample.kvn", "");
        const fs::path manifest = m_root / "manifest.txt";
        av_test::write_all(manifest,
            "# the sample product\n"
            "src/Stock data.dat\t<CommonData>\\Arvell & Divizere\\Korvane\tdata_file\n"
            "src/Empty sample.kvn\t<SamplePath>\t4\r\n"
            "\n"
            "src/lang/Korvane_de.dll\t<InstallPath>\\Lang\tlanguage_module\n"
            "src/Korvane.exe\t<InstallPath>\tmain_program\n");
        return manifest;
    }

    std::string m_program;
};

TEST_F(Avpack, PackListVerifyExtract)
{
    ASSERT_TRUE(fs::exists(tool())) << tool();
    const fs::path manifest = write_product();
    const fs::path archive = m_root / "payload.bz2";
    ASSERT_EQ(avpack("pack " + q(manifest) + " " + q(archive)).exit_code, 0);
    EXPECT_EQ(av_test::read_all(archive).substr(0, 4), "BZh9");

    const run_result listed = avpack("list " + q(archive));
    ASSERT_EQ(listed.exit_code, 0);
    std::istringstream lines(listed.out);
    std::string first;
    std::getline(lines, first);
    std::vector<std::string> rows;
    for (std::string row; std::getline(lines, row);)
        rows.push_back(row);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", av::compute_crc32(m_program));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(
        rows[0],
        "1\t3\t5\t" +
            [] {
                char c[9];
                std::snprintf(c, sizeof c, "%08x", av::compute_crc32("stock"));
                return std::string(c);
            }() +
            "\t<CommonData>\\Arvell & Divizere\\Korvane\tsrc/Stock data.dat");
    EXPECT_EQ(rows[1], "2\t4\t0\t00000000\t<SamplePath>\tsrc/Empty sample.kvn");
    EXPECT_EQ(rows[3], "4\t1\t300000\t" + std::string(crc) + "\t<InstallPath>\tsrc/Korvane.exe");
    // header_size = 12 + records; total = header_size + sizes.
    const std::uint64_t header_size = std::stoull(first.substr(first.find('=') + 1));
    EXPECT_EQ(first,
        "header_size=" + std::to_string(header_size) +
            " entry_count=4 total=" + std::to_string(header_size + 5 + 0 + 7 + 300000));

    EXPECT_EQ(avpack("verify " + q(archive)).exit_code, 0);

    const fs::path root = m_root / "root";
    const run_result extracted = avpack("extract " + q(archive) + " " + q(root));
    ASSERT_EQ(extracted.exit_code, 0) << extracted.out;
    EXPECT_EQ(av_test::read_all(root / "Install" / "Korvane.exe"), m_program);
    EXPECT_EQ(av_test::read_all(root / "Install" / "Lang" / "Korvane_de.dll"), "deutsch");
    EXPECT_EQ(av_test::read_all(root / "ProgramData" / "Arvell & Divizere" / "Korvane" / "Stock data.dat"), "stock");
    EXPECT_TRUE(fs::is_regular_file(root / "Users" / "Public" / "Desktop" / "Examples" / "Empty sample.kvn"));
}

TEST_F(Avpack, DamagedArchivesFailWithTheInstallersCode)
{
    const fs::path manifest = write_product();
    const fs::path archive = m_root / "payload.bz2";
    ASSERT_EQ(avpack("pack " + q(manifest) + " " + q(archive)).exit_code, 0);
    std::string bytes = av_test::read_all(archive);
    bytes[bytes.size() / 2] ^= 0x40;
    const fs::path corrupt = m_root / "corrupt.bz2";
    av_test::write_all(corrupt, bytes);
    EXPECT_EQ(avpack("verify " + q(corrupt)).exit_code, 1);
    const run_result r = avpack("extract " + q(corrupt) + " " + q(m_root / "r1"));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out.substr(r.out.rfind("error: ")), "error: 4\n");  // the validation pass refuses it

    // A sound bzip2 stream whose table lies about a checksum, or that ends
    // early.
    av::archive_builder b;
    b.add_data(L"a.bin", L"<InstallPath>", 0, "alpha").crc32 ^= 1;
    av_test::write_all(m_root / "crc.bz2", av::bzip2_compress(b.bytes()));
    EXPECT_EQ(avpack("verify " + q(m_root / "crc.bz2")).exit_code, 0);
    const run_result crc = avpack("extract " + q(m_root / "crc.bz2") + " " + q(m_root / "r2"));
    EXPECT_EQ(crc.exit_code, 1);
    EXPECT_EQ(crc.out, "error: 3\n");

    av::archive_builder c;
    c.add_data(L"a.bin", L"<InstallPath>", 0, "alpha");
    const std::string whole = c.bytes();
    av_test::write_all(m_root / "short.bz2", av::bzip2_compress(whole.substr(0, whole.size() - 2)));
    EXPECT_EQ(avpack("extract " + q(m_root / "short.bz2") + " " + q(m_root / "r3")).out, "error: 7\n");
}

TEST_F(Avpack, ThreadCountChangesNothingButTheSpeed)
{
    const fs::path manifest = write_product();
    const fs::path archive = m_root / "payload.bz2";
    ASSERT_EQ(avpack("pack " + q(manifest) + " " + q(archive)).exit_code, 0);
    std::string printed;
    for (const char* threads : {"1", "2", "3"}) {
        const std::string option = std::string("--threads=") + threads;
        EXPECT_EQ(avpack("verify " + option + " " + q(archive)).exit_code, 0) << threads;
        const fs::path root = m_root / (std::string("root") + threads);
        const run_result r = avpack("extract --phases " + option + " " + q(archive) + " " + q(root));
        ASSERT_EQ(r.exit_code, 0) << threads << r.out;
        EXPECT_EQ(av_test::read_all(root / "Install" / "Korvane.exe"), m_program) << threads;
        // The files are printed as they are verified, with ROOT in front.
        std::string relative = r.out;
        for (std::size_t at; (at = relative.find(root.string())) != std::string::npos;)
            relative.erase(at, root.string().size());
        if (printed.empty())
            printed = relative;
        EXPECT_EQ(relative, printed) << threads;
    }
    for (const char* bad : {"--threads=", "--threads=x", "--threads=1000"})
        EXPECT_EQ(avpack(std::string("verify ") + bad + " " + q(archive)).exit_code, 2) << bad;
}

TEST_F(Avpack, BadManifestLinesAreRefusedAndNoArchiveIsLeft)
{
    av_test::write_all(m_root / "x.bin", "x");
    for (const std::string manifest : {"x.bin\t<InstallPath>\n", "x.bin\t<InstallPath>\tsomething\n",
             "x.bin <InstallPath> 0\n", "missing.bin\t<InstallPath>\t0\n"}) {
        av_test::write_all(m_root / "m.txt", manifest);
        EXPECT_EQ(avpack("pack " + q(m_root / "m.txt") + " " + q(m_root / "out.bz2")).exit_code, 1) << manifest;
        EXPECT_FALSE(fs::exists(m_root / "out.bz2")) << manifest;
    }
    EXPECT_EQ(avpack("frobnicate").exit_code, 2);
}

}  // namespace
