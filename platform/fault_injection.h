// A test double of the platform seam that makes chosen operations fail.
//
// One wrapper per service (`faulty_file_system`, `faulty_registry`,
// `faulty_known_folders`, `faulty_processes`, `faulty_shell_links`,
// `faulty_access_rights`), and `faulty_machine`, which wraps a whole machine.
// Each passes every call through, except the ones a shared `fault_plan`
// picks: those fail with a chosen Windows code (the bool services answer
// false) and change nothing. Every call through the wrappers (files opened
// through them and keys opened through them included) is counted, starting at
// 1, so a test can first count the operations of a run and then fail each one
// in turn: that is how a rollback is forced at every step.
//
// Typical codes: access_denied, disk_full, sharing_violation, cantwrite.
// notify_folder_created and announce_association_change cannot fail and are
// not counted.
#pragma once

#include "platform/machine.h"

#include <cstddef>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace av::platform {

enum class operation {
    get_attributes,
    set_attributes,
    copy_file,
    move_file,
    delete_file,
    create_folder,
    remove_folder,
    temp_folder,
    temp_file_name,
    create_file,
    write_file,
    close_file,
    open_file,
    read_file,
    open_key,
    create_key,
    delete_key_tree,
    query_value,
    set_value,
    delete_value,
    enumerate_keys,
    enumerate_values,
    save_key,
    restore_key,
    known_folder,
    run_process,
    save_link,
    grant_access,
    set_privilege,
    is_administrator,
};

// The operation's name, for messages ("copy_file").
const char* operation_name(operation op) noexcept;

// The code a fault of this operation gets when none was chosen: disk_full for
// writes, sharing_violation for opening files, cantwrite for registry
// changes, access_denied for everything else.
std::error_code default_fault(operation op) noexcept;

class fault_plan {
public:
    // One call through a wrapper: what, on which path (for keys the name
    // given by the caller, for moves and copies the source), and the code it
    // was failed with (empty when it went through).
    struct call {
        operation op;
        std::wstring subject;
        std::error_code injected;
    };

    using predicate = std::function<bool(operation, const std::wstring& subject)>;

    // Fails the n-th call (counted from 1 since the last reset) with `code`,
    // or with default_fault() when `code` is empty.
    void fail_nth(std::size_t n, std::error_code code = {});
    // Fails every call that `match` selects (only the first one with `once`).
    void fail_when(predicate match, std::error_code code = {}, bool once = false);
    // Drops every rule; calls keep being counted.
    void disarm();
    // Drops the rules and forgets the calls.
    void reset();

    // Calls seen since the last reset.
    std::size_t count() const noexcept { return calls_.size(); }
    // Whether some call was failed since the last reset.
    bool fired() const noexcept { return fired_; }
    const std::vector<call>& calls() const noexcept { return calls_; }

    // Used by the wrappers: counts the call and answers the code to fail it
    // with, or an empty code to let it through.
    std::error_code check(operation op, const std::wstring& subject);

private:
    struct rule {
        predicate match;
        std::size_t nth = 0;  // 0: by predicate
        std::error_code code;
        bool once = false;
        bool used = false;
    };
    std::vector<rule> rules_;
    std::vector<call> calls_;
    bool fired_ = false;
};

class faulty_file_system final : public file_system {
public:
    faulty_file_system(file_system& inner, fault_plan& plan)
        : inner_(inner)
        , plan_(plan)
    {
    }

    std::error_code get_attributes(const std::wstring& path, std::uint32_t& attributes) override;
    std::error_code set_attributes(const std::wstring& path, std::uint32_t attributes) override;
    std::error_code copy_file(const std::wstring& from, const std::wstring& to, bool overwrite) override;
    std::error_code move_file(const std::wstring& from, const std::wstring& to) override;
    std::error_code delete_file(const std::wstring& path) override;
    std::error_code create_folder(const std::wstring& path) override;
    std::error_code remove_folder(const std::wstring& path) override;
    void notify_folder_created(const std::wstring& path) override;
    std::error_code temp_file_name(const std::wstring& folder, const std::wstring& prefix, std::wstring& path) override;
    std::error_code create_file(const std::wstring& path, std::unique_ptr<output_file>& file) override;
    std::error_code open_file(const std::wstring& path, std::unique_ptr<input_file>& file) override;

private:
    file_system& inner_;
    fault_plan& plan_;
};

class faulty_registry final : public registry {
public:
    faulty_registry(registry& inner, fault_plan& plan)
        : inner_(inner)
        , plan_(plan)
    {
    }
    std::unique_ptr<registry_key> local_machine() override;

private:
    registry& inner_;
    fault_plan& plan_;
};

// Subjects: the identifier's number for a folder, nothing for the temporary
// folder.
class faulty_known_folders final : public known_folders {
public:
    faulty_known_folders(known_folders& inner, fault_plan& plan)
        : inner_(inner)
        , plan_(plan)
    {
    }
    std::error_code folder(int csidl, std::wstring& path) override;
    std::error_code temp_folder(std::wstring& path) override;

private:
    known_folders& inner_;
    fault_plan& plan_;
};

// Subject: the command line. A failed start starts nothing.
class faulty_processes final : public processes {
public:
    faulty_processes(processes& inner, fault_plan& plan)
        : inner_(inner)
        , plan_(plan)
    {
    }
    std::error_code run_and_wait(
        const std::wstring& command_line, const std::wstring& working_folder, std::uint32_t& exit_code) override;

private:
    processes& inner_;
    fault_plan& plan_;
};

// Subject: the link's path. A failed save writes nothing.
class faulty_shell_links final : public shell_links {
public:
    faulty_shell_links(shell_links& inner, fault_plan& plan)
        : inner_(inner)
        , plan_(plan)
    {
    }
    std::error_code save(
        const std::wstring& link_path, const std::wstring& target, const std::wstring& working_folder) override;
    void announce_association_change() override;

private:
    shell_links& inner_;
    fault_plan& plan_;
};

// Subjects: the path of a grant, the privilege's name. A failed call answers
// false (for the administrator question: not an administrator).
class faulty_access_rights final : public access_rights {
public:
    faulty_access_rights(access_rights& inner, fault_plan& plan)
        : inner_(inner)
        , plan_(plan)
    {
    }
    bool is_administrator() override;
    bool grant_users_access(const std::wstring& path, std::uint32_t mask, std::uint32_t ace_flags) override;
    bool set_privilege(const std::wstring& name, bool enable) override;

private:
    access_rights& inner_;
    fault_plan& plan_;
};

// Every service of `inner` wrapped with one plan; `get()` is the machine to
// hand to the code under test. Lives no longer than `inner`'s services.
class faulty_machine {
public:
    faulty_machine(const machine& inner, fault_plan& plan);
    faulty_machine(const faulty_machine&) = delete;
    faulty_machine& operator=(const faulty_machine&) = delete;

    const machine& get() const noexcept { return machine_; }

private:
    faulty_file_system files_;
    faulty_registry registry_;
    faulty_known_folders folders_;
    faulty_processes processes_;
    faulty_shell_links shell_;
    faulty_access_rights rights_;
    machine machine_;
};

}  // namespace av::platform
