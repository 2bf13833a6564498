#include "nmea/IntegerFields.h"

#include "nmea/NmeaDecimal.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

IntegerFields::IntegerFields(const char* data) {
    int i = 0;
    if (*data == '\0') {
        // As FieldSplit: every field present and empty.
        m_present = (1u << kMaxFields) - 1;
    } else {
        const char* p = data;
        int count = kMaxFields + 1;
        while (i < kMaxFields) {
            // p is the first character of field i. Up to nine plain digits are read here; any
            // other text goes to the full conversion.
            const char* q = p;
            int32_t value = 0;
            unsigned d;
            while ((d = static_cast<unsigned char>(*q) - unsigned{'0'}) <= 9 && q - p < 9) {
                value = 10 * value + static_cast<int32_t>(d);
                ++q;
            }
            if (*q != ',' && *q != '*' && *q != '\0') {
                while (*q != '\0' && *q != ',' && *q != '*')
                    ++q;
                value = NmeaIntegerValue(std::string_view(
                    p,
                    static_cast<size_t>(std::min<ptrdiff_t>(q - p, FieldSplit::kMaxFieldLength))));
            }
            const bool present = q != p;
            m_value[i] = value;
            m_first[i] = present ? static_cast<unsigned char>(*p) : '\0';
            m_present |= static_cast<uint32_t>(present) << i;
            ++i;
            // The next field starts after the next comma, wherever the "*" was.
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
        m_count = count;
    }
    for (; i < kMaxFields; ++i) {
        m_value[i] = 0;
        m_first[i] = '\0';
    }
}
