// The two device pages inside the shell: the tab view holds them and the frame's receive
// path reaches them, down to a round trip with the simulated tracker.

#include "AppTestSupport.h"
#include "RecordingSender.h"

#include "app/CChildView.h"
#include "app/CMainFrame.h"
#include "devicetest/CGpsTest_wnd.h"
#include "nmea/SnapshotLock.h"
#include "serial/Acquisition.h"
#include "serial/CSio.h"
#include "trackerconfig/CGps_Control.h"
#include "uisupport/CommandIds.h"
#include "uisupport/Profile.h"

#include "TrafficLog.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>
#include <memory>

#ifdef TB_TRACKER_SIM_EXE
#include "SimulatedTrackerProcess.h"

namespace {

// A frame connected to the tracker at start-up, shown with the given page in front.
std::unique_ptr<CMainFrame> ConnectedFrame(const QString& pty, CChildView::Page page) {
    WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty);
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->Create())
        return nullptr;
    frame->resize(1100, 720);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get()))
        return nullptr;
    frame->View()->Tabs()->setCurrentIndex(page);
    return frame;
}

// The rows of a test run against the tracker at each of these paces (0: at once).
void PaceRows(std::initializer_list<int> paces) {
    QTest::addColumn<int>("pace");
    for (int pace : paces)
        QTest::newRow(pace ? qPrintable(QStringLiteral("%1 baud").arg(pace)) : "instant") << pace;
}

// The page the frame's view holds in a tab.
template <class Page> Page* PageOf(const CMainFrame& frame, CChildView::Page tab) {
    return qobject_cast<Page*>(frame.View()->PageWidget(tab));
}

// How many times a slow-line test repeats its read: TB_LINE_ROUNDS, 10 by default.
int Rounds() {
    const int n = qEnvironmentVariableIntValue("TB_LINE_ROUNDS");
    return n > 0 ? n : 10;
}

} // namespace
#endif

class PagesInFrameTest : public QObject {
    Q_OBJECT

private slots:
    void childViewHandsChunksToThePage() {
        RecordingSender sender;
        CChildView view(&sender);
        auto* testPage = qobject_cast<CGpsTest_wnd*>(view.PageWidget(CChildView::FactoryTestPage));
        QVERIFY(testPage);
        QCOMPARE(view.Tabs()->tabText(CChildView::FactoryTestPage), QStringLiteral("Factory Test"));
        view.OnReceive("AT+TEST_SIM==1");
        QCOMPARE(testPage->Run().PassFlags(), std::uint8_t(1));
    }

    void frameCarriesTheRepliesToThePage() {
        CMainFrame frame;
        QVERIFY(frame.Create());
        auto* page = qobject_cast<CGps_Control*>(
            frame.View()->PageWidget(CChildView::TrackerConfigurationPage));
        QVERIFY(page);
        QCOMPARE(frame.View()->Tabs()->tabText(CChildView::TrackerConfigurationPage),
                 QStringLiteral("Tracker Configuration"));
        // A reply drained by the receive tick reaches the page: the address and its port.
        theSerialPort.Close();
        {
            std::lock_guard<std::mutex> lock(snapshotLock);
            receiveQueue.clear();
            const std::string_view reply = "AT+IP==10.0.0.5,8001#";
            receiveQueue.insert(receiveQueue.end(), reply.begin(), reply.end());
        }
        frame.OnReceiveTick();
        QCOMPARE(page->ControlAs<QLineEdit>(1047)->text(), QStringLiteral("10.0.0.5"));
        QCOMPARE(page->ControlAs<QLineEdit>(1254)->text(), QStringLiteral("8001"));
    }

    void readsFillThePageFromTheSimulatedTracker_data() { PaceRows({0, 9600}); }

