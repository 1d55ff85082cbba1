// The payload resource of the running executable: the test program carries
// none, so the stream is empty and the extraction ends with `unexpected`.
#include "payload/payload_fixture.h"

namespace {

using OpenPayloadWin32 = av_test::PayloadFixture;

TEST_F(OpenPayloadWin32, ExecutableWithoutThePayloadGivesAnEmptyStream)
{
    av::imemstream stream = av::open_payload();
    EXPECT_EQ(stream.rdbuf()->size(), 0u);
    EXPECT_TRUE(av::validate_payload(stream));
    av_test::NotificationLog log;
    EXPECT_FALSE(av::extract_payload(stream, machine(), install(), L"", L"", log.callback()));
    EXPECT_EQ(log.failed_code, av::make_error_code(av::compress_errc::unexpected));
}

}  // namespace
