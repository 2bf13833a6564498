// The record file: what it writes, what it counts, and how a failed write ends the recording.

#include <gtest/gtest.h>

#include "FileSizeLimit.h"
#include "app/RecordFile.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
    // A file size limit makes a regular file refuse the write, as a full disk does.
    const std::string path = PathOf("limit.txt");
    std::vector<std::string> reports;
    RecordFile file([&](const std::string& reason) {
        // Reported after the file was closed, so a modal message cannot see a second failure.
        EXPECT_FALSE(file.IsOpen());
        reports.push_back(reason);
    });
    ASSERT_TRUE(file.Open(path));
    Record(file, "kept");
    {
        FileSizeLimit limit(4);
        Record(file, "lost bytes");
    }
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.RecordedBytes(), 4u);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "File too large");
    Record(file, "more");
    EXPECT_EQ(reports.size(), 1u);
    ::unlink(path.c_str());
}

TEST(RecordFile, AWriteFailureIsToldByTheSystemsOwnReason) {
    const struct {
        int error;
        const char* reason;
    } cases[] = {
        {ENOSPC, "No space left on device"},
        {EFBIG, "File too large"},
        {EIO, "Input/output error"},
        {EPIPE, "Broken pipe"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecordFile::WriteFailureReason(c.error), c.reason) << c.error;
    }
}

TEST(RecordFile, RefusedFilesKeepEveryByte) {
    const std::string capture = PathOf("capture.txt");
    const std::string content = "$GPGGA,capture that must survive*00\r\n";
    { std::ofstream(capture, std::ios::binary) << content; }
    // Another name of the same file: the playback is recognised by the file, not the name.
    const std::string otherName = PathOf("capture-link.txt");
    ::unlink(otherName.c_str());
    ASSERT_EQ(::link(capture.c_str(), otherName.c_str()), 0);

    RecordFile file;
    const int playback = ::open(capture.c_str(), O_RDONLY);
    ASSERT_GE(playback, 0);
    for (const std::string& name : {capture, otherName}) {
        EXPECT_FALSE(file.Open(name, IdentityOfDescriptor(playback))) << name;
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(ReadAll(capture), content);
    }
    ::close(playback);

    // Held by a player of another instance (a shared lock): refused, untouched.
    const int player = ::open(capture.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(player, LOCK_SH | LOCK_NB), 0);
    EXPECT_FALSE(file.Open(capture));
    EXPECT_EQ(ReadAll(capture), content);
    ::close(player);

    // A different file is still recorded to, and it is the one that is held.
    ASSERT_TRUE(file.Open(capture));
    EXPECT_EQ(file.Identity(), IdentityOfPath(otherName));
    EXPECT_EQ(ReadAll(capture), "");
    const int second = ::open(capture.c_str(), O_RDONLY);
    EXPECT_NE(::flock(second, LOCK_SH | LOCK_NB), 0);
    ::close(second);
    file.Close();
    ::unlink(otherName.c_str());
    ::unlink(capture.c_str());
}

TEST(RecordFile, OnlyRegularFilesAreRecordedToAndTheOpenNeverWaits) {
    const std::string fifo = PathOf("pipe.txt");
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null"), testing::TempDir()}) {
        // In a child, so that an open that blocks shows as a time-out instead of a hung test.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RecordFile file;
            ::_exit(file.Open(path) ? 1 : 0);
        }
        int status = 0;
        pid_t done = 0;
        for (int i = 0; i < 300 && done == 0; ++i) {
            done = ::waitpid(child, &status, WNOHANG);
            if (done == 0)
                ::usleep(10000);
        }
        if (done == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ADD_FAILURE() << path << ": the open did not return within 3 s";
            continue;
        }
        ASSERT_TRUE(WIFEXITED(status)) << path;
        EXPECT_EQ(WEXITSTATUS(status), 0) << path << " was accepted";
    }
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ::unlink(fifo.c_str());
}

} // namespace
