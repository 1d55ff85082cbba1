// The wizard preview: runs the frame modally with a stand-in application
// state (a fresh installation with the default folders; "/state=N" picks
// another situation) and the English and French messages, so that the
// pages can be looked at without the installer's start-up. "/demo" adds a
// demonstration run that only fills the Install page.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "framework/win32/framework.h"
#include "lang/languages.h"
#include "lang/locale.h"
#include "tests/wizard/english_messages.h"
#include "wizard/navigation.h"
#include "wizard/page_texts.h"
#include "wizard/install_display.h"
#include "wizard/win32/install_dlg.h"
#include "wizard/win_path.h"

namespace {

using namespace wizard;

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

class PreviewApp : public WizardApp {
public:
    int updateState = kFreshInstall;
    std::wstring previous = L"Korvaline 6.02";
    bool advanced = false;
    bool done = false;
    std::wstring installFolder;
    std::wstring startMenuFolder;
    bool startMenu = true;
    bool desktop = true;

    int UpdateState() const override { return updateState; }
    std::wstring PreviousVersion() const override { return previous; }
    std::wstring ProductLabel(bool nameOnly) const override {
        const std::wstring name = GetLanguageSettings().language == 0 ? L"Korvane" : L"Korvaline";
        return nameOnly ? name : name + L" 6.03g";
    }
    std::wstring ProductFolderName() const override { return ProductLabel(true) + L" 6"; }
    std::wstring ApplicationTitle(bool withProduct) const override {
        const std::wstring title = Message(0);
        return withProduct ? title + L" \u2013 " + ProductLabel(false) : title;
    }
    bool AdvancedMode() const override { return advanced; }
    void SetAdvancedMode(bool a) override { advanced = a; }
    bool InstallationDone() const override { return done; }
    void SetInstallationDone(bool d) override { done = d; }
    std::wstring InstallFolder() const override { return installFolder; }
    void SetInstallFolder(const std::wstring& f) override { installFolder = f; }
    std::wstring StartMenuFolder() const override { return startMenuFolder; }
    void SetStartMenuFolder(const std::wstring& f) override { startMenuFolder = f; }
    bool StartMenuShortcut() const override { return startMenu; }
    void SetStartMenuShortcut(bool c) override { startMenu = c; }
    bool DesktopShortcut() const override { return desktop; }
    void SetDesktopShortcut(bool c) override { desktop = c; }
    void LanguageSelected(int index) override {
        SetLanguage(index);
        if (!IsInstallerLanguage(index)) {
            afx::AfxMessageBox(FormatText(Message(129), {ProductLabel(true)}), MB_OK | MB_ICONINFORMATION);
            SetLanguage(1);
        }
        afx::SetAppName(ApplicationTitle(true));
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xC0FF};
    ::InitCommonControlsEx(&controls);

    const auto table = test::WizardMessages();
    av::locale::set_message_source([&table](int id) {
        const auto it = table.find(id);
        return it == table.end() ? std::wstring() : it->second;
    });
    SetLanguage(LanguageFromUserLocale(kSupportedLanguageMask));
    if (!IsInstallerLanguage(GetLanguageSettings().language)) SetLanguage(1);

    PreviewApp app;
    const std::wstring line = commandLine != nullptr ? commandLine : L"";
    if (const auto at = line.find(L"/state="); at != std::wstring::npos) app.updateState = _wtoi(line.c_str() + at + 7);
    app.installFolder = PathJoin(PathJoin(KnownFolder(CSIDL_PROGRAM_FILES), L"Arvell & Divizere"), app.ProductFolderName());
    app.startMenuFolder =
        PathJoin(PathJoin(KnownFolder(CSIDL_COMMON_PROGRAMS), L"Arvell & Divizere"), app.ProductFolderName());
    afx::SetAppName(app.ApplicationTitle(true));
    if (line.find(L"/demo") != std::wstring::npos) {
        // A demonstration run for looking at the Install and End pages: it
        // writes nothing, fills the log and the progress bar, and succeeds.
        SetInstallationRun([](InstallDisplay& display) {
            display.AppendLogLine(L"", true);
            display.SetStatus(L"Preparing Installation...");
            display.ShowProgress(true);
            const wchar_t* files[] = {L"Korvane.exe", L"Uninstall.exe", L"Korvane.fr.dll", L"Samples\\Demo.kvn"};
            unsigned long long done = 0;
            for (const wchar_t* file : files) {
                display.SetStatusPath(file);
                display.AppendLogLine(std::wstring(L"Copying File  ") + file + L"...OK\r\n", false);
                done += 250;
                display.SetProgress(done, 1000);
                display.PumpMessages();
            }
            display.SetStatus(Message(120));
            return true;
        });
    }

    CInstallDlg dialog(app);
    dialog.DoModal();
    return 0;
}
