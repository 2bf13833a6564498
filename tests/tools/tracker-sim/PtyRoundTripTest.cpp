// Starts the simulator binary and talks to it over its pseudo-terminal as Tollbrook would:
// once writing everything at once, and once paced like a 9600 baud line, whose replies come
// in small pieces a millisecond apart.

#include "LinePacer.h"
#include "NmeaSentence.h"
#include "TrafficLog.h"
#include "serial/CSio.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long to wait for something that must come. Every wait ends as soon as it comes, so a
// generous limit costs nothing when things go well and keeps a loaded machine from failing
// the test; only the checks that something does not come use short windows.
constexpr milliseconds kPatience(10000);

// The simulator as a child process, with its stdout on a pipe.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> all = {TRACKER_SIM_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, TRACKER_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        m_stdout = out[0];
    }
    ~SimProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_stdout >= 0)
            close(m_stdout);
    }

    // The first line the simulator prints, or "" after the time limit.
    std::string FirstLine(milliseconds limit = kPatience) {
        std::string line;
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            pollfd p{m_stdout, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            char c;
            if (read(m_stdout, &c, 1) != 1)
                break;
            if (c == '\n')
                return line;
            line += c;
        }
        return "";
    }

    void Signal(int signo) { kill(m_pid, signo); }

    // Exit status, or -1 when the process did not end within the limit.
    int Wait(milliseconds limit = kPatience) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(10000);
        }
        return -1;
    }

    bool Started() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
};

// The program's side of the line: its own serial port object, read the way the reader thread
// reads it. Keeps everything it read, with the time each read returned.
class Line {
public:
    struct Read {
        Clock::time_point at;
        std::size_t end; // offset in Received() after this read
    };

    bool Open(const std::string& path) { return m_port.Open(path, 115200) >= 0; }
    // As Tollbrook sends a command: the text with its own CR LF, to which SendLine adds one more.
    void Send(const std::string& command) { m_port.WriteLine((command + "\r\n").c_str()); }
    // Reads until the text holds `until` or the time limit passes.
    std::string ReadUntil(const std::string& until, milliseconds limit) {
        std::string text;
        const auto end = Clock::now() + limit;
        while (Clock::now() < end && text.find(until) == std::string::npos)
            text += ReadFor(milliseconds(20));
        return text;
    }
    // Everything that arrives within the time.
    std::string ReadFor(milliseconds time) {
        std::string text;
        const auto end = Clock::now() + time;
        while (Clock::now() < end) {
            std::uint8_t buffer[10240];
            const auto r = m_port.Read(buffer, sizeof buffer, 2560, 0);
            if (r.status == CSio::ReadStatus::Data) {
                text.append(reinterpret_cast<const char*>(buffer), r.count);
                m_received.append(reinterpret_cast<const char*>(buffer), r.count);
                m_reads.push_back({Clock::now(), m_received.size()});
            } else {
                std::this_thread::sleep_for(milliseconds(5));
            }
        }
        return text;
    }
    const std::string& Received() const { return m_received; }
    // When the byte at `offset` of Received() was read.
    Clock::time_point ReadAt(std::size_t offset) const {
        for (const auto& read : m_reads) {
            if (offset < read.end)
                return read.at;
        }
        return Clock::time_point::max();
    }

private:
    CSio m_port;
    std::string m_received;
    std::vector<Read> m_reads;
};

std::string LinkPath() {
    return testing::TempDir() + "tracker-sim-link-" + std::to_string(getpid());
}

// The tests run against the simulator as it is (0) and paced to a baud rate.
class TrackerSimOverPseudoTerminal : public testing::TestWithParam<int> {
protected:
    std::vector<std::string> WithPace(std::vector<std::string> args) const {
        if (GetParam() > 0) {
            args.push_back("--pace");
            args.push_back(std::to_string(GetParam()));
        }
        return args;
    }
};

INSTANTIATE_TEST_SUITE_P(Line, TrackerSimOverPseudoTerminal, testing::Values(0, 9600),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param ? "Paced" + std::to_string(info.param)
                                               : std::string("Instant");
                         });

