// The Linux build's stand-in for the user's Windows locale: tests set the
// user's LCID here and the locale seam answers from a small table of locales.
#pragma once

#include <cstdint>

namespace av::locale {

// The LCID GetUserDefaultLCID would give (its low 16 bits are the language id).
void set_stand_in_user_locale(std::uint32_t lcid);

// Makes the stand-in font-signature query fail (as for a locale the system
// cannot describe), or succeed again.
void set_stand_in_font_signature_fails(bool fails);

}  // namespace av::locale
