// Starting the helper programs and the installer next to the test program as
// second processes, and the events by which a helper says it is ready and is
// told to quit.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace test {

// The folder of the running test program, with a trailing backslash.
inline std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// A child process; ended (if still running) and closed on destruction.
class ChildProcess {
public:
    // Starts `program` (a file next to the test program) with `arguments`.
    ChildProcess(const std::wstring& program, const std::wstring& arguments, const wchar_t* environment = nullptr)
    {
        const std::wstring path = ProgramFolder() + program;
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup {};
        startup.cb = sizeof(startup);
        const DWORD flags = environment != nullptr ? CREATE_UNICODE_ENVIRONMENT : 0;
        started_ = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                       const_cast<wchar_t*>(environment), nullptr, &startup, &info_) != FALSE;
        EXPECT_TRUE(started_) << "cannot start " << std::string(program.begin(), program.end()) << ", error "
                              << GetLastError();
    }
    ~ChildProcess()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return started_; }
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }

    // The exit code once it has ended within `milliseconds`; STILL_ACTIVE otherwise.
    DWORD Wait(DWORD milliseconds = 30000)
    {
        if (!started_)
            return STILL_ACTIVE;
        WaitForSingleObject(info_.hProcess, milliseconds);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    void Kill()
    {
        TerminateProcess(info_.hProcess, 98);
        WaitForSingleObject(info_.hProcess, 10000);
    }

private:
    PROCESS_INFORMATION info_ {};
    bool started_ = false;
};

// A named manual-reset event (a unique name per test and process).
class Event {
public:
    explicit Event(const std::wstring& tag)
        : name_(L"av_test_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()))
        , handle_(CreateEventW(nullptr, TRUE, FALSE, name_.c_str()))
    {
    }
    ~Event()
    {
        if (handle_ != nullptr)
            CloseHandle(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    const std::wstring& name() const { return name_; }
    HANDLE handle() const { return handle_; }
    void Set() { SetEvent(handle_); }
    bool WaitSet(DWORD milliseconds = 30000) { return WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0; }

private:
    std::wstring name_;
    HANDLE handle_;
};

// A helper holding a named object until the guard ends.
class HeldObject {
public:
    HeldObject(const std::wstring& kind, const std::wstring& name)
        : ready_(L"ready_" + kind)
        , quit_(L"quit_" + kind)
        , child_(L"hold_named_object.exe", kind + L" " + name + L" " + ready_.name() + L" " + quit_.name())
    {
    }
    ~HeldObject() { Finish(); }
    HeldObject(const HeldObject&) = delete;
    HeldObject& operator=(const HeldObject&) = delete;

    // True once the helper holds the object (false when it ended first).
    bool Ready()
    {
        HANDLE handles[] = {ready_.handle(), child_.handle()};
        return child_.started() && WaitForMultipleObjects(2, handles, FALSE, 30000) == WAIT_OBJECT_0;
    }
    // Tells the helper to quit and waits for its end; its exit code.
    DWORD Finish()
    {
        quit_.Set();
        return child_.Wait();
    }
    ChildProcess& child() { return child_; }

private:
    Event ready_;
    Event quit_;
    ChildProcess child_;
};

}  // namespace test
