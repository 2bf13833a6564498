#include "serial/CSio.h"
#include "serial/Acquisition.h"
#include "serial/TermiosSpeed.h"

#include "PtyPair.h"
#include "ScratchFile.h"
#include "TestEvents.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

int OpenDescriptorCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

class CSioTest : public testing::Test {
protected:
    void SetUp() override { SetAcquisitionEvents(&events); }
    void TearDown() override { SetAcquisitionEvents(nullptr); }

    TestEvents events;
    CSio port;
};

struct BaudCase {
    int baud;
    speed_t constant; // B0 where the rate has no constant of its own
};
void PrintTo(const BaudCase& c, std::ostream* os) {
    *os << c.baud << " baud";
}

class CSioLineSettings : public CSioTest, public testing::WithParamInterface<BaudCase> {};

TEST_P(CSioLineSettings, AppliesRaw8N1WithoutFlowControlAndReadsThatReturnAtOnce) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const int fd = port.Open(pty.slavePath, GetParam().baud);
    ASSERT_GE(fd, 0) << port.LastError();
    EXPECT_EQ(fd, port.m_hPort.load());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(port.IsPlayback());

    struct termios tio {};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    if (GetParam().constant != B0) {
        EXPECT_EQ(cfgetispeed(&tio), GetParam().constant);
        EXPECT_EQ(cfgetospeed(&tio), GetParam().constant);
    }
    EXPECT_EQ(serial_detail::CurrentSpeed(fd), GetParam().baud);
    // Remembered, so that a port that goes away can be found again under the same name.
    EXPECT_EQ(port.PortName(), pty.slavePath);
    EXPECT_EQ(port.Baud(), GetParam().baud);
    EXPECT_TRUE(fcntl(fd, F_GETFL) & O_NONBLOCK);
    EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
}

INSTANTIATE_TEST_SUITE_P(Rates, CSioLineSettings,
                         testing::Values(BaudCase{4800, B4800}, BaudCase{9600, B9600},
                                         BaudCase{19200, B19200}, BaudCase{38400, B38400},
                                         BaudCase{115200, B115200}, BaudCase{31250, B0},
                                         BaudCase{250000, B0}),
                         [](const auto& info) { return std::to_string(info.param.baud); });

TEST_F(CSioTest, OpenFailuresGiveMinusOneWithTheReasonAndLeakNothing) {
    const ScratchFile notAPort("not-a-port.txt", "hello");
    const std::string& file = notAPort.path;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    struct Case {
        std::string path;
        int baud;
        int error;
    } cases[] = {
        {"/dev/tollbrook-no-such-port", 9600, ENOENT},
        {file, 9600, ENOTTY},
        {testing::TempDir(), 9600, EISDIR},
        {pty.slavePath, 0, EINVAL},
        {pty.slavePath, -9600, EINVAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " @ " + std::to_string(c.baud));
        const int before = OpenDescriptorCount();
        EXPECT_EQ(port.Open(c.path, c.baud), -1);
        EXPECT_EQ(port.LastError(), std::strerror(c.error));
        EXPECT_EQ(port.m_hPort.load(), -1);
        EXPECT_EQ(OpenDescriptorCount(), before);
    }
    // The refused port is not left exclusive or locked.
    EXPECT_GE(port.Open(pty.slavePath, 9600), 0) << port.LastError();
}

TEST_F(CSioTest, AnOpenPortIsRefusedToASecondOpenUntilItIsClosed) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const int fd = port.Open(pty.slavePath, 115200);
    ASSERT_GE(fd, 0) << port.LastError();

    CSio other; // another program, or the same one opening twice
    EXPECT_EQ(other.Open(pty.slavePath, 115200), -1);
    EXPECT_EQ(other.LastError(), std::strerror(EBUSY));
    EXPECT_EQ(port.Open(pty.slavePath, 115200), -1);
    EXPECT_EQ(port.LastError(), std::strerror(EBUSY));

    // The failed attempts leave the first open source working.
    EXPECT_EQ(port.m_hPort.load(), fd);
    port.WriteLine("still here");
    EXPECT_EQ(pty.Read(12, 1000ms), "still here\r\n");

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_GE(other.Open(pty.slavePath, 115200), 0) << other.LastError();
}

