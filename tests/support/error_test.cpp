#include "support/error.h"

#include <boost/filesystem/exception.hpp>
#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/system/error_code.hpp>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <future>
#include <new>
#include <ios>
#include <stdexcept>

namespace {

struct CodeTextCase {
    std::error_code code;
    const wchar_t* text;
};

TEST(ErrorCodeText, FormatsEachCategory)
{
    const CodeTextCase cases[] = {
        {{5, std::system_category()}, L"1:00000005"},
        {{static_cast<int>(0x80070005u), std::system_category()}, L"1:80070005"},
        {{13, std::generic_category()}, L"2:0000000D"},
        {{3, av::compress_category()}, L"3"},
        {{4, av::compress_category()}, L"4"},
        {{-2, av::compress_category()}, L"-2"},
        {std::make_error_code(std::io_errc::stream), L"7"},
        {std::make_error_code(std::future_errc::no_state), L"7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(av::error_code_text(c.code), c.text) << c.code.category().name() << " " << c.code.value();
}

TEST(CompressCategory, NamesAndMessages)
{
    const std::error_category& cat = av::compress_category();
    EXPECT_STREQ(cat.name(), "compress");
    EXPECT_EQ(&cat, &av::compress_category());
    EXPECT_EQ(cat.message(3), "invalid checksum");
    EXPECT_EQ(cat.message(4), "unknown error");
    EXPECT_EQ(cat.message(5), "interrupted");
    EXPECT_EQ(cat.message(6), "bzip2 error");
    EXPECT_EQ(cat.message(7), "unexpected error");
    EXPECT_EQ(cat.message(42), "unknown error");
}

class ErrorFromException : public testing::Test {
protected:
    void SetUp() override { av::clear_crt_error(); }
    void TearDown() override { av::clear_crt_error(); }
};

TEST_F(ErrorFromException, StreamFailureWithoutRunTimeErrorKeepsItsOwnCode)
{
    const std::ios_base::failure failure("write failed");
    const std::error_code code = av::error_from_exception(failure);
    EXPECT_EQ(code, std::make_error_code(std::io_errc::stream));
    EXPECT_EQ(av::error_code_text(code), L"7");
}

TEST_F(ErrorFromException, StreamFailureTakesTheRunTimeError)
{
    errno = ENOSPC;
    const std::error_code code = av::error_from_exception(std::ios_base::failure("write failed"));
    EXPECT_EQ(code, (std::error_code {ENOSPC, std::generic_category()}));
}

TEST_F(ErrorFromException, Bzip2Error)
{
    const boost::iostreams::bzip2_error corrupt(-4);  // BZ_DATA_ERROR
    EXPECT_EQ(av::error_from_exception(corrupt), av::make_error_code(av::compress_errc::bzip2_failed));

    // errno still holding 2 from an earlier call wins over the bzip2 rule.
    errno = 2;
    const std::error_code code = av::error_from_exception(corrupt);
    EXPECT_EQ(code, (std::error_code {2, std::generic_category()}));
    EXPECT_EQ(av::error_code_text(code), L"2:00000002");
}

TEST_F(ErrorFromException, FilesystemErrorCarryingSharingViolation)
{
    const boost::filesystem::filesystem_error error(
        "open", boost::system::error_code(32, boost::system::system_category()));
    const std::error_code code = av::error_from_exception(error);
    EXPECT_EQ(code, (std::error_code {32, std::system_category()}));
    EXPECT_EQ(av::error_code_text(code), L"1:00000020");
}

TEST_F(ErrorFromException, BoostGenericAndForeignCategories)
{
    const boost::system::system_error generic(boost::system::error_code(13, boost::system::generic_category()));
    EXPECT_EQ(av::error_from_exception(generic), (std::error_code {13, std::generic_category()}));

    class foreign_category : public boost::system::error_category {
    public:
        const char* name() const noexcept override { return "foreign"; }
        std::string message(int) const override { return "foreign"; }
    };
    static const foreign_category foreign_cat;
    const boost::system::system_error foreign(boost::system::error_code(32, foreign_cat));
    EXPECT_EQ(av::error_from_exception(foreign), av::make_error_code(av::compress_errc::unexpected));
}

TEST_F(ErrorFromException, PayloadCodesAndUnrecognisedFailures)
{
    EXPECT_EQ(av::error_from_exception(std::system_error(av::make_error_code(av::compress_errc::invalid_checksum))),
        av::make_error_code(av::compress_errc::invalid_checksum));
    EXPECT_EQ(av::error_from_exception(std::runtime_error("boom")), av::make_error_code(av::compress_errc::unexpected));
    EXPECT_EQ(
        av::error_from_exception(std::logic_error("logic error")), av::make_error_code(av::compress_errc::unexpected));
}

TEST(ThrowSystemError, RaisesTheCodeInTheSystemCategory)
{
    try {
        av::throw_system_error(5);
        FAIL() << "no exception";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), (std::error_code {5, std::system_category()}));
        EXPECT_EQ(av::error_code_text(e.code()), L"1:00000005");
    }
}

// The code whose system text the error box shows for what a window
// procedure caught.
std::uint32_t BoxCodeOf(const std::function<void()>& thrower)
{
    try {
        thrower();
    } catch (...) {
        return av::current_exception_box_code();
    }
    return 0;
}

TEST(ErrorBoxCode, WhatTheBoxTellsForEachKindOfFailure)
{
    EXPECT_EQ(BoxCodeOf([] { av::throw_system_error(5); }), 5u);
    EXPECT_EQ(
        BoxCodeOf([] { throw std::system_error(static_cast<int>(0x80070057), std::system_category()); }), 0x80070057u);
    EXPECT_EQ(BoxCodeOf([] { throw std::bad_alloc(); }), av::e_outofmemory);
    EXPECT_EQ(BoxCodeOf([] { throw std::system_error(std::make_error_code(std::errc::not_enough_memory)); }),
        av::e_outofmemory);
    EXPECT_EQ(BoxCodeOf([] { av::throw_compress_error(av::compress_errc::invalid_checksum); }), av::e_unexpected);
    EXPECT_EQ(BoxCodeOf([] { throw std::runtime_error("boom"); }), av::e_unexpected);
    EXPECT_EQ(BoxCodeOf([] { throw 42; }), av::e_unexpected);
    EXPECT_EQ(av::error_box_code({}), av::e_unexpected);
}

}  // namespace
