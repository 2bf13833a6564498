// The record file: what it writes, what it counts, and how a failed write ends the recording.

#include <gtest/gtest.h>

#include "app/RecordFile.h"

#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string PathOf(const std::string& name) {
    return testing::TempDir() + "tollbrook-record-" + std::to_string(getpid()) + "-" + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Record(RecordFile& file, const std::string& bytes) {
    file.Record(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(RecordFile, WritesEveryByteInOrderAndCountsThem) {
    const std::string path = PathOf("order.txt");
    { std::ofstream(path, std::ios::binary) << "old content that must go"; }
    RecordFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.RecordedBytes(), 0u);
    const std::string first("$GPTXT,one*00\r\n\0tail", 20);
    Record(file, first);
    Record(file, "$GPTXT,two*00\r\n");
    EXPECT_EQ(file.RecordedBytes(), 35u);
    // Each chunk is in the file as soon as it was recorded, not only after closing.
    EXPECT_EQ(ReadAll(path), first + "$GPTXT,two*00\r\n");
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    Record(file, "after the stop");
    EXPECT_EQ(ReadAll(path), first + "$GPTXT,two*00\r\n");
    ::unlink(path.c_str());
}

TEST(RecordFile, AFileThatCannotBeCreatedLeavesRecordingOffWithTheCountAtZero) {
    const std::string path = PathOf("good.txt");
    RecordFile file;
    ASSERT_TRUE(file.Open(path));
    Record(file, "12345");
    EXPECT_FALSE(file.Open(PathOf("no-such-folder/x.txt")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.RecordedBytes(), 0u);
    ::unlink(path.c_str());
}

TEST(RecordFile, AFailedWriteClosesTheFileAndReportsWhy) {
    // /dev/full accepts the open and fails every write with "No space left on device".
    if (::access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    std::vector<std::string> reports;
    RecordFile file([&](const std::string& reason) {
        // Reported after the file was closed, so a modal message cannot see a second failure.
        EXPECT_FALSE(file.IsOpen());
        reports.push_back(reason);
    });
    ASSERT_TRUE(file.Open("/dev/full"));
    Record(file, "lost bytes");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.RecordedBytes(), 0u);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "No space left on device");
    Record(file, "more");
    EXPECT_EQ(reports.size(), 1u);
}

} // namespace
