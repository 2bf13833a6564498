#pragma once
// A PostgreSQL server of the test's own (scripts/pg-cluster.sh in a temporary state folder),
// really stopped and started: nothing else shares it, so pausing it disturbs no other test.
// Without the server binaries, Why() says so and the test skips.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include "recordstore/StoreLocation.h"

class OwnPgCluster {
public:
    explicit OwnPgCluster(const QString& script) : m_script(script) {
        if (!m_state.isValid()) {
            m_why = QStringLiteral("no temporary folder");
            return;
        }
        if (!Script(QStringLiteral("start"))) {
            m_why = QStringLiteral("pg-cluster.sh start failed");
            return;
        }
        const QString missing = Read(QStringLiteral("missing"));
        if (!missing.isEmpty())
            m_why = QStringLiteral("PostgreSQL skipped: ") + missing;
        m_socket = Read(QStringLiteral("socket"));
        m_port = Read(QStringLiteral("port")).toInt();
        if (m_why.isEmpty() && (m_socket.isEmpty() || m_port == 0))
            m_why = QStringLiteral("the test cluster did not come up");
    }
    ~OwnPgCluster() {
        if (m_state.isValid())
            Script(QStringLiteral("stop"));
    }
    OwnPgCluster(const OwnPgCluster&) = delete;
    OwnPgCluster& operator=(const OwnPgCluster&) = delete;

    bool Ok() const { return m_why.isEmpty(); }
    QString Why() const { return m_why; }
    QString Socket() const { return m_socket; }
    int Port() const { return m_port; }
    // The server's own database, as its superuser: the records' table is made there.
    StoreLocation Location() const {
        StoreLocation location;
        location.kind = StoreLocation::Kind::Postgres;
        location.host = m_socket.toStdString();
        location.port = m_port;
        location.database = "postgres";
        location.user = "postgres";
        return location;
    }
    bool Pause() { return Script(QStringLiteral("pause")); }
    bool Resume() { return Script(QStringLiteral("resume")); }

private:
    bool Script(const QString& command) {
        QProcess process;
        process.start(QStringLiteral("bash"), {m_script, command, m_state.path()});
        return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
    QString Read(const QString& name) const {
        QFile file(m_state.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).trimmed();
    }

    QString m_script;
    QTemporaryDir m_state;
    QString m_why;
    QString m_socket;
    int m_port = 0;
};
