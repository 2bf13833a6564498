#pragma once
// The acquisition threads' way into the user-interface thread: each report becomes an event
// for the receiver (the main frame), which handles it on its own thread. The position update
// waits until the receiver has handled it, as the reader relies on.

#include "serial/IAcquisitionEvents.h"

class QObject;

class AcquisitionEventBridge : public IAcquisitionEvents {
public:
    // `receiver` gets WM_DATA_RECEIVED, WM_DATA_SENT, WM_SOURCE_LOST and WM_POSITION_UPDATE.
    explicit AcquisitionEventBridge(QObject* receiver);

    // Called on the worker threads.
    void DataReceived() override;
    void DataSent() override;
    void SourceLost() override;
    // Returns once the receiver handled the update, once the update was dropped with the
    // receiver, or once `stop` is requested.
    void PositionUpdate(std::stop_token stop) override;

private:
    QObject* m_receiver;
};
