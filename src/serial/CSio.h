#pragma once
// The program's one byte source: a serial port (POSIX termios, 8N1, no flow control, DTR and
// RTS on, reads that return at once) or a playback file. Only the user-interface thread opens,
// closes and writes; the reader thread reads.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CSio {
public:
    CSio() = default;
    CSio(const CSio&) = delete;
    CSio& operator=(const CSio&) = delete;
    virtual ~CSio();

    // portName: a device path (/dev/ttyUSB0, a pty slave). Returns the descriptor, or -1 with
    // the system's reason in LastError(). Does not close a previous source: on failure the
    // previous source stays as it was; on success it is replaced (and its descriptor released).
    int Open(const std::string& portName, int baud);
    // Opens a file as the source; false when it cannot be opened (the caller shows
    // "File Error!"), with the reason in LastError().
    bool OpenPlayback(const std::string& path);
    // Closes whatever is open, then pauses 100 ms.
    void Close();
    // The port side of SendLine: writes text, then CR LF, each write giving up after 1000 ms,
    // with a data-sent notice after each. Nothing is written during a playback or when closed.
    // True only when the whole line and its CR LF went to the port; false when nothing was
    // written (closed, playback) or the port failed or took nothing for a second.
    bool WriteLine(const char* text);

    bool IsOpen() const { return m_hPort.load() >= 0; }
    bool IsPlayback() const { return m_bPlayback.load() == 1; }
    const std::string& LastError() const { return m_lastError; }
    // The path and baud rate of the open port (empty and 0 while closed or playing back), so
    // that a port that went away can be found again under the same name.
    const std::string& PortName() const { return m_portName; }
    int Baud() const { return m_nBaud; }

    // What one reader step found.
    enum class ReadStatus {
        Closed, // nothing open, or the open source was already reported lost
        Empty,  // nothing there right now (or the end of a playback file)
        Data,   // `count` bytes were read
        Lost,   // the source failed for good (device gone, line hung up)
    };
    struct ReadResult {
        ReadStatus status = ReadStatus::Closed;
        uint32_t count = 0;
        uint64_t source = 0; // identifies the source that was read; never reused
    };
    // The reader thread's read: at most liveSize bytes from a port, playbackSize from a file.
    // Never blocks. A source whose id equals `skipSource` is not touched (it was lost).
    ReadResult Read(uint8_t* buffer, uint32_t liveSize, uint32_t playbackSize, uint64_t skipSource);
    // Id of the current source (changes with every Open, OpenPlayback and Close).
    uint64_t SourceId() const { return m_source.load(); }

    std::atomic<int> m_hPort{-1};
    std::atomic<int> m_bPlayback{0};

private:
    // Makes `fd` the source (the old descriptor, if any, is returned for closing).
    int Install(int fd, int playback);
    void Release(int fd, bool exclusive);
    // Whether the exclusive flag on the terminal behind `fd` is one our own earlier descriptor
    // left there (it was hung up, so it could not take the flag back) - then it is ours to
    // take over, unlike a flag another program holds.
    bool TakeOverLeftExclusive(int fd);

    std::string m_lastError;
    std::string m_portName;
    int m_nBaud = 0;
    // Terminals (device numbers) whose exclusive flag one of our hung-up descriptors left set.
    std::vector<unsigned long> m_leftExclusive;
    // Held by the reader only around its read and by the user-interface thread only while
    // swapping the descriptor, so that no read ever sees a closed or reused descriptor.
    std::mutex m_ioMutex;
    std::atomic<uint64_t> m_source{1};
    // Whether the open descriptor is a port we made exclusive (user-interface thread only).
    bool m_bPortExclusive = false;
};

extern CSio theSerialPort;
