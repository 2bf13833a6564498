#include "TrackerSim.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int signo) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    [[maybe_unused]] const auto written = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

std::uint64_t RandomSeed() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

double UtcSecondsOfDay() {
    timeval now{};
    gettimeofday(&now, nullptr);
    return static_cast<double>(now.tv_sec % 86400) + now.tv_usec / 1e6;
}

ReceiverConfig MakeReceiverConfig(const SimOptions& options, std::uint64_t seed) {
    ReceiverConfig config;
    config.latitude = options.latitude;
    config.longitude = options.longitude;
    config.seed = seed;
    // A seeded run repeats byte for byte, clock included; otherwise the clock is real.
    if (!options.seed)
        config.startSecondsOfDay = UtcSecondsOfDay();
    config.fixAfterSeconds = options.gpsFixAfter;
    return config;
}

bool BaudConstant(int baud, speed_t& out) {
    static const struct {
        int baud;
        speed_t speed;
    } table[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},    {9600, B9600},
                 {19200, B19200},   {38400, B38400},   {57600, B57600},  {115200, B115200},
                 {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& entry : table) {
        if (entry.baud == baud) {
            out = entry.speed;
            return true;
        }
    }
    return false;
}

// Raw 8N1 without flow control, the tracker's line settings.
bool MakeRaw(int fd, speed_t speed) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB);
    // Blocking reads on the far end wait for data (a plain `cat` of the terminal works); our
    // own descriptor is non-blocking anyway.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// While this much waits to go out, commands are left in the terminal's buffer, as in a
// device whose output buffer is full: a far end that sends and never reads cannot make
// the queue of replies grow without end.
constexpr std::size_t kReadPauseBacklog = 256 * 1024;

} // namespace

TrackerSim::TrackerSim(const SimOptions& options)
    : m_options(options),
      m_receiver(MakeReceiverConfig(options, options.seed.value_or(RandomSeed()))),
      m_emitter(options.faults, options.seed.value_or(RandomSeed())),
      m_pacer(options.pace, options.seed.value_or(RandomSeed())) {
    if (!options.version.empty())
        m_state.version = options.version;
    if (!options.imei.empty())
        m_state.imei = options.imei;
    m_conditions.failItems = options.failItems;
    m_conditions.silentItems = options.silentItems;
}

TrackerSim::~TrackerSim() {
    RemoveLink();
    if (m_fd >= 0)
        close(m_fd);
}

bool TrackerSim::Open() {
    if (!m_options.logPath.empty()) {
        std::FILE* file = std::fopen(m_options.logPath.c_str(), "w");
        if (!file) {
            std::fprintf(stderr, "tracker-sim: cannot write the log %s: %s\n",
                         m_options.logPath.c_str(), std::strerror(errno));
            return false;
        }
        m_log = TrafficLog(file);
    }
    if (!InstallSignals())
        return false;
    if (!(m_options.portDevice.empty() ? OpenPseudoTerminal() : OpenSerialDevice()))
        return false;
    if (!m_options.linkPath.empty() && !MakeLink())
        return false;
    std::printf("%s\n", m_path.c_str());
    std::fflush(stdout);
    return true;
}

bool TrackerSim::OpenPseudoTerminal() {
    m_fd = posix_openpt(O_RDWR | O_NOCTTY);
    char name[256];
    if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0 ||
        ptsname_r(m_fd, name, sizeof name) != 0) {
        std::fprintf(stderr, "tracker-sim: cannot create a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return false;
    }
    m_path = name;
    m_pseudoTerminal = true;
    // Raw from the start: a terminal in its default mode would echo our own output back to
    // us until the far end sets its modes. The settings stay while we hold the master.
    const int slave = open(name, O_RDWR | O_NOCTTY);
    if (slave < 0 || !MakeRaw(slave, B115200)) {
        std::fprintf(stderr, "tracker-sim: cannot set up %s: %s\n", name, std::strerror(errno));
        if (slave >= 0)
            close(slave);
        return false;
    }
    close(slave);
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    return true;
}

bool TrackerSim::OpenSerialDevice() {
    speed_t speed{};
    if (!BaudConstant(m_options.baud, speed)) {
        std::fprintf(stderr, "tracker-sim: baud rate %d is not supported\n", m_options.baud);
        return false;
    }
    m_fd = open(m_options.portDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0 || !MakeRaw(m_fd, speed)) {
        std::fprintf(stderr, "tracker-sim: cannot open %s: %s\n", m_options.portDevice.c_str(),
                     std::strerror(errno));
        return false;
    }
    m_path = m_options.portDevice;
    return true;
}

bool TrackerSim::MakeLink() {
    const char* link = m_options.linkPath.c_str();
    struct stat info {};
    if (lstat(link, &info) == 0) {
        // A link left behind by a run that was killed (to a terminal, or to nothing by now)
        // is replaced; anything else, a link of the user's to a file included, is kept.
        struct stat target {};
        const bool stale =
            S_ISLNK(info.st_mode) && (stat(link, &target) != 0 || S_ISCHR(target.st_mode));
        if (!stale) {
            std::fprintf(stderr, "tracker-sim: %s exists and is not a link to a terminal\n", link);
            return false;
        }
        unlink(link);
    }
    if (symlink(m_path.c_str(), link) != 0) {
        std::fprintf(stderr, "tracker-sim: cannot make the link %s: %s\n", link,
                     std::strerror(errno));
        return false;
    }
    m_linked = true;
    return true;
}

