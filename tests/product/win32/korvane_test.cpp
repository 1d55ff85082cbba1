// The sample product's main program honours the installer's contract: its
// version block, its count in the running-instance counter while it runs, and
// the registration run that ends with exit code -10.
#include "product/product_identity.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

namespace {

// Build-folder paths are Linux paths; Wine shows them through drive Z:.
std::wstring product_file(const char* relative)
{
    std::string path = std::string("Z:") + AV_PRODUCT_DIR + "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return std::wstring(path.begin(), path.end());
}

struct process_result {
    bool started = false;
    DWORD exit_code = 0;
};

process_result run(
    const std::wstring& exe, const std::wstring& arguments, bool wait = true, PROCESS_INFORMATION* keep = nullptr)
{
    std::wstring command = L"\"" + exe + L"\"" + arguments;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    process_result result;
    result.started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    if (!result.started)
        return result;
    if (!wait && keep) {
        *keep = process;
        return result;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &result.exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

std::wstring read_string(HKEY root, const wchar_t* key, const wchar_t* value)
{
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    if (SHGetValueW(root, key, value, nullptr, buffer, &size) != ERROR_SUCCESS)
        return {};
    return buffer;
}

TEST(SampleProduct, RegistrationRunRegistersTheDocumentTypeAndEndsWithMinusTen)
{
    const std::wstring exe = product_file("Korvane.exe");
    const process_result r = run(exe, L" /Register /Background /update=0006000300060009");
    ASSERT_TRUE(r.started);
    EXPECT_EQ(static_cast<int>(r.exit_code), product::kRegistrationSucceeded);
    EXPECT_EQ(read_string(HKEY_CLASSES_ROOT, product::kDocumentExtension, nullptr), product::kDocumentClass);
    EXPECT_EQ(read_string(HKEY_CLASSES_ROOT, product::kDocumentClass, product::kRegisteredWithValue),
        L" /Register /Background /update=0006000300060009");
    EXPECT_EQ(
        read_string(HKEY_CLASSES_ROOT, L"Korvane.Document\\shell\\open\\command", nullptr), L"\"" + exe + L"\" \"%1\"");
}

TEST(SampleProduct, MalformedUpdateArgumentFailsTheRegistration)
{
    const process_result r = run(product_file("Korvane.exe"), L" /Register /Background /update=6369");
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 1u);
}

TEST(SampleProduct, HoldsOneCountOfTheRunningInstanceCounterWhileItRuns)
{
    HANDLE counter = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, product::kRunningCounterName);
    ASSERT_NE(counter, nullptr);
    const auto count = [&] {
        LONG previous = -1;
        if (ReleaseSemaphore(counter, 1, &previous))
            WaitForSingleObject(counter, 0);
        return previous;
    };
    ASSERT_EQ(count(), 0);

    PROCESS_INFORMATION process {};
    ASSERT_TRUE(run(product_file("Korvane.exe"), L" /wait=1500", false, &process).started);
    LONG seen = 0;
    for (int i = 0; i < 100 && seen == 0; ++i) {  // until the program has started
        Sleep(30);
        seen = count();
    }
    EXPECT_EQ(seen, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(count(), 0);
    CloseHandle(counter);
}

TEST(SampleProduct, VariantsCarryTheirVersions)
{
    struct version_case {
        const char* file;
        DWORD ms, ls;
    };
    const version_case cases[] = {
        {"Korvane.exe", 0x00060003, 0x00070001},
        {"variants/Korvane-6.3.6.9.exe", 0x00060003, 0x00060009},
        {"variants/Korvane-6.3.7.2.exe", 0x00060003, 0x00070002},
    };
    for (const auto& c : cases) {
        const std::wstring path = product_file(c.file);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << c.file;
        std::string block(size, '\0');
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, c.ms) << c.file;
        EXPECT_EQ(fixed->dwFileVersionLS, c.ls) << c.file;
    }
}

}  // namespace
