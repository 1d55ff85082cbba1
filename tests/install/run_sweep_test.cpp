// The installation run itself failed at every operation of its machine in
// turn - fresh installation, reinstallation, and update from an older
// version with its log and its shortcuts: whenever the run fails, the files
// and the registry are exactly as before (status "Installation failed (Error
// Code ...)."; "-1" when the product path value was refused); when a later
// step fails, the run goes on to its end with that step's line ending
// "Failed". Natively every call of the machine of tests/install/run_machine.h
// is failed in turn; under Wine a sample of them, for a fresh installation, on
// the real files, registry, shell links and access rights (the known folders
// inside the scratch folder, the product's run a stand-in, since Wine's
// RegRestoreKeyW restores nothing, the situations with an earlier key are
// swept natively only).
#include "install/installation_run.h"

#include "app/install_app.h"
#include "install/install_display.h"
#include "payload/archive_builder.h"
#include "payload/payload.h"
#include "tests/app/installer_strings.h"
#include "tests/install/run_fixture.h"
#include "tests/install/run_machine.h"
#include "tests/lang/message_table.h"
#include "tests/platform/scratch.h"
#include "tests/uninstall/machine.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using av::test::join;
using av::test::RecordingPage;
using av::test::SamplePayload;

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6";
const std::wstring kMakerKey = L"Software\\Arvell & Divizere";

// The machine a sweep runs on: natively the scratch folder's own
// (run_machine); under Wine the real files, registry, shell links and access
// rights with the scratch folder's known folders and a stand-in product.
class sweep_machine {
public:
    explicit sweep_machine(const std::wstring& root)
        : base(root)
    {
#ifdef _WIN32
        ClearRegistry();
#endif
    }
    ~sweep_machine()
    {
#ifdef _WIN32
        ClearRegistry();
#endif
    }
    sweep_machine(const sweep_machine&) = delete;
    sweep_machine& operator=(const sweep_machine&) = delete;

    av::test::run_machine base;
#ifdef _WIN32
    const av::platform::machine machine {av::platform::system_file_system(), av::platform::system_registry(),
        base.folders, base.processes, av::platform::system_shell_links(), av::platform::system_access_rights()};
#else
    const av::platform::machine& machine = base.machine;
#endif
    av::platform::fault_plan& plan = base.plan;
    av::platform::faulty_machine faulty {machine, plan};

private:
    void ClearRegistry()
    {
        for (const std::wstring& key : {kUninstallKey, kMakerKey}) {
            std::unique_ptr<av::platform::registry_key> parent;
            const std::size_t cut = key.find_last_of(L'\\');
            if (!av::platform::open_key(machine.registry, key.substr(0, cut), av::platform::key_access::all, parent))
                (void)parent->delete_subkey_tree(key.substr(cut + 1));
        }
    }
};

// --- Every operation of the machine failed in turn --------------------------

enum class Situation { FreshInstall, Reinstall, Update };

const char* Name(Situation s)
{
    switch (s) {
    case Situation::FreshInstall:
        return "FreshInstall";
    case Situation::Reinstall:
        return "Reinstall";
    case Situation::Update:
        return "Update";
    }
    return "?";
}

// The page, noting where in the machine's calls each step's line began.
class SweepPage : public RecordingPage {
public:
    explicit SweepPage(const av::platform::fault_plan& plan)
        : plan_(plan)
    {
    }
    void AppendLogLine(const std::wstring& text, bool separator) override
    {
        if (text == L"Shortcuts Creation..." || text == L"Registry Data Writing..." ||
            text == L"Installation Data Writing...")
            stepStarts[text] = plan_.count();
        RecordingPage::AppendLogLine(text, separator);
    }
    std::map<std::wstring, std::size_t> stepStarts;

private:
    const av::platform::fault_plan& plan_;
};

class RunSweep : public testing::TestWithParam<Situation> {
protected:
    test::ScopedMessageTable messages {test::InstallerStrings()};
    test::ScopedLanguage english {1};
    const std::string payload = SamplePayload();

    bool RunOn(CInstallApp& app, RecordingPage& page, const av::platform::machine& machine)
    {
        av::imemstream stream(payload.data(), payload.size());
        return run_installation(app, page, machine, stream);
    }

    struct world {
        av::test::scratch_folder scratch;
        sweep_machine m {scratch.path()};
        std::wstring installFolder, menuFolder;

