#include "support/text.h"
#include "support/version_info.h"

#include "tests/support/resource_builders.h"

#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <fstream>

namespace {

av_test::version_block korvane_block()
{
    av_test::version_block block;
    block.fixed = av_test::fixed_info {0x0006000300070001ull, 0x0006000300070001ull, 0x3F, 0};
    block.translations = {{0x0409, 1200}};
    block.tables = {{L"040904b0",
        {av_test::string_node(L"ProductName", L"Korvane"), av_test::string_node(L"ApplicationId", L"Korvane6")}}};
    return block;
}

TEST(NativeVersionInfo, TheRegisteredVersionResourceIsTheModulesBlock)
{
    EXPECT_FALSE(av::version_info::from_module().has_fixed_part());
    av::details::register_resource(av::rt_version, 1, korvane_block().build());
    // The view reads the table's bytes in place: it is used while they live.
    const av::version_info own = av::version_info::from_module();
    const std::uint64_t version = own.file_version();
    const std::wstring id = own.string_value(L"ApplicationId");
    av::details::unregister_resource(av::rt_version, 1);
    EXPECT_EQ(version, 0x0006000300070001ull);
    EXPECT_EQ(id, L"Korvane6");
}

TEST(NativeVersionInfo, ReadsTheBlockOfAWindowsImageFile)
{
    namespace fs = boost::filesystem;
    const fs::path file = fs::temp_directory_path() / fs::unique_path("av-version-%%%%%%%%.exe");
    {
        const av_test::bytes image = av_test::image_with_version(korvane_block().build());
        std::ofstream out(file.string(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    const av::version_info info = av::version_info::from_file(file.wstring());
    std::ofstream(file.string(), std::ios::binary) << "not an image";
    const av::version_info not_image = av::version_info::from_file(file.wstring());
    fs::remove(file);
    EXPECT_TRUE(info.has_fixed_part());
    EXPECT_EQ(info.file_version(), 0x0006000300070001ull);
    EXPECT_EQ(info.product_name(), L"Korvane");
    EXPECT_FALSE(not_image.has_fixed_part());
    EXPECT_EQ(not_image.product_name(), L"");
}

}  // namespace
