// The Linux build has no installer process whose switches would matter.
#include "install/unattended.h"

std::wstring ProcessCommandLine()
{
    return {};
}
