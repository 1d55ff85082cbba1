// What the language rules ask of the operating system: the user's default
// language and locale, facts about a locale (name, native name, code page,
// font signature), the run-time library's locale, and the string tables that
// hold the installer's messages. Windows answers from its locale functions
// and the executable's resources; the Linux build answers from a stand-in
// user locale and a small table of locales (lang/posix/stand_in_locale.h).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace av::locale {

// GetUserDefaultLangID / GetUserDefaultLCID.
std::uint16_t user_default_lang_id();
std::uint32_t user_default_lcid();

// The locale name of an LCID ("fr-FR", "fr-CA"); empty when unknown.
std::wstring locale_name(std::uint32_t lcid);

// The native name of the language of an LCID as the system gives it
// ("français"); empty when the query fails.
std::wstring native_language_name(std::uint32_t lcid);

// The upper-case form of one character, by the system's casing rules.
wchar_t to_upper(wchar_t c);

// LOCALE_IDEFAULTANSICODEPAGE of an LCID as a number, 0 when unknown; and the
// system's ANSI code page.
std::uint32_t default_ansi_code_page(std::uint32_t lcid);
std::uint32_t system_ansi_code_page();

// The Unicode-subset bit field of the locale's font signature (its first four
// 32-bit words); nullopt when the query fails.
std::optional<std::array<std::uint32_t, 4>> font_signature_usb(std::uint32_t lcid);

// Tells the run-time library that locale changes apply to the whole process.
void use_process_wide_locale();

// Rebuilds the process-wide stream locale and the run-time library's own
// locale ("C", then `name` for character type, collation, time and money).
// False, with nothing changed, when the run-time rejects the name.
bool set_runtime_locale(const std::wstring& name);

// Sets the run-time library's whole locale (every category) to `name`;
// false when rejected (the previous setting stays).
bool set_runtime_locale_all(const std::wstring& name);

// The last name set_runtime_locale or set_runtime_locale_all accepted; empty
// before the first.
std::wstring runtime_locale_name();

// SetThreadLocale (nothing natively).
void set_thread_locale(std::uint32_t lcid);

// One raw string of the message tables, by resource id; empty when absent.
std::wstring load_message(int id);

// Replaces where load_message reads from (tests hand in a table); an empty
// function restores the executable's own string tables.
using message_source = std::function<std::wstring(int id)>;
void set_message_source(message_source source);

namespace details {
// The platform halves behind set_runtime_locale(_all) and load_message.
bool apply_runtime_locale(const std::wstring& name, bool allCategories);
std::wstring load_own_message(int id);
}  // namespace details

}  // namespace av::locale
