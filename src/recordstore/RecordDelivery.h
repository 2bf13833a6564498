#pragma once
// Gets every record into its store without ever making the bench wait for long: a record the
// store cannot take now (server unreachable, database locked, ...) goes to a local spool (an
// SQLite file) and is delivered, oldest first, when the store answers again. Plain C++ and
// blocking: the program runs it on a worker thread, tollbrook-cli at the end of a run.

#include <cstddef>
#include <memory>
#include <string>

#include "recordstore/RecordStore.h"

class RecordDelivery {
public:
    // spoolPath: names the spool's SQLite file (created when first needed). Each target has a
    // spool of its own beside it, SpoolFile(), so that records kept for one store (a --db of
    // tollbrook-cli, a server set before the settings changed) never go to another.
    RecordDelivery(StoreLocation target, std::string spoolPath);
    ~RecordDelivery();

    struct Result {
        bool stored = false;  // in the target store now
        bool spooled = false; // kept in the spool for later
        StoreStatus status;   // the target's answer (why it was spooled)
    };
    // Delivers what waits first, then this record; spools it when the target does not take it.
    // A record is lost only when neither the target nor the spool takes it (status says why).
    Result Record(TestRecord record);
    // Tries to deliver what waits in the spool; returns how many were delivered.
    std::size_t DeliverWaiting();
    // Records waiting in the spool.
    std::size_t WaitingCount();
    // The last problem with the target, empty when the last attempt succeeded.
    const std::string& LastProblem() const { return m_lastProblem; }
    // The spool file of this target.
    const std::string& SpoolFile() const { return m_spoolPath; }

private:
    RecordStore& Target();
    StoreStatus ToTarget(TestRecord& record);

    StoreLocation m_target;
    std::string m_spoolPath;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<RecordStore> m_spool;
    std::string m_lastProblem;
    StoreStatus m_lastStatus;    // the target's last refusal
    bool m_targetFailed = false; // the last DeliverWaiting stopped at the target
    bool m_targetIsSpool = false;
};
