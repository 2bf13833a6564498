#include "nmea/CNMEAParser.h"

#include <cstddef>

void CNMEAParser::FeedBytes(const uint8_t* bytes, uint32_t count) {
    if (bytes == nullptr)
        return;
    const uint8_t* p = bytes;
    const uint8_t* const end = bytes + count;
    while (p < end) {
        switch (m_state) {
        case 0: {
            // Hunt: skip to the next "$".
            while (p < end && *p != '$')
                ++p;
            if (p == end)
                return;
            ++p;
            m_checksum = 0;
            m_count = 0;
            m_state = 1;
            break;
        }
        case 1: {
            const uint8_t b = *p++;
            m_checksum ^= b;
            if (b == ',' || b == '*') {
                m_address[m_count] = '\0';
                m_count = 0;
                m_state = 2;
            } else {
                m_address[m_count] = static_cast<char>(b);
                if (++m_count == sizeof m_address)
                    m_state = 0;
            }
            break;
        }
        case 2: {
            // The bulk of every sentence: copy data characters up to "*" or CR in one loop.
            uint8_t checksum = m_checksum;
            unsigned n = m_count;
            // Never more than fit in the buffer: the limit check leaves the inner loop.
            const uint8_t* const stop =
                static_cast<size_t>(end - p) < sizeof m_data - n ? end : p + (sizeof m_data - n);
            char* const out = m_data + n;
            const uint8_t* q = p;
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
                m_state = 0;
                break;
            }
            if (p == end)
                return;
            const uint8_t b = *p++;
            m_data[n] = '\0';
            if (b == '*') {
                m_state = 3;
            } else {
                m_state = 0;
                OnSentence(m_address, m_data);
            }
            break;
        }
        case 3: {
            const uint8_t b = *p++;
            const unsigned h = b <= 0x39 ? b : static_cast<uint8_t>(b - 7);
            m_receivedChecksum = static_cast<uint8_t>(h << 4);
            m_state = 4;
            break;
        }
        default: {
            const uint8_t b = *p++;
            const uint8_t l =
                b <= 0x39 ? static_cast<uint8_t>(b - 0x30) : static_cast<uint8_t>(b - 0x37);
            m_receivedChecksum = static_cast<uint8_t>(m_receivedChecksum | l);
            m_state = 0;
            if (m_receivedChecksum == m_checksum)
                OnSentence(m_address, m_data);
            else
                OnBadChecksum(m_address, m_data);
            break;
        }
        }
    }
}

bool CNMEAParser::ExtractField(const char* data, char* out, int index) {
    if (out == nullptr)
        return false;
    out[0] = '\0';
    if (data == nullptr)
        return false;
    const char* p = data;
    if (index > 0 && *p != '\0') {
        int commas = 0;
        while (commas < index) {
            const char c = *p++;
            if (c == '\0')
                return false;
            if (c == ',')
                ++commas;
        }
        if (*p == '\0')
            return false;
    }
    if (*p == ',' || *p == '*')
        return false;
    int n = 0;
    while (n < 256) {
        const char c = p[n];
        if (c == '\0' || c == '*' || c == ',')
            break;
        out[n] = c;
        ++n;
    }
    if (n == 256)
        n = 255;
    out[n] = '\0';
    return true;
}
