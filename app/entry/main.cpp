// The installer's entry point. During static initialisation, in this order:
// the process-level initialisation, then the one application object. Then the
// framework's start runs InitInstance; the process ends when it returns.
#include <windows.h>

#include "app/install_app.h"
#include "app/process_init.h"

namespace {

struct ProcessInitialisation {
    ProcessInitialisation() { InitializeProcess(); }
};

const ProcessInitialisation processInitialisation;
CInstallApp theApp(ApplicationId());

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return AfxWinMain();
}
