// On the machine's own access rights, the folder grant reaches the security
// operations: natively they open the folder's permission bits to group and
// others.
#include "payload/payload_fixture.h"

#include <sys/stat.h>

namespace {

namespace fs = boost::filesystem;
using DefaultFolderGrant = av_test::PayloadFixture;

TEST_F(DefaultFolderGrant, OpensTheRecordedDataFolderToUsers)
{
    const fs::path data = known(av::platform::csidl::common_appdata) / "Maker";
    fs::create_directories(known(av::platform::csidl::common_appdata));
    ::umask(022);
    av::archive_builder b;
    b.add_data(L"d.dat", L"<CommonData>\\Maker", 3, "data");
    const std::string compressed = av::bzip2_compress(b.bytes());
    av::imemstream in(compressed.data(), compressed.size());
    // The machine's own security operations instead of the fixture's record.
    const av::platform::machine& recording = machine();
    const av::platform::machine real {recording.files, recording.registry, recording.folders, recording.processes,
        recording.shell, av::platform::system_access_rights()};
    ASSERT_TRUE(av::extract_payload(in, real, install(), L"", L"", nullptr));
    struct stat st { };
    ASSERT_EQ(::stat(data.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0077u) << std::oct << st.st_mode;
}

}  // namespace