TEST_P(TrackerSimOverPseudoTerminal, RoundTrip) {
    const std::string link = LinkPath();
    const std::string log = link + ".log";
    SimProcess sim(WithPace({"--seed", "1", "--link", link, "--rate", "4", "--log", log}));
    ASSERT_TRUE(sim.Started());
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(path, target);

    Line line;
    ASSERT_TRUE(line.Open(link));
    // The banner waits on the line for whoever opens it first; then the NMEA stream.
    const auto start = line.ReadUntil("GLGSV", kPatience);
    EXPECT_NE(start.find("Welcome"), std::string::npos);
    EXPECT_NE(start.find("$GNGGA,"), std::string::npos);
    for (std::size_t at = start.find('$'); at != std::string::npos; at = start.find('$', at + 1)) {
        const auto end = start.find('\n', at);
        if (end != std::string::npos) {
            EXPECT_TRUE(IsValidNmeaSentence(start.substr(at, end + 1 - at)));
        }
    }

    // Commands are taken in order, so nothing of the stream follows the ID reply.
    line.Send("AT+GPSTEST=0");
    line.Send("AT+SMS=ID?,864209#");
    const auto untilId = line.ReadUntil("AT+ID==2026121001#\r\n", kPatience);
    EXPECT_TRUE(untilId.ends_with("AT+ID==2026121001#\r\n")) << untilId;
    EXPECT_EQ(line.ReadFor(milliseconds(600)), "");

    // Each reply comes on its own, as the short chunk the configuration side takes.
    line.Send("AT+SMS=APN,864209,cmnet.example#");
    EXPECT_EQ(line.ReadUntil("#\r\n", kPatience), "AT+APN==cmnet.example#\r\n");
    line.Send("AT+SMS=APN?,864209#");
    EXPECT_EQ(line.ReadUntil("#\r\n", kPatience), "AT+APN==cmnet.example#\r\n");
    line.Send("AT+SMS=APN?,000000#");
    EXPECT_EQ(line.ReadFor(milliseconds(300)), "");

    line.Send("AT+TEST=1");
    const auto block = line.ReadUntil("SETTING>\r\n", kPatience);
    EXPECT_EQ(block.rfind("<SETTING\r\nVer: V1.0.4\r\n", 0), 0u) << block;
    EXPECT_NE(block.find("\r\nAPN:cmnet.example\r\n"), std::string::npos) << block;
    EXPECT_LT(block.size(), 512u);

    line.Send("AT+TEST_GPS=1");
    EXPECT_EQ(line.ReadUntil("\r\n", kPatience), "AT+TEST_GPS==1\r\n");

    sim.Signal(SIGUSR1);
    EXPECT_NE(line.ReadUntil("\r\n", kPatience).find("Welcome"), std::string::npos);

    line.Send("AT+GPSTEST=1");
    EXPECT_NE(line.ReadUntil("$GNGGA,", kPatience).find("$GNGGA,"), std::string::npos);
    // Quiet again, so that everything the simulator wrote has been read when it stops.
    line.Send("AT+GPSTEST=0");
    line.Send("AT+SMS=ID?,864209#");
    EXPECT_TRUE(
        line.ReadUntil("AT+ID==2026121001#\r\n", kPatience).ends_with("AT+ID==2026121001#\r\n"));

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    struct stat info {};
    EXPECT_NE(lstat(link.c_str(), &info), 0) << "link left behind";

    // The log has every line both ways, each after a date and time, and its sent entries are
    // exactly the bytes that came over the line.
    std::ifstream file(log, std::ios::binary);
    std::string text, logLine;
    while (std::getline(file, logLine)) {
        EXPECT_TRUE(logLine.size() > 24 && logLine[4] == '-' && logLine[13] == ':') << logLine;
        text += logLine + "\n";
    }
    EXPECT_NE(text.find(" RX AT+GPSTEST=0\n"), std::string::npos);
    EXPECT_NE(text.find(" RX AT+SMS=APN,864209,cmnet.example#\n"), std::string::npos);
    EXPECT_NE(text.find(" TX AT+APN==cmnet.example#\n"), std::string::npos);
    EXPECT_NE(text.find(" TX $GNGGA,"), std::string::npos);
    EXPECT_NE(text.find(" TX SETTING>\n"), std::string::npos);
    EXPECT_EQ(TrafficLog::SentBytes(text), line.Received());
    std::remove(log.c_str());
}

