// avpack: builds, lists, verifies and extracts the installer's payload
// archive (see tools/README.md for the manifest format and the folders that
// `extract` writes to).
#include "payload/archive_builder.h"
#include "payload/bzip2_decoder.h"
#include "payload/crc32.h"
#include "payload/folders.h"
#include "platform/machine.h"
#include "platform/memory_registry.h"
#include "payload/payload.h"
#include "support/error.h"

#include <boost/filesystem/operations.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = boost::filesystem;

const char* const usage_text = "usage:\n"
                               "  avpack pack MANIFEST ARCHIVE   build a bzip2 archive (block size 9) from MANIFEST\n"
                               "  avpack list ARCHIVE            print the table\n"
                               "  avpack verify ARCHIVE          run the installer's validation pass\n"
                               "  avpack extract ARCHIVE ROOT    install every file below ROOT and verify it\n"
                               "\n"
                               "options of verify and extract:\n"
                               "  --threads=N    decode on N threads (default: one per core; 1: the stream filter)\n"
                               "  --phases       (extract) print the time of each phase to stderr\n"
                               "\n"
                               "MANIFEST: UTF-8 text, one entry per line, three fields separated by one tab:\n"
                               "  SOURCE<TAB>DESTINATION<TAB>KIND\n"
                               "  SOURCE       the file to pack; relative paths are relative to the manifest's\n"
                               "               folder. It is recorded as written; the installer uses only its\n"
                               "               file name.\n"
                               "  DESTINATION  the destination folder, with '\\' separators, usually starting with\n"
                               "               a placeholder: <InstallPath> <SamplePath> <ProgramFiles>\n"
                               "               <ProgramCommon> <CommonData> <UserData> <CommonDocuments>\n"
                               "               <Documents> <CommonDesktop> <Desktop> <WinDir> <System> <Temporary>\n"
                               "  KIND         0..5 or language_module, main_program, uninstaller, data_file,\n"
                               "               sample, temporary_file\n"
                               "  Entries keep the manifest's order. Empty lines and lines starting with '#' are\n"
                               "  ignored; a trailing CR is removed.\n"
                               "\n"
                               "extract maps the placeholders below ROOT: <InstallPath> ROOT/Install,\n"
                               "<Temporary> ROOT/Temp, <SamplePath> ROOT/Users/Public/Desktop/Examples, and the\n"
                               "known folders as ROOT/ProgramData, ROOT/Users/user/AppData/Roaming, ... (README).\n"
                               "On failure it prints 'error: ' and the installer's code text, and exits 1.\n";

int usage()
{
    std::fputs(usage_text, stderr);
    return 2;
}

std::wstring utf8_to_wide(const std::string& text)
{
    return av::path_to_wide(fs::path(text));
}

std::string wide_to_utf8(const std::wstring& text)
{
    return av::wide_to_path(text).string();
}

std::optional<std::uint32_t> parse_kind(const std::string& text)
{
    static const char* const names[] = {
        "language_module", "main_program", "uninstaller", "data_file", "sample", "temporary_file"};
    for (std::uint32_t i = 0; i < 6; ++i)
        if (text == names[i])
            return i;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(text));
}

