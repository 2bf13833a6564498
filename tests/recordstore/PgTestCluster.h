#pragma once
// The PostgreSQL cluster that ctest starts for the store tests (scripts/pg-cluster.sh, named by
// TB_PG_STATE), and a database of its own for each test case.

#include "recordstore/StoreLocation.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace pg_test {

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    std::string value = text.str();
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
        value.pop_back();
    return value;
}

struct Cluster {
    std::string socket;
    int port = 0;
    std::string why; // why there is none

    bool ok() const { return port != 0; }
};

inline Cluster ClusterAt(const std::string& state) {
    Cluster cluster;
    if (const std::string missing = ReadFile(state + "/missing"); !missing.empty()) {
        cluster.why = "PostgreSQL cases skipped: " + missing;
        return cluster;
    }
    cluster.socket = ReadFile(state + "/socket");
    const std::string port = ReadFile(state + "/port");
    if (cluster.socket.empty() || port.empty()) {
        cluster.why = "PostgreSQL cases skipped: no test cluster in " + state +
                      " (scripts/pg-cluster.sh start did not run)";
        return cluster;
    }
    cluster.port = std::atoi(port.c_str());
    return cluster;
}

// The cluster of this ctest run.
inline const Cluster& TestCluster() {
    static const Cluster cluster = [] {
        const char* state = std::getenv("TB_PG_STATE");
        return ClusterAt(state && *state ? state : TB_PG_STATE_DEFAULT);
    }();
    return cluster;
}

// A superuser connection to one database of the cluster; the caller finishes it.
inline PGconn* AdminConnection(const Cluster& cluster, const std::string& database) {
    const std::string port = std::to_string(cluster.port);
    const char* keys[] = {"host", "port", "dbname", "user", nullptr};
    const char* values[] = {cluster.socket.c_str(), port.c_str(), database.c_str(), "postgres",
                            nullptr};
    return PQconnectdbParams(keys, values, 0);
}

// Runs SQL as the superuser; returns libpq's error text, empty on success.
inline std::string Admin(const Cluster& cluster, const std::string& database,
                         const std::string& sql) {
    PGconn* conn = AdminConnection(cluster, database);
    std::string error;
    if (PQstatus(conn) != CONNECTION_OK) {
        error = PQerrorMessage(conn);
    } else {
        PGresult* result = PQexec(conn, sql.c_str());
        const ExecStatusType state = PQresultStatus(result);
        if (state != PGRES_COMMAND_OK && state != PGRES_TUPLES_OK)
            error = PQresultErrorMessage(result);
        PQclear(result);
    }
    PQfinish(conn);
    return error;
}

// One value of a query's first row, as text ("" on error).
inline std::string AdminValue(const Cluster& cluster, const std::string& database,
                              const std::string& sql) {
    PGconn* conn = AdminConnection(cluster, database);
    std::string value;
    if (PQstatus(conn) == CONNECTION_OK) {
        PGresult* result = PQexec(conn, sql.c_str());
        if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0)
            value = PQgetvalue(result, 0, 0);
        PQclear(result);
    }
    PQfinish(conn);
    return value;
}

inline std::string UniqueName(const std::string& prefix) {
    std::random_device random;
    return prefix + std::to_string(random()) + std::to_string(random() % 1000);
}

inline StoreLocation Location(const Cluster& cluster, const std::string& database,
                              const std::string& user = "postgres") {
    StoreLocation location;
    location.kind = StoreLocation::Kind::Postgres;
    location.host = cluster.socket;
    location.port = cluster.port;
    location.database = database;
    location.user = user;
    return location;
}

// A fresh database, dropped at the end of the test case.
class Database {
public:
    explicit Database(const Cluster& cluster, const std::string& owner = "postgres")
        : m_cluster(cluster), m_name(UniqueName("tb_test_")) {
        m_error = Admin(cluster, "postgres",
                        "CREATE DATABASE " + m_name + " OWNER " + owner + " TEMPLATE template0");
    }
    ~Database() {
        Admin(m_cluster, "postgres", "DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& Error() const { return m_error; }
    const std::string& Name() const { return m_name; }
    StoreLocation Location(const std::string& user = "postgres") const {
        return pg_test::Location(m_cluster, m_name, user);
    }
    std::string Run(const std::string& sql) const { return Admin(m_cluster, m_name, sql); }
    std::string Value(const std::string& sql) const { return AdminValue(m_cluster, m_name, sql); }

private:
    Cluster m_cluster;
    std::string m_name;
    std::string m_error;
};

} // namespace pg_test
