// The sink of the extraction pass: receives the decompressed archive in
// chunks, gathers and parses the header, then writes every entry's bytes to
// its destination file, verifies the file by its CRC-32 and reports every
// step through the notification callback.
#pragma once

#include "payload/archive.h"
#include "payload/folders.h"
#include "payload/membuf.h"
#include "platform/machine.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace av {

// What tests replace in the extraction beyond the machine; an empty member
// means the real one.
struct extraction_hooks {
    // The pause before reading a file back again after a sharing violation.
    std::function<void(std::chrono::milliseconds)> sleep;
};

// Opens a destination for writing on `machine`: clears the read-only
// attribute of an existing file, else creates its missing folders; applies
// the folder grant to its folder; opens it exclusively (created or
// truncated). Throws std::system_error with the machine's code.
std::unique_ptr<platform::output_file> open_destination(
    const platform::machine& machine, const boost::filesystem::path& path, rights_folders& rights);

// Reads an entry's file back and compares its CRC-32: a sharing violation
// (32) is retried after 1 s, at most 3 times; any other failure, or a fourth
// sharing violation, propagates; a mismatch throws `invalid_checksum` (3).
void verify_file(platform::file_system& files, const payload_entry& entry, const extraction_hooks& hooks = {});

class payload_writer {
public:
    // Writes on `machine`, which must outlive the writer.
    payload_writer(const platform::machine& machine, std::wstring install_folder, std::wstring sample_folder,
        std::wstring temporary_folder, notification_callback on_notification, extraction_hooks hooks = {});
    ~payload_writer();
    payload_writer(const payload_writer&) = delete;
    payload_writer& operator=(const payload_writer&) = delete;

    // Offers `count` bytes; returns how many were taken (the rest is offered
    // again). A chunk of 0 bytes creates pending entries of size 0. Throws
    // the failure of the pass; after a failure everything is taken and
    // discarded.
    std::streamsize write(const char* bytes, std::streamsize count);

    // Resolves a destination_dir (and records data folders for the grant).
    boost::filesystem::path resolve_destination(const std::wstring& destination_dir);

    const std::vector<payload_entry>& entries() const noexcept { return entries_; }
    std::uint64_t position() const noexcept { return position_; }
    std::uint64_t total() const noexcept { return total_; }
    // 0 while the header streams in; then the 1-based entry being written.
    std::size_t entry_index() const noexcept { return index_; }
    bool failed() const noexcept { return failed_; }
    // Every entry written or skipped and the position at the declared total.
    bool complete() const noexcept { return index_ > entries_.size() && total_ != 0 && position_ == total_; }
    // The final path of the file in progress, if one is.
    std::optional<boost::filesystem::path> file_in_progress() const;
    const rights_folders& rights() const noexcept { return rights_; }

private:
    std::streamsize write_header(const char* bytes, std::streamsize count);
    void parse_header();
    std::streamsize write_data(const char* bytes, std::streamsize count);
    void notify(const notification& n, bool honour_abort);

    const platform::machine& machine_;
    destination_inputs inputs_;
    notification_callback on_notification_;
    extraction_hooks hooks_;
    rights_folders rights_;

    std::vector<payload_entry> entries_;
    std::size_t index_ = 0;
    std::unique_ptr<memstream> header_;
    std::uint64_t header_size_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t total_ = 0;

    std::uint64_t remaining_ = 0;
    bool in_progress_ = false;
    bool skipping_ = false;
    std::unique_ptr<platform::output_file> output_;
    bool failed_ = false;
};

}  // namespace av
