#include "recordsview/RecordWorker.h"

#include <QTimer>
#include <utility>

RecordWorker::RecordWorker(std::string spoolPath, std::chrono::milliseconds retryInterval,
                           Reports reports)
    : m_spoolPath(std::move(spoolPath)), m_retryInterval(retryInterval),
      m_reports(std::move(reports)) {}

RecordWorker::~RecordWorker() = default;

void RecordWorker::Configure(const StoreLocation& target) {
    if (!m_retry) {
        // Made here, on the worker thread, so that it fires there.
        m_retry = new QTimer(this);
        m_retry->setInterval(m_retryInterval);
        connect(m_retry, &QTimer::timeout, this, &RecordWorker::DeliverWaiting);
        m_retry->start();
    }
    m_target = target;
    m_queryStore.reset();
    m_delivery = std::make_unique<RecordDelivery>(target, m_spoolPath);
    DeliverWaiting();
}

void RecordWorker::Submit(TestRecord record) {
    if (!m_delivery)
        return;
    const RecordDelivery::Result result = m_delivery->Record(std::move(record));
    if (result.stored && m_reports.stored)
        m_reports.stored();
    if (!result.stored && !result.spooled && m_reports.lost)
        m_reports.lost(result.status.message);
    Report();
}

void RecordWorker::DeliverWaiting() {
    if (!m_delivery)
        return;
    if (m_delivery->DeliverWaiting() > 0 && m_reports.stored)
        m_reports.stored();
    Report();
}

void RecordWorker::Query(const RecordFilter& filter, std::uint64_t ticket) {
    std::vector<TestRecord> records;
    StoreStatus status;
    if (!m_queryStore)
        m_queryStore = MakeRecordStore(m_target);
    if (!m_queryStore->IsOpen())
        status = m_queryStore->Open();
    if (status.Ok())
        status = m_queryStore->Query(filter, records);
    // A connection that broke is made afresh for the next query.
    if (!status.Ok())
        m_queryStore.reset();
    if (m_reports.queried)
        m_reports.queried(ticket, std::move(records),
                          status.code == StoreStatus::Code::Ok ? std::string() : status.message);
}

void RecordWorker::Finish() {
    delete m_retry;
    m_retry = nullptr;
    m_queryStore.reset();
    if (m_delivery)
        Report();
    m_delivery.reset();
}

void RecordWorker::Report() {
    if (m_reports.status)
        m_reports.status(m_delivery->WaitingCount(), m_delivery->LastProblem());
}
