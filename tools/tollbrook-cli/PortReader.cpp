#include "PortReader.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>

std::int64_t PortReader::NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start).count();
}

PortReader::Step PortReader::Next(std::int64_t waitMs) {
    Step step;
    const int fd = m_port.m_hPort.load();
    if (fd >= 0 && waitMs > 0) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(std::min<std::int64_t>(waitMs, 1000))) < 0 &&
            errno == EINTR)
            step.interrupted = true;
    }
    std::string bytes;
    for (;;) {
        std::uint8_t buffer[10240];
        const CSio::ReadResult read = m_port.Read(buffer, sizeof buffer, 2560, m_lostSource);
        if (read.status == CSio::ReadStatus::Data) {
            bytes.append(reinterpret_cast<const char*>(buffer), read.count);
            if (read.count == sizeof buffer)
                continue; // more may wait
            break;
        }
        if (read.status == CSio::ReadStatus::Lost) {
            m_lostSource = read.source;
            step.lost = true;
        }
        break;
    }
    step.ready = m_reassembler.Take(bytes, NowMs());
    if (step.lost)
        step.ready += m_reassembler.Flush();
    return step;
}
