#pragma once
// Byte-driven NMEA 0183 sentence framer: "$" address "," data "*" hh, checksum checked,
// each sentence handed to OnSentence / OnBadChecksum as two NUL-terminated strings.

#include <cstdint>

class CNMEAParser {
public:
    virtual ~CNMEAParser() = default;

    // Runs every byte through the state machine, in order; callbacks run inside this call.
    void FeedBytes(const uint8_t* bytes, uint32_t count);

    // Copies field `index` (0 = before the first comma) of `data` into `out` (256 bytes).
    // True when the field has at least one character (or `data` is empty).
    static bool ExtractField(const char* data, char* out, int index);

protected:
    virtual bool OnSentence(const char* address, const char* data) {
        (void)address;
        (void)data;
        return false;
    }
    virtual void OnBadChecksum(const char* address, const char* data) {
        (void)address;
        (void)data;
    }

    // Address of the sentence being handled (valid inside the callbacks).
    const char* CurrentAddress() const { return m_address; }

private:
    int32_t m_state = 0;
    uint8_t m_checksum = 0;
    uint8_t m_receivedChecksum = 0;
    uint16_t m_count = 0;
    char m_address[8] = {};
    char m_data[256] = {};
};
