#include "trackerconfig/ParseDeviceReply.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr auto npos = std::string_view::npos;

template <std::size_t Width> void Store(char (&field)[Width], std::string_view value) {
    std::memset(field, 0, Width);
    std::memcpy(field, value.data(), value.size() < Width ? value.size() : Width - 1);
}

// The value of "key ... #": the bytes after the first occurrence of the key up to the first
// "#" after it.
std::optional<std::string_view> HashTerminatedValue(std::string_view chunk, std::string_view key) {
    const auto at = chunk.find(key);
    if (at == npos) {
        return std::nullopt;
    }
    const auto start = at + key.size();
    const auto hash = chunk.find('#', start);
    if (hash == npos) {
        return std::nullopt;
    }
    return chunk.substr(start, hash - start);
}

struct TwoPartValue {
    bool found = false;    // key with a "," after it: the first part is stored
    bool complete = false; // and a "#" after the ",": the second part is stored too
};

template <std::size_t W1, std::size_t W2>
TwoPartValue StoreTwoPart(std::string_view chunk, std::string_view key, char (&first)[W1],
                          char (&second)[W2]) {
    TwoPartValue result;
    const auto at = chunk.find(key);
    if (at == npos) {
        return result;
    }
    const auto start = at + key.size();
    const auto comma = chunk.find(',', start);
    if (comma == npos) {
        return result;
    }
    result.found = true;
    Store(first, chunk.substr(start, comma - start));
    const auto hash = chunk.find('#', comma + 1);
    if (hash != npos) {
        result.complete = true;
        Store(second, chunk.substr(comma + 1, hash - comma - 1));
    }
    return result;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A decimal integer as the device's "%d" writes it; saturates instead of overflowing.
bool ReadInt(std::string_view text, std::size_t& pos, int& value) {
    while (pos < text.size() && IsSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    std::size_t p = pos;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || text[p] < '0' || text[p] > '9') {
        return false;
    }
    long long magnitude = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
        if (magnitude <= static_cast<long long>(INT_MAX) + 1) {
            magnitude = magnitude * 10 + (text[p] - '0');
        }
        ++p;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    value = signedValue > INT_MAX   ? INT_MAX
            : signedValue < INT_MIN ? INT_MIN
                                    : static_cast<int>(signedValue);
    pos = p;
    return true;
}

template <std::size_t Width> void StoreAlarm(char (&field)[Width], int state) {
    char text[32];
    const int n = state != 0 ? std::snprintf(text, sizeof text, "ON,%d", state)
                             : std::snprintf(text, sizeof text, "OFF,%d", 0);
    Store(field, std::string_view(text, n > 0 ? static_cast<std::size_t>(n) : 0));
}

} // namespace

bool ParseDeviceReply(std::string_view chunk, ReplyType& type, DeviceReplyRecord& record) {
    if (const auto value = HashTerminatedValue(chunk, "AT+ID==")) {
        Store(record.id, *value);
        type = ReplyType::Id;
        return true;
    }
    if (const auto value = HashTerminatedValue(chunk, "AT+IMEI==")) {
        Store(record.imei, *value);
        type = ReplyType::Imei;
        return true;
    }
    if (const auto value = HashTerminatedValue(chunk, "AT+PASSWORD==")) {
        Store(record.password, *value);
        type = ReplyType::Password;
        return true;
    }

    // IP and intervals carry two values; an incomplete one still stores its first part, and
    // the later rules are tried in every case. Only a complete one decides the type.
    ReplyType noted = ReplyType::None;
    if (StoreTwoPart(chunk, "AT+IP==", record.ip, record.port).complete) {
        noted = ReplyType::Ip;
    }
    if (const auto value = HashTerminatedValue(chunk, "AT+APN==")) {
        Store(record.apn, *value);
        type = ReplyType::Apn;
        return true;
    }
    if (const auto value = HashTerminatedValue(chunk, "AT+TIMEZONE==")) {
        Store(record.timeZone, *value);
        type = ReplyType::TimeZone;
        return true;
    }
    if (StoreTwoPart(chunk, "AT+INTERVAL==", record.intervalOn, record.intervalOff).complete) {
        noted = ReplyType::IntervalOn;
    }

    // "AT+ALARMMODE==kind,state#". Without its "#" the reply may be cut inside the numbers and
    // would show a wrong state, so it is not taken.
    constexpr std::string_view kAlarmKey = "AT+ALARMMODE==";
    if (const auto value = HashTerminatedValue(chunk, kAlarmKey)) {
        int kind = 0;
        int state = 0;
        std::size_t pos = 0;
        if (ReadInt(*value, pos, kind) && pos < value->size() && (*value)[pos] == ',') {
            ++pos;
            ReadInt(*value, pos, state);
        }
        if (kind == 5) {
            StoreAlarm(record.extPowerAlarm, state);
            type = ReplyType::ExtPowerAlarm;
            return true;
        }
        if (kind == 2) {
            StoreAlarm(record.vibrationAlarm, state);
            type = ReplyType::VibrationAlarm;
            return true;
        }
    }

    if (noted != ReplyType::None) {
        type = noted;
        return true;
    }
    return false;
}

std::vector<DeviceReplyField> ParseDeviceReplyFields(std::string_view chunk,
                                                     DeviceReplyRecord& record) {
    std::vector<DeviceReplyField> fields;
    ReplyType type = ReplyType::None;
    if (!ParseDeviceReply(chunk, type, record)) {
        return fields;
    }
    for (const ReplyType field : {type, SecondFieldOf(type)}) {
        const char* text = nullptr;
        if (field != ReplyType::None && GetReplyField(field, text, record)) {
            fields.push_back({field, text});
        }
    }
    return fields;
}
