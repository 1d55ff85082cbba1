// The process-level initialisation's answers in the Linux build: a machine
// with SSE2 and current common controls.
#include "app/system.h"
#include "lang/locale.h"

namespace app_system {

bool ProcessorHasSse2()
{
    return true;
}
void AddQuietErrorMode()
{
}
std::uint32_t CommonControlsVersion()
{
    return 0x6000A;
}
bool InitCommonControls(std::uint32_t)
{
    return true;
}
std::wstring UserLocaleName()
{
    return av::locale::locale_name(av::locale::user_default_lcid());
}
std::wstring ExecutableBaseName()
{
    return L"Install";
}

}  // namespace app_system