TEST_P(TrackerSimOverPseudoTerminal, FactoryTestOptionsAndInterrupt) {
    SimProcess sim(WithPace({"--fail", "gsm", "--silent", "ACC", "--gps-fix-after", "60"}));
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    Line line;
    ASSERT_TRUE(line.Open(path));
    line.Send("AT+GPSTEST=0");
    line.Send("AT+TEST_GSM=1");
    line.Send("AT+TEST_ACC=1");
    line.Send("AT+TEST_GPS=1");
    line.Send("AT+TEST_SIM=1");
    const auto replies = line.ReadUntil("AT+TEST_SIM==1\r\n", kPatience);
    EXPECT_TRUE(replies.ends_with("AT+TEST_GSM==0\r\nAT+TEST_GPS==0\r\nAT+TEST_SIM==1\r\n"))
        << replies;
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(), 0);
}

// Paced, the banner may still be on its way when the signal comes: the simulator stops at once.
TEST_P(TrackerSimOverPseudoTerminal, EveryStopSignalEndsCleanlyAndRemovesTheLink) {
    for (const int signo : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signo));
        const std::string link = LinkPath();
        // Left behind by a run that was killed: a link to a terminal that is gone or reused.
        std::remove(link.c_str());
        ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
        SimProcess sim(WithPace({"--link", link}));
        const std::string path = sim.FirstLine();
        ASSERT_FALSE(path.empty());
        char target[256] = {};
        ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(path, target);
        sim.Signal(signo);
        EXPECT_EQ(sim.Wait(), 0);
        struct stat info {};
        EXPECT_NE(lstat(link.c_str(), &info), 0) << "link left behind";
    }
}

TEST(TrackerSimStart, KeepsALinkOfTheUsersToAFile) {
    const std::string file = LinkPath() + ".file";
    const std::string link = LinkPath();
    std::ofstream(file) << "keep me\n";
    std::remove(link.c_str());
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    SimProcess sim({"--link", link});
    EXPECT_EQ(sim.Wait(), 1);
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(file, target);
    std::remove(link.c_str());
    std::remove(file.c_str());
}

// A serial device that goes away (here the far side of a terminal pair closing) ends the run
// with a failure instead of leaving the simulator spinning on a dead line.
TEST_P(TrackerSimOverPseudoTerminal, SerialDeviceThatHangsUpEndsTheRun) {
    // Close-on-exec, or the simulator would hold the far side open itself.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    char device[256] = {};
    ASSERT_EQ(ptsname_r(master, device, sizeof device), 0);
    const std::string link = LinkPath();
    SimProcess sim(WithPace({"--port", device, "--link", link}));
    EXPECT_EQ(sim.FirstLine(), device);
    close(master);
    EXPECT_EQ(sim.Wait(), 1);
    struct stat info {};
    EXPECT_NE(lstat(link.c_str(), &info), 0) << "link left behind";
}

TEST(TrackerSimStart, UnknownOptionExitsWithTwo) {
    SimProcess sim({"--no-such-option"});
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(sim.Wait(), 2);
}

// Sentences of `text` that are complete (up to their CR LF), in order.
std::vector<std::string> Sentences(const std::string& text) {
    std::vector<std::string> sentences;
    for (std::size_t at = text.find('$'); at != std::string::npos; at = text.find('$', at + 1)) {
        const auto end = text.find("\r\n", at);
        if (end == std::string::npos)
            break;
        sentences.push_back(text.substr(at, end + 2 - at));
    }
    return sentences;
}

// Steps `k` over one GSV cycle of `address`; true when it has every sentence, numbered 1 to
// its count (single digits here).
bool WholeGsvCycle(const std::vector<std::string>& sentences, std::size_t& k, const char* address) {
    const std::size_t first = k;
    while (k < sentences.size() && sentences[k].starts_with(address)) {
        const std::string& s = sentences[k];
        if (s.size() < 11 || s[9] != static_cast<char>('1' + (k - first)) ||
            s[7] != sentences[first][7])
            return false;
        ++k;
    }
    return k > first && sentences[k - 1][9] == sentences[k - 1][7];
}

