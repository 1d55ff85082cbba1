#include "uninstall/uninstall_log.h"

#include "platform/security.h"
#include "platform/win_error.h"
#include "support/product.h"
#include "support/text.h"
#include "support/win_path.h"

#include <array>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <optional>
#include <string_view>

using namespace av::platform;
using Kind = UninstallLogEntry::EntryKind;

namespace {

// Paths pass through the shell's buffers: longer ones are cut to 259 characters.
using winpath::kMaxPath;
// The temporary folder must leave room for the file name in such a buffer.
constexpr std::size_t kMaxTempFolder = 246;
// The line buffer of the reader, line end and terminating zero included.
constexpr std::size_t kLineBuffer = 1024;

constexpr std::uint32_t kLogAttributes = attr_readonly | attr_archive | attr_not_content_indexed;

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool is_space(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring within_max_path(const std::wstring& path)
{
    return path.size() < kMaxPath ? path : path.substr(0, kMaxPath - 1);
}

// Length of the root of a path: "C:\" (3), "C:" (2), "\\server\share\"
// (through the share's separator), "\" or "/" (1); 0 for a relative path.
std::size_t root_length(const std::wstring& path)
{
    if (path.size() >= 2 && path[1] == L':')
        return path.size() >= 3 && is_separator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
        std::size_t i = 2;
        for (int part = 0; part < 2 && i < path.size(); ++part) {
            while (i < path.size() && !is_separator(path[i]))
                ++i;
            if (i < path.size())
                ++i;
        }
        return i;
    }
    if (!path.empty() && is_separator(path[0]))
        return 1;
    return 0;
}

// The path without its last element, as PathRemoveFileSpecW leaves it: the
// root keeps its separator, other folders lose theirs.
std::wstring parent_of(const std::wstring& path)
{
    const std::size_t root = root_length(path);
    std::size_t end = path.size();
    while (end > root && is_separator(path[end - 1]))
        --end;
    while (end > root && !is_separator(path[end - 1]))
        --end;
    while (end > root && is_separator(path[end - 1]))
        --end;
    return path.substr(0, end);
}

std::wstring_view trim_right(std::wstring_view s)
{
    while (!s.empty() && is_space(s.back()))
        s.remove_suffix(1);
    return s;
}

std::wstring_view trim_left(std::wstring_view s)
{
    while (!s.empty() && is_space(s.front()))
        s.remove_prefix(1);
    return s;
}

std::wstring_view trim(std::wstring_view s)
{
    return trim_left(trim_right(s));
}

// The text after the first occurrence of `label`, or nothing.
std::optional<std::wstring_view> after(std::wstring_view line, std::wstring_view label)
{
    const std::size_t at = line.find(label);
    if (at == std::wstring_view::npos)
        return std::nullopt;
    return line.substr(at + label.size());
}

// A reader of the items of an entry line, as a text stream reads them: white
// space is skipped before each item.
class item_reader {
public:
    explicit item_reader(std::wstring_view s)
        : s_(s)
    {
    }

    bool decimal(long long& value)
    {
        skip();
        bool negative = false;
        if (pos_ < s_.size() && (s_[pos_] == L'+' || s_[pos_] == L'-'))
            negative = s_[pos_++] == L'-';
        const std::size_t first = pos_;
        long long v = 0;
        while (pos_ < s_.size() && s_[pos_] >= L'0' && s_[pos_] <= L'9') {
            v = v * 10 + (s_[pos_++] - L'0');
            if (v > 0x7FFFFFFF)
                return false;  // does not fit the 32-bit integer it is read into
        }
        if (pos_ == first)
            return false;
        value = negative ? -v : v;
        return true;
    }

    bool hexadecimal(std::uint32_t& value)
    {
        skip();
        if (s_.substr(pos_, 2) == L"0x" && pos_ + 2 < s_.size() && digit(s_[pos_ + 2]) >= 0)
            pos_ += 2;
        const std::size_t first = pos_;
        std::uint64_t v = 0;
        while (pos_ < s_.size() && digit(s_[pos_]) >= 0) {
            v = v * 16 + static_cast<std::uint64_t>(digit(s_[pos_++]));
            if (v > 0x7FFFFFFF)
                return false;
        }
        if (pos_ == first)
            return false;
        value = static_cast<std::uint32_t>(v);
        return true;
    }

    bool character(wchar_t& c)
    {
        skip();
        if (pos_ >= s_.size())
            return false;
        c = s_[pos_++];
        return true;
    }

