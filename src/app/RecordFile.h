#pragma once
// The record file: every byte the receive path shows, appended as it arrives, with nothing
// added. Open exactly while recording. A write that fails ends the recording and is reported,
// because a record that silently loses data is worse than none.

#include "app/IRecordSink.h"

#include <cstdint>
#include <functional>
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
    // count starts again from 0 either way.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // Bytes written since Open; 32 bits, so it wraps past 4 GiB.
    std::uint32_t RecordedBytes() const { return m_recordedBytes; }

    // While open, writes all the bytes and counts them; nothing while closed.
    void Record(const std::uint8_t* bytes, std::size_t length) override;

private:
    WriteFailureReport m_reportWriteFailure;
    int m_fd = -1;
    std::uint32_t m_recordedBytes = 0;
};
