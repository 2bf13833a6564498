#pragma once
// The programs under test as child processes: tollbrook-cli with its stdout and stderr kept in
// files of the test's own, and tracker-sim, whose first line names its terminal. Also a device
// played by the test on a pseudo-terminal, for what the simulator does not do.

#include "PtyPair.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace cli_test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long to wait for something that must come; every wait ends as soon as it comes.
constexpr milliseconds kPatience(20000);

inline std::string ScratchPath(const std::string& name) {
    static std::atomic<int> counter{0};
    return testing::TempDir() + "tollbrook-cli-" + std::to_string(getpid()) + "-" +
           std::to_string(counter++) + "-" + name;
}

inline std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class Process {
public:
    Process(const std::string& program, const std::vector<std::string>& args)
        : m_out(ScratchPath("out")), m_err(ScratchPath("err")) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_err.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> all = {program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        unlink(m_out.c_str());
        unlink(m_err.c_str());
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return m_pid > 0; }
    void Signal(int signo) const {
        if (m_pid > 0)
            kill(m_pid, signo);
    }
    // Exit status (128 + signal when killed), or none when it did not end within the limit.
    std::optional<int> Wait(milliseconds limit = kPatience) {
        if (m_status)
            return m_status;
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return m_status;
            }
            std::this_thread::sleep_for(milliseconds(5));
        }
        return std::nullopt;
    }
    std::string Out() const { return ReadWhole(m_out); }
    std::string Err() const { return ReadWhole(m_err); }

    // The first line of stdout, or "" after the time limit.
    std::string FirstLine(milliseconds limit = kPatience) const {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            const std::string out = Out();
            if (const auto eol = out.find('\n'); eol != std::string::npos)
                return out.substr(0, eol);
            std::this_thread::sleep_for(milliseconds(10));
        }
        return "";
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
    std::string m_out;
    std::string m_err;
};

// A tracker on a pseudo-terminal that the test plays: it reads every command (so that the tool's
// writes never stall) and, when told to, answers every test item with a pass, but it never sends
// a parameter block.
class PlayedDevice {
public:
    explicit PlayedDevice(bool answerItems) : m_answerItems(answerItems) {
        m_thread = std::thread([this] { Serve(); });
    }
    ~PlayedDevice() {
        m_stop = true;
        m_thread.join();
    }
    PlayedDevice(const PlayedDevice&) = delete;
    PlayedDevice& operator=(const PlayedDevice&) = delete;

    bool ok() const { return m_pty.ok(); }
    const std::string& Path() const { return m_pty.slavePath; }

private:
    void Serve() {
        std::string line;
        while (!m_stop) {
            const std::string bytes = m_pty.Read(1, milliseconds(20));
            if (bytes.empty()) // before the tool opens the port, the master reports a hang-up
                std::this_thread::sleep_for(milliseconds(5));
            for (const char c : bytes) {
                if (c != '\r' && c != '\n') {
                    line += c;
                    continue;
                }
                // "AT+TEST_GSM=1" -> "AT+TEST_GSM==1"
                if (m_answerItems && line.starts_with("AT+TEST_") && line.ends_with("=1") &&
                    line.find("RELAY") == std::string::npos &&
                    line.find("BEEP") == std::string::npos)
                    m_pty.Write(line.substr(0, line.size() - 1) + "=1\r\n");
                line.clear();
            }
        }
    }

    PtyPair m_pty;
    bool m_answerItems;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace cli_test
