#include "recordstore/RecordDelivery.h"

#include "recordstore/SqliteRecordStore.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr std::size_t kBatch = 64;

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    return std::filesystem::weakly_canonical(a, error) ==
           std::filesystem::weakly_canonical(b, error);
}

// "spool.sqlite" -> "spool-1f0c...e2.sqlite": the target's name (never its password) hashed.
std::string SpoolFileFor(const StoreLocation& target, const std::string& spoolPath) {
    std::uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a: the same name in every build
    for (const char c : DescribeStoreLocation(target)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "-%016llx", static_cast<unsigned long long>(hash));
    const std::filesystem::path path(spoolPath);
    const std::string stem = path.stem().string() + suffix + path.extension().string();
    return (path.parent_path() / stem).string();
}

SqliteRecordStore& Spool(std::unique_ptr<RecordStore>& spool) {
    return static_cast<SqliteRecordStore&>(*spool);
}

} // namespace

RecordDelivery::RecordDelivery(StoreLocation target, std::string spoolPath)
    : m_target(std::move(target)), m_spoolPath(SpoolFileFor(m_target, spoolPath)),
      m_spool(std::make_unique<SqliteRecordStore>(m_spoolPath)) {
    // A target that is the spool file itself would deliver each record to itself and then
    // remove it: such a target keeps its records and nothing is spooled for it.
    m_targetIsSpool =
        m_target.kind == StoreLocation::Kind::Sqlite && SameFile(m_target.sqlitePath, m_spoolPath);
}

RecordDelivery::~RecordDelivery() = default;

RecordStore& RecordDelivery::Target() {
    if (!m_store)
        m_store = MakeRecordStore(m_target);
    return *m_store;
}

StoreStatus RecordDelivery::ToTarget(TestRecord& record) {
    StoreStatus status = Target().Insert(record);
    m_lastProblem = status.Ok() ? std::string() : status.message;
    if (status.Ok() && status.code == StoreStatus::Code::SetAside)
        m_lastProblem = status.message; // worth telling once, though the record is in
    return status;
}

std::size_t RecordDelivery::DeliverWaiting() {
    m_targetFailed = false;
    if (m_targetIsSpool || !FileExists(m_spoolPath))
        return 0;
    std::size_t delivered = 0;
    for (;;) {
        std::vector<TestRecord> waiting;
        if (const StoreStatus status = Spool(m_spool).Oldest(kBatch, waiting); !status.Ok()) {
            m_lastProblem = "the spool " + m_spoolPath + ": " + status.message;
            return delivered;
        }
        if (waiting.empty())
            return delivered;
        for (const TestRecord& spooled : waiting) {
            TestRecord record = spooled;
            record.id = 0;
            if (const StoreStatus status = ToTarget(record); !status.Ok()) {
                m_targetFailed = true;
                m_lastStatus = status;
                return delivered;
            }
            // Removed only now that the target has committed it. Should the bench stop right
            // here, the record is delivered again next time: its run key keeps it once.
            if (const StoreStatus status = Spool(m_spool).Remove(spooled.id); !status.Ok()) {
                m_lastProblem = "the spool " + m_spoolPath + ": " + status.message;
                return delivered;
            }
            ++delivered;
        }
    }
}

RecordDelivery::Result RecordDelivery::Record(TestRecord record) {
    if (record.runKey.empty())
        record.runKey = NewRunKey();
    Result result;
    DeliverWaiting();
    // Records keep their order: while older ones wait, a new one waits behind them.
    if (!m_targetFailed && WaitingCount() == 0) {
        result.status = ToTarget(record);
        if (result.status.Ok()) {
            result.stored = true;
            return result;
        }
    } else {
        result.status = m_targetFailed ? m_lastStatus
                                       : StoreStatus{StoreStatus::Code::Unreachable,
                                                     "older records are still waiting"};
    }
    if (m_targetIsSpool)
        return result;
    record.id = 0;
    const StoreStatus spooled = m_spool->Insert(record);
    result.spooled = spooled.Ok();
    if (!result.spooled)
        result.status.message +=
            "; the spool " + m_spoolPath + " did not take it either: " + spooled.message;
    return result;
}

std::size_t RecordDelivery::WaitingCount() {
    if (m_targetIsSpool || !FileExists(m_spoolPath))
        return 0;
    std::size_t count = 0;
    if (!Spool(m_spool).Count(count).Ok())
        return 0;
    return count;
}
