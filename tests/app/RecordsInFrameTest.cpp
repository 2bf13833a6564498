// The test records in the shell: each run of the Factory Test page against the simulated
// tracker becomes a row of the records file; a store that is away keeps the record waiting,
// says so in the status bar and delivers it once the settings point at a store that answers.

#include "AppTestSupport.h"
#include "OwnPgCluster.h"

#include "app/CChildView.h"
#include "app/CMainFrame.h"
#include "devicetest/CGpsTest_wnd.h"
#include "recordstore/RecordSettings.h"
#include "recordstore/RecordStore.h"
#include "recordsview/CTestRecordsDlg.h"
#include "recordsview/CTestRecordsWnd.h"
#include "recordsview/RecordKeeper.h"
#include "serial/CSio.h"
#include "uisupport/CommandIds.h"
#include "uisupport/Profile.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#ifdef TB_TRACKER_SIM_EXE
#include "SimulatedTrackerProcess.h"
#endif

namespace {

std::vector<TestRecord> ReadRecords(const std::string& path) {
    StoreLocation location;
    location.sqlitePath = path;
    std::vector<TestRecord> out;
    const auto store = MakeRecordStore(location);
    if (store->Open().Ok())
        store->Query(RecordFilter{}, out);
    return out;
}

QAction* MenuEntry(QMenuBar* bar, const QStringList& path) {
    QList<QAction*> actions = bar->actions();
    QAction* found = nullptr;
    for (const QString& title : path) {
        found = nullptr;
        for (QAction* a : actions) {
            if (a->text().remove(QLatin1Char('&')) == title) {
                found = a;
                break;
            }
        }
        if (!found)
            return nullptr;
        if (found->menu())
            actions = found->menu()->actions();
    }
    return found;
}

} // namespace

class RecordsInFrameTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

#ifdef TB_TRACKER_SIM_EXE
    QString ParameterFile() {
        // Everything as the simulated tracker reports it.
        const QString file = dir.filePath(QStringLiteral("params.txt"));
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.write("<SETTING\nVer: V1.0.4\nID: 2026121001\nIMEI: 864209051234567\n"
                    "IP: 203.0.113.10,9000\nAPN:internet\nTimeZone: 8\nMODE:1\n"
                    "GPRS ENABLE:1\nPROTOCOL:2\nINTERVAL:30,300\nSETTING>\n");
        return file;
    }

    // A frame connected to the tracker, its test page ready to start with every item.
    std::unique_ptr<CMainFrame> FrameOn(const QString& pty, const QString& limit) {
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty);
        auto frame = std::make_unique<CMainFrame>();
        if (!frame->Create())
            return nullptr;
        frame->show();
        frame->View()->Tabs()->setCurrentIndex(CChildView::FactoryTestPage);
        auto* page = Page(*frame);
        for (int id : CGpsTest_wnd::kItemCheckIds)
            qobject_cast<QCheckBox*>(page->Control(id))->setChecked(true);
        qobject_cast<QLineEdit*>(page->Control(CGpsTest_wnd::IDC_EDIT_TIMEOUT))->setText(limit);
        qobject_cast<QLineEdit*>(page->Control(CGpsTest_wnd::IDC_EDIT_PARAMETERFILE))
            ->setText(ParameterFile());
        return frame;
    }
    static CGpsTest_wnd* Page(const CMainFrame& frame) {
        return qobject_cast<CGpsTest_wnd*>(frame.View()->PageWidget(CChildView::FactoryTestPage));
    }
#endif

