#pragma once

#include "nmea/NmeaDecimal.h"

#include <algorithm>

// The fields of one data string, found in a single pass with the same rules as
// CNMEAParser::ExtractField (present/absent, at most 255 characters), so that a decoder need not
// rescan the string from its start for every field it reads.
class FieldSplit {
public:
    static constexpr int kMaxFields = 20;

    explicit FieldSplit(const char* data) {
        if (*data == '\0') {
            // An empty data string counts as present-and-empty for every field number.
            for (int i = 0; i < kMaxFields; ++i) {
                m_start[i] = data;
                m_length[i] = 0;
                m_present[i] = true;
            }
            return;
        }
        const char* p = data;
        int i = 0;
        for (;;) {
            // p is the first character of field i.
            const char* q = p;
            while (*q != '\0' && *q != ',' && *q != '*')
                ++q;
            const int length = static_cast<int>(q - p);
            m_start[i] = p;
            m_length[i] = std::min(length, 255);
            m_present[i] = length > 0;
            if (++i == kMaxFields)
                return;
            // The next field starts after the next comma, wherever the "*" was.
            while (*q != '\0' && *q != ',')
                ++q;
            if (*q == '\0' || q[1] == '\0')
                break;
            p = q + 1;
        }
        for (; i < kMaxFields; ++i) {
            m_start[i] = data;
            m_length[i] = 0;
            m_present[i] = false;
        }
    }

    bool Present(int i) const { return m_present[i]; }
    int Length(int i) const { return m_length[i]; }
    const char* Text(int i) const { return m_start[i]; }
    // Character `at` of field i; `at` must be below Length(i), or 0 for a present field (an
    // empty data string gives its terminating NUL there).
    unsigned char Char(int i, int at) const { return static_cast<unsigned char>(m_start[i][at]); }
    double Decimal(int i) const { return NmeaDecimalSpan(m_start[i], m_start[i] + m_length[i]); }
    int32_t Integer(int i) const { return NmeaIntegerSpan(m_start[i], m_start[i] + m_length[i]); }
    // Conversions of the first `n` characters of field i, or from character `from` on.
    double DecimalPrefix(int i, int n) const {
        return NmeaDecimalSpan(m_start[i], m_start[i] + std::min(n, m_length[i]));
    }
    int32_t IntegerPrefix(int i, int n) const {
        return NmeaIntegerSpan(m_start[i], m_start[i] + std::min(n, m_length[i]));
    }
    double DecimalFrom(int i, int from) const {
        return from >= m_length[i] ? 0.0
                                   : NmeaDecimalSpan(m_start[i] + from, m_start[i] + m_length[i]);
    }

private:
    const char* m_start[kMaxFields];
    int m_length[kMaxFields];
    bool m_present[kMaxFields];
};