    std::wstring_view word()
    {
        skip();
        const std::size_t first = pos_;
        while (pos_ < s_.size() && !is_space(s_[pos_]))
            ++pos_;
        return s_.substr(first, pos_ - first);
    }

    std::wstring_view rest() const { return s_.substr(pos_); }

private:
    static int digit(wchar_t c)
    {
        if (c >= L'0' && c <= L'9')
            return c - L'0';
        if (c >= L'a' && c <= L'f')
            return c - L'a' + 10;
        if (c >= L'A' && c <= L'F')
            return c - L'A' + 10;
        return -1;
    }
    void skip()
    {
        while (pos_ < s_.size() && is_space(s_[pos_]))
            ++pos_;
    }

    std::wstring_view s_;
    std::size_t pos_ = 0;
};

// Bytes of a file, one at a time, through a buffer.
class byte_reader {
public:
    explicit byte_reader(input_file& file)
        : file_(file)
    {
    }

    // False at the end of the file or after a read error.
    bool next(unsigned char& b)
    {
        if (pos_ == len_) {
            if (done_)
                return false;
            std::size_t got = 0;
            if (file_.read(buffer_, got)) {
                done_ = true;
                failed_ = true;
                return false;
            }
            if (got == 0) {
                done_ = true;
                return false;
            }
            pos_ = 0;
            len_ = got;
        }
        b = std::to_integer<unsigned char>(buffer_[pos_++]);
        return true;
    }

    // Whether reading ended with an error rather than at the end.
    bool failed() const { return failed_; }

private:
    input_file& file_;
    std::array<std::byte, 4096> buffer_ {};
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool done_ = false;
    bool failed_ = false;
};

// Splits a log into lines: UTF-16LE after the mark FF FE, else 8-bit text in
// the thread's ANSI code page.
class line_reader {
public:
    explicit line_reader(input_file& file)
        : bytes_(file)
    {
    }

    // The next line with its line end; false at the end of the file. A line
    // that does not fit the line buffer sets `too_long`.
    bool next(std::wstring& line, bool& too_long)
    {
        too_long = false;
        if (first_) {
            first_ = false;
            unsigned char b0 = 0, b1 = 0;
            if (bytes_.next(b0)) {
                if (b0 == 0xFF && bytes_.next(b1)) {
                    if (b1 == 0xFE) {
                        utf16_ = true;
                        return next_utf16(line, too_long, 2);
                    }
                    pushed_ = {b0, b1};
                    pushed_count_ = 2;
                } else {
                    pushed_[0] = b0;
                    pushed_count_ = 1;
                }
            }
        }
        return utf16_ ? next_utf16(line, too_long, 0) : next_narrow(line, too_long);
    }

private:
    bool next_byte(unsigned char& b)
    {
        if (pushed_pos_ < pushed_count_) {
            b = pushed_[pushed_pos_++];
            return true;
        }
        return bytes_.next(b);
    }

    bool next_narrow(std::wstring& line, bool& too_long)
    {
        std::string raw;
        unsigned char b = 0;
        while (next_byte(b)) {
            raw.push_back(static_cast<char>(b));
            if (b == 0x0A)
                break;
        }
        // A line cut short by a read error is not used.
        if (raw.empty() || bytes_.failed())
            return false;
        too_long = raw.size() > kLineBuffer - 1;
        // A line the code page cannot convert becomes empty (and is skipped).
        line = av::narrow_to_wide(raw);
        return true;
    }

    // UTF-16 is split at the code unit U+000A, never at a byte 0x0A inside a
    // character (U+010A, U+040A and others hold one).
    bool next_utf16(std::wstring& line, bool& too_long, std::size_t mark_bytes)
    {
        std::vector<std::byte> raw;
        unsigned char lo = 0, hi = 0;
        while (next_byte(lo) && next_byte(hi)) {
            raw.push_back(static_cast<std::byte>(lo));
            raw.push_back(static_cast<std::byte>(hi));
            if (lo == 0x0A && hi == 0)
                break;
        }
        if ((raw.empty() && mark_bytes == 0) || bytes_.failed())
            return false;
        too_long = raw.size() + mark_bytes > kLineBuffer - 2;
        line = av::details::wide_from_utf16(raw.data(), raw.size() / 2);
        return true;
    }

