#pragma once
// Where one drained chunk of received bytes goes. A chunk of at most kMaxReplyChunkBytes that
// holds a complete configuration reply goes to the configuration page and nowhere else: it is
// neither shown, nor passed to the test page, nor recorded. Every other chunk goes, in this
// order, to the monitor's receive pane, the factory test page and the record file.
//
// The input is the byte stream as the receive queue gives it, chunk by chunk, so that a reply
// split over two reads can later be put together here.

#include <cstddef>
#include <cstdint>

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

    // Delivers `length` bytes; nothing for an empty chunk. The reply recogniser, the monitor and
    // the test page see the chunk as text ending at its first NUL byte; the record file gets
    // all the bytes. A sink may run a modal loop in which the next chunk is delivered.
    void Deliver(const std::uint8_t* bytes, std::size_t length);

private:
    IDeviceReplyConsumer& m_replies;
    IReceiveMonitor& m_monitor;
    IReceiveChunkConsumer& m_testPage;
    IRecordSink& m_record;
    DeviceReplyRecord& m_replyRecord;
};
