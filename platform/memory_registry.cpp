#include "platform/memory_registry.h"

#include "platform/win_error.h"

#include <cwctype>
#include <map>
#include <utility>

namespace av::platform {

namespace {

struct name_less {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            const auto ca = std::towupper(static_cast<std::wint_t>(a[i]));
            const auto cb = std::towupper(static_cast<std::wint_t>(b[i]));
            if (ca != cb)
                return ca < cb;
        }
        return a.size() < b.size();
    }
};

bool same_name(const std::wstring& a, const std::wstring& b)
{
    name_less less;
    return !less(a, b) && !less(b, a);
}

}  // namespace

struct memory_registry::node {
    std::map<std::wstring, std::shared_ptr<node>, name_less> subkeys;
    std::vector<std::pair<std::wstring, registry_value>> values;  // in first-write order
    bool deleted = false;

    registry_value* find_value(const std::wstring& name)
    {
        for (auto& [n, v] : values)
            if (same_name(n, name))
                return &v;
        return nullptr;
    }

    void mark_deleted()
    {
        deleted = true;
        for (auto& [name, child] : subkeys)
            child->mark_deleted();
    }
};

namespace {

using node = memory_registry::node;

std::vector<std::wstring> split_path(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    std::wstring part;
    for (const wchar_t c : path) {
        if (c == L'\\') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

// Hive files: "AVHIVE1" and a null byte, then the key as values (count, then
// name, type, size, bytes each) and subkeys (count, then name and key each).
// Numbers are 32-bit little-endian; names are a character count and UTF-16LE.
void put_u32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void put_name(std::string& out, const std::wstring& name)
{
    put_u32(out, static_cast<std::uint32_t>(name.size()));
    for (const wchar_t c : name) {
        out.push_back(static_cast<char>(static_cast<std::uint16_t>(c) & 0xFF));
        out.push_back(static_cast<char>(static_cast<std::uint16_t>(c) >> 8));
    }
}

void put_node(std::string& out, const node& n)
{
    put_u32(out, static_cast<std::uint32_t>(n.values.size()));
    for (const auto& [name, value] : n.values) {
        put_name(out, name);
        put_u32(out, value.type);
        put_u32(out, static_cast<std::uint32_t>(value.data.size()));
        out.append(reinterpret_cast<const char*>(value.data.data()), value.data.size());
    }
    put_u32(out, static_cast<std::uint32_t>(n.subkeys.size()));
    for (const auto& [name, child] : n.subkeys) {
        put_name(out, name);
        put_node(out, *child);
    }
}

constexpr std::string_view hive_magic {"AVHIVE1\0", 8};

class hive_reader {
public:
    explicit hive_reader(std::string_view bytes)
        : bytes_(bytes)
    {
    }

    bool u32(std::uint32_t& v)
    {
        if (bytes_.size() - pos_ < 4)
            return false;
        v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes_[pos_ + static_cast<std::size_t>(i)]);
        pos_ += 4;
        return true;
    }

    bool name(std::wstring& text)
    {
        std::uint32_t count = 0;
        if (!u32(count) || (bytes_.size() - pos_) / 2 < count)
            return false;
        text.clear();
        for (std::uint32_t i = 0; i < count; ++i, pos_ += 2)
            text.push_back(static_cast<wchar_t>(
                static_cast<unsigned char>(bytes_[pos_]) | (static_cast<unsigned char>(bytes_[pos_ + 1]) << 8)));
        return true;
    }

    bool read_node(node& n, int depth)
    {
        if (depth > 512)
            return false;
        std::uint32_t count = 0;
        if (!u32(count))
            return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::wstring value_name;
            registry_value value;
            std::uint32_t size = 0;
            if (!name(value_name) || !u32(value.type) || !u32(size) || bytes_.size() - pos_ < size)
                return false;
            const auto* first = reinterpret_cast<const std::byte*>(bytes_.data() + pos_);
            value.data.assign(first, first + size);
            pos_ += size;
            n.values.emplace_back(std::move(value_name), std::move(value));
        }
        if (!u32(count))
            return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::wstring key_name;
            auto child = std::make_shared<node>();
            if (!name(key_name) || !read_node(*child, depth + 1))
                return false;
            n.subkeys[key_name] = std::move(child);
        }
        return true;
    }

    bool skip_magic()
    {
        if (bytes_.substr(0, hive_magic.size()) != hive_magic)
            return false;
        pos_ = hive_magic.size();
        return true;
    }

    bool at_end() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

class memory_key final : public registry_key {
public:
    memory_key(file_system& fs, std::shared_ptr<node> n, bool writable)
        : fs_(fs)
        , node_(std::move(n))
        , writable_(writable)
    {
    }

