// The product identity: its constants, product key and derived texts.
#include "support/product.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(VersionText, WritesTheFourPartsWithDots)
{
    const struct {
        std::uint64_t version;
        const wchar_t* text;
    } cases[] = {
        {kProductVersion, L"6.3.7.1"},
        {0, L"0.0.0.0"},
        {0x000A000B000C000Dull, L"10.11.12.13"},
        {0xFFFFFFFFFFFFFFFFull, L"65535.65535.65535.65535"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VersionText(c.version), c.text) << c.text;
}

TEST(ProductIdentity, Constants)
{
    EXPECT_EQ(kProductCode, 518);
    EXPECT_EQ(ProductCatalogue(518), L"Korvane 6");
    EXPECT_EQ(std::wstring(kVersionLabel), L"6.03g");
    EXPECT_EQ(kProductVersion, 0x0006000300070001ull);
    EXPECT_THROW(ProductCatalogue(519), std::logic_error);
    try {
        ProductCatalogue(0);
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "logic error");
    }
}

TEST(ProductIdentity, LocalizeProductName)
{
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"Korvane 6", L"Korvaline 6"},
        {L"Korvaline 6", L"Korvaline 6"},  // already localized: unchanged
        {L"Korvane and Korvane", L"Korvaline and Korvaline"},
        {L"korvane KORVANE", L"korvane KORVANE"},  // exact case only
        {L"", L""},
    };
    for (const Case& c : cases) {
        std::wstring text = c.in;
        LocalizeProductName(text);
        EXPECT_EQ(text, c.out);
    }
}

}  // namespace