TEST_F(CSioTest, APortMadeExclusiveByAnotherProgramIsRefused) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    // A terminal program that uses TIOCEXCL but no advisory lock.
    const int theirs = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(theirs, 0);
    ASSERT_EQ(ioctl(theirs, TIOCEXCL), 0);
    EXPECT_EQ(port.Open(pty.slavePath, 9600), -1);
    EXPECT_EQ(port.LastError(), std::strerror(EBUSY));
    ioctl(theirs, TIOCNXCL);
    ::close(theirs);
    EXPECT_GE(port.Open(pty.slavePath, 9600), 0) << port.LastError();
}

// A terminal hung up under an open port (its other end lives on, as a pseudo-terminal's does)
// refuses the ioctl that would take the exclusive flag back, so the flag stays behind. The
// port that left it can open the terminal again; to anyone else it still reads as taken.
TEST_F(CSioTest, TheExclusiveFlagOurLostPortLeftBehindDoesNotLockUsOut) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(port.Open(pty.slavePath, 9600), 0) << port.LastError();
    {
        const int hangUp = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (hangUp < 0)
            GTEST_SKIP() << "a second descriptor needs the privilege to pass the exclusive flag";
        const int hung = ioctl(hangUp, TIOCVHANGUP);
        ::close(hangUp);
        if (hung != 0)
            GTEST_SKIP() << "hanging up a terminal needs CAP_SYS_ADMIN";
    }
    uint8_t buffer[16];
    ASSERT_EQ(port.Read(buffer, 16, 16, 0).status, CSio::ReadStatus::Lost);
    port.Close();
    {
        const int probe = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(probe, 0);
        int exclusive = 0;
        ASSERT_EQ(ioctl(probe, TIOCGEXCL, &exclusive), 0);
        ::close(probe);
        ASSERT_EQ(exclusive, 1) << "the flag was taken back after all";
    }
    CSio other;
    EXPECT_EQ(other.Open(pty.slavePath, 9600), -1);
    EXPECT_EQ(other.LastError(), std::strerror(EBUSY));

    const int fd = port.Open(pty.slavePath, 9600);
    ASSERT_GE(fd, 0) << port.LastError();
    EXPECT_TRUE(port.WriteLine("back"));
    EXPECT_EQ(pty.Read(6, 1000ms), "back\r\n");
    // Closed normally, the flag goes with the port.
    port.Close();
    EXPECT_GE(other.Open(pty.slavePath, 9600), 0) << other.LastError();
}

TEST_F(CSioTest, OpeningAnotherSourceReleasesTheOneItReplaces) {
    PtyPair first, second;
    ASSERT_TRUE(first.ok() && second.ok());
    ASSERT_GE(port.Open(first.slavePath, 9600), 0);
    const uint64_t id = port.SourceId();
    const ScratchFile playback("replacing.nmea", "x");
    ASSERT_TRUE(port.OpenPlayback(playback.path));
    EXPECT_NE(port.SourceId(), id);
    EXPECT_TRUE(port.IsPlayback());
    ASSERT_GE(port.Open(second.slavePath, 9600), 0);
    EXPECT_FALSE(port.IsPlayback());
    // Nothing holds the first port any more.
    CSio other;
    EXPECT_GE(other.Open(first.slavePath, 9600), 0) << other.LastError();
}

TEST_F(CSioTest, WriteLineSendsTextThenCrLfOnlyToAnOpenPort) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());

    EXPECT_FALSE(port.WriteLine("AT+GPSTEST=1")); // closed: nothing, no notice
    EXPECT_EQ(events.dataSent.load(), 0);

    ASSERT_GE(port.Open(pty.slavePath, 115200), 0);
    EXPECT_TRUE(port.WriteLine("AT+GPSTEST=1"));
    EXPECT_EQ(events.dataSent.load(), 2);
    EXPECT_TRUE(port.WriteLine(""));
    EXPECT_EQ(events.dataSent.load(), 4);
    EXPECT_EQ(pty.Read(16, 1000ms), "AT+GPSTEST=1\r\n\r\n");

    // During a playback the device hears nothing and the file stays as it was.
    const ScratchFile playback("playback.nmea", "$GPGGA\r\n");
    const std::string& path = playback.path;
    port.Close();
    ASSERT_TRUE(port.OpenPlayback(path));
    EXPECT_FALSE(port.WriteLine("AT+TEST_GPS=1"));
    EXPECT_TRUE(port.PortName().empty());
    EXPECT_EQ(events.dataSent.load(), 4);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "$GPGGA\r\n");
    port.Close();
    EXPECT_EQ(pty.Read(1, 100ms), "");
}

