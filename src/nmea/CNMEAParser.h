#pragma once
// Byte-driven NMEA 0183 sentence framer: "$" address "," data "*" hh, checksum checked,
// each sentence handed to OnSentence / OnBadChecksum as two NUL-terminated strings.

#include <cstdint>

class CNMEAParser {
public:
    virtual ~CNMEAParser() = default;

    // Runs every byte through the state machine, in order; callbacks run inside this call.
    void FeedBytes(const uint8_t* bytes, uint32_t count);

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
    enum class State : int32_t {
        Hunt,         // waiting for "$"
        Address,      // up to "," (or "*")
        Data,         // up to "*", or CR for a sentence without checksum
        ChecksumHigh, // first checksum digit
        ChecksumLow,  // second checksum digit, then the callback
    };

    State m_state = State::Hunt;
    uint8_t m_checksum = 0;
    uint8_t m_receivedChecksum = 0;
    uint16_t m_count = 0;
    char m_address[8] = {};
    char m_data[256] = {};
};
