#pragma once
// Keeps the test records of the program: the test page hands each finished run here, and the
// records window asks here for what is stored. All database work happens on a worker thread of
// its own (RecordWorker); the UI thread only queues work and hears back through queued calls.
// A record the target store cannot take now waits in a local spool and is delivered at start,
// before each record and every minute. On destruction, everything queued is finished (to the
// target or the spool) before the thread ends.

#include <QObject>
#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devicetest/IRunRecordSink.h"
#include "recordstore/RecordFilter.h"
#include "recordstore/RecordSettings.h"

class QThread;
class RecordWorker;

class RecordKeeper : public QObject, public IRunRecordSink {
    Q_OBJECT
public:
    struct Options {
        std::string settingsPath = ProgramSettingsPath();
        std::string spoolPath = DefaultSpoolPath();
        std::chrono::milliseconds retryInterval{60000};
    };

    explicit RecordKeeper(QObject* parent = nullptr);
    // Reads the settings and starts the worker, which tries what waits at once.
    explicit RecordKeeper(Options options, QObject* parent = nullptr);
    ~RecordKeeper() override;

    // The settings changed (the settings dialog was accepted): a new target from now on.
    void ReloadSettings();
    const RecordSettings& Settings() const { return m_settings; }

    // IRunRecordSink: queued, never waits.
    std::string Station() const override { return m_settings.station; }
    std::string OperatorName() const override { return m_settings.operatorName; }
    void Submit(TestRecord record) override;

    // Asks for the records that pass the filter; queryFinished answers with the same ticket.
    std::uint64_t Query(const RecordFilter& filter);
    // Tries to deliver what waits now.
    void RetryNow();

    // As last reported by the worker.
    std::size_t WaitingCount() const { return m_waiting; }
    QString LastProblem() const { return m_problem; }

signals:
    void statusChanged(int waiting, const QString& problem);
    void recordStored();
    void recordLost(const QString& problem);
    void queryFinished(quint64 ticket, const std::vector<TestRecord>& records,
                       const QString& problem);

private:
    template <class F> void OnWorker(F&& work);
    void OnStatus(std::size_t waiting, const QString& problem);

    Options m_options;
    RecordSettings m_settings;
    QThread* m_thread = nullptr;
    RecordWorker* m_worker = nullptr;
    std::uint64_t m_nextTicket = 0;
    std::size_t m_waiting = 0;
    QString m_problem;
};