        world()
            : installFolder(join(m.base.folder(av::platform::csidl::program_files), L"Korvaline 6"))
            , menuFolder(join(m.base.folder(av::platform::csidl::common_programs), L"Korvaline 6"))
        {
        }
        struct state {
            av::test::tree_snapshot files;
            av::test::key_snapshot uninstallKey, makerKey;
        };
        state snapshot()
        {
            return {av::test::snapshot_tree(scratch.path()), av::test::snapshot_key(m.machine.registry, kUninstallKey),
                av::test::snapshot_key(m.machine.registry, kMakerKey)};
        }
    };

    static void Prepare(CInstallApp& app, world& w)
    {
        app.m_strInstallFolder = w.installFolder;
        app.m_strStartMenuFolder = w.menuFolder;
        app.m_bStartMenuShortcut = true;
        app.m_bDesktopShortcut = true;
    }

    // The machine of the situation: nothing, the same version installed, or
    // an older version with its log and its shortcuts under its own name.
    void Install(Situation situation, world& w)
    {
        if (situation == Situation::FreshInstall)
            return;
        {
            CInstallApp earlier(L"AvSweepEarlier", w.m.machine);
            Prepare(earlier, w);
            earlier.m_uninstallLog.Load(std::wstring());
            RecordingPage page;
            ASSERT_TRUE(RunOn(earlier, page, w.m.machine));
        }
        if (situation != Situation::Update)
            return;
        // Make it 6.03f: its shortcuts renamed, its log rewritten to say so.
        auto& fs = w.m.machine.files;
        const std::wstring logPath = join(w.installFolder, L"Uninstall.ulog");
        UninstallLog current(w.m.machine);
        current.Load(logPath);
        UninstallLog older(w.m.machine);
        older.SetProduct(L"Korvaline 6.03f", L"Korvane 6");
        for (UninstallLogEntry e : current.previousEntries) {
            if (e.path.ends_with(L"Korvaline 6.03g.lnk")) {
                const std::wstring renamed = e.path.substr(0, e.path.size() - 9) + L"6.03f.lnk";
                ASSERT_FALSE(fs.move_file(e.path, renamed));
                e.path = renamed;
            }
            older.entries.push_back(e);
        }
        ASSERT_FALSE(fs.set_attributes(logPath, av::platform::attr_normal));
        ASSERT_TRUE(older.Write(logPath, w.installFolder, w.menuFolder));
    }

    struct outcome {
        bool installed = false;
        std::wstring status, log;
        std::map<std::wstring, std::size_t> stepStarts;
        std::vector<av::platform::fault_plan::call> calls;
    };

    // One run in the situation on a fresh world, failing the k-th call (0:
    // none); `before` and `after` are the machine around the run.
    outcome Run(Situation situation, std::size_t k, world& w)
    {
        CInstallApp app(L"AvSweep", w.m.faulty.get());
        Prepare(app, w);
        app.m_uninstallLog.Load(
            situation == Situation::FreshInstall ? std::wstring() : join(w.installFolder, L"Uninstall.ulog"));
        if (situation == Situation::Reinstall)
            app.m_nUpdateState = SameVersion;
        if (situation == Situation::Update) {
            app.m_nUpdateState = Upgrade;
            app.m_nPreviousVersion = 0x0006000300060009ull;
        }
        w.m.plan.reset();
        if (k != 0)
            w.m.plan.fail_nth(k);
        SweepPage page(w.m.plan);
        outcome o;
        o.installed = RunOn(app, page, w.m.faulty.get());
        o.status = page.status;
        o.log = page.log;
        o.stepStarts = page.stepStarts;
        o.calls = w.m.plan.calls();
        return o;
    }
};

