// Starting a program on Windows: CreateProcessW, then an unbounded wait.
#include "platform/processes.h"

#include "platform/file_system.h"
#include "platform/win_error.h"

#include <windows.h>

namespace av::platform {
namespace {

class win32_processes final : public processes {
public:
    std::error_code run_and_wait(
        const std::wstring& command_line, const std::wstring& working_folder, std::uint32_t& exit_code) override
    {
        if (const std::error_code refused = check_absolute(working_folder))
            return refused;
        std::wstring command = command_line;  // CreateProcessW may write into it
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNOACTIVATE;
        PROCESS_INFORMATION process {};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, HIGH_PRIORITY_CLASS, nullptr,
                working_folder.c_str(), &startup, &process)) {
            const DWORD code = ::GetLastError();
            return win_error::make(code == 0 ? win_error::file_not_found : static_cast<int>(code));
        }
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        const bool known = ::GetExitCodeProcess(process.hProcess, &code) != FALSE;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        // A process that ran but whose code cannot be read ended in no known way.
        exit_code = known ? code : 0;
        return {};
    }
};

}  // namespace

processes& system_processes()
{
    static win32_processes instance;
    return instance;
}

}  // namespace av::platform
