#include "payload/writer.h"

#include "payload/crc32.h"
#include "platform/win_error.h"
#include "support/error.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace av {
namespace {

void throw_if(const std::error_code& ec)
{
    if (ec)
        throw std::system_error(ec);
}

}  // namespace

std::unique_ptr<platform::output_file> open_destination(
    const platform::machine& machine, const boost::filesystem::path& path, rights_folders& rights)
{
    platform::file_system& files = machine.files;
    const std::wstring wide = path_to_wide(path);
    std::uint32_t attributes = 0;
    const std::error_code found = files.get_attributes(wide, attributes);
    if (!found) {
        if ((attributes & platform::attr_directory) == 0)  // follows a symbolic link to its target
            throw_if(platform::clear_read_only(files, wide));
    } else if (!win_error::is_not_found(found)) {
        throw std::system_error(found);
    } else {
        const std::wstring parent = path_to_wide(path.parent_path());
        if (!parent.empty() && !platform::is_folder(files, parent))
            throw_if(platform::create_folder_tree(files, parent));
    }
    rights.grant(files, machine.rights, path.parent_path());
    std::unique_ptr<platform::output_file> file;
    throw_if(files.create_file(wide, file));
    return file;
}

void verify_file(platform::file_system& files, const payload_entry& entry, const extraction_hooks& hooks)
{
    constexpr int max_retries = 3;
    const std::error_code sharing_violation = win_error::make(win_error::sharing_violation);
    for (int attempt = 0;; ++attempt) {
        clear_crt_error();
        std::uint32_t crc = 0;
        try {
            crc = file_crc32(files, path_to_wide(entry.destination));
        } catch (const std::system_error& e) {
            // Another process (a virus scanner, say) may hold the fresh file
            // for a moment.
            if (e.code() != sharing_violation || attempt == max_retries)
                throw;
            const std::chrono::milliseconds pause(1000);
            if (hooks.sleep)
                hooks.sleep(pause);
            else
                std::this_thread::sleep_for(pause);
            continue;
        }
        if (crc != entry.crc32)
            throw_compress_error(compress_errc::invalid_checksum);
        return;
    }
}

payload_writer::payload_writer(const platform::machine& machine, std::wstring install_folder,
    std::wstring sample_folder, std::wstring temporary_folder, notification_callback on_notification,
    extraction_hooks hooks)
    : machine_(machine)
    , inputs_ {std::move(install_folder), std::move(sample_folder), std::move(temporary_folder)}
    , on_notification_(std::move(on_notification))
    , hooks_(std::move(hooks))
    , header_(std::make_unique<memstream>())
{
}

payload_writer::~payload_writer() = default;

boost::filesystem::path payload_writer::resolve_destination(const std::wstring& destination_dir)
{
    return av::resolve_destination(machine_.folders, destination_dir, inputs_, rights_);
}

std::optional<boost::filesystem::path> payload_writer::file_in_progress() const
{
    if (index_ == 0 || !in_progress_ || skipping_ || index_ > entries_.size())
        return std::nullopt;
    return entries_[index_ - 1].destination;
}

void payload_writer::notify(const notification& n, bool honour_abort)
{
    if (!on_notification_)
        return;
    if (on_notification_(n) == notification::result::abort && honour_abort)
        throw_compress_error(compress_errc::interrupted);
}

std::streamsize payload_writer::write(const char* bytes, std::streamsize count)
{
    if (failed_)
        return count;
    const int unwinding = std::uncaught_exceptions();
    std::streamsize taken = 0;
    try {
        taken = index_ == 0 ? write_header(bytes, count) : write_data(bytes, count);
    } catch (...) {
        failed_ = true;
        throw;
    }
    // Called by some clean-up while a failure unwinds: nothing more may be
    // parsed or written.
    if (unwinding > 0)
        failed_ = true;
    return taken;
}

std::streamsize payload_writer::write_header(const char* bytes, std::streamsize count)
{
    if (count <= 0)
        return 0;
    const auto buffered = static_cast<std::uint64_t>(header_->rdbuf()->size());
    if (buffered < 8) {
        const auto n = std::min<std::uint64_t>(8 - buffered, static_cast<std::uint64_t>(count));
        header_->write(bytes, static_cast<std::streamsize>(n));
        if (buffered + n == 8) {
            header_->seekg(0);
            char size[8];
            header_->read(size, 8);
            header_size_ = 0;
            for (int i = 7; i >= 0; --i)
                header_size_ = (header_size_ << 8) | static_cast<unsigned char>(size[i]);
            check_header_size(header_size_);
        }
        return static_cast<std::streamsize>(n);
    }
    const auto n = std::min<std::uint64_t>(header_size_ - buffered, static_cast<std::uint64_t>(count));
    header_->write(bytes, static_cast<std::streamsize>(n));
    if (buffered + n == header_size_)
        parse_header();
    return static_cast<std::streamsize>(n);
}

void payload_writer::parse_header()
{
    header_->seekg(8);
    archive_table table = parse_archive_table(*header_, header_size_);
    std::vector<payload_entry> entries;
    entries.reserve(table.records.size());
    for (auto& record : table.records) {
        // The file name comes from the source path; a name that would denote
        // the folder itself is refused.
        const std::wstring name = last_path_element(record.source_path);
        if (name.empty() || name == L"." || name == L"..")
            throw_compress_error(compress_errc::unexpected);
        payload_entry entry;
        entry.source = wide_to_path(record.source_path);
        entry.destination = resolve_destination(record.destination_dir) / wide_to_path(name);
        entry.kind = record.kind;
        entry.size = record.size;
        entry.crc32 = record.crc32;
        entries.push_back(std::move(entry));
    }
    entries_ = std::move(entries);
    total_ = table.total;
    position_ = header_size_;
    index_ = 1;
    header_.reset();  // only the table was needed
    notify(notification::progress {position_, total_}, true);
}

std::streamsize payload_writer::write_data(const char* bytes, std::streamsize count)
{
    if (index_ - 1 >= entries_.size()) {
        if (count <= 0)
            return 0;
        // More data than the table describes.
        throw_compress_error(compress_errc::unexpected);
    }
    payload_entry& entry = entries_[index_ - 1];
    if (!in_progress_) {
        // A chunk of 0 bytes only completes an empty entry.
        if (count <= 0 && entry.size != 0)
            return 0;
        notification::result answer = notification::result::proceed;
        if (on_notification_)
            answer = on_notification_(notification::file_started {entry});
        if (answer == notification::result::abort)
            throw_compress_error(compress_errc::interrupted);
        remaining_ = entry.size;
        in_progress_ = true;
        skipping_ = answer == notification::result::skip;
        if (!skipping_)
            output_ = open_destination(machine_, entry.destination, rights_);
    }
    const std::uint64_t n =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max<std::streamsize>(count, 0)), remaining_);
    if (!skipping_ && n > 0)
        throw_if(output_->write(std::as_bytes(std::span<const char>(bytes, static_cast<std::size_t>(n)))));
    remaining_ -= n;
    position_ += n;
    notify(notification::progress {position_, total_}, true);
    if (remaining_ == 0) {
        if (!skipping_) {
            const std::error_code closed = output_->close();
            output_.reset();
            throw_if(closed);
            verify_file(machine_.files, entry, hooks_);
            notify(notification::file_done {entry}, true);
        }
        in_progress_ = false;
        skipping_ = false;
        ++index_;
    }
    return static_cast<std::streamsize>(n);
}

}  // namespace av
