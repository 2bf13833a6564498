#include "recordsview/RecordKeeper.h"

#include <QThread>
#include <utility>

#include "recordsview/RecordWorker.h"

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

RecordKeeper::RecordKeeper(QObject* parent) : RecordKeeper(Options{}, parent) {}

RecordKeeper::RecordKeeper(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    m_settings = ReadRecordSettings(m_options.settingsPath);
    // The reports come on the worker thread; each is posted to this object's thread. The
    // worker ends before this object, and posts still pending then die with it.
    RecordWorker::Reports reports;
    reports.status = [this](std::size_t waiting, std::string problem) {
        QMetaObject::invokeMethod(
            this, [this, waiting, p = FromUtf8(problem)] { OnStatus(waiting, p); },
            Qt::QueuedConnection);
    };
    reports.stored = [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit recordStored(); }, Qt::QueuedConnection);
    };
    reports.lost = [this](std::string problem) {
        QMetaObject::invokeMethod(
            this, [this, p = FromUtf8(problem)] { emit recordLost(p); }, Qt::QueuedConnection);
    };
    reports.queried = [this](std::uint64_t ticket, std::vector<TestRecord> records,
                             std::string problem) {
        QMetaObject::invokeMethod(
            this,
            [this, ticket, r = std::move(records), p = FromUtf8(problem)] {
                emit queryFinished(ticket, r, p);
            },
            Qt::QueuedConnection);
    };
    m_worker = new RecordWorker(m_options.spoolPath, m_options.retryInterval, std::move(reports));
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("test records"));
    m_worker->moveToThread(m_thread);
    m_thread->start();
    OnWorker([w = m_worker, target = m_settings.location] { w->Configure(target); });
}

RecordKeeper::~RecordKeeper() {
    // Posted calls run in order: once this one has run, every record submitted before it is
    // in the target or the spool.
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->Finish(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
}

template <class F> void RecordKeeper::OnWorker(F&& work) {
    QMetaObject::invokeMethod(m_worker, std::forward<F>(work), Qt::QueuedConnection);
}

void RecordKeeper::ReloadSettings() {
    m_settings = ReadRecordSettings(m_options.settingsPath);
    OnWorker([w = m_worker, target = m_settings.location] { w->Configure(target); });
}

void RecordKeeper::Submit(TestRecord record) {
    OnWorker([w = m_worker, r = std::move(record)]() mutable { w->Submit(std::move(r)); });
}

std::uint64_t RecordKeeper::Query(const RecordFilter& filter) {
    const std::uint64_t ticket = ++m_nextTicket;
    OnWorker([w = m_worker, filter, ticket] { w->Query(filter, ticket); });
    return ticket;
}

void RecordKeeper::RetryNow() {
    OnWorker([w = m_worker] { w->DeliverWaiting(); });
}

void RecordKeeper::OnStatus(std::size_t waiting, const QString& problem) {
    const bool changed = waiting != m_waiting || problem != m_problem;
    m_waiting = waiting;
    m_problem = problem;
    if (changed)
        emit statusChanged(static_cast<int>(waiting), problem);
}