private slots:
    void init() {
        ClearProfile();
    }
    void cleanup() {
        theSerialPort.Close();
    }

    void menusOpenTheDialogAndTheWindow() {
        CMainFrame frame;
        QVERIFY(frame.Create());
        QAction* settings =
            MenuEntry(frame.menuBar(), {QStringLiteral("Tools"), QStringLiteral("Settings"),
                                        QStringLiteral("Test Records...")});
        QAction* view =
            MenuEntry(frame.menuBar(), {QStringLiteral("View"), QStringLiteral("Test Records")});
        QVERIFY(settings && view);
        // The entries that were there stay.
        QVERIFY(MenuEntry(frame.menuBar(), {QStringLiteral("Tools"), QStringLiteral("Settings"),
                                            QStringLiteral("Set DOP Threshold...")}));
        QVERIFY(MenuEntry(frame.menuBar(), {QStringLiteral("View"), QStringLiteral("Status Bar")}));
        bool dialogShown = false;
        {
            ModalAnswer answer([&](QDialog& d) {
                dialogShown = qobject_cast<CTestRecordsDlg*>(&d) != nullptr;
                return int(QDialog::Rejected);
            });
            settings->trigger();
        }
        QVERIFY(dialogShown);
        view->trigger();
        QVERIFY(frame.RecordsWindow());
        QTRY_VERIFY(frame.RecordsWindow()->isVisible());
        QVERIFY(frame.RecordsWindow()->isWindow());
        QTRY_VERIFY(!frame.RecordsWindow()->Loading());
        QVERIFY(!frame.RecordsPane()->isVisible());
    }

    // A pass, a failing item and an operator's stop: three rows in the default SQLite file,
    // with what the device said, read back as the records window lists them.
    void eachRunAgainstTheTrackerBecomesARow() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        struct Case {
            const char* name;
            QStringList simOptions;
            QString limit;
            bool stop;
            RecordVerdict verdict;
            bool accPassed;
        };
        const Case cases[] = {
            {"pass", {}, QStringLiteral("80"), false, RecordVerdict::Pass, true},
            {"failing item",
             {QStringLiteral("--fail"), QStringLiteral("ACC")},
             QStringLiteral("10"),
             false,
             RecordVerdict::Fail,
             false},
            {"stop",
             {QStringLiteral("--silent"), QStringLiteral("ACC")},
             QStringLiteral("80"),
             true,
             RecordVerdict::Interrupted,
             false},
        };
        std::size_t expectedRows = 0;
        for (const Case& c : cases) {
            SimulatedTracker sim;
            QVERIFY(sim.Start(9600, c.simOptions));
            MessageBoxRecorder boxes;
            {
                auto frame = FrameOn(sim.pty, c.limit);
                QVERIFY(frame);
                CGpsTest_wnd* page = Page(*frame);
                page->OnStart();
                QVERIFY2(page->Run().StartButtonReadsStop(), c.name);
                if (c.stop) {
                    // Long enough for every item to have answered once.
                    QTest::qWait(8000);
                    page->OnStart();
                } else {
                    QTRY_VERIFY_WITH_TIMEOUT(!boxes.boxes.isEmpty(), 20000);
                }
                QVERIFY2(!page->Run().StartButtonReadsStop(), c.name);
                ++expectedRows;
                QTRY_COMPARE_WITH_TIMEOUT(ReadRecords(DefaultRecordsPath()).size(), expectedRows,
                                          10000);
            }
            const TestRecord r = ReadRecords(DefaultRecordsPath()).front();
            QVERIFY2(r.verdict == c.verdict, c.name);
            QCOMPARE(r.imei, std::string("864209051234567"));
            QCOMPARE(r.firmware, std::string("V1.0.4"));
            QCOMPARE(r.parameterCheck, std::string("ok"));
            QCOMPARE(r.station, HostName());
            QVERIFY(r.source == RecordSource::Page);
            for (std::size_t i = 0; i < kRecordItemCount; ++i)
                QVERIFY2(r.items[i] == (i != 4 || c.accPassed), c.name);
            QVERIFY(r.gpsFixSeconds.has_value());
            QVERIFY(r.startedAt < r.finishedAt);
            if (c.verdict == RecordVerdict::Fail)
                QVERIFY2(
                    QString::fromStdString(r.verdictText).contains(QStringLiteral("#ACC Fail")),
                    r.verdictText.c_str());
        }
        const auto rows = ReadRecords(DefaultRecordsPath());
        QCOMPARE(rows.size(), 3u);
        QVERIFY(rows[0].verdict == RecordVerdict::Interrupted);
        QVERIFY(rows[1].verdict == RecordVerdict::Fail);
        QVERIFY(rows[2].verdict == RecordVerdict::Pass);
