// The Linux build installs into plain folders for tests and tools: it has no
// Windows program to start, no shell to notify and no cursor.
#include "install/process.h"

ProcessOutcome run_and_wait(const std::wstring&, const std::wstring&)
{
    return {};
}

void announce_association_change() {}

WaitCursor::WaitCursor() = default;

WaitCursor::~WaitCursor() = default;
