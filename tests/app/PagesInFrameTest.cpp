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
#include "uisupport/Profile.h"

#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QtTest>

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

    // The whole path: page, frame, serial port, simulated tracker, receive tick, page.
    void readsFillThePageFromTheSimulatedTracker() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QProcess sim;
        sim.setProgram(QStringLiteral(TB_TRACKER_SIM_EXE));
        sim.setArguments({QStringLiteral("--seed"), QStringLiteral("1"), QStringLiteral("--rate"),
                          QStringLiteral("4")});
        sim.start();
        QVERIFY(sim.waitForStarted(5000));
        const auto stop = qScopeGuard([&sim] {
            sim.kill();
            sim.waitForFinished(5000);
        });
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 5000);
        const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY(pty.startsWith(QStringLiteral("/dev/")));
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty);
        {
            CMainFrame frame;
            QVERIFY(frame.Create());
            frame.resize(1100, 720);
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            auto* page = qobject_cast<CGps_Control*>(
                frame.View()->PageWidget(CChildView::TrackerConfigurationPage));
            QVERIFY(page);
            frame.View()->Tabs()->setCurrentIndex(CChildView::TrackerConfigurationPage);
            // The page's paint stops the NMEA stream; let what was on its way drain.
            QTRY_VERIFY_WITH_TIMEOUT(
                frame.View()->TxText().contains(QStringLiteral("AT+GPSTEST=0")), 3000);
            QTest::qWait(600);
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
            // One reply per chunk: each command waits for its answer.
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
};

TB_REGISTER_TEST(PagesInFrameTest);

#include "PagesInFrameTest.moc"
