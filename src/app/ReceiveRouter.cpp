#include "app/ReceiveRouter.h"

#include "app/IReceiveMonitor.h"
#include "app/IRecordSink.h"
#include "device/IDeviceReplyConsumer.h"
#include "device/IReceiveChunkConsumer.h"
#include "device/Local8Bit.h"
#include "trackerconfig/ParseDeviceReply.h"

#include <string>

ReceiveRouter::ReceiveRouter(IDeviceReplyConsumer& replies, IReceiveMonitor& monitor,
                             IReceiveChunkConsumer& testPage, IRecordSink& record,
                             DeviceReplyRecord& replyRecord)
    : m_replies(replies), m_monitor(monitor), m_testPage(testPage), m_record(record),
      m_replyRecord(replyRecord) {}

void ReceiveRouter::Deliver(const std::uint8_t* bytes, std::size_t length) {
    if (length == 0) {
        return;
    }
    // A copy of its own per call, NUL-terminated: a sink that opens a modal loop lets the next
    // tick deliver again before this one has finished.
    const std::string chunk(reinterpret_cast<const char*>(bytes), length);
    const char* text = chunk.c_str();

    if (length <= kMaxReplyChunkBytes) {
        const std::vector<DeviceReplyField> fields = ParseDeviceReplyFields(text, m_replyRecord);
        if (!fields.empty()) {
            for (const DeviceReplyField& field : fields) {
                m_replies.ApplyDeviceReply(field.type, DecodeLocal8Bit(field.text));
            }
            return;
        }
    }

    m_monitor.ShowReceived(text);
    m_testPage.OnReceive(text);
    m_record.Record(bytes, length);
}
