#pragma once
// Helpers shared by the decoding tests: building sentences with their checksum, and parsers
// that record what the framer delivers.

#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// "$" body "*" hh CR LF with the checksum computed over body.
inline std::string Sentence(const std::string& body) {
    uint8_t checksum = 0;
    for (char c : body)
        checksum ^= static_cast<uint8_t>(c);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", checksum);
    return "$" + body + "*" + digits + "\r\n";
}

struct Callback {
    bool good;
    std::string address;
    std::string data;
    bool operator==(const Callback&) const = default;
};

class RecordingParser : public CNMEAParser {
public:
    std::vector<Callback> calls;
    void Feed(const std::string& bytes) {
        FeedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                  static_cast<uint32_t>(bytes.size()));
    }

protected:
    bool OnSentence(const char* address, const char* data) override {
        calls.push_back({true, address, data});
        return false;
    }
    void OnBadChecksum(const char* address, const char* data) override {
        calls.push_back({false, address, data});
    }
};

// The real decoders without the position handshake, recording every callback too.
class DecodingParser : public CNMEAParserWin32 {
public:
    DecodingParser() { SetPositionHandshake(false); }
    std::vector<Callback> calls;
    void Feed(const std::string& bytes) {
        FeedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                  static_cast<uint32_t>(bytes.size()));
    }
    void FeedSentence(const std::string& body) { Feed(Sentence(body)); }

protected:
    bool OnSentence(const char* address, const char* data) override {
        calls.push_back({true, address, data});
        return CNMEAParserWin32::OnSentence(address, data);
    }
    void OnBadChecksum(const char* address, const char* data) override {
        calls.push_back({false, address, data});
        CNMEAParserWin32::OnBadChecksum(address, data);
    }
};

// The satellites in view as "system prn:snr", a "*" after a used one, in snapshot order.
inline std::string Shown(const DisplaySnapshot& s) {
    std::string out;
    const int n = std::clamp<int32_t>(s.satellitesInView, 0, kSnapshotSatellites);
    for (int i = 0; i < n; ++i) {
        const SnapshotSatellite& sat = s.satellites[i];
        if (!out.empty())
            out += ' ';
        out += std::string(GnssSystemName(DisplayedSystem(sat))) + std::to_string(sat.prn) + ":" +
               std::to_string(sat.snr) + (sat.used == 1 ? "*" : "");
    }
    return out;
}
