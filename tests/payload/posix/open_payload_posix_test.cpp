// The payload resource read in place, through the Linux stand-in for the
// executable's resources.
#include "payload/payload_fixture.h"

#include "support/text.h"

#include <span>

namespace {

namespace fs = boost::filesystem;

class OpenPayload : public av_test::PayloadFixture {
protected:
    void TearDown() override
    {
        av::details::unregister_resource(av::payload_resource_type, av::payload_resource_name);
        av_test::PayloadFixture::TearDown();
    }
};

TEST_F(OpenPayload, ReadsTheResourceInPlaceTwice)
{
    av::archive_builder b;
    b.add_data(L"Korvane.exe", L"<InstallPath>", 1, "program");
    const std::string compressed = av::bzip2_compress(b.bytes());
    av::details::register_resource(av::payload_resource_type, av::payload_resource_name,
        std::as_bytes(std::span(compressed.data(), compressed.size())));
    const av::resource_data resource = av::find_resource_data(av::payload_resource_name, av::payload_resource_type);

    av::imemstream stream = av::open_payload();
    EXPECT_EQ(static_cast<const void*>(stream.rdbuf()->data()), static_cast<const void*>(resource.data));
    EXPECT_EQ(stream.rdbuf()->size(), compressed.size());
    EXPECT_EQ(stream.tellg(), 0);

    const bool ok = av::extract_payload(stream, machine(), install(), L"", L"", [&stream](const av::notification& n) {
        if (n.index() == 0) {
            if (!av::validate_payload(stream))
                av::throw_compress_error(av::compress_errc::validation_failed);
            stream.clear();
            stream.seekg(0);
        }
        return av::notification::result::proceed;
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(av_test::read_all(av::wide_to_path(install()) / "Korvane.exe"), "program");
}

TEST_F(OpenPayload, MissingOrEmptyResourceGivesAnEmptyStreamAndCodeSeven)
{
    for (const bool registered_empty : {false, true}) {
        if (registered_empty)
            av::details::register_resource(av::payload_resource_type, av::payload_resource_name, {});
        av::imemstream stream = av::open_payload();
        EXPECT_EQ(stream.rdbuf()->size(), 0u);
        av_test::NotificationLog log;
        EXPECT_FALSE(av::extract_payload(stream, machine(), install(), L"", L"", log.callback()));
        EXPECT_EQ(log.failed_code, av::make_error_code(av::compress_errc::unexpected));
    }
}

}  // namespace
