#pragma once
// The fields of a data string read as whole numbers in one pass, for the sentences that hold
// nothing else (GSV): the same fields, presence and values as FieldSplit and NmeaIntegerValue
// give, without keeping the text.

#include "nmea/FieldSplit.h"

#include <cstdint>

class IntegerFields {
public:
    static constexpr int kMaxFields = FieldSplit::kMaxFields;

    explicit IntegerFields(const char* data);

    // Whether ExtractField gives true for field i.
    bool Present(int i) const { return ((m_present >> i) & 1) != 0; }
    // NmeaIntegerValue of field i's text (at most 255 characters); 0 when it is absent.
    int32_t Value(int i) const { return m_value[i]; }
    // The first character of field i, '\0' when it is empty or absent.
    unsigned char FirstChar(int i) const { return m_first[i]; }
    // As FieldSplit::Count.
    int Count() const { return m_count; }

private:
    int32_t m_value[kMaxFields];
    unsigned char m_first[kMaxFields];
    uint32_t m_present = 0;
    int m_count = 0;
};
