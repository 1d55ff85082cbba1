#include "platform/fault_injection.h"

#include "platform/win_error.h"

namespace av::platform {

const char* operation_name(operation op) noexcept
{
    switch (op) {
    case operation::get_attributes:
        return "get_attributes";
    case operation::set_attributes:
        return "set_attributes";
    case operation::copy_file:
        return "copy_file";
    case operation::move_file:
        return "move_file";
    case operation::delete_file:
        return "delete_file";
    case operation::create_folder:
        return "create_folder";
    case operation::remove_folder:
        return "remove_folder";
    case operation::temp_folder:
        return "temp_folder";
    case operation::temp_file_name:
        return "temp_file_name";
    case operation::create_file:
        return "create_file";
    case operation::write_file:
        return "write_file";
    case operation::close_file:
        return "close_file";
    case operation::open_file:
        return "open_file";
    case operation::read_file:
        return "read_file";
    case operation::open_key:
        return "open_key";
    case operation::create_key:
        return "create_key";
    case operation::delete_key_tree:
        return "delete_key_tree";
    case operation::query_value:
        return "query_value";
    case operation::set_value:
        return "set_value";
    case operation::delete_value:
        return "delete_value";
    case operation::enumerate_keys:
        return "enumerate_keys";
    case operation::enumerate_values:
        return "enumerate_values";
    case operation::save_key:
        return "save_key";
    case operation::restore_key:
        return "restore_key";
    case operation::known_folder:
        return "known_folder";
    case operation::run_process:
        return "run_process";
    case operation::save_link:
        return "save_link";
    case operation::grant_access:
        return "grant_access";
    case operation::set_privilege:
        return "set_privilege";
    case operation::is_administrator:
        return "is_administrator";
    }
    return "unknown";
}

std::error_code default_fault(operation op) noexcept
{
    switch (op) {
    case operation::write_file:
    case operation::close_file:
        return win_error::make(win_error::disk_full);
    case operation::create_file:
    case operation::open_file:
        return win_error::make(win_error::sharing_violation);
    case operation::create_key:
    case operation::delete_key_tree:
    case operation::set_value:
    case operation::delete_value:
    case operation::restore_key:
        return win_error::make(win_error::cantwrite);
    case operation::known_folder:
        return win_error::make(win_error::file_not_found);
    case operation::run_process:
        return win_error::make(win_error::file_not_found);
    default:
        return win_error::make(win_error::access_denied);
    }
}

void fault_plan::fail_nth(std::size_t n, std::error_code code)
{
    rules_.push_back(rule {{}, n, code, true, false});
}

void fault_plan::fail_when(predicate match, std::error_code code, bool once)
{
    rules_.push_back(rule {std::move(match), 0, code, once, false});
}

void fault_plan::disarm()
{
    rules_.clear();
}

void fault_plan::reset()
{
    rules_.clear();
    calls_.clear();
    fired_ = false;
}

std::error_code fault_plan::check(operation op, const std::wstring& subject)
{
    const std::size_t number = calls_.size() + 1;
    std::error_code injected;
    for (rule& r : rules_) {
        if (r.once && r.used)
            continue;
        const bool hit = r.nth != 0 ? r.nth == number : r.match && r.match(op, subject);
        if (hit) {
            r.used = true;
            injected = r.code ? r.code : default_fault(op);
            break;
        }
    }
    if (injected)
        fired_ = true;
    calls_.push_back(call {op, subject, injected});
    return injected;
}

namespace {

class faulty_output_file final : public output_file {
public:
    faulty_output_file(std::unique_ptr<output_file> inner, fault_plan& plan, std::wstring path)
        : inner_(std::move(inner))
        , plan_(plan)
        , path_(std::move(path))
    {
    }

    std::error_code write(std::span<const std::byte> data) override
    {
        if (const std::error_code ec = plan_.check(operation::write_file, path_)) {
            // A disk that fills up takes part of the data before it fails.
            (void)inner_->write(data.first(data.size() / 2));
            return ec;
        }
        return inner_->write(data);
    }

    std::error_code close() override
    {
        if (const std::error_code ec = plan_.check(operation::close_file, path_)) {
            (void)inner_->close();  // the handle is gone all the same
            return ec;
        }
        return inner_->close();
    }

private:
    std::unique_ptr<output_file> inner_;
    fault_plan& plan_;
    std::wstring path_;
};

class faulty_input_file final : public input_file {
public:
    faulty_input_file(std::unique_ptr<input_file> inner, fault_plan& plan, std::wstring path)
        : inner_(std::move(inner))
        , plan_(plan)
        , path_(std::move(path))
    {
    }

