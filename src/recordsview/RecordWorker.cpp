#include "recordsview/RecordWorker.h"

#include "recordstore/PasswordKeyring.h"

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
    // A server's password the settings file does not hold is in the keyring, if anywhere; the
    // keyring may take its time, so it is asked here and not on the UI thread.
    if (m_target.kind == StoreLocation::Kind::Postgres && m_target.password.empty())
        m_target.password = PasswordKeyring::Lookup(m_target).value_or(std::string());
    m_queryStore.reset();
    // Records spooled for a store wait for that store (each target has a spool of its own):
    // the earlier target's delivery stays, is retried and counted, until its spool is empty.
    if (m_delivery && m_delivery->WaitingCount() > 0)
        m_earlier.push_back({m_deliveryTarget, std::move(m_delivery)});
    m_delivery.reset();
    for (auto it = m_earlier.begin(); it != m_earlier.end(); ++it) {
        if (it->target == m_target) { // back to a target that still has records waiting
            m_delivery = std::move(it->delivery);
            m_earlier.erase(it);
            break;
        }
    }
    if (!m_delivery)
        m_delivery = std::make_unique<RecordDelivery>(m_target, m_spoolPath);
    m_deliveryTarget = m_target;
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
    std::size_t delivered = m_delivery->DeliverWaiting();
    for (auto it = m_earlier.begin(); it != m_earlier.end();) {
        delivered += it->delivery->DeliverWaiting();
        if (it->delivery->WaitingCount() == 0)
            it = m_earlier.erase(it);
        else
            ++it;
    }
    if (delivered > 0 && m_reports.stored)
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
    m_earlier.clear();
}

void RecordWorker::Report() {
    if (!m_reports.status)
        return;
    std::size_t waiting = m_delivery->WaitingCount();
    std::string problem = m_delivery->LastProblem();
    for (const Earlier& earlier : m_earlier) {
        const std::size_t count = earlier.delivery->WaitingCount();
        waiting += count;
        if (!problem.empty())
            problem += '\n';
        problem += std::to_string(count) + (count == 1 ? " record waits" : " records wait") +
                   " for " + DescribeStoreLocation(earlier.target) + ": " +
                   earlier.delivery->LastProblem();
    }
    m_reports.status(waiting, problem);
}
