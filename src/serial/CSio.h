#pragma once
// The program's one byte source: a serial port (POSIX termios, 8N1, no flow control, DTR and
// RTS on, reads that return at once) or a playback file. Only the user-interface thread opens,
// closes and writes; the reader thread reads.

#include <atomic>
#include <string>

class CSio {
public:
    CSio() = default;
    CSio(const CSio&) = delete;
    CSio& operator=(const CSio&) = delete;
    virtual ~CSio();

    // portName: a device path (/dev/ttyUSB0, a pty slave). Returns the descriptor, or -1 with
    // the system's reason in LastError(). Does not close a previous source.
    int Open(const std::string& portName, int baud);
    // Opens a file as the source; false when it cannot be opened (the caller shows
    // "File Error!"), with the reason in LastError().
    bool OpenPlayback(const std::string& path);
    // Closes whatever is open, then pauses 100 ms.
    void Close();
    // The port side of SendLine: writes text, then CR LF, each write giving up after 1000 ms,
    // with a data-sent notice after each. Nothing is written during a playback or when closed.
    void WriteLine(const char* text);

    bool IsOpen() const { return m_hPort.load() >= 0; }
    bool IsPlayback() const { return m_bPlayback.load() == 1; }
    const std::string& LastError() const { return m_lastError; }

    std::atomic<int> m_hPort{-1};
    std::atomic<int> m_bPlayback{0};

private:
    std::string m_lastError;
};

extern CSio theSerialPort;
