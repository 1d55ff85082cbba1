// The machine an installation works on: every operating-system service the
// run, the extraction, the recorder, the rollback and the start-up use, in
// one bundle that is passed down to them - never reached through a global -
// so that the real run can be driven on a machine made of fakes, under any
// fault, and tests have nothing process-wide to reset.
//
// `system_machine()` is the real one. A test builds its own from the Linux
// halves, in-memory services and fakes (its folders inside its scratch
// folder, an in-memory registry, a fake product, an ordinary user), and
// wraps it in faulty_machine (platform/fault_injection.h) to fail any call.
#pragma once

#include "platform/access_rights.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell_links.h"

namespace av::platform {

struct machine {
    platform::file_system& files;
    platform::registry& registry;
    platform::known_folders& folders;
    platform::processes& processes;
    platform::shell_links& shell;
    platform::access_rights& rights;
};

// The machine the process runs on: the halves of this build.
const machine& system_machine();

}  // namespace av::platform
