// Scaffolding of the recorder tests: a machine whose temporary folder is
// inside the test's scratch folder (so that leaked backups show), and
// snapshots of a folder tree (content and read-only attribute of every file)
// and of a registry key (every value and subkey), to compare a machine before
// a run with the machine after its rollback.
#pragma once

#include "platform/fault_injection.h"
#include "tests/platform/scratch.h"

#include <filesystem>
#include <map>
#include <string>

namespace av::test {

// Known folders of which only the temporary folder is known.
class temp_only_folders final : public platform::known_folders {
public:
    explicit temp_only_folders(std::wstring temp)
        : temp_(std::move(temp))
    {
        if (!temp_.empty() && temp_.back() != L'\\' && temp_.back() != L'/')
            temp_.push_back(kSep);
    }
    std::error_code folder(int csidl, std::wstring& path) override
    {
        return platform::system_known_folders().folder(csidl, path);
    }
    std::error_code temp_folder(std::wstring& path) override
    {
        if (temp_.empty())
            return platform::system_known_folders().temp_folder(path);
        path = temp_;
        return {};
    }

private:
    std::wstring temp_;
};

// A machine of the given files and registry whose temporary folder is `temp`
// (the machine's when empty), asked through `plan` when one is given;
// processes, links and rights are the machine's.
class machine_of {
public:
    machine_of(platform::file_system& fs, platform::registry& reg, std::wstring temp = {},
        platform::fault_plan* plan = nullptr)
        : folders_(std::move(temp))
        , faulty_folders_(folders_, plan != nullptr ? *plan : unused_plan_)
        , machine_ {fs, reg, plan != nullptr ? static_cast<platform::known_folders&>(faulty_folders_) : folders_,
              platform::system_processes(), platform::system_shell_links(), platform::system_access_rights()}
    {
    }
    machine_of(const machine_of&) = delete;
    machine_of& operator=(const machine_of&) = delete;
    operator const platform::machine&() const { return machine_; }

private:
    temp_only_folders folders_;
    platform::fault_plan unused_plan_;
    platform::faulty_known_folders faulty_folders_;
    platform::machine machine_;
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
