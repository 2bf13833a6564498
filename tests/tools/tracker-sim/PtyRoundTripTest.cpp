// Starts the simulator binary and talks to it over its pseudo-terminal as Tollbrook would.

#include "NmeaSentence.h"
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
// reads it.
class Line {
public:
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
            if (r.status == CSio::ReadStatus::Data)
                text.append(reinterpret_cast<const char*>(buffer), r.count);
            else
                std::this_thread::sleep_for(milliseconds(5));
        }
        return text;
    }

private:
    CSio m_port;
};

std::string LinkPath() {
    return testing::TempDir() + "tracker-sim-link-" + std::to_string(getpid());
}

TEST(TrackerSimOverPseudoTerminal, RoundTrip) {
    const std::string link = LinkPath();
    const std::string log = link + ".log";
    SimProcess sim({"--seed", "1", "--link", link, "--rate", "4", "--log", log});
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

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    struct stat info {};
    EXPECT_NE(lstat(link.c_str(), &info), 0) << "link left behind";

    // The log has every line both ways, each after a date and time.
    std::ifstream file(log);
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
    std::remove(log.c_str());
}

TEST(TrackerSimOverPseudoTerminal, FactoryTestOptionsAndInterrupt) {
    SimProcess sim({"--fail", "gsm", "--silent", "ACC", "--gps-fix-after", "60"});
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

TEST(TrackerSimOverPseudoTerminal, EveryStopSignalEndsCleanlyAndRemovesTheLink) {
    for (const int signo : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signo));
        const std::string link = LinkPath();
        // Left behind by a run that was killed: a link to a terminal that is gone or reused.
        std::remove(link.c_str());
        ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
        SimProcess sim({"--link", link});
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

TEST(TrackerSimOverPseudoTerminal, KeepsALinkOfTheUsersToAFile) {
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
TEST(TrackerSimOverPseudoTerminal, SerialDeviceThatHangsUpEndsTheRun) {
    // Close-on-exec, or the simulator would hold the far side open itself.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    char device[256] = {};
    ASSERT_EQ(ptsname_r(master, device, sizeof device), 0);
    const std::string link = LinkPath();
    SimProcess sim({"--port", device, "--link", link});
    EXPECT_EQ(sim.FirstLine(), device);
    close(master);
    EXPECT_EQ(sim.Wait(), 1);
    struct stat info {};
    EXPECT_NE(lstat(link.c_str(), &info), 0) << "link left behind";
}

TEST(TrackerSimOverPseudoTerminal, UnknownOptionExitsWithTwo) {
    SimProcess sim({"--no-such-option"});
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(sim.Wait(), 2);
}

} // namespace
