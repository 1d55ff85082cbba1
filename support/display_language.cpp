// The language answers handed down to the support library.
#include "support/display_language.h"

#include <utility>

namespace av {
namespace {

constexpr int kFrench = 0;
constexpr std::uint32_t kFrenchLcid = 1036;

display_language_source& source()
{
    static display_language_source current;
    return current;
}

}  // namespace

void set_display_language_source(display_language_source replacement)
{
    source() = std::move(replacement);
}

int display_language()
{
    const auto& language = source().language;
    return language ? language() : kFrench;
}

std::uint32_t display_lcid()
{
    const auto& lcid = source().lcid;
    return lcid ? lcid() : kFrenchLcid;
}

bool user_language_reads_right_to_left()
{
    const auto& reads = source().user_reads_right_to_left;
    return reads ? reads() : false;
}

}  // namespace av
