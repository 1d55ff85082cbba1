#include "support/error.h"

#include <new>

#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/system/system_error.hpp>

#include <cstdio>
#include <ios>

namespace av {
namespace {

class compress_category_impl final : public std::error_category {
public:
    const char* name() const noexcept override { return "compress"; }

    std::string message(int value) const override
    {
        switch (static_cast<compress_errc>(value)) {
        case compress_errc::invalid_checksum:
            return "invalid checksum";
        case compress_errc::interrupted:
            return "interrupted";
        case compress_errc::bzip2_failed:
            return "bzip2 error";
        case compress_errc::unexpected:
            return "unexpected error";
        case compress_errc::validation_failed:
        default:
            return "unknown error";
        }
    }
};

std::wstring hex_code_text(wchar_t prefix, int value)
{
    wchar_t text[16];
    std::swprintf(
        text, sizeof text / sizeof text[0], L"%lc:%08X", static_cast<wint_t>(prefix), static_cast<unsigned>(value));
    return text;
}

}  // namespace

const std::error_category& compress_category() noexcept
{
    static const compress_category_impl instance;
    return instance;
}

std::error_code make_error_code(compress_errc e) noexcept
{
    return {static_cast<int>(e), compress_category()};
}

void throw_compress_error(compress_errc e)
{
    throw std::system_error(make_error_code(e));
}

std::error_code error_from_exception(const std::exception& e) noexcept
{
    // A bzip2 error is itself a stream failure, so the stream-failure rule
    // is tried first: a run-time library error present at that moment wins.
    if (dynamic_cast<const std::ios_base::failure*>(&e) != nullptr) {
        if (const std::error_code crt = last_crt_error())
            return crt;
    }
    if (dynamic_cast<const boost::iostreams::bzip2_error*>(&e) != nullptr)
        return make_error_code(compress_errc::bzip2_failed);
    if (const auto* se = dynamic_cast<const std::system_error*>(&e))
        return se->code();
    if (const auto* be = dynamic_cast<const boost::system::system_error*>(&e)) {
        const boost::system::error_code& code = be->code();
        if (code.category() == boost::system::generic_category())
            return {code.value(), std::generic_category()};
        if (code.category() == boost::system::system_category())
            return {code.value(), std::system_category()};
    }
    return make_error_code(compress_errc::unexpected);
}

std::wstring error_code_text(const std::error_code& code)
{
    const std::error_category& category = code.category();
    if (category == std::system_category())
        return hex_code_text(L'1', code.value());
    if (category == std::generic_category())
        return hex_code_text(L'2', code.value());
    if (category == compress_category())
        return std::to_wstring(code.value());
    return std::to_wstring(static_cast<int>(compress_errc::unexpected));
}

std::uint32_t error_box_code(const std::error_code& code) noexcept
{
    if (code && code.category() == std::system_category())
        return static_cast<std::uint32_t>(code.value());
    if (code == std::errc::not_enough_memory)
        return e_outofmemory;
    return e_unexpected;
}

std::uint32_t current_exception_box_code() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return e_outofmemory;
    } catch (const std::exception& e) {
        return error_box_code(error_from_exception(e));
    } catch (...) {
        return e_unexpected;
    }
}

void throw_system_error(std::uint32_t code)
{
    throw std::system_error(static_cast<int>(code), std::system_category(), "");
}

}  // namespace av
