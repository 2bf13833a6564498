#include "app/RecordFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

RecordFile::RecordFile(WriteFailureReport reportWriteFailure)
    : m_reportWriteFailure(std::move(reportWriteFailure)) {}

RecordFile::~RecordFile() {
    Close();
}

bool RecordFile::Open(const std::string& path) {
    Close();
    m_recordedBytes = 0;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return m_fd >= 0;
}

void RecordFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void RecordFile::Record(const std::uint8_t* bytes, std::size_t length) {
    if (m_fd < 0 || length == 0) {
        return;
    }
    // Unbuffered: each chunk reaches the system before the next tick, as a flush would.
    std::size_t written = 0;
    while (written < length) {
        const ssize_t n = ::write(m_fd, bytes + written, length - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        const std::string reason = std::strerror(n < 0 ? errno : EIO);
        Close();
        if (m_reportWriteFailure) {
            m_reportWriteFailure(reason);
        }
        return;
    }
    m_recordedBytes += static_cast<std::uint32_t>(length);
}