    std::error_code read(std::span<std::byte> buffer, std::size_t& got) override
    {
        if (const std::error_code ec = plan_.check(operation::read_file, path_)) {
            got = 0;
            return ec;
        }
        return inner_->read(buffer, got);
    }

private:
    std::unique_ptr<input_file> inner_;
    fault_plan& plan_;
    std::wstring path_;
};

class faulty_key final : public registry_key {
public:
    faulty_key(std::unique_ptr<registry_key> inner, fault_plan& plan, std::wstring name)
        : inner_(std::move(inner))
        , plan_(plan)
        , name_(std::move(name))
    {
    }

    std::error_code open_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key) override
    {
        if (const std::error_code ec = plan_.check(operation::open_key, join(name)))
            return ec;
        std::unique_ptr<registry_key> opened;
        if (const std::error_code ec = inner_->open_subkey(name, access, opened))
            return ec;
        key = std::make_unique<faulty_key>(std::move(opened), plan_, join(name));
        return {};
    }

    std::error_code create_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key, bool& created) override
    {
        if (const std::error_code ec = plan_.check(operation::create_key, join(name)))
            return ec;
        std::unique_ptr<registry_key> opened;
        if (const std::error_code ec = inner_->create_subkey(name, access, opened, created))
            return ec;
        key = std::make_unique<faulty_key>(std::move(opened), plan_, join(name));
        return {};
    }

    std::error_code delete_subkey_tree(const std::wstring& name) override
    {
        if (const std::error_code ec = plan_.check(operation::delete_key_tree, join(name)))
            return ec;
        return inner_->delete_subkey_tree(name);
    }

    std::error_code query_value(const std::wstring& name, registry_value& value) override
    {
        if (const std::error_code ec = plan_.check(operation::query_value, join(name)))
            return ec;
        return inner_->query_value(name, value);
    }

    std::error_code set_value(const std::wstring& name, std::uint32_t type, std::span<const std::byte> data) override
    {
        if (const std::error_code ec = plan_.check(operation::set_value, join(name)))
            return ec;
        return inner_->set_value(name, type, data);
    }

    std::error_code delete_value(const std::wstring& name) override
    {
        if (const std::error_code ec = plan_.check(operation::delete_value, join(name)))
            return ec;
        return inner_->delete_value(name);
    }

    std::error_code subkey_names(std::vector<std::wstring>& names) override
    {
        if (const std::error_code ec = plan_.check(operation::enumerate_keys, name_))
            return ec;
        return inner_->subkey_names(names);
    }

    std::error_code value_names(std::vector<std::wstring>& names) override
    {
        if (const std::error_code ec = plan_.check(operation::enumerate_values, name_))
            return ec;
        return inner_->value_names(names);
    }

    std::error_code save(const std::wstring& hive_file) override
    {
        if (const std::error_code ec = plan_.check(operation::save_key, hive_file))
            return ec;
        return inner_->save(hive_file);
    }

    std::error_code restore(const std::wstring& hive_file) override
    {
        if (const std::error_code ec = plan_.check(operation::restore_key, hive_file))
            return ec;
        return inner_->restore(hive_file);
    }

private:
    std::wstring join(const std::wstring& name) const { return name_.empty() ? name : name_ + L"\\" + name; }

    std::unique_ptr<registry_key> inner_;
    fault_plan& plan_;
    std::wstring name_;
};

}  // namespace

std::error_code faulty_file_system::get_attributes(const std::wstring& path, std::uint32_t& attributes)
{
    if (const std::error_code ec = plan_.check(operation::get_attributes, path))
        return ec;
    return inner_.get_attributes(path, attributes);
}

std::error_code faulty_file_system::set_attributes(const std::wstring& path, std::uint32_t attributes)
{
    if (const std::error_code ec = plan_.check(operation::set_attributes, path))
        return ec;
    return inner_.set_attributes(path, attributes);
}

std::error_code faulty_file_system::copy_file(const std::wstring& from, const std::wstring& to, bool overwrite)
{
    if (const std::error_code ec = plan_.check(operation::copy_file, from))
        return ec;
    return inner_.copy_file(from, to, overwrite);
}

