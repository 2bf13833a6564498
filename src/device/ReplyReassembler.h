#pragma once
// The device's replies arrive at the line's pace, a few bytes at a time, and a read may end
// anywhere inside one. Between the receive queue and the readers of the replies, this holds
// back whatever may still be the start of an unfinished reply until the rest has come: a
// configuration reply ("AT+" ... "#"), a test result token ("AT+TEST_..." "==" digit), the
// "Welcome" banner and the parameter block ("<SETTING" ... "SETTING>"). Everything else passes
// at once. A fragment that never completes is let go after a fixed time, so nothing is held
// for long and the hold never grows without bound. Bytes leave in the order they came, each
// exactly once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ReplyReassembler {
public:
    // A fragment is let go this long after its first byte came, complete or not. Long enough
    // for a whole parameter block at 4800 baud (about 190 bytes, 0.4 s) plus a receive tick on
    // either side; short enough that an operator never waits on it.
    static constexpr std::int64_t kHoldLimitMs = 800;
    // A fragment larger than this is no reply of this device: let go at once.
    static constexpr std::size_t kHoldLimitBytes = 2048;

    // Takes the bytes of one read (possibly none) at time nowMs (any steady clock in ms) and
    // returns the bytes that are ready for the readers, in order.
    std::string Take(std::string_view bytes, std::int64_t nowMs);
    // Lets everything go (the source was closed or replaced).
    std::string Flush();

    std::size_t HeldBytes() const { return m_held.size(); }

    // Where the unfinished reply at the end of text begins; text.size() when nothing there
    // can still grow into a reply.
    static std::size_t HoldPoint(std::string_view text);

private:
    std::string m_held;
    std::int64_t m_heldSinceMs = 0;
};
