#include "app/RecordFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

RecordFile::RecordFile(WriteFailureReport reportWriteFailure)
    : m_reportWriteFailure(std::move(reportWriteFailure)) {}

RecordFile::~RecordFile() {
    Close();
}

bool RecordFile::Open(const std::string& path, std::optional<FileIdentity> playback) {
    Close();
    m_recordedBytes = 0;
    // A pipe or a device is not even opened: opening a FIFO for writing waits for a reader.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    // Not cut yet: a file that is refused below must keep every byte. Non-blocking in case a
    // FIFO took the name since the check.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const std::optional<FileIdentity> identity = IdentityOfDescriptor(fd);
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    // The lock keeps a second recorder and a player (which takes a shared lock) of another
    // program instance away; a file system without locks is not a reason to refuse.
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!regular || !identity || (playback && *identity == *playback) || held ||
        ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void RecordFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::optional<FileIdentity> RecordFile::Identity() const {
    return IdentityOfDescriptor(m_fd);
}

std::string RecordFile::WriteFailureReason(int error) {
    char buffer[256] = {};
    // The GNU variant may return a static text instead of filling the buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    return text && *text ? std::string(text) : "error " + std::to_string(error);
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
        const std::string reason = WriteFailureReason(n < 0 ? errno : EIO);
        Close();
        if (m_reportWriteFailure) {
            m_reportWriteFailure(reason);
        }
        return;
    }
    m_recordedBytes += static_cast<std::uint32_t>(length);
}
