// Detection of an installed version of the product, at start-up: the state
// (fresh installation, reinstallation, update, or a newer version already
// there) from the file version of the installed main program, and the
// previous installation's uninstall log, which gives the folders the wizard
// keeps and the entries the new log carries forward.
#pragma once

#include <cstdint>
#include <string>

// The update state for an installed main program: `hasVersion` false (no
// readable version block) counts as the same version; otherwise the file
// versions compare as unsigned 64-bit numbers.
int DecideUpdateState(bool hasVersion, std::uint64_t installedVersion, std::uint64_t productVersion);

// The folder of the running executable (no trailing separator).
std::wstring ExecutableFolder();
