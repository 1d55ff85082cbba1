// Shared pieces of the payload tests: a scratch folder, known folders below
// it, and a recorder of the extraction's notifications.
#pragma once

#include "payload/archive_builder.h"
#include "payload/folders.h"
#include "payload/payload.h"
#include "support/error.h"

#include "scratch_folder.h"

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace av_test {

namespace fs = boost::filesystem;

// A scratch folder with the known folders below it ("root/csidl-<n>");
// folders listed in `missing` are reported as unavailable.
class PayloadFixture : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        m_previous = av::set_folder_lookup([this](int csidl) -> std::wstring {
            if (m_missing.count(csidl) != 0)
                return {};
            return av::path_to_wide(known(csidl));
        });
    }

    void TearDown() override
    {
        av::set_folder_lookup(m_previous);
        ScratchFolder::TearDown();
    }

    fs::path known(int csidl) const { return m_root / ("csidl-" + std::to_string(csidl)); }
    std::wstring install() const { return av::path_to_wide(m_root / "install"); }

    std::set<int> m_missing;
    av::folder_lookup m_previous;
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
        case 0: lines.push_back("started"); break;
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
            lines.push_back("file_done " + std::get<av::notification::file_done>(n).entry.destination.filename().string());
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