std::error_code faulty_file_system::move_file(const std::wstring& from, const std::wstring& to)
{
    if (const std::error_code ec = plan_.check(operation::move_file, from))
        return ec;
    return inner_.move_file(from, to);
}

std::error_code faulty_file_system::delete_file(const std::wstring& path)
{
    if (const std::error_code ec = plan_.check(operation::delete_file, path))
        return ec;
    return inner_.delete_file(path);
}

std::error_code faulty_file_system::create_folder(const std::wstring& path)
{
    if (const std::error_code ec = plan_.check(operation::create_folder, path))
        return ec;
    return inner_.create_folder(path);
}

std::error_code faulty_file_system::remove_folder(const std::wstring& path)
{
    if (const std::error_code ec = plan_.check(operation::remove_folder, path))
        return ec;
    return inner_.remove_folder(path);
}

void faulty_file_system::notify_folder_created(const std::wstring& path)
{
    inner_.notify_folder_created(path);
}

std::error_code faulty_file_system::temp_file_name(
    const std::wstring& folder, const std::wstring& prefix, std::wstring& path)
{
    if (const std::error_code ec = plan_.check(operation::temp_file_name, folder))
        return ec;
    return inner_.temp_file_name(folder, prefix, path);
}

std::error_code faulty_file_system::create_file(const std::wstring& path, std::unique_ptr<output_file>& file)
{
    if (const std::error_code ec = plan_.check(operation::create_file, path))
        return ec;
    std::unique_ptr<output_file> opened;
    if (const std::error_code ec = inner_.create_file(path, opened))
        return ec;
    file = std::make_unique<faulty_output_file>(std::move(opened), plan_, path);
    return {};
}

std::error_code faulty_file_system::open_file(const std::wstring& path, std::unique_ptr<input_file>& file)
{
    if (const std::error_code ec = plan_.check(operation::open_file, path))
        return ec;
    std::unique_ptr<input_file> opened;
    if (const std::error_code ec = inner_.open_file(path, opened))
        return ec;
    file = std::make_unique<faulty_input_file>(std::move(opened), plan_, path);
    return {};
}

std::unique_ptr<registry_key> faulty_registry::local_machine()
{
    return std::make_unique<faulty_key>(inner_.local_machine(), plan_, std::wstring {});
}

std::error_code faulty_known_folders::folder(int csidl, std::wstring& path)
{
    if (const std::error_code ec = plan_.check(operation::known_folder, std::to_wstring(csidl)))
        return ec;
    return inner_.folder(csidl, path);
}

std::error_code faulty_known_folders::temp_folder(std::wstring& path)
{
    if (const std::error_code ec = plan_.check(operation::temp_folder, {}))
        return ec;
    return inner_.temp_folder(path);
}

std::error_code faulty_processes::run_and_wait(
    const std::wstring& command_line, const std::wstring& working_folder, std::uint32_t& exit_code)
{
    if (const std::error_code ec = plan_.check(operation::run_process, command_line))
        return ec;
    return inner_.run_and_wait(command_line, working_folder, exit_code);
}

std::error_code faulty_shell_links::save(
    const std::wstring& link_path, const std::wstring& target, const std::wstring& working_folder)
{
    if (const std::error_code ec = plan_.check(operation::save_link, link_path))
        return ec;
    return inner_.save(link_path, target, working_folder);
}

void faulty_shell_links::announce_association_change()
{
    inner_.announce_association_change();
}

bool faulty_access_rights::is_administrator()
{
    if (plan_.check(operation::is_administrator, {}))
        return false;
    return inner_.is_administrator();
}

bool faulty_access_rights::grant_users_access(const std::wstring& path, std::uint32_t mask, std::uint32_t ace_flags)
{
    if (plan_.check(operation::grant_access, path))
        return false;
    return inner_.grant_users_access(path, mask, ace_flags);
}

bool faulty_access_rights::set_privilege(const std::wstring& name, bool enable)
{
    if (plan_.check(operation::set_privilege, name))
        return false;
    return inner_.set_privilege(name, enable);
}

faulty_machine::faulty_machine(const machine& inner, fault_plan& plan)
    : files_(inner.files, plan)
    , registry_(inner.registry, plan)
    , folders_(inner.folders, plan)
    , processes_(inner.processes, plan)
    , shell_(inner.shell, plan)
    , rights_(inner.rights, plan)
    , machine_ {files_, registry_, folders_, processes_, shell_, rights_}
{
}

}  // namespace av::platform
