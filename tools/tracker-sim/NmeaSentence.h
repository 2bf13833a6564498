#pragma once
// NMEA 0183 sentence framing: "$" body "*" two upper-case hex digits CR LF, the checksum
// being the XOR of every body character.

#include <cstdint>
#include <string>
#include <string_view>

std::uint8_t NmeaChecksum(std::string_view body);
// body: address and data without "$" and "*", e.g. "GNGGA,120000.00,...".
std::string MakeNmeaSentence(std::string_view body);
// The same sentence with a checksum that is wrong by a nonzero XOR mask.
std::string MakeNmeaSentenceWithBadChecksum(std::string_view body, std::uint8_t mask);
// True when sentence is "$...*hh\r\n" with a matching checksum.
bool IsValidNmeaSentence(std::string_view sentence);
