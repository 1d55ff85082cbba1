// The process-level initialisation, in its order.
#include "app/process_init.h"

#include <atomic>
#include <locale>
#include <mutex>

#include "app/single_instance.h"
#include "app/system.h"
#include "app/ui_adapter.h"
#include "framework/application.h"
#include "lang/locale.h"
#include "support/error.h"
#include "support/version_info.h"

const wchar_t kIncompatibleProcessorText[] = L"This Version is not compatible with your Configuration.\n\n"
                                             L"Cette version n'est pas compatible avec votre configuration.\n\n"
                                             L"Diese Version ist nicht mit Ihrer Konfiguration kompatibel.";

namespace {

constexpr std::uint32_t kCommonControlClasses = 0xC0FF;
constexpr std::uint32_t kLowestCommonControls = 0x60000;

std::atomic<bool>& ProcessorFlag()
{
    static std::atomic<bool> passed {false};
    return passed;
}

// The run-time library's locale follows the user's; a name it does not know
// leaves the classic locale. Wide file names are converted through the
// stream locale's codecvt facet, which every locale must have.
bool SetUserLocale()
{
    const std::wstring name = app_system::UserLocaleName();
    if (!name.empty())
        av::locale::set_runtime_locale_all(name);
    return std::has_facet<std::codecvt<wchar_t, char, std::mbstate_t>>(std::locale());
}

bool InitCommonControlsAndId()
{
    if (app_system::CommonControlsVersion() < kLowestCommonControls)
        return false;
    if (!app_system::InitCommonControls(kCommonControlClasses))
        return false;
    RunningInstanceCounter::ForProcess(ApplicationId());
    return true;
}

}  // namespace

bool ProcessorCheckPassed()
{
    return ProcessorFlag().load();
}

const std::wstring& ApplicationId()
{
    static const std::wstring id = [] {
        const av::version_info own = av::version_info::from_module();
        std::wstring value = own.string_value(L"ApplicationId");
        if (value.empty())
            value = own.product_name();
        if (value.empty())
            value = app_system::ExecutableBaseName();
        return value;
    }();
    return id;
}

void InitializeProcess()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // 1. Processor.
        if (!app_system::ProcessorHasSse2())
            ExitIncompatibleProcessor(kIncompatibleProcessorText);
        ProcessorFlag() = true;
        // 2. Error mode and locale.
        app_system::AddQuietErrorMode();
        if (!SetUserLocale())
            av::fatal_initialization_error();
        // 3. Common controls, application id, running-instance counter.
        if (!InitCommonControlsAndId())
            av::fatal_initialization_error();
        // 4. Interface hooks.
        InstallInterfaceHooks();
    });
}
