// The application name kept for the window framework.
#include "framework/app_name.h"

namespace afx {
namespace {

std::wstring& AppName()
{
    static std::wstring name;
    return name;
}

}  // namespace

void SetAppName(const std::wstring& name)
{
    AppName() = name;
}
const std::wstring& GetAppName()
{
    return AppName();
}

}  // namespace afx
