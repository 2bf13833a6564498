#pragma once
// tracker-sim as a separate process on a pseudo-terminal, for tests that connect the program
// to it as an operator would. The including test target defines TB_TRACKER_SIM_EXE.

#include <QProcess>
#include <QString>
#include <QStringList>

struct SimulatedTracker {
    QProcess process;
    QString pty;
    // `pace` 0 writes at once, otherwise at that baud rate, a few bytes at a time, as a real
    // line does.
    bool Start(int pace, const QStringList& more = {}) {
        process.setProgram(QStringLiteral(TB_TRACKER_SIM_EXE));
        process.setArguments(QStringList{QStringLiteral("--seed"), QStringLiteral("1"),
                                         QStringLiteral("--rate"), QStringLiteral("4"),
                                         QStringLiteral("--pace"), QString::number(pace)} +
                             more);
        process.start();
        if (!process.waitForStarted(5000))
            return false;
        for (int i = 0; i < 50 && !process.canReadLine(); ++i)
            process.waitForReadyRead(100);
        pty = QString::fromLocal8Bit(process.readLine()).trimmed();
        return pty.startsWith(QStringLiteral("/dev/"));
    }
    // Ends the simulator as an operator would, so that its log is complete.
    void Stop() {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    ~SimulatedTracker() {
        process.kill();
        process.waitForFinished(5000);
    }
};
