// Without a replacement, the folder grant reaches the security operations:
// natively they open the folder's permission bits to group and others.
#include "payload/payload_fixture.h"

#include <sys/stat.h>

namespace {

namespace fs = boost::filesystem;
using DefaultFolderGrant = av_test::PayloadFixture;

TEST_F(DefaultFolderGrant, OpensTheRecordedDataFolderToUsers)
{
    const fs::path data = known(av::csidl::common_appdata) / "Maker";
    fs::create_directories(known(av::csidl::common_appdata));
    ::umask(022);
    av::archive_builder b;
    b.add_data(L"d.dat", L"<CommonData>\\Maker", 3, "data");
    const std::string compressed = av::bzip2_compress(b.bytes());
    av::imemstream in(compressed.data(), compressed.size());
    ASSERT_TRUE(av::extract_payload(in, install(), L"", L"", nullptr));
    struct stat st {};
    ASSERT_EQ(::stat(data.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0077u) << std::oct << st.st_mode;
}

}  // namespace