TEST_P(RunSweep, EveryFailedOperationLeavesTheMachineAsBeforeOrTheRunGoesOnWithTheRightLine)
{
    const Situation situation = GetParam();
    // The run without faults: the calls it makes, and where each step starts.
    outcome clean;
    {
        world w;
        Install(situation, w);
        clean = Run(situation, 0, w);
        ASSERT_TRUE(clean.installed) << clean.log;
    }
    std::size_t productPathCall = 0;
    for (std::size_t i = 0; i < clean.calls.size(); ++i)
        if (clean.calls[i].op == av::platform::operation::set_value &&
            clean.calls[i].subject.ends_with(L"Korvane 6 Path"))
            productPathCall = i + 1;
    ASSERT_NE(productPathCall, 0u);

    // Under Wine a sample: every eighth call, the product path value, and
    // the calls of the later steps that make their lines fail.
    const auto sampled = [&](std::size_t k) {
#ifdef _WIN32
        if (k % 8 == 1 || k == productPathCall || k > clean.calls.size())
            return true;
        const auto& call = clean.calls[k - 1];
        return call.op == av::platform::operation::save_link || call.op == av::platform::operation::run_process ||
            (call.op == av::platform::operation::create_file && call.subject.ends_with(L"Uninstall.ulog"));
#else
        (void)k;
        return true;
#endif
    };
    std::size_t failedRuns = 0, continuedRuns = 0;
    for (std::size_t k = 1;; ++k) {
        if (!sampled(k))
            continue;
        world w;
        Install(situation, w);
        const world::state before = w.snapshot();
        const outcome o = Run(situation, k, w);
        if (!w.m.plan.fired())
            break;  // the run made fewer than k calls: every one was failed once
        const auto& failed = o.calls[k - 1];
        SCOPED_TRACE("call " + std::to_string(k) + ": " + av::platform::operation_name(failed.op) + " " +
            std::string(failed.subject.begin(), failed.subject.end()));
        if (!o.installed) {
            ++failedRuns;
            // Only the file phase and the product path value fail the run, and
            // then the machine is exactly as it was.
            EXPECT_LE(k, productPathCall);
            const world::state after = w.snapshot();
            EXPECT_EQ(av::test::snapshot_diff(before.files, after.files), "");
            EXPECT_EQ(av::test::snapshot_diff(before.uninstallKey, after.uninstallKey), "");
            EXPECT_EQ(av::test::snapshot_diff(before.makerKey, after.makerKey), "");
            EXPECT_TRUE(o.status.starts_with(L"Installation failed (Error Code ")) << o.status;
            if (k == productPathCall) {
                EXPECT_EQ(o.status, L"Installation failed (Error Code -1).");
            }
            EXPECT_TRUE(o.log.ends_with(L"Failed\r\n") || o.log.ends_with(o.status + L"\r\n")) << o.log;
            continue;
        }
        ++continuedRuns;
        // A later step failed: the run goes on to its end, and the step whose
        // own operation failed says so on its line.
        EXPECT_EQ(o.status, L"Click on 'Next' to continue.");
        const auto line = [&o](const std::wstring& step) {
            const std::size_t at = o.log.rfind(step);
            return at == std::wstring::npos ? std::wstring() : o.log.substr(at, o.log.find(L"\r\n", at) - at);
        };
        if (failed.op == av::platform::operation::save_link) {
            EXPECT_EQ(line(L"Shortcuts Creation..."), L"Shortcuts Creation...Failed");
        }
        if (failed.op == av::platform::operation::run_process ||
            (failed.op == av::platform::operation::set_value &&
                (failed.subject.ends_with(L"\\DisplayName") || failed.subject.ends_with(L"\\UninstallString")))) {
            EXPECT_EQ(line(L"Registry Data Writing..."), L"Registry Data Writing...Failed");
        }
        if (failed.op == av::platform::operation::create_file && failed.subject.ends_with(L"Uninstall.ulog")) {
            EXPECT_EQ(line(L"Installation Data Writing..."), L"Installation Data Writing...Failed");
        }
        // Every file of the product is in place.
        std::string bytes;
        EXPECT_FALSE(av::platform::read_whole_file(w.m.machine.files, join(w.installFolder, L"Korvane.exe"), bytes));
        EXPECT_EQ(bytes, "main program bytes");
    }
#ifdef _WIN32
    EXPECT_GT(failedRuns, 5u);
    EXPECT_GT(continuedRuns, 3u);
#else
    EXPECT_GT(failedRuns, 20u);
    EXPECT_GT(continuedRuns, 10u);
#endif
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Situations, RunSweep, testing::Values(Situation::FreshInstall),
    [](const auto& info) { return std::string(Name(info.param)); });
#else
INSTANTIATE_TEST_SUITE_P(Situations, RunSweep,
    testing::Values(Situation::FreshInstall, Situation::Reinstall, Situation::Update),
    [](const auto& info) { return std::string(Name(info.param)); });
#endif

}  // namespace
