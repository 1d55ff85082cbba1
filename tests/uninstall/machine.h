// Scaffolding of the recorder tests: a file system whose temporary folder is
// inside the test's scratch folder (so that leaked backups show), and
// snapshots of a folder tree (content and read-only attribute of every file)
// and of a registry key (every value and subkey), to compare a machine before
// a run with the machine after its rollback.
#pragma once

#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/platform/scratch.h"

#include <filesystem>
#include <map>
#include <string>

namespace av::test {

// Passes everything to `inner`, but answers `temp` as the temporary folder.
class sandbox_file_system final : public platform::file_system {
public:
    sandbox_file_system(platform::file_system& inner, std::wstring temp) : inner_(inner), temp_(std::move(temp))
    {
        if (!temp_.empty() && temp_.back() != L'\\' && temp_.back() != L'/')
            temp_.push_back(kSep);
    }
    std::error_code get_attributes(const std::wstring& p, std::uint32_t& a) override { return inner_.get_attributes(p, a); }
    std::error_code set_attributes(const std::wstring& p, std::uint32_t a) override { return inner_.set_attributes(p, a); }
    std::error_code copy_file(const std::wstring& f, const std::wstring& t, bool o) override { return inner_.copy_file(f, t, o); }
    std::error_code move_file(const std::wstring& f, const std::wstring& t) override { return inner_.move_file(f, t); }
    std::error_code delete_file(const std::wstring& p) override { return inner_.delete_file(p); }
    std::error_code create_folder(const std::wstring& p) override { return inner_.create_folder(p); }
    std::error_code remove_folder(const std::wstring& p) override { return inner_.remove_folder(p); }
    void notify_folder_created(const std::wstring& p) override { inner_.notify_folder_created(p); }
    std::error_code temp_folder(std::wstring& p) override
    {
        p = temp_;
        return {};
    }
    std::error_code temp_file_name(const std::wstring& f, const std::wstring& x, std::wstring& p) override
    {
        return inner_.temp_file_name(f, x, p);
    }
    std::error_code create_file(const std::wstring& p, std::unique_ptr<platform::output_file>& f) override
    {
        return inner_.create_file(p, f);
    }
    std::error_code open_file(const std::wstring& p, std::unique_ptr<platform::input_file>& f) override
    {
        return inner_.open_file(p, f);
    }

private:
    platform::file_system& inner_;
    std::wstring temp_;
};

// Relative path -> "<dir>" for a folder, else "ro:" or "rw:" and the content.
using tree_snapshot = std::map<std::wstring, std::string>;

inline tree_snapshot snapshot_tree(const std::wstring& root)
{
    namespace fs = std::filesystem;
    tree_snapshot result;
    platform::file_system& sys = platform::system_file_system();
    for (const auto& item : fs::recursive_directory_iterator(fs::path(root))) {
        const std::wstring full = item.path().wstring();
        // Below `root` by construction: the rest of the path is the name.
        const std::wstring relative = full.substr(root.size() + 1);
        std::uint32_t attributes = 0;
        (void)sys.get_attributes(full, attributes);
        if (attributes & platform::attr_directory) {
            result[relative] = "<dir>";
        } else {
            std::string bytes;
            (void)platform::read_whole_file(sys, full, bytes);
            result[relative] = ((attributes & platform::attr_readonly) ? "ro:" : "rw:") + bytes;
        }
    }
    return result;
}

// "path\name" -> type and bytes of every value below a key; subkeys as
// "path\" entries. Empty when the key does not exist.
using key_snapshot = std::map<std::wstring, std::string>;

inline void snapshot_key_into(platform::registry_key& key, const std::wstring& prefix, key_snapshot& out)
{
    out[prefix + L"\\"] = "<key>";
    std::vector<std::wstring> names;
    (void)key.value_names(names);
    for (const std::wstring& name : names) {
        platform::registry_value value;
        (void)key.query_value(name, value);
        std::string text = std::to_string(value.type) + ":";
        text.append(reinterpret_cast<const char*>(value.data.data()), value.data.size());
        out[prefix + L"\\" + name] = text;
    }
    (void)key.subkey_names(names);
    for (const std::wstring& name : names) {
        std::unique_ptr<platform::registry_key> sub;
        if (!key.open_subkey(name, platform::key_access::read, sub))
            snapshot_key_into(*sub, prefix + L"\\" + name, out);
    }
}

inline key_snapshot snapshot_key(platform::registry& reg, const std::wstring& path)
{
    key_snapshot result;
    std::unique_ptr<platform::registry_key> key;
    if (!platform::open_key(reg, path, platform::key_access::read, key))
        snapshot_key_into(*key, path, result);
    return result;
}

// The differences between two snapshots, one line each; empty when equal.
template <class Map>
std::string snapshot_diff(const Map& before, const Map& after)
{
    const auto show = [](const std::wstring& name, const std::string& value) {
        std::string text(name.begin(), name.end());
        for (char& c : text)
            if (static_cast<unsigned char>(c) < 0x20)
                c = '?';
        return text + " = " + (value.size() > 40 ? value.substr(0, 40) + "..." : value);
    };
    std::string out;
    for (const auto& [name, value] : before) {
        const auto it = after.find(name);
        if (it == after.end())
            out += "gone: " + show(name, value) + "\n";
        else if (it->second != value)
            out += "changed: " + show(name, value) + " -> " + show(name, it->second) + "\n";
    }
    for (const auto& [name, value] : after)
        if (!before.count(name))
            out += "new: " + show(name, value) + "\n";
    return out;
}

}  // namespace av::test
