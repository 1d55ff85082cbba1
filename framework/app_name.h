// The application name as the window framework keeps it: the caption of its
// boxes and windows. The application object publishes its name here, and the
// wizard frame renames the application through it.
#pragma once

#include <string>

namespace afx {

void SetAppName(const std::wstring& name);
const std::wstring& GetAppName();

}  // namespace afx
