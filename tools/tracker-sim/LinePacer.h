#pragma once
// The simulator's output queue, drained at a serial line's pace. A real tracker's UART puts
// out 8N1 frames (ten bit times a byte) and a reader on the far side sees them in whatever
// small pieces its driver hands over; a simulator that writes a whole reply at once hides
// every fault of a reader that expects whole replies. This decides which bytes may go now;
// the caller writes them and says how many went.
//
// Times are durations since any origin the caller keeps fixed.

#include "Prng.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class LinePacer {
public:
    using Time = std::chrono::nanoseconds;

    enum class Kind {
        Reply,  // a command's reply or the banner: never dropped
        Stream, // one whole NMEA epoch: dropped whole when the line cannot keep up
    };

    static constexpr std::size_t kMaxPiece = 16;
    // Without a pace the queue only fills while the far end does not read.
    static constexpr std::size_t kInstantBacklog = 64 * 1024;
    // Behind a stall (the simulator not scheduled, the far end not reading) the line does not
    // rush out what it missed; it goes on at its rate from then.
    static constexpr Time kMaxLag = std::chrono::milliseconds(50);

    // baud 0: no pace; everything queued may go at once, in one piece.
    LinePacer(int baud, std::uint64_t seed);

    // Queues bytes behind what is queued. An epoch is refused (false) when a second of line
    // time or more already waits in front of it: a receiver on a line too slow for its
    // output skips epochs, it does not fall ever further behind. An epoch on an idle line
    // always goes, however long it is.
    bool Enqueue(std::string_view bytes, Kind kind, Time now);

    // The bytes that have crossed the line by `now` and may be written: the next piece
    // (1 to kMaxPiece bytes, sizes drawn from the seed) once its last byte's time has come,
    // else nothing. Valid until the next call of a non-const member.
    std::string_view Due(Time now) const;
    // `count` bytes of Due(now) were written.
    void Sent(std::size_t count, Time now);

    // When the next piece falls due; none when nothing is queued. Without a pace, queued
    // bytes are always due.
    std::optional<Time> NextDue() const;

    std::size_t Queued() const { return m_queue.size() - m_head; }
    std::size_t BacklogLimit() const { return m_backlogLimit; }

private:
    std::size_t PieceSize() const;
    // Time at which `bytes` bytes after the start of the current run have crossed the line.
    Time CrossedAt(std::uint64_t bytes) const;
    void DrawPiece();

    int m_baud;
    std::size_t m_backlogLimit;
    Prng m_prng;
    std::string m_queue;
    std::size_t m_head = 0; // bytes of m_queue already sent
    std::size_t m_piece = 1;
    // The line runs from m_runStart, carrying m_runBytes since then; counted from a start
    // rather than summed piece by piece, so that rounding never drifts from the rate.
    Time m_runStart{0};
    std::uint64_t m_runBytes = 0;
    Time m_lineFreeAt{0};
};