    byte_reader bytes_;
    bool first_ = true;
    bool utf16_ = false;
    std::array<unsigned char, 2> pushed_ {};
    std::size_t pushed_count_ = 0;
    std::size_t pushed_pos_ = 0;
};

// UTF-16LE bytes of a text.
std::string utf16le(std::wstring_view text)
{
    const std::u16string units = av::details::utf16_from_wide(text);
    std::string out;
    out.reserve(units.size() * 2);
    for (const char16_t u : units) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

std::size_t utf16_length(std::wstring_view text)
{
    return av::details::utf16_from_wide(text).size();
}

std::error_code write_text(output_file& file, const std::string& bytes)
{
    return file.write(std::as_bytes(std::span<const char>(bytes.data(), bytes.size())));
}

}  // namespace

struct UninstallLog::backup_result {
    std::wstring path;  // the backup; empty when none was taken
    bool sourceMissing = false;  // there was nothing to back up
    std::uint32_t attributes = 0;  // the source's attributes
    std::error_code error;  // why no backup was taken
};

UninstallLog::UninstallLog()
    : UninstallLog(system_machine())
{
}

UninstallLog::UninstallLog(const machine& machine)
    : fs_(machine.files)
    , reg_(machine.registry)
    , folders_(machine.folders)
    , rights_(machine.rights)
{
}

void UninstallLog::SetProduct(const std::wstring& productLabel, const std::wstring& productKey)
{
    productLabel_ = productLabel;
    productKey_ = productKey;
}

// ---------------------------------------------------------------------------
// Reading a log

void UninstallLog::Load(const std::wstring& path)
{
    installPath.clear();
    shortcutPath.clear();
    previousVersion.clear();
    previousEntries.clear();
    if (path.empty())
        return;
    std::unique_ptr<input_file> file;
    if (fs_.open_file(path, file))
        return;
    Load(*file);
}

void UninstallLog::Load(input_file& file)
{
    installPath.clear();
    shortcutPath.clear();
    previousVersion.clear();
    previousEntries.clear();

    line_reader reader(file);
    int version = 0;
    unsigned number = 0;
    std::wstring raw;
    bool too_long = false;
    while (reader.next(raw, too_long)) {
        if (raw.empty())
            continue;  // nothing at all: not counted
        ++number;
        // A line longer than the line buffer means a damaged or foreign file:
        // reading ends there, as at any other line that breaks the rules.
        if (too_long)
            return;
        const std::wstring_view line = trim_right(raw);

        if (line.starts_with(L"//")) {
            std::wstring_view text = line;
            while (!text.empty() && text.front() == L'/')
                text.remove_prefix(1);
            text = trim_left(text);
            switch (number) {
            case 1: {
                const auto rest = after(text, L"Uninstall Log File v");
                long long v = 0;
                if (!rest || !item_reader(*rest).decimal(v) || v != 1)
                    return;
                version = 1;
                break;
            }
            case 3: {
                auto rest = after(text, L"Install");
                if (!rest)
                    return;
                if (const std::size_t cut = rest->find(L"--"); cut != std::wstring_view::npos)
                    rest = rest->substr(0, cut);
                previousVersion = trim(*rest);
                break;
            }
            case 4:
            case 5: {
                const auto rest = after(text, number == 4 ? L"Install Path : " : L"Shortcut Path : ");
                if (!rest)
                    return;
                const std::wstring folder(trim(*rest));
                if (!folder.empty() && is_folder(fs_, folder))
                    (number == 4 ? installPath : shortcutPath) = folder;
                break;
            }
            default:
                break;
            }
            continue;
        }

        if (version != 1)
            return;
        item_reader items(line);
        long long index = 0;
        std::uint32_t code = 0;
        wchar_t separator = 0, flag = 0;
        if (!items.decimal(index) || index < 0)
            return;
        if (!items.character(separator) || separator != L':')
            return;
        if (!items.hexadecimal(code))
            return;
        if (!items.character(separator) || separator != L':')
            return;
        if (!items.character(flag) || (flag != L'0' && flag != L'1'))
            return;
        if (items.word() != L"--")
            return;
        const std::int32_t kind = static_cast<std::int32_t>(code / 256);
        if (kind < Kind::CreatedFolder || kind > Kind::ProductRegistration)
            return;
        UninstallLogEntry entry;
        entry.kind = kind;
        entry.detail = (code & 0xFF) == 0xFF ? -1 : static_cast<std::int32_t>(code & 0xFF);
        entry.succeeded = flag == L'1';
        if (kind != Kind::UninstallKey && kind != Kind::ProductRegistration)
            entry.path = trim_left(items.rest());
        previousEntries.push_back(std::move(entry));
    }
}

bool UninstallLog::WasInstalled(const std::wstring& path) const
{
    for (const UninstallLogEntry& e : previousEntries)
        if (e.kind == Kind::InstalledFile && e.succeeded && e.path == path)
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// Recording

UninstallLog::backup_result UninstallLog::make_backup(const std::wstring* source, bool copy)
{
    const auto failed = [](std::error_code why) {
        backup_result result;
        result.error = why;
        return result;
    };
    std::wstring folder;
    if (const std::error_code ec = folders_.temp_folder(folder))
        return failed(ec);
    if (folder.size() > kMaxTempFolder)
        return failed(av::win_error::make(av::win_error::filename_too_long));
    std::wstring name;
    if (const std::error_code ec = fs_.temp_file_name(folder, L"av", name))
        return failed(ec);
    // The system created the file to reserve the name; the backup replaces it.
    // A reservation that will not go is no name for a backup, and is not left
    // behind either if a second attempt can remove it.
    if (const std::error_code ec = fs_.delete_file(name)) {
        (void)fs_.delete_file(name);
        return failed(ec);
    }
    if (!source)
        return {name, false, 0, {}};

    std::uint32_t attributes = 0;
    if (const std::error_code ec = fs_.get_attributes(*source, attributes)) {
        if (av::win_error::is_not_found(ec))
            return {{}, true, 0, {}};
        // Without its attributes the copy could not be made faithful (a
        // read-only file would come back writable): no backup.
        return failed(ec);
    }
    if (attributes & attr_directory)
        return failed(av::win_error::make(av::win_error::directory));
    (void)fs_.set_attributes(*source, attr_normal);
    const std::error_code ec = copy ? fs_.copy_file(*source, name, true) : fs_.move_file(*source, name);
    if (!ec) {
        if (copy)
            (void)fs_.set_attributes(*source, attributes);
        (void)fs_.set_attributes(name, attributes);
        return {name, false, attributes, {}};
    }
    (void)fs_.set_attributes(*source, attributes);
    // A failed copy may leave part of the data under the name; it goes, but
    // only while the source is still in place (never destroy the last copy).
    if (is_file(fs_, *source))
        (void)fs_.delete_file(name);
    return failed(ec);
}

std::wstring UninstallLog::MakeBackup(const std::wstring* source, bool copy)
{
    return make_backup(source, copy).path;
}

void UninstallLog::create_folders(const std::wstring& folder)
{
    const std::wstring path = within_max_path(folder);
    const std::size_t root = root_length(path);
    std::size_t pos = root;
    while (pos < path.size()) {
        while (pos < path.size() && is_separator(path[pos]))
            ++pos;
        if (pos >= path.size())
            break;
        while (pos < path.size() && !is_separator(path[pos]))
            ++pos;
        const std::wstring prefix = path.substr(0, pos);
        if (is_folder(fs_, prefix))
            continue;
        if (fs_.create_folder(prefix))
            return;  // the step that needs the folder fails on its own
        fs_.notify_folder_created(prefix);
        UninstallLogEntry entry;
        entry.kind = Kind::CreatedFolder;
        entry.path = prefix;
        entry.succeeded = true;
        entries.push_back(std::move(entry));
    }
}

bool UninstallLog::RecordFile(const std::wstring& path, std::int32_t detail, bool copyBackup)
{
    pending = true;
    create_folders(parent_of(within_max_path(path)));

    UninstallLogEntry entry;
    entry.kind = Kind::InstalledFile;
    entry.path = path;
    entry.detail = detail;
    entry.succeeded = false;
    entries.push_back(std::move(entry));
    UninstallLogEntry& added = entries.back();

    std::uint32_t attributes = 0;
    const std::error_code ec = fs_.get_attributes(path, attributes);
    if (av::win_error::is_not_found(ec))
        return true;
    // There is (or may be) something at the path: keep it safe.
    const backup_result backup = make_backup(&path, copyBackup);
    if (backup.sourceMissing)
        return true;
    added.originalPath = path;
    if (backup.path.empty()) {
        added.keepOnRollBack = true;
        lastBackupError = backup.error;
        return false;
    }
    added.backupPath = backup.path;
    added.backupAttributes = backup.attributes;
    return true;
}

bool UninstallLog::RecordShortcut(int selector, const std::wstring& folder)
{
    pending = true;
    UninstallLogEntry entry;
    entry.kind = selector == 0 ? Kind::MenuShortcut
        : selector == 1        ? Kind::MenuUninstallShortcut
                               : Kind::DesktopShortcut;
    entry.succeeded = false;
    const std::int32_t kind = entry.kind;
    // No folder (it could not be found): the shortcut cannot be made, so the
    // earlier one stays where it is.
    if (folder.empty()) {
        entries.push_back(std::move(entry));
        return true;
    }
    create_folders(folder);
    entries.push_back(std::move(entry));
    UninstallLogEntry& added = entries.back();

    for (const UninstallLogEntry& previous : previousEntries) {
        if (previous.kind != kind)
            continue;
        std::uint32_t attributes = 0;
        if (previous.path.empty() || av::win_error::is_not_found(fs_.get_attributes(previous.path, attributes)))
            break;
        const backup_result backup = make_backup(&previous.path, false);
        if (backup.sourceMissing)
            break;
        added.originalPath = previous.path;
        added.backupPath = backup.path;
        added.backupAttributes = backup.attributes;
        added.keepOnRollBack = backup.path.empty();
        return !added.keepOnRollBack;
    }
    return true;
}

bool UninstallLog::RecordUninstallKey(registry_key* key)
{
    pending = true;
    UninstallLogEntry entry;
    entry.kind = Kind::UninstallKey;
    entry.succeeded = false;
    entries.push_back(std::move(entry));
    UninstallLogEntry& added = entries.back();
    if (!key)
        return true;

    const std::wstring hive = make_backup(nullptr, false).path;
    if (!hive.empty()) {
        (void)rights_.set_privilege(L"SeBackupPrivilege", true);
        const std::error_code ec = key->save(hive);
        (void)rights_.set_privilege(L"SeBackupPrivilege", false);
        if (!ec) {
            added.backupPath = hive;
            return true;
        }
        (void)fs_.set_attributes(hive, attr_normal);
        (void)fs_.delete_file(hive);
    }
    // The key existed and no copy of it could be kept: a rollback must not
    // delete the earlier installation's registration.
    added.keepOnRollBack = true;
    return false;
}

void UninstallLog::RecordProductRegistration()
{
    pending = true;
    UninstallLogEntry entry;
    entry.kind = Kind::ProductRegistration;
    entry.succeeded = false;
    entries.push_back(std::move(entry));
}

void UninstallLog::Complete(bool succeeded)
{
    if (!pending || entries.empty())
        return;
    pending = false;
    entries.back().succeeded = succeeded;
}

void UninstallLog::Complete(bool succeeded, const std::wstring& path)
{
    if (!pending || entries.empty())
        return;
    pending = false;
    entries.back().succeeded = succeeded;
    entries.back().path = path;
}

// ---------------------------------------------------------------------------
// Writing the log

void UninstallLog::delete_backup(UninstallLogEntry& entry)
{
    if (entry.backupPath.empty())
        return;
    (void)fs_.set_attributes(entry.backupPath, attr_normal);
    (void)fs_.delete_file(entry.backupPath);
    entry.backupPath.clear();
}

bool UninstallLog::Write(
    const std::wstring& logPath, const std::wstring& installFolder, const std::wstring& startMenuFolder)
{
    // 1. Carry the previous entries forward unless this run superseded them:
    // a folder or file by its path, the other kinds by their kind alone.
    while (!previousEntries.empty()) {
        const UninstallLogEntry& previous = previousEntries.back();
        bool superseded = false;
        for (const UninstallLogEntry& e : entries) {
            if (e.kind != previous.kind)
                continue;
            if (previous.kind == Kind::CreatedFolder || previous.kind == Kind::InstalledFile) {
                if (SamePath(e.path, previous.path)) {
                    superseded = true;
                    break;
                }
            } else {
                superseded = true;
                break;
            }
        }
        if (superseded)
            previousEntries.pop_back();
        else
            entries.splice(entries.begin(), previousEntries, std::prev(previousEntries.end()));
    }

    // 2. to 5. The file.
    bool ok = false;
    (void)fs_.set_attributes(logPath, attr_normal);
    std::unique_ptr<output_file> file;
    if (!fs_.create_file(logPath, file)) {
        ok = true;
        const auto put = [&](const std::string& bytes) {
            if (write_text(*file, bytes))
                ok = false;
        };
        put(std::string("\xFF\xFE", 2));
        std::wstring install = L"Install " + productLabel_;
        if (!previousVersion.empty())
            install += L" -- Update (" + previousVersion + L")";
        const std::wstring shortcut = L"Shortcut Path : " + startMenuFolder;
        const std::wstring header[] = {
            L"Uninstall Log File v1",
            L"############ WARNING: Do not delete or modify this file. ############",
            install,
            L"Install Path : " + installFolder,
            shortcut,
            std::wstring(utf16_length(shortcut), L'-'),
        };
        for (const std::wstring& text : header)
            put(utf16le(L"// " + text + L"\r\n"));

        unsigned index = 0;
        for (UninstallLogEntry& e : entries) {
            if (e.kind == Kind::UninstallKey)
                e.path = std::wstring(L"HKEY_LOCAL_MACHINE\\") + kUninstallRootKey + L"\\" + productKey_;
            else if (e.kind == Kind::ProductRegistration)
                e.path = L"HKEY_CLASSES_ROOT\\...";
            wchar_t prefix[48];
            std::swprintf(prefix, std::size(prefix), L"%04u:%04x:%c -- ", index++,
                static_cast<unsigned>(e.kind * 256 + (e.detail & 0xFF)), e.succeeded ? L'1' : L'0');
            put(utf16le(prefix + e.path + L"\r\n"));
        }
        // Data that may not have reached the disk counts as not written.
        if (file->close())
            ok = false;
        file.reset();
        (void)fs_.set_attributes(logPath, kLogAttributes);
    }

    // 6. Nothing is restored after this point: the backups go.
    for (UninstallLogEntry& e : entries)
        delete_backup(e);
    return ok;
}

// ---------------------------------------------------------------------------
// Rollback

void UninstallLog::restore_backup(const UninstallLogEntry& entry, const std::wstring& target)
{
    if (entry.backupPath.empty() || target.empty())
        return;
    // The attributes the object had when it was backed up; the backup's own
    // when they are not known.
    std::uint32_t attributes = entry.backupAttributes;
    const bool remembered = attributes != 0 || !fs_.get_attributes(entry.backupPath, attributes);
    (void)fs_.set_attributes(entry.backupPath, attr_normal);
    // On failure the backup stays in the temporary folder under its name.
    if (fs_.move_file(entry.backupPath, target))
        return;
    if (remembered)
        (void)fs_.set_attributes(target, attributes);
}

void UninstallLog::roll_back_key(const UninstallLogEntry& entry)
{
    // A key that existed but could not be saved stays as it is; without a
    // product key there is no subkey to name (and an empty name would mean
    // every uninstall key).
    if (entry.keepOnRollBack || productKey_.empty())
        return;
    (void)rights_.set_privilege(L"SeRestorePrivilege", true);
    std::unique_ptr<registry_key> uninstall;
    if (!open_key(reg_, kUninstallRootKey, key_access::all, uninstall)) {
        if (!entry.backupPath.empty()) {
            std::unique_ptr<registry_key> product;
            if (!uninstall->open_subkey(productKey_, key_access::all, product)) {
                (void)product->restore(entry.backupPath);
                product.reset();
            }
            (void)fs_.set_attributes(entry.backupPath, attr_normal);
            (void)fs_.delete_file(entry.backupPath);
        } else {
            (void)uninstall->delete_subkey_tree(productKey_);
        }
        uninstall.reset();
    }
    (void)rights_.set_privilege(L"SeRestorePrivilege", false);
}

void UninstallLog::RollBack()
{
    while (!entries.empty()) {
        const UninstallLogEntry& e = entries.back();
        switch (e.kind) {
        case Kind::CreatedFolder:
            (void)fs_.remove_folder(e.path);
            break;
        case Kind::InstalledFile:
        case Kind::MenuShortcut:
        case Kind::MenuUninstallShortcut:
        case Kind::DesktopShortcut: {
            // What is at `path` was made by this run, unless something was
            // there before that could not be backed up.
            const bool untouchable = e.keepOnRollBack && (e.originalPath.empty() || SamePath(e.path, e.originalPath));
            if (!e.path.empty() && !untouchable) {
                (void)fs_.set_attributes(e.path, attr_normal);
                (void)fs_.delete_file(e.path);
            }
            // A file goes back to its own path; a previous shortcut goes back
            // to where the previous installation had it.
            restore_backup(e, e.originalPath.empty() ? e.path : e.originalPath);
            break;
        }
        case Kind::UninstallKey:
            roll_back_key(e);
            break;
        case Kind::ProductRegistration:
        default:
            break;
        }
        entries.pop_back();
    }
}
