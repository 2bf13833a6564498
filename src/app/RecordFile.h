#pragma once
// The record file: every byte the receive path shows, appended as it arrives, with nothing
// added. Open exactly while recording. A write that fails ends the recording and is reported,
// because a record that silently loses data is worse than none.

#include "app/FileIdentity.h"
#include "app/IRecordSink.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class RecordFile : public IRecordSink {
public:
    // Told why a write failed (the system's error text), after the file was closed.
    using WriteFailureReport = std::function<void(const std::string& reason)>;

    explicit RecordFile(WriteFailureReport reportWriteFailure = {});
    ~RecordFile() override;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Creates the file or cuts an existing one to zero length; false when that failed. The byte
    // count starts again from 0 either way. Refused, with the file left untouched: anything but
    // a regular file (a pipe or a device would block or never fill a capture), the file
    // `playback` (which would then grow from its own bytes, or be emptied while it is read) and
    // a file that another recorder or player holds.
    bool Open(const std::string& path, std::optional<FileIdentity> playback = std::nullopt);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // The open file, so that it is not also opened as the playback source.
    std::optional<FileIdentity> Identity() const;
    // Bytes written since Open; 32 bits, so it wraps past 4 GiB.
    std::uint32_t RecordedBytes() const { return m_recordedBytes; }

    // While open, writes all the bytes and counts them; nothing while closed.
    void Record(const std::uint8_t* bytes, std::size_t length) override;

    // What the operator is told about a failed write: the system's own text for the error.
    static std::string WriteFailureReason(int error);

private:
    WriteFailureReport m_reportWriteFailure;
    int m_fd = -1;
    std::uint32_t m_recordedBytes = 0;
};
