#include "serial/CSio.h"

#include "serial/Acquisition.h"
#include "serial/IAcquisitionEvents.h"
#include "serial/TermiosSpeed.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

CSio theSerialPort;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWriteTimeout = std::chrono::milliseconds(1000);

speed_t StandardSpeed(int baud) {
    switch (baud) {
    case 50:
        return B50;
    case 75:
        return B75;
    case 110:
        return B110;
    case 134:
        return B134;
    case 150:
        return B150;
    case 200:
        return B200;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 1800:
        return B1800;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 500000:
        return B500000;
    case 576000:
        return B576000;
    case 921600:
        return B921600;
    case 1000000:
        return B1000000;
    case 1152000:
        return B1152000;
    case 1500000:
        return B1500000;
    case 2000000:
        return B2000000;
    case 2500000:
        return B2500000;
    case 3000000:
        return B3000000;
    case 3500000:
        return B3500000;
    case 4000000:
        return B4000000;
    default:
        return B0;
    }
}

// Raw 8N1 without flow control; reads hand back at once whatever the driver holds.
int ApplyLineSettings(int fd, int baud) {
    struct termios tio {};
    if (tcgetattr(fd, &tio) != 0)
        return errno;
    cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_iflag |= IGNBRK;
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t standard = StandardSpeed(baud);
    if (standard != B0) {
        if (cfsetispeed(&tio, standard) != 0 || cfsetospeed(&tio, standard) != 0)
            return errno;
    }
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return errno;
    if (standard == B0)
        return serial_detail::SetArbitrarySpeed(fd, baud);
    return 0;
}

// One write of a line, given up when the device takes nothing for kWriteTimeout. True when
// every byte was taken.
bool WriteWithDeadline(int fd, const char* data, size_t size) {
    const auto deadline = Clock::now() + kWriteTimeout;
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return false;
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(waitMs));
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return false;
    }
    return true;
}

void NotifyDataSent() {
    if (IAcquisitionEvents* events = AcquisitionEvents())
        events->DataSent();
}

} // namespace

CSio::~CSio() {
    // Through Install like every other release, so the descriptor rule holds here too.
    const bool exclusive = m_bPortExclusive;
    Release(Install(-1, 0), exclusive);
}

int CSio::Open(const std::string& portName, int baud) {
    if (baud <= 0) {
        m_lastError = std::strerror(EINVAL);
        return -1;
    }
    const int fd = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_lastError = std::strerror(errno);
        return -1;
    }
    auto fail = [&](int error, bool exclusive) {
        m_lastError = std::strerror(error);
        Release(fd, exclusive);
        return -1;
    };
    if (!isatty(fd))
        return fail(ENOTTY, false);
    // TIOCEXCL alone does not stop a privileged program; the advisory lock does, and it is
    // taken first so that a port owned by someone else keeps its exclusive flag.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno, false);
    // Another program's TIOCEXCL refuses ordinary users at open(); honour it for root too,
    // unless the flag is the one our own lost connection could not take back.
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0 && !TakeOverLeftExclusive(fd))
        return fail(EBUSY, false);
    if (ioctl(fd, TIOCEXCL) != 0)
        return fail(errno, false);
    if (const int error = ApplyLineSettings(fd, baud); error != 0)
        return fail(error, true);
    // Pseudo-terminals and some adapters have no modem lines; that is no reason to refuse.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        return fail(errno, true);

    const bool oldExclusive = m_bPortExclusive;
    const int old = Install(fd, 0);
    m_bPortExclusive = true;
    Release(old, oldExclusive);
    m_lastError.clear();
    m_portName = portName;
    m_nBaud = baud;
    return fd;
}

