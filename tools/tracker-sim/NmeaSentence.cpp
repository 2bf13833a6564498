#include "NmeaSentence.h"

#include <cstdio>

std::uint8_t NmeaChecksum(std::string_view body) {
    std::uint8_t sum = 0;
    for (const char c : body)
        sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

namespace {

std::string Frame(std::string_view body, std::uint8_t checksum) {
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", checksum);
    std::string out;
    out.reserve(body.size() + 6);
    out += '$';
    out += body;
    out += tail;
    return out;
}

} // namespace

std::string MakeNmeaSentence(std::string_view body) {
    return Frame(body, NmeaChecksum(body));
}

std::string MakeNmeaSentenceWithBadChecksum(std::string_view body, std::uint8_t mask) {
    return Frame(body, static_cast<std::uint8_t>(NmeaChecksum(body) ^ (mask ? mask : 0x01)));
}

bool IsValidNmeaSentence(std::string_view sentence) {
    if (sentence.size() < 6 || sentence.front() != '$' || !sentence.ends_with("\r\n"))
        return false;
    const auto star = sentence.size() - 5;
    if (sentence[star] != '*')
        return false;
    const auto body = sentence.substr(1, star - 1);
    if (body.find_first_of("$*\r\n") != std::string_view::npos)
        return false;
    unsigned value = 0;
    for (const char c : sentence.substr(star + 1, 2)) {
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
    }
    return value == NmeaChecksum(body);
}
