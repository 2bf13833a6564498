#include "LinePacer.h"

#include <algorithm>

namespace {

// One start bit, eight data bits, one stop bit.
constexpr std::uint64_t kBitsPerByte = 10;
constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;
// Sent bytes are held at the front of the queue until this many have gone, then cut off.
constexpr std::size_t kCompactAfter = 4096;

} // namespace

LinePacer::LinePacer(int baud, std::uint64_t seed)
    : m_baud(std::max(baud, 0)),
      m_backlogLimit(m_baud > 0 ? static_cast<std::size_t>(m_baud) / kBitsPerByte
                                : kInstantBacklog),
      // Its own stream of draws, so that a paced run's NMEA is the same as an instant one's.
      m_prng(seed ^ 0x9ACE11AE5EEDull) {
    DrawPiece();
}

bool LinePacer::Enqueue(std::string_view bytes, Kind kind, Time now) {
    if (kind == Kind::Stream && Queued() >= m_backlogLimit && Queued() > 0)
        return false;
    if (bytes.empty())
        return true;
    if (Queued() == 0 && m_baud > 0) {
        // An idle line saves nothing up: the first byte starts now, or when the last one
        // has finished crossing if that is later.
        m_runStart = std::max(now, m_lineFreeAt);
        m_runBytes = 0;
    }
    m_queue.append(bytes);
    return true;
}

std::string_view LinePacer::Due(Time now) const {
    if (Queued() == 0)
        return {};
    const std::string_view queued = std::string_view(m_queue).substr(m_head);
    if (m_baud == 0)
        return queued;
    const std::size_t piece = PieceSize();
    if (now < CrossedAt(m_runBytes + piece))
        return {};
    return queued.substr(0, piece);
}

void LinePacer::Sent(std::size_t count, Time now) {
    count = std::min(count, Queued());
    m_head += count;
    if (m_baud > 0) {
        m_runBytes += count;
        m_piece -= std::min(count, m_piece);
        if (m_piece == 0)
            DrawPiece();
        m_lineFreeAt = CrossedAt(m_runBytes);
        if (now - m_lineFreeAt > kMaxLag) {
            m_runStart = now;
            m_runBytes = 0;
            m_lineFreeAt = now;
        }
        // Every `baud` bytes take exactly ten seconds; moving the start on keeps the
        // products below small.
        const auto baud = static_cast<std::uint64_t>(m_baud);
        if (m_runBytes >= baud) {
            m_runStart += std::chrono::seconds(kBitsPerByte);
            m_runBytes -= baud;
        }
    }
    if (Queued() == 0) {
        m_queue.clear();
        m_head = 0;
        // A piece cut short by the end of the queue is over; the next text starts afresh.
        if (m_baud > 0)
            DrawPiece();
    } else if (m_head >= kCompactAfter && m_head * 2 >= m_queue.size()) {
        m_queue.erase(0, m_head);
        m_head = 0;
    }
}

std::optional<LinePacer::Time> LinePacer::NextDue() const {
    if (Queued() == 0)
        return std::nullopt;
    if (m_baud == 0)
        return Time::zero();
    return CrossedAt(m_runBytes + PieceSize());
}

std::size_t LinePacer::PieceSize() const {
    return std::min(m_piece, Queued());
}

LinePacer::Time LinePacer::CrossedAt(std::uint64_t bytes) const {
    const auto baud = static_cast<std::uint64_t>(m_baud);
    // Rounded up: a byte is never handed over before its stop bit has ended.
    const std::uint64_t nanoseconds =
        (bytes * kBitsPerByte * kNanosecondsPerSecond + baud - 1) / baud;
    return m_runStart + Time(static_cast<Time::rep>(nanoseconds));
}

void LinePacer::DrawPiece() {
    m_piece = static_cast<std::size_t>(m_prng.Int(1, static_cast<int>(kMaxPiece)));
}
