// A whole machine for the installation run inside a test's scratch folder:
// the known folders laid out below it (and created, as Windows has them), its
// temporary folder, an in-memory registry, the real files, links as files, a
// stand-in for the product's registration run that records its command line
// and answers -10, and an administrator. `faulty` wraps all of it with the
// test's fault plan.
#pragma once

#include "platform/fault_injection.h"
#include "platform/memory_registry.h"
#include "tests/platform/scratch.h"

#include <vector>

namespace av::test {

class recording_processes final : public platform::processes {
public:
    std::vector<std::wstring> command_lines;
    std::uint32_t exit_code = 0xFFFFFFF6u;  // -10: the product registered itself
    std::error_code run_and_wait(const std::wstring& command_line, const std::wstring&, std::uint32_t& code) override
    {
        command_lines.push_back(command_line);
        code = exit_code;
        return {};
    }
};

class answering_rights final : public platform::access_rights {
public:
    bool administrator = true;
    std::vector<std::wstring> granted;
    bool is_administrator() override { return administrator; }
    bool grant_users_access(const std::wstring& path, std::uint32_t, std::uint32_t) override
    {
        granted.push_back(path);
        return platform::is_absolute_path(path);
    }
    bool set_privilege(const std::wstring&, bool) override { return true; }
};

class run_machine {
public:
    explicit run_machine(const std::wstring& root)
        : folders(root, join(root, L"Temp"))
        , links(platform::system_file_system())
    {
        platform::file_system& fs = platform::system_file_system();
        (void)platform::create_folder_tree(fs, join(root, L"Temp"));
        for (const int id : {platform::csidl::program_files, platform::csidl::common_appdata, platform::csidl::appdata,
                 platform::csidl::common_desktop, platform::csidl::desktop_directory, platform::csidl::common_programs,
                 platform::csidl::programs}) {
            std::wstring path;
            if (!folders.folder(id, path))
                (void)platform::create_folder_tree(fs, path);
        }
        // The program list, as every Windows machine has it.
        std::unique_ptr<platform::registry_key> key;
        bool created = false;
        (void)platform::create_key(registry, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
            platform::key_access::all, key, created);
    }
    run_machine(const run_machine&) = delete;
    run_machine& operator=(const run_machine&) = delete;

    std::wstring folder(int csidl)
    {
        std::wstring path;
        (void)folders.folder(csidl, path);
        return path;
    }

    platform::memory_registry registry;
    platform::rooted_known_folders folders;
    platform::file_shell_links links;
    recording_processes processes;
    answering_rights rights;
    const platform::machine machine {platform::system_file_system(), registry, folders, processes, links, rights};
    platform::fault_plan plan;
    platform::faulty_machine faulty {machine, plan};
};

}  // namespace av::test
