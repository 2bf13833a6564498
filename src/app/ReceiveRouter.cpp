#include "app/ReceiveRouter.h"

#include "app/IReceiveMonitor.h"
#include "app/IRecordSink.h"
#include "device/IDeviceReplyConsumer.h"
#include "device/IReceiveChunkConsumer.h"
#include "device/Local8Bit.h"
#include "trackerconfig/FindDeviceReply.h"

#include <string>
#include <vector>

ReceiveRouter::ReceiveRouter(IDeviceReplyConsumer& replies, IReceiveMonitor& monitor,
                             IReceiveChunkConsumer& testPage, IRecordSink& record,
                             DeviceReplyRecord& replyRecord)
    : m_replies(replies), m_monitor(monitor), m_testPage(testPage), m_record(record),
      m_replyRecord(replyRecord) {}

void ReceiveRouter::Deliver(const std::uint8_t* bytes, std::size_t length, std::int64_t nowMs) {
    // A copy of its own per call: a sink that opens a modal loop lets the next tick deliver
    // again before this one has finished.
    const std::string ready = m_reassembler.Take(
        std::string_view(reinterpret_cast<const char*>(bytes), bytes ? length : 0), nowMs);
    const std::string_view text(ready);
    std::string others;
    std::size_t at = 0;
    // The line end of a reply that ended the previous delivery belongs to that reply.
    if (!text.empty() && m_replyLineEnd != LineEnd::Complete) {
        if (m_replyLineEnd == LineEnd::Missing && at < text.size() && text[at] == '\r')
            ++at;
        if (at < text.size() && text[at] == '\n')
            ++at;
        m_replyLineEnd = LineEnd::Complete;
    }
    while (at < text.size()) {
        std::vector<DeviceReplyField> fields;
        const DeviceReplySpan reply = FindDeviceReply(text, at, m_replyRecord, fields);
        others.append(text.substr(at, reply.begin - at));
        for (const DeviceReplyField& field : fields)
            m_replies.ApplyDeviceReply(field.type, DecodeLocal8Bit(field.text));
        at = reply.end;
        if (!fields.empty() && at == text.size()) {
            m_replyLineEnd = text.ends_with('\n')   ? LineEnd::Complete
                             : text.ends_with('\r') ? LineEnd::AfterCr
                                                    : LineEnd::Missing;
        }
    }
    DeliverText(others);
}

void ReceiveRouter::DeliverText(std::string_view text) {
    if (text.empty())
        return;
    m_monitor.ShowReceived(text);
    // Recorded before the test page reads it: the page may open a message box whose loop
    // delivers the next tick, and the record file must keep the bytes in the order they came.
    m_record.Record(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    m_testPage.OnReceive(text);
}
