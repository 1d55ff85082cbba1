// The read-back of a written file against a second process that holds it
// without sharing, as a virus scanner may.
#include "payload/payload_fixture.h"

#include "app/win32/child_process.h"
#include "payload/crc32.h"
#include "platform/machine.h"
#include "platform/win_error.h"

#include <chrono>
#include <thread>

namespace {

using VerifyAgainstHolder = av_test::ScratchFolder;

TEST_F(VerifyAgainstHolder, SharingViolationMetTwiceThenCleared)
{
    av::payload_entry entry;
    entry.destination = m_root / "held.bin";
    av_test::write_all(entry.destination, "held contents");
    entry.crc32 = av::compute_crc32("held contents");

    test::Event ready(L"payload_hold");
    test::ChildProcess holder(
        L"payload_hold_file.exe", L"\"" + entry.destination.wstring() + L"\" 1500 " + ready.name());
    ASSERT_TRUE(ready.WaitSet());

    int pauses = 0;
    av::extraction_hooks hooks;
    hooks.sleep = [&pauses](std::chrono::milliseconds d) {
        EXPECT_EQ(d, std::chrono::milliseconds(1000));
        ++pauses;
        std::this_thread::sleep_for(d);
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(av::verify_file(av::platform::system_file_system(), entry, hooks));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(pauses, 2);
    EXPECT_GE(elapsed, std::chrono::milliseconds(1900));
    EXPECT_EQ(holder.Wait(), 0u);
}

TEST_F(VerifyAgainstHolder, HolderThatNeverLetsGoFailsWithSharingViolation)
{
    av::payload_entry entry;
    entry.destination = m_root / "held.bin";
    av_test::write_all(entry.destination, "x");
    entry.crc32 = av::compute_crc32("x");

    test::Event ready(L"payload_hold_long");
    test::ChildProcess holder(
        L"payload_hold_file.exe", L"\"" + entry.destination.wstring() + L"\" 60000 " + ready.name());
    ASSERT_TRUE(ready.WaitSet());
    int pauses = 0;
    av::extraction_hooks hooks;
    hooks.sleep = [&pauses](std::chrono::milliseconds) { ++pauses; };  // no real wait needed
    try {
        av::verify_file(av::platform::system_file_system(), entry, hooks);
        FAIL() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), av::win_error::make(av::win_error::sharing_violation));
    }
    EXPECT_EQ(pauses, 3);
    holder.Kill();
}

TEST_F(VerifyAgainstHolder, OutputFileIsHeldWithoutSharing)
{
    auto& files = av::platform::system_file_system();
    const std::wstring path = av::path_to_wide(m_root / "out.bin");
    std::unique_ptr<av::platform::output_file> out;
    ASSERT_FALSE(files.create_file(path, out));
    ASSERT_FALSE(out->write(std::as_bytes(std::span("abc", 3))));
    try {
        av::file_crc32(files, path);
        FAIL() << "the file being written could be read";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), av::win_error::make(av::win_error::sharing_violation));
    }
    ASSERT_FALSE(out->close());
    EXPECT_EQ(av::file_crc32(files, path), av::compute_crc32("abc"));
}

}  // namespace