    std::error_code open_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        std::shared_ptr<node> current = node_;
        for (const std::wstring& part : split_path(name)) {
            const auto it = current->subkeys.find(part);
            if (it == current->subkeys.end())
                return win_error::make(win_error::file_not_found);
            current = it->second;
        }
        key = std::make_unique<memory_key>(fs_, std::move(current), access != key_access::read);
        return {};
    }

    std::error_code create_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key, bool& created) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        const std::vector<std::wstring> parts = split_path(name);
        std::shared_ptr<node> current = node_;
        bool any_new = false;
        for (const std::wstring& part : parts) {
            auto it = current->subkeys.find(part);
            if (it == current->subkeys.end()) {
                if (!writable_)
                    return win_error::make(win_error::access_denied);
                it = current->subkeys.emplace(part, std::make_shared<node>()).first;
                any_new = true;
            }
            current = it->second;
        }
        created = any_new;
        key = std::make_unique<memory_key>(fs_, std::move(current), access != key_access::read);
        return {};
    }

    std::error_code delete_subkey_tree(const std::wstring& name) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        if (!writable_)
            return win_error::make(win_error::access_denied);
        const std::vector<std::wstring> parts = split_path(name);
        if (parts.empty()) {
            // SHDeleteKeyW with an empty name empties the key itself.
            for (auto& [n, child] : node_->subkeys)
                child->mark_deleted();
            node_->subkeys.clear();
            node_->values.clear();
            return {};
        }
        std::shared_ptr<node> parent = node_;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            const auto it = parent->subkeys.find(parts[i]);
            if (it == parent->subkeys.end())
                return win_error::make(win_error::file_not_found);
            parent = it->second;
        }
        const auto it = parent->subkeys.find(parts.back());
        if (it == parent->subkeys.end())
            return win_error::make(win_error::file_not_found);
        it->second->mark_deleted();
        parent->subkeys.erase(it);
        return {};
    }

    std::error_code query_value(const std::wstring& name, registry_value& value) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        const registry_value* found = node_->find_value(name);
        if (!found)
            return win_error::make(win_error::file_not_found);
        value = *found;
        return {};
    }

    std::error_code set_value(const std::wstring& name, std::uint32_t type, std::span<const std::byte> data) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        if (!writable_)
            return win_error::make(win_error::access_denied);
        registry_value value {type, std::vector<std::byte>(data.begin(), data.end())};
        if (registry_value* found = node_->find_value(name))
            *found = std::move(value);
        else
            node_->values.emplace_back(name, std::move(value));
        return {};
    }

    std::error_code delete_value(const std::wstring& name) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        if (!writable_)
            return win_error::make(win_error::access_denied);
        for (auto it = node_->values.begin(); it != node_->values.end(); ++it) {
            if (same_name(it->first, name)) {
                node_->values.erase(it);
                return {};
            }
        }
        return win_error::make(win_error::file_not_found);
    }

    std::error_code subkey_names(std::vector<std::wstring>& names) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        names.clear();
        for (const auto& [name, child] : node_->subkeys)
            names.push_back(name);
        return {};
    }

    std::error_code value_names(std::vector<std::wstring>& names) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        names.clear();
        for (const auto& [name, value] : node_->values)
            names.push_back(name);
        return {};
    }

    std::error_code save(const std::wstring& hive_file) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        std::uint32_t attributes = 0;
        if (!fs_.get_attributes(hive_file, attributes))
            return win_error::make(win_error::already_exists);
        std::string bytes(hive_magic);
        put_node(bytes, *node_);
        return write_whole_file(fs_, hive_file, bytes);
    }

    std::error_code restore(const std::wstring& hive_file) override
    {
        if (node_->deleted)
            return win_error::make(win_error::key_deleted);
        if (!writable_)
            return win_error::make(win_error::access_denied);
        std::string bytes;
        if (const std::error_code ec = read_whole_file(fs_, hive_file, bytes))
            return ec;
        node loaded;
        hive_reader reader(bytes);
        if (!reader.skip_magic() || !reader.read_node(loaded, 0) || !reader.at_end())
            return win_error::make(win_error::baddb);
        for (auto& [name, child] : node_->subkeys)
            child->mark_deleted();
        node_->subkeys = std::move(loaded.subkeys);
        node_->values = std::move(loaded.values);
        return {};
    }

private:
    file_system& fs_;
    std::shared_ptr<node> node_;
    bool writable_;
};

}  // namespace

memory_registry::memory_registry(file_system& fs)
    : fs_(fs)
    , root_(std::make_shared<node>())
{
}

memory_registry::~memory_registry() = default;

std::unique_ptr<registry_key> memory_registry::local_machine()
{
    return std::make_unique<memory_key>(fs_, root_, true);
}

}  // namespace av::platform