void TrackerSim::RemoveLink() {
    if (!m_linked)
        return;
    m_linked = false;
    char target[512];
    const auto length = readlink(m_options.linkPath.c_str(), target, sizeof target - 1);
    if (length >= 0 && m_path == std::string_view(target, static_cast<std::size_t>(length)))
        unlink(m_options.linkPath.c_str());
}

bool TrackerSim::InstallSignals() {
    if (pipe(g_signalPipe) != 0) {
        std::fprintf(stderr, "tracker-sim: %s\n", std::strerror(errno));
        return false;
    }
    for (const int fd : g_signalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // SIGHUP too: closing the terminal the simulator was started from should not leave the
    // link behind.
    for (const int signo : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigaction(signo, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool TrackerSim::ListenerPresent() const {
    if (!m_pseudoTerminal)
        return true;
    // The master reports a hang-up while nobody has the terminal open.
    pollfd p{m_fd, 0, 0};
    return poll(&p, 1, 0) == 0 || (p.revents & POLLHUP) == 0;
}

int TrackerSim::Run() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / m_options.rate));
    auto nextEpoch = Clock::now();

    SendBanner();
    for (;;) {
        auto now = Clock::now();
        if (now >= nextEpoch) {
            SendEpoch();
            nextEpoch += period;
            if (nextEpoch + period < now) // after a stall, go on from now
                nextEpoch = now + period;
        }
        const bool lineFull = !WriteDue();
        auto deadline = nextEpoch;
        // A full line is waited for below; what falls due meanwhile goes when it takes more.
        if (const auto due = m_pacer.NextDue(); due && !lineFull)
            deadline =
                std::min(deadline, m_start + std::chrono::duration_cast<Clock::duration>(*due));
        long long wait =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const bool listener = ListenerPresent();
        if (!listener) // look again soon: the far end may open the terminal at any time
            wait = std::min<long long>(wait, 20);
        const short events = static_cast<short>(
            (m_pacer.Queued() < kReadPauseBacklog ? POLLIN : 0) | (lineFull ? POLLOUT : 0));
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {m_fd, events, 0}};
        const int count = poll(fds, listener ? 2 : 1, static_cast<int>(std::max(wait, 0LL)));
        if (count < 0 && errno != EINTR) {
            std::fprintf(stderr, "tracker-sim: %s\n", std::strerror(errno));
            return 1;
        }
        if (count <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            unsigned char signals[16];
            const auto n = read(g_signalPipe[0], signals, sizeof signals);
            for (ssize_t i = 0; i < n; ++i) {
                if (signals[i] == SIGUSR1)
                    SendBanner();
                else
                    return 0;
            }
        }
        // A hung-up serial device reports itself readable and then reads nothing, so the
        // read is what tells; a pseudo-terminal whose far end left is noticed above instead.
        if (listener && (fds[1].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) && !Receive() &&
            !m_pseudoTerminal) {
            // A serial device that hangs up (an adapter pulled out) does not come back.
            std::fprintf(stderr, "tracker-sim: %s failed\n", m_path.c_str());
            return 1;
        }
    }
}

void TrackerSim::SendBanner() {
    // Even to an empty line: whoever opens the terminal next sees the device's start.
    m_pacer.Enqueue(BannerLine(m_state) + "\r\n", LinePacer::Kind::Reply, Elapsed());
}

void TrackerSim::SendEpoch() {
    const auto pieces = m_emitter.Emit(m_receiver.SentenceBodies());
    const auto step = 1.0 / m_options.rate;
    if (m_state.gpsTestOutput && ListenerPresent()) {
        std::string bytes;
        for (const auto& piece : pieces)
            bytes += piece;
        // Refused when the line is still busy with earlier epochs: the receiver skips one.
        m_pacer.Enqueue(bytes, LinePacer::Kind::Stream, Elapsed());
    }
    m_receiver.Advance(step);
}

bool TrackerSim::Receive() {
    char buffer[4096];
    for (;;) {
        const auto n = read(m_fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return true; // nothing more for now
        if (n <= 0)
            return false; // end of file or an error: the line is gone
        for (const auto& line :
             m_assembler.Feed(std::string_view(buffer, static_cast<std::size_t>(n))))
            HandleLine(line);
    }
}

void TrackerSim::HandleLine(const std::string& line) {
    m_log.Received(line);
    m_conditions.gpsFixed = m_receiver.HasFix();
    auto outcome = HandleCommand(m_state, line, m_conditions);
    m_state = std::move(outcome.state);
    if (outcome.replies.empty())
        return;
    std::string bytes;
    for (const auto& reply : outcome.replies) {
        bytes += reply;
        bytes += "\r\n";
    }
    // Behind whatever is still on its way, as on a real line. Without a pace each command's
    // replies go out in a write of their own, even when several commands came in one read.
    m_pacer.Enqueue(bytes, LinePacer::Kind::Reply, Elapsed());
    WriteDue();
}

bool TrackerSim::WriteDue() {
    for (;;) {
        const auto now = Elapsed();
        const std::string_view piece = m_pacer.Due(now);
        if (piece.empty())
            break;
        const auto n = write(m_fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        // Full (or failing): the bytes stay queued until the line takes them.
        if (n <= 0)
            return false;
        const auto written = static_cast<std::size_t>(n);
        m_log.Sent(piece.substr(0, written));
        m_pacer.Sent(written, now);
        if (written < piece.size())
            return false;
    }
    if (m_pacer.Queued() == 0)
        m_log.Flush();
    return true;
}

LinePacer::Time TrackerSim::Elapsed() const {
    return std::chrono::duration_cast<LinePacer::Time>(std::chrono::steady_clock::now() - m_start);
}
