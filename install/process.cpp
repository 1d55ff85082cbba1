#include "install/process.h"

#include <utility>

namespace {

ProcessRunner& replacement()
{
    static ProcessRunner runner;
    return runner;
}

}  // namespace

void SetProcessRunner(ProcessRunner runner)
{
    replacement() = std::move(runner);
}

ProcessOutcome start_registration_process(const std::wstring& commandLine, const std::wstring& workingFolder)
{
    if (const ProcessRunner& runner = replacement())
        return runner(commandLine, workingFolder);
    return run_and_wait(commandLine, workingFolder);
}