TEST_F(CSioTest, EachWriteGivesUpAfterASecondWhenTheDeviceTakesNothing) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const int fd = port.Open(pty.slavePath, 9600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(tcflow(fd, TCOOFF), 0); // output suspended: the line accepts no byte
    const auto start = std::chrono::steady_clock::now();
    // The line did not reach the device, and the caller is told so.
    EXPECT_FALSE(port.WriteLine("AT+VERSION"));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 1900ms);
    EXPECT_LT(took, 3000ms);
    // Not detected as a failure: both notices still go out.
    EXPECT_EQ(events.dataSent.load(), 2);
    tcflow(fd, TCOON);
}

TEST_F(CSioTest, PlaybackOpensReadOnlyOrFailsWithTheReason) {
    EXPECT_FALSE(port.OpenPlayback("/nonexistent/tollbrook.nmea"));
    EXPECT_EQ(port.LastError(), std::strerror(ENOENT));
    EXPECT_FALSE(port.OpenPlayback(testing::TempDir()));
    EXPECT_EQ(port.LastError(), std::strerror(EISDIR));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.IsPlayback());

    const ScratchFile playback("readonly.nmea", "abc");
    ASSERT_TRUE(port.OpenPlayback(playback.path));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(port.IsPlayback());
    EXPECT_EQ(fcntl(port.m_hPort.load(), F_GETFL) & O_ACCMODE, O_RDONLY);
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.IsPlayback());
}

TEST_F(CSioTest, ReadTellsAnEmptyLineFromAHungUpOne) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(port.Open(pty.slavePath, 9600), 0);
    uint8_t buffer[64];
    EXPECT_EQ(port.Read(buffer, 64, 16, 0).status, CSio::ReadStatus::Empty);
    ASSERT_TRUE(pty.Write("0123456789"));
    // The line discipline hands bytes over asynchronously; give it a moment.
    CSio::ReadResult r;
    for (int i = 0; i < 100 && r.status != CSio::ReadStatus::Data; ++i) {
        r = port.Read(buffer, 64, 16, 0);
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(r.status, CSio::ReadStatus::Data);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), r.count), "0123456789");
    pty.HangUp();
    r = port.Read(buffer, 64, 16, 0);
    EXPECT_EQ(r.status, CSio::ReadStatus::Lost);
    EXPECT_FALSE(port.WriteLine("AT+VERSION"));
    // A source already given up on is left alone.
    EXPECT_EQ(port.Read(buffer, 64, 16, r.source).status, CSio::ReadStatus::Closed);
    port.Close();
    EXPECT_EQ(port.Read(buffer, 64, 16, 0).status, CSio::ReadStatus::Closed);
}

// The terminal layer hands out at most 4095 bytes per read; a step gathers up to its size so
// that a dense receiver at a high rate does not fall behind.
TEST_F(CSioTest, AReadStepGathersUpToItsSizeOverSeveralTerminalReads) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(port.Open(pty.slavePath, 460800), 0);
    std::string sent;
    for (int i = 0; sent.size() < 12000; ++i)
        sent += "$GPGSV,3," + std::to_string(i) + ",11,03,03,111,00,04,15,270,00*74\r\n";
    std::thread writer([&] { pty.Write(sent); });
    std::this_thread::sleep_for(100ms);
    std::vector<uint8_t> buffer(10240);
    std::string got;
    std::vector<uint32_t> steps;
    for (int i = 0; i < 200 && got.size() < sent.size(); ++i) {
        const CSio::ReadResult r = port.Read(buffer.data(), 10240, 2560, 0);
        if (r.status == CSio::ReadStatus::Data) {
            got.append(reinterpret_cast<char*>(buffer.data()), r.count);
            steps.push_back(r.count);
        }
        std::this_thread::sleep_for(10ms);
    }
    writer.join();
    EXPECT_EQ(got, sent);
    ASSERT_FALSE(steps.empty());
    EXPECT_GT(steps.front(), 4095u);
    port.Close();
}

} // namespace
