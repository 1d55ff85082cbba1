// What the support library knows of the installer's languages: the language
// in force (its index, 0 French, and its LCID), which the product's display
// name follows, and whether the language the user's locale selects reads
// right to left, which a message box without owner follows.
//
// Languages belong to a higher layer, which hands these answers down with
// set_display_language_source when its language state comes into being.
// Until then the answers are those of that state's start: French, LCID 1036,
// left to right.
#pragma once

#include <cstdint>
#include <functional>

namespace av {

struct display_language_source {
    std::function<int()> language;  // the current language index
    std::function<std::uint32_t()> lcid;  // the LCID in force
    std::function<bool()> user_reads_right_to_left;
};

void set_display_language_source(display_language_source source);

int display_language();
std::uint32_t display_lcid();
bool user_language_reads_right_to_left();

}  // namespace av
