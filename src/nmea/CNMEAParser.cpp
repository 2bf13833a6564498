#include "nmea/CNMEAParser.h"

#include <cstddef>
#include <cstring>

void CNMEAParser::FeedBytes(const uint8_t* bytes, uint32_t count) {
    if (bytes == nullptr)
        return;
    const uint8_t* p = bytes;
    const uint8_t* const end = bytes + count;
    while (p < end) {
        switch (m_state) {
        case State::Hunt: {
            // Skip to the next "$".
            while (p < end && *p != '$')
                ++p;
            if (p == end)
                return;
            ++p;
            m_checksum = 0;
            m_count = 0;
            m_state = State::Address;
            break;
        }
        case State::Address: {
            // The whole address in one loop, with the checksum and count in registers.
            uint8_t checksum = m_checksum;
            unsigned n = m_count;
            while (p < end) {
                const uint8_t b = *p++;
                checksum ^= b;
                if (b == ',' || b == '*') {
                    m_address[n] = '\0';
                    n = 0;
                    m_state = State::Data;
                    break;
                }
                m_address[n] = static_cast<char>(b);
                if (++n == sizeof m_address) {
                    m_state = State::Hunt;
                    break;
                }
            }
            m_checksum = checksum;
            m_count = static_cast<uint16_t>(n);
            break;
        }
        case State::Data: {
            // The bulk of every sentence: copy data characters up to "*" or CR in one loop.
            uint8_t checksum = m_checksum;
            unsigned n = m_count;
            // Never more than fit in the buffer: the limit check leaves the inner loop.
            const uint8_t* const stop =
                static_cast<size_t>(end - p) < sizeof m_data - n ? end : p + (sizeof m_data - n);
            char* const out = m_data + n;
            const uint8_t* q = p;
            // Eight bytes at a time while none of them ends the data: their checksum is the
            // bytes of the XOR of the words folded together.
            constexpr uint64_t kOnes = 0x0101010101010101u;
            constexpr uint64_t kHighs = 0x8080808080808080u;
            auto hasByte = [](uint64_t w, uint8_t b) {
                const uint64_t v = w ^ (kOnes * b);
                return ((v - kOnes) & ~v & kHighs) != 0;
            };
            uint64_t words = 0;
            while (stop - q >= 8) {
                uint64_t w;
                std::memcpy(&w, q, 8);
                if (hasByte(w, '*') || hasByte(w, '\r'))
                    break;
                words ^= w;
                std::memcpy(out + (q - p), &w, 8);
                q += 8;
            }
            words ^= words >> 32;
            words ^= words >> 16;
            words ^= words >> 8;
            checksum ^= static_cast<uint8_t>(words);
            while (q < stop) {
                const uint8_t b = *q;
                if (b == '*' || b == '\r')
                    break;
                checksum ^= b;
                out[q - p] = static_cast<char>(b);
                ++q;
            }
            n += static_cast<unsigned>(q - p);
            p = q;
            m_checksum = checksum;
            m_count = static_cast<uint16_t>(n);
            if (n == sizeof m_data) {
                m_state = State::Hunt;
                break;
            }
            if (p == end)
                return;
            const uint8_t b = *p++;
            m_data[n] = '\0';
            if (b == '*') {
                m_state = State::ChecksumHigh;
            } else {
                m_state = State::Hunt;
                OnSentence(m_address, m_data);
            }
            break;
        }
        case State::ChecksumHigh: {
            const uint8_t b = *p++;
            const unsigned h = b <= 0x39 ? b : static_cast<uint8_t>(b - 7);
            m_receivedChecksum = static_cast<uint8_t>(h << 4);
            m_state = State::ChecksumLow;
            break;
        }
        default: {
            // State::ChecksumLow. As the default, the switch compiles to a few compares instead
            // of a jump table, whose indirect branch mispredicts on nearly every sentence.
            const uint8_t b = *p++;
            const uint8_t l =
                b <= 0x39 ? static_cast<uint8_t>(b - 0x30) : static_cast<uint8_t>(b - 0x37);
            m_receivedChecksum = static_cast<uint8_t>(m_receivedChecksum | l);
            m_state = State::Hunt;
            if (m_receivedChecksum == m_checksum)
                OnSentence(m_address, m_data);
            else
                OnBadChecksum(m_address, m_data);
            break;
        }
        }
    }
}