// A 9600 baud line that the receiver fills far faster than it can carry (20 epochs a second
// of some 600 bytes each): the reader gets no more than 960 bytes a second, a reply spread
// over its bytes' time and never mixed into an epoch, and whole epochs only, later ones
// skipped rather than cut.
TEST(TrackerSimPacedLine, CarriesWholeEpochsAndRepliesAtTheLineRate) {
    SimProcess sim({"--seed", "3", "--rate", "20", "--pace", "9600"});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    Line line;
    ASSERT_TRUE(line.Open(path));
    const auto opened = Clock::now();
    line.ReadFor(milliseconds(400));
    line.Send("AT+TEST=1");
    line.ReadUntil("SETTING>\r\n", kPatience);
    line.ReadFor(milliseconds(300));
    const double seconds = std::chrono::duration<double>(Clock::now() - opened).count();
    const std::string& received = line.Received();

    // The banner waited on the line before the far end opened it; the rest came at the rate.
    const auto afterBanner = received.find("\r\n");
    ASSERT_NE(afterBanner, std::string::npos);
    EXPECT_NE(received.find("Welcome"), std::string::npos);
    EXPECT_LE(static_cast<double>(received.size() - afterBanner - 2),
              960.0 * seconds + LinePacer::kMaxPiece);

    const auto begin = received.find("<SETTING\r\n");
    const auto end = received.find("SETTING>\r\n", begin);
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    const std::string block = received.substr(begin, end + 10 - begin);
    EXPECT_EQ(block.find('$'), std::string::npos) << block;
    // Its first and last pieces may each have come whole; every byte between took its time.
    const auto crossing = std::chrono::microseconds((block.size() - 2 * LinePacer::kMaxPiece) * 10 *
                                                    1'000'000 / 9600);
    EXPECT_GE(line.ReadAt(end + 9) - line.ReadAt(begin), crossing);

    // Every sentence sound, in whole epochs: GGA, two GSA, VTG, the GPS then the GLONASS GSV
    // cycle, each cycle to its last sentence.
    const auto sentences = Sentences(received);
    std::vector<double> epochTimes;
    std::size_t i = 0;
    while (i < sentences.size()) {
        ASSERT_TRUE(IsValidNmeaSentence(sentences[i])) << sentences[i];
        ASSERT_TRUE(sentences[i].starts_with("$GNGGA,")) << sentences[i];
        epochTimes.push_back(std::atof(sentences[i].substr(7, 2).c_str()) * 3600 +
                             std::atof(sentences[i].substr(9, 2).c_str()) * 60 +
                             std::atof(sentences[i].substr(11, 5).c_str()));
        std::size_t next = i + 1;
        while (next < sentences.size() && !sentences[next].starts_with("$GNGGA,"))
            ++next;
        if (next == sentences.size())
            break; // the last epoch may still have been on its way
        std::string order;
        for (std::size_t k = i + 1; k < next; ++k) {
            ASSERT_TRUE(IsValidNmeaSentence(sentences[k])) << sentences[k];
            order += sentences[k].substr(1, 5) + " ";
        }
        ASSERT_GE(next - i, 4u) << order;
        EXPECT_EQ(order.substr(0, 18), "GNGSA GNGSA GNVTG ") << order;
        std::size_t k = i + 4;
        EXPECT_TRUE(WholeGsvCycle(sentences, k, "$GPGSV,")) << order;
        EXPECT_TRUE(WholeGsvCycle(sentences, k, "$GLGSV,")) << order;
        EXPECT_EQ(k, next) << order;
        i = next;
    }
    // Far fewer epochs came than were made: the line skipped them rather than queue them all.
    ASSERT_GE(epochTimes.size(), 2u);
    const double span = epochTimes.back() - epochTimes.front();
    EXPECT_GT(span, 0.05 * static_cast<double>(epochTimes.size() - 1) * 2) << span;
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
}

} // namespace
