// The installer's error model: how a failure travels (an exception carrying an
// error code), how a caught failure becomes one error code, the short code
// text the user sees, the system's message texts, and the error boxes.
//
// Three categories are used: the system category (Windows error codes and
// HRESULTs), the generic category (run-time library errno values) and
// compress_category() (the installer's own codes 3 to 7).
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace av {

// The installer's own codes, in compress_category().
enum class compress_errc : int {
    invalid_checksum = 3,  // a written file's CRC-32 differs from its entry
    validation_failed = 4,  // the validation pass found the payload unreadable
    interrupted = 5,  // a notification handler answered abort
    bzip2_failed = 6,  // the decompressor met corrupt data
    unexpected = 7,  // anything else, and every unrecognised failure
};

// The category named "compress"; created once, compared by identity.
const std::error_category& compress_category() noexcept;

std::error_code make_error_code(compress_errc e) noexcept;

// Throws std::system_error with a code in compress_category().
[[noreturn]] void throw_compress_error(compress_errc e);

// The error code of a caught failure; never fails.
std::error_code error_from_exception(const std::exception& e) noexcept;

// The run-time library's last error: its last operating-system error
// (_doserrno) in the system category, else errno in the generic category,
// else {0, system}. Natively only errno exists.
std::error_code last_crt_error() noexcept;

// Clears both of the run-time library's recorded errors.
void clear_crt_error() noexcept;

// The code text shown in message 121: "1:%08X" (system), "2:%08X" (generic),
// "%d" (compress), "7" for any other category.
std::wstring error_code_text(const std::error_code& code);

// The operating system's text for a Windows code or HRESULT, without trailing
// line breaks; falls back to the text of E_FAIL, then to "Error".
std::wstring system_message(std::uint32_t code, std::uint16_t language = 0);

// The text for a code, with application-defined codes (customer bit) naming a
// string resource.
std::wstring error_message(std::uint32_t code);

// Shows error_message(code) in the support library's message box.
void show_error(std::uint32_t code);

// The code whose text the error box shows for a caught failure: a Windows
// code or HRESULT (system category) as it is, an exhausted memory as
// E_OUTOFMEMORY, anything else as E_UNEXPECTED.
std::uint32_t error_box_code(const std::error_code& code) noexcept;

// Called inside a catch block: the error box's code for the exception being
// handled (error_from_exception, then error_box_code; std::bad_alloc is
// E_OUTOFMEMORY, a thrown object that is no std::exception E_UNEXPECTED).
std::uint32_t current_exception_box_code() noexcept;

// Shows system_message(code) owned by `owner` (may be null); returns false.
bool show_system_error(void* owner, std::uint32_t code);

// Throws std::system_error {code, system category} with an empty message.
[[noreturn]] void throw_system_error(std::uint32_t code);

// Shows "Initialization Error" and ends the process with exit code -11.
[[noreturn]] void fatal_initialization_error();

inline constexpr std::uint32_t e_fail = 0x80004005u;
inline constexpr std::uint32_t e_unexpected = 0x8000FFFFu;
inline constexpr std::uint32_t e_outofmemory = 0x8007000Eu;

// Application-defined codes: the customer bit, and with it the bit that makes
// the low 16 bits a string-resource identifier.
inline constexpr std::uint32_t customer_code_bit = 0x20000000u;
inline constexpr std::uint32_t string_code_bit = 0x08000000u;

namespace details {

// Where system message texts come from: the text for a code in a language
// as the system stores it (trailing line breaks included), or nothing.
using system_text_source = std::function<std::optional<std::wstring>(std::uint32_t code, std::uint16_t language)>;

// system_message over a given source: trailing CR/LF removed, E_FAIL's text
// for a code without one, "Error" when E_FAIL has none either.
std::wstring system_message_from(const system_text_source& source, std::uint32_t code, std::uint16_t language);

// The platform's source: FormatMessageW from the system (asked once more
// with language 0 when the language has no message resources) on Windows; a
// table of the common codes' texts natively.
std::optional<std::wstring> format_system_message(std::uint32_t code, std::uint16_t language);

}  // namespace details

}  // namespace av

namespace std {
template <>
struct is_error_code_enum<av::compress_errc> : true_type {
};
}  // namespace std
