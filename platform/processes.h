// Starting a program and waiting for it: the installed product's
// registration run is the one program the installer starts.
//
// `system_processes()` is the machine's: on Windows CreateProcessW; the Linux
// build cannot start a Windows program and answers bad_exe_format, so that a
// run there sees "could not be started". platform/fault_injection.h wraps any
// implementation to make a start fail; tests give their own to answer an exit
// code.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace av::platform {

class processes {
public:
    virtual ~processes() = default;

    // Starts `command_line` in `working_folder` with no inherited handles, at
    // high priority, its window shown without activation, and waits for it to
    // end without a time limit; `exit_code` receives its exit code. An error
    // (and `exit_code` untouched) when it could not be started. The working
    // folder must be absolute.
    virtual std::error_code run_and_wait(
        const std::wstring& command_line, const std::wstring& working_folder, std::uint32_t& exit_code) = 0;
};

// The machine's processes (a process-wide object).
processes& system_processes();

}  // namespace av::platform
