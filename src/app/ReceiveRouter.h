#pragma once
// Where the received bytes go. Replies that a read cut are first put back together (see
// ReplyReassembler), so every reader sees each reply whole, at any line rate. A configuration
// reply, with the line end that follows it, goes to the configuration page and nowhere else;
// every other byte goes, once and in the order it came, to the monitor's receive pane, the
// record file and the factory test page. Chunks carry their length: a NUL byte is a byte.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "device/ReplyReassembler.h"
#include "trackerconfig/DeviceReplyRecord.h"

class IDeviceReplyConsumer;
class IReceiveChunkConsumer;
class IReceiveMonitor;
class IRecordSink;

class ReceiveRouter {
public:
    // The sinks must outlive the router. Recognised replies are stored in `replyRecord`.
    ReceiveRouter(IDeviceReplyConsumer& replies, IReceiveMonitor& monitor,
                  IReceiveChunkConsumer& testPage, IRecordSink& record,
                  DeviceReplyRecord& replyRecord = theDeviceReplyRecord);

    // The bytes drained at one receive tick (possibly none: a tick also lets go a fragment
    // that waited too long) at time nowMs of a steady clock. A sink may run a modal loop in
    // which the next tick delivers again.
    void Deliver(const std::uint8_t* bytes, std::size_t length, std::int64_t nowMs);

private:
    void DeliverText(std::string_view text);

    IDeviceReplyConsumer& m_replies;
    IReceiveMonitor& m_monitor;
    IReceiveChunkConsumer& m_testPage;
    IRecordSink& m_record;
    DeviceReplyRecord& m_replyRecord;
    ReplyReassembler m_reassembler;
    // How much of its line end the last reply had when it ended a delivery: the rest may open
    // the next one.
    enum class LineEnd { Complete, AfterCr, Missing };
    LineEnd m_replyLineEnd = LineEnd::Complete;
};
