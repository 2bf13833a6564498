// The record keeper: records go to the store on the worker thread, wait in the spool while the
// store cannot take them, and are delivered when it can; nothing queued is lost at the end.

#include "AppTestSupport.h"
#include "OwnPgCluster.h"
#include "RecordsFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "recordstore/RecordDelivery.h"
#include "recordsview/RecordKeeper.h"

class RecordKeeperTest : public QObject {
    Q_OBJECT

    static RecordKeeper::Options In(const QTemporaryDir& dir,
                                    std::chrono::milliseconds retry = std::chrono::minutes(1)) {
        RecordKeeper::Options options;
        options.spoolPath = dir.filePath(QStringLiteral("spool.sqlite")).toStdString();
        options.retryInterval = retry;
        return options;
    }

private slots:
    void storesAndTakesTheStationFromTheSettings() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("records.sqlite"));
        UseSqliteSettings(file);
        RecordKeeper keeper(In(dir));
        QCOMPARE(keeper.Station(), std::string("bench-9"));
        QSignalSpy stored(&keeper, &RecordKeeper::recordStored);
        const TestRecord record = FixtureRecords()[0];
        keeper.Submit(record);
        QTRY_COMPARE(stored.size(), 1);
        const auto rows = ReadAll(file.toStdString());
        QCOMPARE(rows.size(), 1u);
        QVERIFY(rows[0].id != 0);
        QVERIFY(WithoutId(rows[0]) == record);
        QCOMPARE(keeper.WaitingCount(), 0u);
    }

    // The server is not there: the record waits in the spool, the count says 1 and the
    // problem is named. Switched to another store, the record keeps waiting for the server it
    // was meant for, still counted, while new records go to the new store.
    void spoolsWhileUnreachableAndWaitsForThatServer() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("nosocket")));
        UseAbsentServerSettings(dir.filePath(QStringLiteral("nosocket")));
        RecordKeeper keeper(In(dir));
        QSignalSpy status(&keeper, &RecordKeeper::statusChanged);
        QElapsedTimer submit;
        submit.start();
        keeper.Submit(FixtureRecords()[1]);
        QVERIFY(submit.elapsed() < 50); // never waits on the database
        QTRY_COMPARE_WITH_TIMEOUT(keeper.WaitingCount(), 1u, 15000);
        QVERIFY(!keeper.LastProblem().isEmpty());
        QCOMPARE(status.last().at(0).toInt(), 1);

        const QString file = dir.filePath(QStringLiteral("records.sqlite"));
        UseSqliteSettings(file);
        keeper.ReloadSettings();
        keeper.Submit(FixtureRecords()[2]);
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(file.toStdString()).size(), 1u, 15000);
        QVERIFY(WithoutId(ReadAll(file.toStdString())[0]) == FixtureRecords()[2]);
        QCOMPARE(keeper.WaitingCount(), 1u);
        // The worker's status follows the stored row on its own queued call.
        QTRY_VERIFY2_WITH_TIMEOUT(
            keeper.LastProblem().startsWith(QStringLiteral("1 record waits for postgresql")),
            qPrintable(keeper.LastProblem()), 5000);
    }

    // A target that cannot be opened now (its folder is a file) comes back: the minute's
    // retry (here a fraction of a second) delivers without another record.
    void theRetryDeliversWhenTheTargetComesBack() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("later"));
        {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        const QString file = folder + QStringLiteral("/records.sqlite");
        UseSqliteSettings(file);
        RecordKeeper keeper(In(dir, std::chrono::milliseconds(200)));
        QSignalSpy stored(&keeper, &RecordKeeper::recordStored);
        keeper.Submit(FixtureRecords()[2]);
        QTRY_COMPARE_WITH_TIMEOUT(keeper.WaitingCount(), 1u, 10000);
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("later")));
        QTRY_COMPARE_WITH_TIMEOUT(keeper.WaitingCount(), 0u, 10000);
        QVERIFY(stored.size() >= 1);
        QCOMPARE(ReadAll(file.toStdString()).size(), 1u);
    }

    // Closing the program right after the last runs: every record reaches the store, or the
    // spool when the store is away.
    void theEndFinishesEverythingQueued() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("records.sqlite"));
        UseSqliteSettings(file);
        const std::vector<TestRecord> fixture = FixtureRecords();
        {
            RecordKeeper keeper(In(dir));
            for (int round = 0; round < 3; ++round)
                for (const TestRecord& r : fixture)
                    keeper.Submit(r);
        }
        QCOMPARE(ReadAll(file.toStdString()).size(), 3 * fixture.size());

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("nosocket")));
        UseAbsentServerSettings(dir.filePath(QStringLiteral("nosocket")));
        {
            RecordKeeper keeper(In(dir));
            keeper.Submit(fixture[0]);
            keeper.Submit(fixture[1]);
        }
        RecordDelivery spool(ReadRecordSettings(ProgramSettingsPath()).location, In(dir).spoolPath);
        QCOMPARE(spool.WaitingCount(), 2u);
    }

    // A real server stopped while a record comes: the record waits in the spool; started
    // again, the minute's retry (a fraction of a second here) delivers it into the server.
    void aServerStoppedAndStartedAgainGetsTheRecord() {
        OwnPgCluster server(QStringLiteral(TB_PG_CLUSTER_SCRIPT));
        if (!server.Ok())
            QSKIP(qPrintable(server.Why()));
        UseServerSettings(server.Location());
        QTemporaryDir dir;
        RecordKeeper keeper(In(dir, std::chrono::milliseconds(300)));
        const std::vector<TestRecord> fixture = FixtureRecords();
        keeper.Submit(fixture[0]);
        QTRY_COMPARE_WITH_TIMEOUT(ReadAt(server.Location()).size(), 1u, 15000);

        QVERIFY(server.Pause());
        keeper.Submit(fixture[1]);
        QTRY_COMPARE_WITH_TIMEOUT(keeper.WaitingCount(), 1u, 15000);
        QVERIFY(!keeper.LastProblem().isEmpty());

        QVERIFY(server.Resume());
        QTRY_COMPARE_WITH_TIMEOUT(keeper.WaitingCount(), 0u, 15000);
        const auto rows = ReadAt(server.Location());
        QCOMPARE(rows.size(), 2u);
        QVERIFY(WithoutId(rows[0]) == fixture[1]);
    }

    void queriesAnswerWithTheirTicket() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("records.sqlite"));
        QVERIFY(WriteAll(file.toStdString(), FixtureRecords()));
        UseSqliteSettings(file);
        RecordKeeper keeper(In(dir));
        QSignalSpy answers(&keeper, &RecordKeeper::queryFinished);
        RecordFilter failed;
        failed.verdict = RecordVerdict::Fail;
        const quint64 all = keeper.Query(RecordFilter{});
        const quint64 fails = keeper.Query(failed);
        QTRY_COMPARE(answers.size(), 2);
        QCOMPARE(answers[0].at(0).toULongLong(), all);
        QCOMPARE(answers[1].at(0).toULongLong(), fails);
        QVERIFY(answers[1].at(2).toString().isEmpty());
    }
};

TB_REGISTER_TEST(RecordKeeperTest);

#include "RecordKeeperTest.moc"
