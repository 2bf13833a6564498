#include "nmea/NmeaDecimal.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace {

inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of `text`, bounded by `limit`, without reading past a NUL.
inline int BoundedLength(const char* text, int limit) {
    const void* nul = std::memchr(text, '\0', static_cast<size_t>(limit));
    return nul ? static_cast<int>(static_cast<const char*>(nul) - text) : limit;
}

// Skips leading white space and an optional sign; returns whether the sign was a minus.
inline bool SkipSpaceAndSign(const char*& p, const char* end) {
    while (p < end && IsSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    return negative;
}

double Decimal(const char* p, const char* end) {
    const bool negative = SkipSpaceAndSign(p, end);
    const char* mantissa = p;
    const char* q = p;
    int intDigits = 0;
    while (q < end && IsDigit(*q)) {
        ++q;
        ++intDigits;
    }
    int fracDigits = 0;
    if (q < end && *q == '.') {
        const char* f = q + 1;
        while (f < end && IsDigit(*f)) {
            ++f;
            ++fracDigits;
        }
        if (intDigits + fracDigits > 0)
            q = f;
    }
    if (intDigits + fracDigits == 0)
        return 0.0;
    const bool exponentFollows = q < end && (*q == 'e' || *q == 'E');
    if (!exponentFollows && intDigits + fracDigits <= 15) {
        // Nearly every field: both the digits as an integer (below 2^53) and the power of ten
        // are exact doubles, so one division rounds exactly as the full conversion would.
        static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        int64_t digits = 0;
        for (const char* d = mantissa; d < q; ++d)
            if (*d != '.')
                digits = digits * 10 + (*d - '0');
        const double value = static_cast<double>(digits) / kPowers[fracDigits];
        return negative ? -value : value;
    }
    if (exponentFollows) {
        const char* e = q + 1;
        if (e < end && (*e == '+' || *e == '-'))
            ++e;
        if (e < end && IsDigit(*e)) {
            while (e < end && IsDigit(*e))
                ++e;
            q = e;
        }
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(mantissa, q, value, std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Overflow gives HUGE_VAL and underflow 0, as strtod does. Decide by the position of
        // the first significant digit relative to the point, plus the exponent.
        long long magnitude = 0;
        const char* d = mantissa;
        int position = intDigits;
        bool nonZero = false;
        for (; d < q && *d != 'e' && *d != 'E'; ++d) {
            if (*d == '.')
                continue;
            if (*d != '0') {
                nonZero = true;
                break;
            }
            --position;
        }
        const char* exp = mantissa;
        while (exp < q && *exp != 'e' && *exp != 'E')
            ++exp;
        long long exponent = 0;
        if (exp < q) {
            ++exp;
            bool expNegative = false;
            if (*exp == '+' || *exp == '-')
                expNegative = *exp++ == '-';
            for (; exp < q; ++exp) {
                if (exponent < 1000000000LL)
                    exponent = exponent * 10 + (*exp - '0');
            }
            if (expNegative)
                exponent = -exponent;
        }
        magnitude = position + exponent;
        value = (nonZero && magnitude > 0) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

int32_t Integer(const char* p, const char* end) {
    const bool negative = SkipSpaceAndSign(p, end);
    long long value = 0;
    constexpr long long kLimit = 1LL << 31;
    while (p < end && IsDigit(*p)) {
        if (value <= kLimit)
            value = value * 10 + (*p - '0');
        ++p;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

} // namespace

double NmeaDecimalValue(const char* text) {
    return Decimal(text, text + std::strlen(text));
}

int32_t NmeaIntegerValue(const char* text) {
    return Integer(text, text + std::strlen(text));
}

double NmeaDecimalValue(const char* text, int length) {
    return length <= 0 ? 0.0 : Decimal(text, text + BoundedLength(text, length));
}

int32_t NmeaIntegerValue(const char* text, int length) {
    return length <= 0 ? 0 : Integer(text, text + BoundedLength(text, length));
}

double NmeaDecimalValue(std::string_view text) {
    return Decimal(text.data(), text.data() + text.size());
}

int32_t NmeaIntegerValue(std::string_view text) {
    return Integer(text.data(), text.data() + text.size());
}
