#pragma once
// The keeper's half on its worker thread: it owns the delivery (target and spool) and a store
// for the records window's queries, so that no database call ever runs on the UI thread. Every
// method runs on the worker thread; the reports are called there too (the keeper posts them
// on to its own thread).

#include <QObject>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recordstore/RecordDelivery.h"
#include "recordstore/RecordFilter.h"
#include "recordstore/RecordStore.h"

class QTimer;

class RecordWorker : public QObject {
    Q_OBJECT
public:
    struct Reports {
        // After every attempt: records waiting in the spool, and the target's last problem.
        std::function<void(std::size_t waiting, std::string problem)> status;
        // A record reached the target (one submitted now or one from the spool).
        std::function<void()> stored;
        // A record neither the target nor the spool took.
        std::function<void(std::string problem)> lost;
        std::function<void(std::uint64_t ticket, std::vector<TestRecord> records,
                           std::string problem)>
            queried;
    };

    RecordWorker(std::string spoolPath, std::chrono::milliseconds retryInterval, Reports reports);
    ~RecordWorker() override;

    // A new target (at start and after the settings changed): what waits is tried at once.
    // Records spooled for an earlier target keep waiting for it, and are counted.
    void Configure(const StoreLocation& target);
    void Submit(TestRecord record);
    // The minute's retry, and one on demand.
    void DeliverWaiting();
    void Query(const RecordFilter& filter, std::uint64_t ticket);
    // Everything queued before has been handled: close the stores and the timer.
    void Finish();

private:
    void Report();

    std::string m_spoolPath;
    std::chrono::milliseconds m_retryInterval;
    Reports m_reports;
    struct Earlier {
        StoreLocation target;
        std::unique_ptr<RecordDelivery> delivery;
    };

    StoreLocation m_target;
    std::unique_ptr<RecordDelivery> m_delivery;
    StoreLocation m_deliveryTarget; // m_delivery's target
    // Targets set before, whose spools still hold records for them.
    std::vector<Earlier> m_earlier;
    std::unique_ptr<RecordStore> m_queryStore;
    QTimer* m_retry = nullptr;
};
