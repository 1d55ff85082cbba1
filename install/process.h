// Starting the installed product for its registration run and waiting for
// it, and the wait cursor shown while the installation runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct ProcessOutcome {
    bool started = false;
    std::uint32_t exitCode = 0;
};

// Starts `commandLine` in `workingFolder` with no inherited handles, high
// priority, its window shown without activation, and waits for it to end
// without a time limit. The Linux build cannot start a Windows program: its
// half reports that nothing was started.
ProcessOutcome run_and_wait(const std::wstring& commandLine, const std::wstring& workingFolder);

// Replaces run_and_wait for this process (tests); an empty function restores it.
using ProcessRunner = std::function<ProcessOutcome(const std::wstring& commandLine, const std::wstring& workingFolder)>;
void SetProcessRunner(ProcessRunner runner);
ProcessOutcome start_registration_process(const std::wstring& commandLine, const std::wstring& workingFolder);

// Tells the shell that file associations changed.
void announce_association_change();

// The wait cursor, for the life of the object.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    [[maybe_unused]] void* previous_ = nullptr;  // the cursor to give back (Windows)
};