#endif
    }

    // The store is a server that is not there: the verdict is not held up and the status bar
    // says one record waits. Pointed at another store, the record still waits for its server.
    void aRecordWaitsWhileTheStoreIsAway() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("nosocket")));
        {
            auto s = OpenProfile();
            s->setValue(QStringLiteral("TestRecords/Backend"), QStringLiteral("postgresql"));
            s->setValue(QStringLiteral("TestRecords/Host"),
                        dir.filePath(QStringLiteral("nosocket")));
            s->setValue(QStringLiteral("TestRecords/Database"), QStringLiteral("records"));
            s->setValue(QStringLiteral("TestRecords/Station"), QStringLiteral("bench-4"));
        }
        SimulatedTracker sim;
        QVERIFY(sim.Start(9600));
        MessageBoxRecorder boxes;
        auto frame = FrameOn(sim.pty, QStringLiteral("80"));
        QVERIFY(frame);
        QVERIFY(!frame->RecordsPane()->isVisible());
        Page(*frame)->OnStart();
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.boxes.isEmpty(), 20000);
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("##PASS##"));
        QTRY_VERIFY_WITH_TIMEOUT(frame->RecordsPane()->isVisible(), 15000);
        QCOMPARE(frame->RecordsPane()->text(), QStringLiteral("Test records: 1 waiting"));
        QVERIFY(!frame->RecordsPane()->toolTip().isEmpty());

        const QString file = dir.filePath(QStringLiteral("line.sqlite"));
        {
            ModalAnswer answer([&](QDialog& d) {
                auto* dlg = qobject_cast<CTestRecordsDlg*>(&d);
                if (!dlg)
                    return int(QDialog::Rejected);
                dlg->sqlite->setChecked(true);
                dlg->sqlitePath->setText(file);
                dlg->accept();
                return dlg->result();
            });
            frame->OnCommand(Cmd::TestRecordsSettings);
        }
        QCOMPARE(frame->Records()->Settings().location.sqlitePath, file.toStdString());
        frame->Records()->RetryNow();
        QTest::qWait(500);
        QCOMPARE(frame->RecordsPane()->text(), QStringLiteral("Test records: 1 waiting"));
        QVERIFY(frame->RecordsPane()->toolTip().contains(QStringLiteral("postgresql")));
        QVERIFY(ReadRecords(file.toStdString()).empty());
        frame.reset();
#endif
    }

    // The line's server stops during a run: the verdict is shown all the same, the status bar
    // says one record waits, and once the server is back the record is in it.
    void aServerStoppedDuringARunGetsTheRecordWhenBack() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        OwnPgCluster server(QStringLiteral(TB_PG_CLUSTER_SCRIPT));
        if (!server.Ok())
            QSKIP(qPrintable(server.Why()));
        const StoreLocation location = server.Location();
        {
            auto s = OpenProfile();
            s->setValue(QStringLiteral("TestRecords/Backend"), QStringLiteral("postgresql"));
            s->setValue(QStringLiteral("TestRecords/Host"), QString::fromStdString(location.host));
            s->setValue(QStringLiteral("TestRecords/Port"), location.port);
            s->setValue(QStringLiteral("TestRecords/Database"), QStringLiteral("postgres"));
            s->setValue(QStringLiteral("TestRecords/User"), QStringLiteral("postgres"));
        }
        SimulatedTracker sim;
        QVERIFY(sim.Start(9600));
        MessageBoxRecorder boxes;
        auto frame = FrameOn(sim.pty, QStringLiteral("80"));
        QVERIFY(frame);
        Page(*frame)->OnStart();
        QVERIFY(server.Pause());
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.boxes.isEmpty(), 20000);
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("##PASS##"));
        QTRY_VERIFY_WITH_TIMEOUT(frame->RecordsPane()->isVisible(), 15000);
        QCOMPARE(frame->RecordsPane()->text(), QStringLiteral("Test records: 1 waiting"));

        QVERIFY(server.Resume());
        // What the minute's retry does.
        frame->Records()->RetryNow();
        QTRY_VERIFY_WITH_TIMEOUT(!frame->RecordsPane()->isVisible(), 15000);
        std::vector<TestRecord> rows;
        const auto store = MakeRecordStore(location);
        QVERIFY(store->Open().Ok());
        QVERIFY(store->Query(RecordFilter{}, rows).Ok());
        QCOMPARE(rows.size(), 1u);
        QCOMPARE(rows[0].imei, std::string("864209051234567"));
        QVERIFY(rows[0].verdict == RecordVerdict::Pass);
        frame.reset();
#endif
    }
};

TB_REGISTER_TEST(RecordsInFrameTest);

#include "RecordsInFrameTest.moc"
