#pragma once
// A pseudo-terminal whose slave path stands in for a serial port; the test plays the device
// on the master side.

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>

struct PtyPair {
    int master = -1;
    std::string slavePath;

    PtyPair() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        slavePath = name;
        // The port under test opens the slave by its path, as it would a real device.
        ::close(slave);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() { HangUp(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master >= 0; }

    // The device disappears: the slave side sees a hang-up.
    void HangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    bool Write(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd pfd{master, POLLOUT, 0};
                if (::poll(&pfd, 1, 1000) <= 0)
                    return false;
            } else {
                return false;
            }
        }
        return true;
    }

    // Whatever the port wrote, collected until `expected` bytes came or `timeout` passed.
    std::string Read(size_t expected, std::chrono::milliseconds timeout) const {
        std::string out;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        char buffer[4096];
        while (out.size() < expected && std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{master, POLLIN, 0};
            if (::poll(&pfd, 1, 10) > 0) {
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n > 0)
                    out.append(buffer, static_cast<size_t>(n));
            }
        }
        return out;
    }
};
