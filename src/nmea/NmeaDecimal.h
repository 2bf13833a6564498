#pragma once
// Locale-independent number reading for NMEA fields. The host program may switch the C locale
// (Qt does at start-up), so the C library's strtod/atoi are not used on field text.

#include <cstdint>
#include <string_view>

// The longest decimal number at the start of `text` after optional white space: optional sign,
// digits, optional point and digits, optional exponent. 0 when there is none. No hexadecimal,
// no "inf"/"nan". Gives the same double as strtod in the "C" locale for such text.
double NmeaDecimalValue(const char* text);

// Optional white space, optional sign, digits; 0 when there are none. Values beyond the signed
// 32-bit range saturate.
int32_t NmeaIntegerValue(const char* text);

// The same two conversions over the first `length` characters of `text` only (a NUL inside
// also ends the text).
double NmeaDecimalValue(const char* text, int length);
int32_t NmeaIntegerValue(const char* text, int length);

// The same over exactly the characters of `text`, which must hold no NUL (the decoders' fields).
double NmeaDecimalValue(std::string_view text);
int32_t NmeaIntegerValue(std::string_view text);
