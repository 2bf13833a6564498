#include "app/AcquisitionEventBridge.h"

#include "uisupport/FrameEvents.h"

#include <QCoreApplication>
#include <QEvent>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// The position thread waits for the frame to have handled its update. The event signals
// completion when it is destroyed, which happens after delivery and also when the frame goes
// away with the event still queued, so the waiting thread is always released.
struct PositionHandshake {
    std::mutex mutex;
    std::condition_variable handled;
    bool done = false;
    void Finish() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        handled.notify_all();
    }
};

class PositionUpdateEvent : public QEvent {
public:
    explicit PositionUpdateEvent(std::shared_ptr<PositionHandshake> handshake)
        : QEvent(WM_POSITION_UPDATE), m_handshake(std::move(handshake)) {}
    ~PositionUpdateEvent() override { m_handshake->Finish(); }

private:
    std::shared_ptr<PositionHandshake> m_handshake;
};

} // namespace

AcquisitionEventBridge::AcquisitionEventBridge(QObject* receiver) : m_receiver(receiver) {}

void AcquisitionEventBridge::DataReceived() {
    QCoreApplication::postEvent(m_receiver, new QEvent(WM_DATA_RECEIVED));
}

void AcquisitionEventBridge::DataSent() {
    QCoreApplication::postEvent(m_receiver, new QEvent(WM_DATA_SENT));
}

void AcquisitionEventBridge::SourceLost() {
    QCoreApplication::postEvent(m_receiver, new QEvent(WM_SOURCE_LOST));
}

void AcquisitionEventBridge::PositionUpdate(std::stop_token stop) {
    if (stop.stop_requested())
        return;
    auto handshake = std::make_shared<PositionHandshake>();
    QCoreApplication::postEvent(m_receiver, new PositionUpdateEvent(handshake));
    std::unique_lock<std::mutex> lock(handshake->mutex);
    // Short slices, so that a shutdown never waits on a frame that will not answer.
    while (!handshake->done && !stop.stop_requested())
        handshake->handled.wait_for(lock, std::chrono::milliseconds(20));
}