    // The whole path: page, frame, serial port, simulated tracker, receive tick, page.
    void readsFillThePageFromTheSimulatedTracker() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QFETCH(int, pace);
        SimulatedTracker sim;
        QVERIFY(sim.Start(pace));
        {
            const auto frame = ConnectedFrame(sim.pty, CChildView::TrackerConfigurationPage);
            QVERIFY(frame);
            auto* page = PageOf<CGps_Control>(*frame, CChildView::TrackerConfigurationPage);
            QVERIFY(page);
            QTRY_VERIFY_WITH_TIMEOUT(
                frame->View()->TxText().contains(QStringLiteral("AT+GPSTEST=0")), 3000);
            struct Case {
                int button, edit;
                const char* value;
            };
            const Case cases[] = {{1006, 1059, "2026121001"},
                                  {1246, 1252, "864209051234567"},
                                  {1009, 1047, "203.0.113.10"},
                                  {1250, 1255, "internet"},
                                  {1049, 1259, "8"},
                                  {1302, 1227, "300"}};
            for (const Case& c : cases) {
                page->OnCommand(c.button);
                QTRY_COMPARE_WITH_TIMEOUT(page->ControlAs<QLineEdit>(c.edit)->text(),
                                          QString::fromLatin1(c.value), 3000);
            }
            QCOMPARE(page->ControlAs<QLineEdit>(1254)->text(), QStringLiteral("9000"));
            QCOMPARE(page->ControlAs<QLineEdit>(1300)->text(), QStringLiteral("30"));
            page->OnCommand(1282);
            QTRY_VERIFY_WITH_TIMEOUT(page->ControlAs<QRadioButton>(1278)->isChecked(), 3000);
            page->ControlAs<QRadioButton>(1275)->setChecked(true);
            page->OnCommand(1064);
            QTest::qWait(500);
            page->ControlAs<QRadioButton>(1279)->setChecked(true);
            page->OnCommand(1052);
            QTRY_VERIFY_WITH_TIMEOUT(page->ControlAs<QRadioButton>(1275)->isChecked(), 3000);
            QVERIFY(!page->ControlAs<QRadioButton>(1279)->isChecked());
        }
#endif
    }

    void repeatedReadsAtTheLinesPaceAlwaysArrive_data() {
        PaceRows({9600, 4800});
    }

    // A slow line cuts replies anywhere between two receive ticks: every read must still fill
    // its field, never leaving it empty (or, on a real bench, holding the previous tracker's).
    void repeatedReadsAtTheLinesPaceAlwaysArrive() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QFETCH(int, pace);
        SimulatedTracker sim;
        QVERIFY(sim.Start(pace));
        const auto frame = ConnectedFrame(sim.pty, CChildView::TrackerConfigurationPage);
        QVERIFY(frame);
        auto* page = PageOf<CGps_Control>(*frame, CChildView::TrackerConfigurationPage);
        QLineEdit* id = page->ControlAs<QLineEdit>(1059);
        QLineEdit* ip = page->ControlAs<QLineEdit>(1047);
        QLineEdit* port = page->ControlAs<QLineEdit>(1254);
        for (int round = 0; round < Rounds(); ++round) {
            id->clear();
            page->OnCommand(1006);
            QTRY_COMPARE_WITH_TIMEOUT(id->text(), QStringLiteral("2026121001"), 3000);
            ip->clear();
            port->clear();
            page->OnCommand(1009);
            QTRY_COMPARE_WITH_TIMEOUT(port->text(), QStringLiteral("9000"), 3000);
            QCOMPARE(ip->text(), QStringLiteral("203.0.113.10"));
        }
#endif
    }

    void parameterBlocksAtTheLinesPaceAreShownAndVerified_data() {
        PaceRows({9600, 4800});
    }

    // The block (about 190 bytes) is always longer than one receive tick at these rates.
    void parameterBlocksAtTheLinesPaceAreShownAndVerified() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QFETCH(int, pace);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("params.txt"));
        {
            // Everything as the simulated tracker reports it, but for its APN.
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<SETTING\nVer: V1.0.4\nID: 2026121001\nIMEI: 864209051234567\n"
                    "IP: 203.0.113.10,9000\nAPN:othernet\nTimeZone: 8\nMODE:1\n"
                    "GPRS ENABLE:1\nPROTOCOL:2\nINTERVAL:30,300\nSETTING>\n");
        }
        SimulatedTracker sim;
        QVERIFY(sim.Start(pace));
        MessageBoxRecorder boxes;
        const auto frame = ConnectedFrame(sim.pty, CChildView::FactoryTestPage);
        QVERIFY(frame);
        auto* page = PageOf<CGpsTest_wnd>(*frame, CChildView::FactoryTestPage);
        QVERIFY(page);
        page->LoadParameterFile(file);
        auto* shown = qobject_cast<QTextEdit*>(page->Control(CGpsTest_wnd::IDC_EDIT_PARAMETER));
        QVERIFY(shown);
        for (int round = 0; round < Rounds(); ++round) {
            shown->clear();
            const auto before = boxes.boxes.size();
            page->OnReadParameter();
            QTRY_VERIFY_WITH_TIMEOUT(
                shown->toPlainText().contains(QStringLiteral("INTERVAL:30,300")), 3000);
            QVERIFY(shown->toPlainText().contains(QStringLiteral("Ver: V1.0.4")));
            // Verified: the APN that differs from the file is reported each time.
            QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes.size(), before + 1, 3000);
            QVERIFY(boxes.boxes.last().text.contains(QStringLiteral("APN与参数文件不符")));
        }
