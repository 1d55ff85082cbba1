// Shared pieces of the payload tests: a scratch folder, a machine whose
// known folders lie below it, and a recorder of the extraction's
// notifications.
#pragma once

#include "payload/archive_builder.h"
#include "payload/folders.h"
#include "payload/payload.h"
#include "platform/fault_injection.h"
#include "platform/memory_registry.h"
#include "platform/win_error.h"
#include "support/error.h"

#include "scratch_folder.h"

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace av_test {

namespace fs = boost::filesystem;

// A scratch folder and a machine on it: known folders "root/csidl-<n>"
// (those listed in `m_missing` unavailable), grants recorded rather than
// made, the real files, and a fault plan over all of it.
class PayloadFixture : public ScratchFolder {
protected:
    struct grant {
        fs::path path;
        std::uint32_t mask;
        std::uint32_t flags;
    };

    class fixture_folders final : public av::platform::known_folders {
    public:
        explicit fixture_folders(PayloadFixture& owner)
            : owner_(owner)
        {
        }
        std::error_code folder(int csidl, std::wstring& path) override
        {
            if (owner_.m_missing.count(csidl) != 0)
                return av::win_error::make(av::win_error::file_not_found);
            path = av::path_to_wide(owner_.known(csidl));
            return {};
        }
        std::error_code temp_folder(std::wstring& path) override
        {
            path = av::path_to_wide(owner_.m_root / "temp") + L"/";
            return {};
        }

    private:
        PayloadFixture& owner_;
    };

    class recording_rights final : public av::platform::access_rights {
    public:
        std::vector<grant> grants;
        bool is_administrator() override { return true; }
        bool grant_users_access(const std::wstring& path, std::uint32_t mask, std::uint32_t flags) override
        {
            grants.push_back({av::wide_to_path(path), mask, flags});
            return true;
        }
        bool set_privilege(const std::wstring&, bool) override { return true; }
    };

    fs::path known(int csidl) const { return m_root / ("csidl-" + std::to_string(csidl)); }
    std::wstring install() const { return av::path_to_wide(m_root / "install"); }
    // The machine the extraction works on, through the fault plan.
    const av::platform::machine& machine() const { return m_faulty.get(); }

    std::set<int> m_missing;
    fixture_folders m_folders {*this};
    recording_rights m_rights;
    av::platform::memory_registry m_registry;
    av::platform::fault_plan m_plan;
    const av::platform::machine m_inner {av::platform::system_file_system(), m_registry, m_folders,
        av::platform::system_processes(), av::platform::system_shell_links(), m_rights};
    av::platform::faulty_machine m_faulty {m_inner, m_plan};
};

// Records every notification as a short line; answers from a script.
struct NotificationLog {
    std::vector<std::string> lines;
    std::error_code failed_code;
    std::wstring failed_path;
    int failed_count = 0;
    // Answer to file_started by file name (default proceed).
    std::map<std::string, av::notification::result> answers;
    // Answer abort to the n-th progress notification (0: never).
    int abort_at_progress = 0;
    int progress_count = 0;

    av::notification_callback callback()
    {
        return [this](const av::notification& n) { return on(n); };
    }

    av::notification::result on(const av::notification& n)
    {
        using R = av::notification::result;
        switch (n.index()) {
        case 0:
            lines.push_back("started");
            break;
        case 1: {
            const auto& f = std::get<av::notification::finished>(n);
            lines.push_back("finished " + std::to_string(f.total));
            break;
        }
        case 2: {
            const std::string name = std::get<av::notification::file_started>(n).entry.destination.filename().string();
            lines.push_back("file_started " + name);
            const auto it = answers.find(name);
            return it == answers.end() ? R::proceed : it->second;
        }
        case 3:
            lines.push_back(
                "file_done " + std::get<av::notification::file_done>(n).entry.destination.filename().string());
            break;
        case 4: {
            const auto& p = std::get<av::notification::progress>(n);
            lines.push_back("progress " + std::to_string(p.position) + "/" + std::to_string(p.total));
            if (++progress_count == abort_at_progress)
                return R::abort;
            break;
        }
        case 5: {
            const auto& f = std::get<av::notification::failed>(n);
            failed_code = f.code;
            failed_path = f.path;
            ++failed_count;
            lines.push_back("failed " + std::string(f.code.category().name()) + ":" + std::to_string(f.code.value()));
            break;
        }
        }
        return R::proceed;
    }

    // The lines of one kind, in order.
    std::vector<std::string> only(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0)
                out.push_back(l);
        return out;
    }
};

}  // namespace av_test
