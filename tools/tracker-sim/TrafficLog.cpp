#include "TrafficLog.h"

#include <ctime>
#include <sys/time.h>
#include <utility>

namespace {

std::string Escaped(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            const int high = HexDigit(text[i + 2]);
            const int low = HexDigit(text[i + 3]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

constexpr std::string_view kLineEnd = "\r\n";

} // namespace

TrafficLog::~TrafficLog() {
    Close();
}

TrafficLog::TrafficLog(TrafficLog&& other) noexcept
    : m_file(std::exchange(other.m_file, nullptr)), m_unfinished(std::move(other.m_unfinished)) {}

TrafficLog& TrafficLog::operator=(TrafficLog&& other) noexcept {
    if (this != &other) {
        Close();
        m_file = std::exchange(other.m_file, nullptr);
        m_unfinished = std::move(other.m_unfinished);
    }
    return *this;
}

void TrafficLog::Close() {
    if (!m_file)
        return;
    Flush();
    std::fclose(m_file);
    m_file = nullptr;
}

void TrafficLog::Received(std::string_view line) {
    Write("RX", Escaped(line));
}

void TrafficLog::Sent(std::string_view bytes) {
    if (!m_file)
        return;
    for (;;) {
        const auto feed = bytes.find('\n');
        if (feed == std::string_view::npos) {
            m_unfinished.append(bytes);
            return;
        }
        m_unfinished.append(bytes.substr(0, feed + 1));
        bytes.remove_prefix(feed + 1);
        std::string_view line = m_unfinished;
        if (line.ends_with(kLineEnd)) {
            line.remove_suffix(kLineEnd.size());
            Write("TX", Escaped(line));
        } else {
            Write("TX", Escaped(line) + "\\");
        }
        m_unfinished.clear();
    }
}

void TrafficLog::Flush() {
    if (m_unfinished.empty())
        return;
    Write("TX", Escaped(m_unfinished) + "\\");
    m_unfinished.clear();
}

void TrafficLog::Write(const char* direction, std::string_view text) {
    if (!m_file)
        return;
    timeval now{};
    gettimeofday(&now, nullptr);
    tm parts{};
    gmtime_r(&now.tv_sec, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &parts);
    std::fprintf(m_file, "%s.%03ld %s %.*s\n", stamp, static_cast<long>(now.tv_usec / 1000),
                 direction, static_cast<int>(text.size()), text.data());
    std::fflush(m_file);
}

std::string TrafficLog::SentBytes(std::string_view logText) {
    std::string bytes;
    while (!logText.empty()) {
        const auto end = logText.find('\n');
        std::string_view entry = logText.substr(0, end);
        logText.remove_prefix(end == std::string_view::npos ? logText.size() : end + 1);
        // Date, time, direction, text.
        const auto afterDate = entry.find(' ');
        const auto afterTime =
            afterDate == std::string_view::npos ? afterDate : entry.find(' ', afterDate + 1);
        if (afterTime == std::string_view::npos ||
            entry.substr(afterTime + 1, 3) != std::string_view("TX "))
            continue;
        std::string_view text = entry.substr(afterTime + 4);
        if (text.ends_with('\\')) {
            text.remove_suffix(1);
            bytes += Unescaped(text);
        } else {
            bytes += Unescaped(text);
            bytes += kLineEnd;
        }
    }
    return bytes;
}