#endif
    }

    // A device unplugged during a run ends the run as lost at once, not as a failed device.
    void aDeviceThatVanishesMidRunEndsTheRunAsLost() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("params.txt"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<SETTING\nVer: V1.0.4\nID: 1\nIMEI: 1\nIP: 1\nAPN:internet\nTimeZone: 8\n"
                    "MODE:1\nGPRS ENABLE:1\nPROTOCOL:2\nINTERVAL:30,300\nSETTING>\n");
        }
        auto sim = std::make_unique<SimulatedTracker>();
        QVERIFY(sim->Start(9600, {QStringLiteral("--silent"), QStringLiteral("GPS")}));
        MessageBoxRecorder boxes;
        const auto frame = ConnectedFrame(sim->pty, CChildView::FactoryTestPage);
        QVERIFY(frame);
        auto* page = PageOf<CGpsTest_wnd>(*frame, CChildView::FactoryTestPage);
        qobject_cast<QCheckBox*>(page->Control(CGpsTest_wnd::kItemCheckIds[0]))->setChecked(true);
        qobject_cast<QLineEdit*>(page->Control(CGpsTest_wnd::IDC_EDIT_PARAMETERFILE))
            ->setText(file);
        page->OnStart();
        QVERIFY(page->Run().StartButtonReadsStop());
        QTest::qWait(1500);
        QElapsedTimer unplugged;
        unplugged.start();
        sim.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.boxes.isEmpty(), 2000);
        QVERIFY(unplugged.elapsed() < 2000);
        QCOMPARE(boxes.boxes.last().text, QStringLiteral("#串口已断开#"));
        QVERIFY(!page->Run().StartButtonReadsStop());
        QVERIFY(!page->LogText().contains(QStringLiteral("Fail")));
#endif
    }

    // What the record file holds is exactly what the device sent, byte for byte.
    void aRecordingAtTheLinesPaceIsWhatTheDeviceSent() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("sim.log"));
        const QString capture = dir.filePath(QStringLiteral("capture.txt"));
        SimulatedTracker sim;
        QVERIFY(sim.Start(9600, {QStringLiteral("--log"), log}));
        const auto frame = ConnectedFrame(sim.pty, CChildView::MonitorPage);
        QVERIFY(frame);
        {
            FileDialogAnswer answer(capture);
            frame->OnCommand(Cmd::RecordData);
        }
        QVERIFY(frame->IsRecording());
        QTest::qWait(3000);
        frame->OnCommand(Cmd::StopRecordPlay);
        sim.Stop();
        QFile recorded(capture);
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        const QByteArray bytes = recorded.readAll();
        QVERIFY2(bytes.size() > 1500, QByteArray::number(bytes.size()).constData());
        QFile logFile(log);
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QByteArray logText = logFile.readAll();
        const std::string sent =
            TrafficLog::SentBytes(std::string_view(logText.constData(), logText.size()));
        // The recording began and ended in the middle of the stream: it is one unbroken piece
        // of what was sent.
        const std::string recording(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (sent.find(recording) == std::string::npos) {
            // Say where the recording leaves what was sent: the longest piece that matches.
            std::size_t good = 0;
            while (good < recording.size() &&
                   sent.find(recording.substr(0, good + 1)) != std::string::npos)
                ++good;
            const std::string message = "the recording leaves what was sent after " +
                                        std::to_string(good) + " of " +
                                        std::to_string(recording.size()) + " bytes: \"" +
                                        recording.substr(good > 40 ? good - 40 : 0, 80) + "\"";
            QFAIL(message.c_str());
        }
#endif
    }
};

TB_REGISTER_TEST(PagesInFrameTest);

#include "PagesInFrameTest.moc"
