#include "nmea/FieldSplit.h"

#include <algorithm>
#include <cstddef>

namespace {
constexpr int kMaxFieldLength = FieldSplit::kMaxFieldLength;
}

bool ExtractField(const char* data, char* out, int index) {
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
    while (n <= kMaxFieldLength) {
        const char c = p[n];
        if (c == '\0' || c == '*' || c == ',')
            break;
        out[n] = c;
        ++n;
    }
    n = std::min(n, kMaxFieldLength);
    out[n] = '\0';
    return true;
}

FieldSplit::FieldSplit(const char* data) {
    int i = 0;
    if (*data == '\0') {
        m_everyFieldPresent = true;
    } else {
        const char* p = data;
        // Past kMaxFields only the count goes on, and only as far as "more than kMaxFields".
        int count = kMaxFields + 1;
        while (i < kMaxFields) {
            // p is the first character of field i.
            const char* q = p;
            while (*q != '\0' && *q != ',' && *q != '*')
                ++q;
            m_start[i] = p;
            m_length[i] = static_cast<uint8_t>(std::min<ptrdiff_t>(q - p, kMaxFieldLength));
            ++i;
            // The next field starts after the next comma, wherever the "*" was; a comma that
            // ends the string starts no field (but is counted as an empty one).
            while (*q != '\0' && *q != ',')
                ++q;
            if (*q == '\0') {
                count = i;
                break;
            }
            if (q[1] == '\0') {
                count = i + 1;
                break;
            }
            p = q + 1;
        }
        m_count = static_cast<uint8_t>(count);
    }
    for (; i < kMaxFields; ++i) {
        m_start[i] = data;
        m_length[i] = 0;
    }
}
