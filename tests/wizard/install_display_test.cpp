// The replaceable installation run: without a run the Install page reports
// a failure; an installed run is called with the page and decides the result.
#include "wizard/install_display.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/lang/message_table.h"
#include "tests/wizard/english_messages.h"

namespace {

using namespace wizard;

class RecordingDisplay : public InstallDisplay {
public:
    std::wstring status;
    std::vector<std::wstring> log;
    std::wstring main, uninstaller;
    void SetStatus(const std::wstring& text) override { status = text; }
    void SetStatusPath(const std::wstring& path) override { status = path; }
    void AppendLogLine(const std::wstring& text, bool separator) override
    {
        log.push_back(separator ? L"--" + text : text);
    }
    void ShowProgress(bool) override { }
    void SetProgress(unsigned long long, unsigned long long) override { }
    void PumpMessages() override { }
    std::wstring& MainProgramPath() override { return main; }
    std::wstring& UninstallerPath() override { return uninstaller; }
};

class Run : public ::testing::Test {
protected:
    void TearDown() override { SetInstallationRun({}); }
    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage english {1};
    RecordingDisplay display;
};

TEST_F(Run, WithoutARunTheInstallationFails)
{
    EXPECT_FALSE(RunInstallation(display));
    EXPECT_EQ(display.status, L"Installation failed (Error Code 7).");
    EXPECT_EQ(display.log, std::vector<std::wstring> {L"Installation failed (Error Code 7).\r\n"});
}

TEST_F(Run, TheInstalledRunDecides)
{
    int calls = 0;
    SetInstallationRun([&](InstallDisplay& d) {
        ++calls;
        d.SetStatus(L"working");
        return calls > 1;
    });
    EXPECT_FALSE(RunInstallation(display));
    EXPECT_TRUE(RunInstallation(display));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(display.status, L"working");
    SetInstallationRun({});
    EXPECT_FALSE(RunInstallation(display));
    EXPECT_EQ(calls, 2);
}

}  // namespace