bool CSio::OpenPlayback(const std::string& path) {
    // Non-blocking so that a FIFO or a device given as a "file" cannot stall the reader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_lastError = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        m_lastError = std::strerror(S_ISDIR(st.st_mode) ? EISDIR : errno);
        ::close(fd);
        return false;
    }
    // Shared with other players, not with a recorder (which holds the file exclusively): a
    // file being recorded would feed itself and grow without end.
    if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_lastError = std::strerror(EBUSY);
        ::close(fd);
        return false;
    }
    const bool oldExclusive = m_bPortExclusive;
    const int old = Install(fd, 1);
    m_bPortExclusive = false;
    Release(old, oldExclusive);
    m_lastError.clear();
    m_portName.clear();
    m_nBaud = 0;
    return true;
}

void CSio::Close() {
    const bool exclusive = m_bPortExclusive;
    const int old = Install(-1, 0);
    m_bPortExclusive = false;
    Release(old, exclusive);
    m_portName.clear();
    m_nBaud = 0;
    // Lets a device that resets on close settle before it is opened again.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

bool CSio::WriteLine(const char* text) {
    const int fd = m_hPort.load();
    if (fd < 0 || m_bPlayback.load() != 0 || text == nullptr)
        return false;
    const bool line = WriteWithDeadline(fd, text, std::strlen(text));
    NotifyDataSent();
    const bool end = WriteWithDeadline(fd, "\r\n", 2);
    NotifyDataSent();
    return line && end;
}

CSio::ReadResult CSio::Read(uint8_t* buffer, uint32_t liveSize, uint32_t playbackSize,
                            uint64_t skipSource) {
    std::lock_guard<std::mutex> lock(m_ioMutex);
    ReadResult result;
    result.source = m_source.load();
    const int fd = m_hPort.load();
    if (fd < 0 || result.source == skipSource)
        return result;
    const bool playback = m_bPlayback.load() == 1;
    const uint32_t size = playback ? playbackSize : liveSize;
    // The terminal layer hands out at most 4095 bytes per read: gather until the step's size is
    // reached or nothing more waits, so a dense receiver at a high rate does not fall behind.
    uint32_t total = 0;
    ssize_t n = 0;
    while (total < size) {
        n = ::read(fd, buffer + total, size - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<uint32_t>(n);
    }
    if (total > 0) {
        // A failure after some bytes is met again, and reported, at the next step.
        result.status = ReadStatus::Data;
        result.count = total;
        return result;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        result.status = ReadStatus::Lost;
        return result;
    }
    result.status = ReadStatus::Empty;
    if (playback)
        return result; // end of the file: stays open until the operator stops it
    // A terminal read gives 0 both when nothing is waiting and after a hang-up; poll tells.
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)))
        result.status = ReadStatus::Lost;
    return result;
}

int CSio::Install(int fd, int playback) {
    std::lock_guard<std::mutex> lock(m_ioMutex);
    const int old = m_hPort.exchange(fd);
    m_bPlayback.store(playback);
    m_source.fetch_add(1);
    return old;
}

void CSio::Release(int fd, bool exclusive) {
    if (fd < 0)
        return;
    // A pseudo-terminal's slave outlives our descriptor; leave it openable for the next user.
    // A hung-up descriptor refuses the ioctl, and the flag then stays on a terminal that may
    // come back (a pseudo-terminal whose other end hung it up but lives on): remember it, so
    // that we can open that terminal again while another program's flag still keeps us out.
    if (exclusive && ioctl(fd, TIOCNXCL) != 0) {
        struct stat st {};
        if (fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) &&
            std::find(m_leftExclusive.begin(), m_leftExclusive.end(), st.st_rdev) ==
                m_leftExclusive.end())
            m_leftExclusive.push_back(st.st_rdev);
    }
    ::close(fd);
}

bool CSio::TakeOverLeftExclusive(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    const auto it = std::find(m_leftExclusive.begin(), m_leftExclusive.end(), st.st_rdev);
    if (it == m_leftExclusive.end())
        return false;
    // Ours once more from here on; Open sets the flag again right after.
    m_leftExclusive.erase(it);
    return true;
}