int pack(const fs::path& manifest, const fs::path& archive)
{
    std::ifstream in(manifest.string(), std::ios::binary);
    if (!in) {
        std::cerr << "avpack: cannot read " << manifest << "\n";
        return 1;
    }
    const fs::path base = manifest.parent_path();
    av::archive_builder builder;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        const auto kind = fields.size() == 3 ? parse_kind(fields[2]) : std::nullopt;
        if (fields.size() != 3 || fields[0].empty() || !kind) {
            std::cerr << manifest.string() << ":" << number
                      << ": expected SOURCE<TAB>DESTINATION<TAB>KIND (KIND 0..5 or its name)\n";
            return 1;
        }
        const fs::path source = fs::path(fields[0]).is_absolute() ? fs::path(fields[0]) : base / fields[0];
        try {
            auto& item = builder.add_file(source, utf8_to_wide(fields[1]), *kind);
            item.source_path = utf8_to_wide(fields[0]);
        } catch (const std::exception& e) {
            std::cerr << manifest.string() << ":" << number << ": cannot read " << source.string() << ": " << e.what()
                      << "\n";
            return 1;
        }
    }
    // Written to a temporary name first: a failed pack leaves no archive.
    const fs::path partial = archive.string() + ".partial";
    try {
        {
            std::ofstream out(partial.string(), std::ios::binary | std::ios::trunc);
            if (!out)
                throw std::runtime_error("cannot create " + partial.string());
            builder.write_compressed(out);
            out.close();
            if (!out)
                throw std::runtime_error("cannot write " + partial.string());
        }
        fs::rename(partial, archive);
    } catch (const std::exception& e) {
        boost::system::error_code ignored;
        fs::remove(partial, ignored);
        std::cerr << "avpack: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

// The archive read as a seekable stream (not mapped: memory stays the same
// whatever the archive's size).
struct archive_file {
    std::ifstream in;

    explicit archive_file(const fs::path& path)
        : in(path.string(), std::ios::binary)
    {
        if (!in)
            throw std::runtime_error("cannot read " + path.string());
    }
};

int list(const fs::path& path)
{
    archive_file archive(path);
    av::archive_table table;
    try {
        table = av::read_archive_table(archive.in);
    } catch (const std::exception& e) {
        std::cout << "error: " << wide_to_utf8(av::error_code_text(av::error_from_exception(e))) << "\n";
        return 1;
    }
    std::cout << "header_size=" << table.header_size << " entry_count=" << table.records.size()
              << " total=" << table.total << "\n";
    std::size_t index = 0;
    for (const auto& r : table.records) {
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08x", r.crc32);
        std::cout << ++index << '\t' << r.kind << '\t' << r.size << '\t' << crc << '\t'
                  << wide_to_utf8(r.destination_dir) << '\t' << wide_to_utf8(r.source_path) << "\n";
    }
    return 0;
}

// Options of verify and extract.
struct run_options {
    unsigned threads = 0;  // 0: one per core
    bool phases = false;
};

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start)
{
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

int verify(const fs::path& path, const run_options& options)
{
    archive_file archive(path);
    if (!av::validate_payload(archive.in, options.threads)) {
        std::cout << "error: "
                  << wide_to_utf8(av::error_code_text(av::make_error_code(av::compress_errc::validation_failed)))
                  << "\n";
        return 1;
    }
    return 0;
}

// The machine's files, with the time spent opening and reading files added
// up (the extraction's read-back).
class timed_reading final : public av::platform::file_system {
public:
    timed_reading(av::platform::file_system& inner, double& seconds)
        : inner_(inner)
        , seconds_(seconds)
    {
    }

    std::error_code get_attributes(const std::wstring& p, std::uint32_t& a) override
    {
        return inner_.get_attributes(p, a);
    }
    std::error_code set_attributes(const std::wstring& p, std::uint32_t a) override
    {
        return inner_.set_attributes(p, a);
    }
    std::error_code copy_file(const std::wstring& f, const std::wstring& t, bool o) override
    {
        return inner_.copy_file(f, t, o);
    }
    std::error_code move_file(const std::wstring& f, const std::wstring& t) override { return inner_.move_file(f, t); }
    std::error_code delete_file(const std::wstring& p) override { return inner_.delete_file(p); }
    std::error_code create_folder(const std::wstring& p) override { return inner_.create_folder(p); }
    std::error_code remove_folder(const std::wstring& p) override { return inner_.remove_folder(p); }
    void notify_folder_created(const std::wstring& p) override { inner_.notify_folder_created(p); }
    std::error_code temp_file_name(const std::wstring& f, const std::wstring& x, std::wstring& p) override
    {
        return inner_.temp_file_name(f, x, p);
    }
    std::error_code create_file(const std::wstring& p, std::unique_ptr<av::platform::output_file>& f) override
    {
        return inner_.create_file(p, f);
    }
    std::error_code open_file(const std::wstring& p, std::unique_ptr<av::platform::input_file>& f) override
    {
        const auto t = clock_type::now();
        std::unique_ptr<av::platform::input_file> opened;
        const std::error_code ec = inner_.open_file(p, opened);
        seconds_ += seconds_since(t);
        if (!ec)
            f = std::make_unique<timed_input>(std::move(opened), seconds_);
        return ec;
    }

private:
    class timed_input final : public av::platform::input_file {
    public:
        timed_input(std::unique_ptr<av::platform::input_file> inner, double& seconds)
            : inner_(std::move(inner))
            , seconds_(seconds)
        {
        }
        std::error_code read(std::span<std::byte> buffer, std::size_t& got) override
        {
            const auto t = clock_type::now();
            const std::error_code ec = inner_->read(buffer, got);
            seconds_ += seconds_since(t);
            return ec;
        }

    private:
        std::unique_ptr<av::platform::input_file> inner_;
        double& seconds_;
    };

    av::platform::file_system& inner_;
    double& seconds_;
};

int extract(const fs::path& path, const fs::path& root_arg, const run_options& options)
{
    fs::create_directories(root_arg);
    const fs::path root = fs::canonical(root_arg);
    // A machine whose known folders lie below the root; the rest is this one's.
    av::platform::rooted_known_folders folders(av::path_to_wide(root), av::path_to_wide(root / "Temp"));
    av::platform::memory_registry registry;
    const av::platform::machine& host = av::platform::system_machine();
    // The read-back is the only reading of files while the payload is
    // extracted: its time is the time spent reading.
    double read_back_seconds = 0;
    timed_reading files(host.files, read_back_seconds);
    const av::platform::machine machine {files, registry, folders, host.processes, host.shell, host.rights};
    archive_file archive(path);
    std::istream& stream = archive.in;

    std::error_code failure;
    std::wstring failed_path;
    const auto start = clock_type::now();
    double validation_seconds = 0;
    // The file phase of a fresh installation: validation first, then every
    // entry installed, except a data file that already exists (kept).
    const auto on_notification = [&](const av::notification& n) {
        using R = av::notification::result;
        if (const auto* started = std::get_if<av::notification::started>(&n)) {
            (void)started;
            const auto t = clock_type::now();
            if (!av::validate_payload(stream, options.threads))
                av::throw_compress_error(av::compress_errc::validation_failed);
            validation_seconds = seconds_since(t);
            stream.clear();
            stream.seekg(0);
        } else if (const auto* file = std::get_if<av::notification::file_started>(&n)) {
            if (file->entry.kind == static_cast<std::uint32_t>(av::entry_kind::data_file) &&
                fs::exists(file->entry.destination))
                return R::skip;
        } else if (const auto* done = std::get_if<av::notification::file_done>(&n)) {
            std::cout << done->entry.destination.string() << "\n";
        } else if (const auto* failed = std::get_if<av::notification::failed>(&n)) {
            failure = failed->code;
            failed_path = failed->path;
        }
        return R::proceed;
    };
    const bool ok = av::extract_payload(stream, machine, av::path_to_wide(root / "Install"), L"Examples",
        av::path_to_wide(root / "Temp"), on_notification, {}, options.threads);
    if (options.phases) {
        const double total = seconds_since(start);
        std::fprintf(stderr,
            "phases: validation pass %.3f s; extraction pass %.3f s, of which reading back %.3f s; "
            "%u decoding threads\n",
            validation_seconds, total - validation_seconds, read_back_seconds, av::decoding_threads(options.threads));
    }
    if (!ok) {
        std::cout << "error: " << wide_to_utf8(av::error_code_text(failure)) << "\n";
        if (!failed_path.empty())
            std::cerr << "avpack: failed at " << wide_to_utf8(failed_path) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args;
    run_options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--threads=", 0) == 0) {
            const std::string n = arg.substr(10);
            if (n.empty() || n.size() > 3 || n.find_first_not_of("0123456789") != std::string::npos)
                return usage();
            options.threads = static_cast<unsigned>(std::stoul(n));
        } else if (arg == "--phases") {
            options.phases = true;
        } else {
            args.push_back(arg);
        }
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(usage_text, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    try {
        if (args[0] == "pack" && args.size() == 3)
            return pack(args[1], args[2]);
        if (args[0] == "list" && args.size() == 2)
            return list(args[1]);
        if (args[0] == "verify" && args.size() == 2)
            return verify(args[1], options);
        if (args[0] == "extract" && args.size() == 3)
            return extract(args[1], args[2], options);
    } catch (const std::exception& e) {
        std::cerr << "avpack: " << e.what() << "\n";
        return 1;
    }
    return usage();
}
