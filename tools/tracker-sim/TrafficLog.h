#pragma once
// The --log file: every command line received and every byte written to the line, one entry
// a line, each after the UTC date and time ("2026-03-05 14:07:09.250 TX ...").
//
//   RX <line>   a command line as the device took it, without its line end.
//   TX <bytes>  bytes as they went out on the line, logged when the line feed that ends them
//               has been written (so in order, and only what was written). A final CR LF is
//               left off; an entry that does not end in CR LF ends in a single "\" instead.
//
// Bytes outside printable ASCII, and the backslash itself, appear as \xHH, so the TX entries
// give back exactly the bytes written (SentBytes), and a recording of the line can be
// compared with them byte for byte.

#include <cstdio>
#include <string>
#include <string_view>

class TrafficLog {
public:
    TrafficLog() = default; // logs nothing
    // Takes the file over; a null file logs nothing.
    explicit TrafficLog(std::FILE* file) : m_file(file) {}
    ~TrafficLog();
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;
    TrafficLog(TrafficLog&& other) noexcept;
    TrafficLog& operator=(TrafficLog&& other) noexcept;

    void Received(std::string_view line);
    // Bytes just written to the line, in any pieces.
    void Sent(std::string_view bytes);
    // Logs the bytes of an unfinished line, when nothing more is on its way for now.
    void Flush();

    // The bytes that the TX entries of a log's text stand for, in order.
    static std::string SentBytes(std::string_view logText);

private:
    void Write(const char* direction, std::string_view text);
    void Close();

    std::FILE* m_file = nullptr;
    std::string m_unfinished; // sent bytes since the last line feed
};
