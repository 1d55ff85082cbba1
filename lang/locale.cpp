// The portable half of the locale seam: the record of the run-time locale in
// force and the replaceable source of the message tables.
#include "lang/locale.h"

#include <utility>

namespace av::locale {
namespace {

std::wstring& accepted_name()
{
    static std::wstring name;
    return name;
}

message_source& source_override()
{
    static message_source source;
    return source;
}

}  // namespace

bool set_runtime_locale(const std::wstring& name)
{
    if (!details::apply_runtime_locale(name, false))
        return false;
    accepted_name() = name;
    return true;
}

bool set_runtime_locale_all(const std::wstring& name)
{
    if (!details::apply_runtime_locale(name, true))
        return false;
    accepted_name() = name;
    return true;
}

std::wstring runtime_locale_name()
{
    return accepted_name();
}

std::wstring load_message(int id)
{
    if (id < 0 || id > 0xFFFF)
        return {};
    if (const auto& source = source_override())
        return source(id);
    return details::load_own_message(id);
}

void set_message_source(message_source source)
{
    source_override() = std::move(source);
}

}  // namespace av::locale
