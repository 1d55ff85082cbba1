// What the tests of the installation run share: a page that keeps what the
// run shows, and a payload of the shipped one's shape in small.
#pragma once

#include "install/install_display.h"
#include "payload/archive_builder.h"
#include "payload/payload.h"

#include <string>

namespace av::test {

class RecordingPage : public InstallDisplay {
public:
    std::wstring status;
    std::wstring log;  // everything appended, separators as "----\r\n"
    void SetStatus(const std::wstring& text) override { status = text; }
    void SetStatusPath(const std::wstring& text) override { status = text; }
    void AppendLogLine(const std::wstring& text, bool separator) override { log += separator ? L"----\r\n" : text; }
    void ShowProgress(bool) override { }
    void SetProgress(unsigned long long, unsigned long long) override { }
    void PumpMessages() override { }
    std::wstring& MainProgramPath() override { return main; }
    std::wstring& UninstallerPath() override { return uninstaller; }
    std::wstring main, uninstaller;
};

// One entry of each kind, the temporary one at `temporaryDestination`.
inline std::string SamplePayload(const wchar_t* temporaryDestination = L"<Temporary>")
{
    av::archive_builder archive;
    archive.add_data(L"Materials.kmt", L"<CommonData>\\Arvell & Divizere\\Korvane", 3, "material data");
    archive.add_data(L"Sample 1.kvn", L"<SamplePath>", 4, "sample one");
    archive.add_data(L"setup.tmp", temporaryDestination, 5, "scratch");
    archive.add_data(L"Uninstall.exe", L"<InstallPath>", 2, "uninstaller bytes");
    archive.add_data(L"Korvane.en.dll", L"<InstallPath>\\Lang", 0, "english texts");
    archive.add_data(L"Korvane.exe", L"<InstallPath>", 1, "main program bytes");
    return av::bzip2_compress(archive.bytes());
}

}  // namespace av::test
