// The frame when the device goes away and comes back: the lost state stays on screen until a
// source is open again, a port that is back under its path is connected again by itself (unless
// the operator switched that off or chose otherwise), lines sent meanwhile are marked as not
// sent, and a playback that cannot be read says so as a playback.

#include "AppTestSupport.h"

#include "app/CChildView.h"
#include "app/CMainFrame.h"
#include "displays/CFrontPanelStatusWnd.h"
#include "monitor/CHistoryCombo.h"
#include "monitor/CNMEAMonitorWnd.h"
#include "nmea/SnapshotLock.h"
#include "serial/Acquisition.h"
#include "serial/CConnectDlg.h"
#include "serial/CSio.h"
#include "uisupport/CommandIds.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <sys/ioctl.h>
#include <termios.h>

#ifdef TB_TRACKER_SIM_EXE
#include "SimulatedTrackerProcess.h"
#endif

namespace {

const QString kLost = QStringLiteral("The connection to the device was lost.");

QByteArray Gga() {
    const QByteArray body = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
    uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<uint8_t>(c);
    return "$" + body + "*" + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + "\r\n";
}

// Points `link` at `target`, replacing what was there.
bool PointLink(const QString& link, const QString& target) {
    QFile::remove(link);
    return QFile::link(target, link);
}

CFrontPanelStatusWnd* PanelOf(const CMainFrame& f) {
    return qobject_cast<CFrontPanelStatusWnd*>(f.View()->PageWidget(CChildView::FrontPanelPage));
}

} // namespace

class DeviceLossTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CMainFrame> m_frame;

    // A frame that connected to `port` at start-up, shown with `page` in front.
    CMainFrame* Frame(const QString& port, CChildView::Page page = CChildView::MonitorPage) {
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), port);
        m_frame = std::make_unique<CMainFrame>();
        if (!m_frame->Create())
            return nullptr;
        m_frame->resize(1100, 720);
        m_frame->show();
        if (!QTest::qWaitForWindowExposed(m_frame.get()))
            return nullptr;
        m_frame->View()->Tabs()->setCurrentIndex(page);
        return m_frame.get();
    }

    // What the message pane shows once a menu prompt came and went over it.
    static QString MessageAfterAPrompt(CMainFrame* f) {
        f->statusBar()->showMessage(QStringLiteral("Connect to the GPS receiver on a serial port"));
        f->statusBar()->clearMessage();
        f->UpdateCommandUI();
        return f->PaneText(0);
    }

private slots:
    void init() { ClearProfile(); }

    void cleanup() {
        m_frame.reset();
        theSerialPort.Close();
        std::lock_guard<std::mutex> lock(snapshotLock);
        receiveQueue.clear();
    }

    void reconnectIsACheckItemOfTheToolsMenuKeptInTheSettings() {
        CMainFrame* f = Frame(QStringLiteral("/dev/tollbrook-no-such-port"));
        QVERIFY(f);
        QAction* item = f->CommandAction(Cmd::ReconnectAutomatically);
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("Reconnect &Automatically"));
        QVERIFY(item->isCheckable());
        QVERIFY(item->isChecked()); // on by default
        QMenu* tools = nullptr;
        for (QAction* a : f->menuBar()->actions())
            if (a->text() == QStringLiteral("&Tools"))
                tools = a->menu();
        QVERIFY(tools);
        QVERIFY(tools->actions().contains(item));

        item->trigger();
        QVERIFY(!item->isChecked());
        QCOMPARE(GetProfileInt("Settings", "Reconnect Automatically", -1), 0);
        // Read back at the next start.
        CMainFrame* again = Frame(QStringLiteral("/dev/tollbrook-no-such-port"));
        QVERIFY(!again->CommandAction(Cmd::ReconnectAutomatically)->isChecked());
        again->CommandAction(Cmd::ReconnectAutomatically)->trigger();
        QCOMPARE(GetProfileInt("Settings", "Reconnect Automatically", -1), 1);
    }

    // The real simulated tracker, killed and started again on the same link, as a USB tracker
    // is unplugged and plugged back.
    void aKilledTrackerStaysLostUntilItIsBackOnItsLink_data() {
        QTest::addColumn<bool>("reconnect");
        QTest::newRow("reconnect on") << true;
        QTest::newRow("reconnect off") << false;
    }
    void aKilledTrackerStaysLostUntilItIsBackOnItsLink() {
#ifndef TB_TRACKER_SIM_EXE
        QSKIP("tracker-sim is not built");
#else
        QFETCH(bool, reconnect);
        if (!reconnect)
            WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Reconnect Automatically"),
                            0);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("tracker"));
        const QStringList linked = {QStringLiteral("--link"), link};
        auto sim = std::make_unique<SimulatedTracker>();
        QVERIFY(sim->Start(0, linked));
        CMainFrame* f = Frame(link, CChildView::FrontPanelPage);
        QVERIFY(f);
        CFrontPanelStatusWnd* panel = PanelOf(*f);
        QVERIFY(panel);
        QTRY_VERIFY_WITH_TIMEOUT(f->PaneText(1) != QStringLiteral("GPS Quality: "), 3000);
        const QString live = f->PaneText(1);
        QVERIFY2(live != QStringLiteral("GPS Quality: Invalid"), qPrintable(live));

        QElapsedTimer gone;
        gone.start();
        sim->process.kill(); // no goodbye: its link is left pointing at nothing
        QVERIFY(sim->process.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(f->IsSourceLost(), 2000);
        qInfo("loss shown %lld ms after the simulator was killed", gone.elapsed());
        QVERIFY(!theSerialPort.IsOpen());
        f->UpdateCommandUI();
        QVERIFY(!f->CommandAction(Cmd::Connect)->isChecked());
        QCOMPARE(f->PaneText(1), QStringLiteral("GPS Quality: Invalid"));
        QVERIFY(panel->IsStale());
        QVERIFY2(panel->StaleNotice().contains(QStringLiteral("last position at")),
                 qPrintable(panel->StaleNotice()));
        const QString lost =
            reconnect ? kLost + QStringLiteral(" Connecting again when it is back.") : kLost;
        QCOMPARE(MessageAfterAPrompt(f), lost);
        const QString shots = qEnvironmentVariable("TB_SCREENSHOT_DIR");
        if (reconnect && !shots.isEmpty()) {
            QTest::qWait(300);
            f->grab().save(shots + QStringLiteral("/lost-stale.png"));
        }
        QTest::qWait(1000);
        QCOMPARE(MessageAfterAPrompt(f), lost);
        QVERIFY(panel->IsStale());

        sim = std::make_unique<SimulatedTracker>();
        QVERIFY(sim->Start(0, linked));
        QElapsedTimer back;
        back.start();
        if (!reconnect) {
            QTest::qWait(2500);
            QVERIFY(!theSerialPort.IsOpen());
            QCOMPARE(MessageAfterAPrompt(f), lost);
            QVERIFY(panel->IsStale());
            // Switched on while the port is awaited, the wait goes on from there.
            f->OnCommand(Cmd::ReconnectAutomatically);
            back.restart();
        }
        QTRY_VERIFY_WITH_TIMEOUT(theSerialPort.IsOpen(), 2000);
        qInfo("connected again %lld ms after the link was back", back.elapsed());
        QVERIFY(back.elapsed() < 2000);
        QVERIFY(!f->IsSourceLost());
        QCOMPARE(f->PaneText(0), QStringLiteral("Connected again to %1.").arg(link));
        QVERIFY(!panel->IsStale());
        QTRY_COMPARE_WITH_TIMEOUT(f->PaneText(1), live, 3000);
        QCOMPARE(MessageAfterAPrompt(f), QStringLiteral("Ready"));
#endif
    }

    // Disconnect and a playback are the operator's choice: a port that comes back afterwards
    // is left alone.
    void theOperatorsChoiceIsNotUndoneByTheReturningPort_data() {
        QTest::addColumn<bool>("playback");
        QTest::newRow("disconnect") << false;
        QTest::newRow("playback") << true;
    }
    void theOperatorsChoiceIsNotUndoneByTheReturningPort() {
        QFETCH(bool, playback);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("tracker"));
        auto first = std::make_unique<PseudoTerminal>();
        QVERIFY(PointLink(link, first->slavePath));
        CMainFrame* f = Frame(link);
        QVERIFY(f);
        QVERIFY(theSerialPort.IsOpen());
        first.reset(); // hung up, and the terminal is gone (its link stays)
        QTRY_VERIFY_WITH_TIMEOUT(f->IsSourceLost(), 2000);
        QVERIFY(f->IsWaitingToReconnect());

        const QString file = dir.filePath(QStringLiteral("capture.txt"));
        if (playback) {
            QFile capture(file);
            QVERIFY(capture.open(QIODevice::WriteOnly));
            capture.write(Gga());
            capture.close();
            FileDialogAnswer answer(file);
            f->OnCommand(Cmd::PlayBackData);
        } else {
            f->OnCommand(Cmd::Disconnect);
        }
        QVERIFY(!f->IsWaitingToReconnect());
        PseudoTerminal second;
        QVERIFY(PointLink(link, second.slavePath));
        QTest::qWait(1500);
        QCOMPARE(theSerialPort.IsOpen(), playback);
        QCOMPARE(theSerialPort.IsPlayback(), playback);
        // A source open again ends the lost state; after a disconnect the device is still gone.
        QCOMPARE(MessageAfterAPrompt(f), playback ? QStringLiteral("Ready") : kLost);
    }

    // A hang-up leaves the terminal's exclusive flag behind (the hung-up descriptor cannot take
    // it back) while the terminal itself stays: the port is connected again all the same.
    void aTerminalHungUpUnderThePortIsConnectedAgain() {
        PseudoTerminal pty;
        CMainFrame* f = Frame(pty.slavePath);
        QVERIFY(f);
        QVERIFY(theSerialPort.IsOpen());
        const int other =
            ::open(pty.slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (other < 0)
            QSKIP("a second descriptor needs the privilege to pass the exclusive flag");
        const int hung = ::ioctl(other, TIOCVHANGUP);
        ::close(other);
        if (hung != 0)
            QSKIP("hanging up a terminal needs CAP_SYS_ADMIN");
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(f->IsSourceLost(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(theSerialPort.IsOpen(), 2000);
        qInfo("hung up and connected again within %lld ms", clock.elapsed());
        QCOMPARE(f->PaneText(0), QStringLiteral("Connected again to %1.").arg(pty.slavePath));
        QVERIFY(pty.Write(Gga()));
        QTRY_COMPARE_WITH_TIMEOUT(f->PaneText(1), QStringLiteral("GPS Quality: GPS Fix"), 3000);
    }

    void linesTheDeviceDidNotGetAreMarkedNotSent() {
        CMainFrame* f = Frame(QStringLiteral("/dev/tollbrook-no-such-port"));
        QVERIFY(f);
        auto* monitor =
            qobject_cast<CNMEAMonitorWnd*>(f->View()->PageWidget(CChildView::MonitorPage));
        QVERIFY(monitor);
        PseudoTerminal pty;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("capture.txt"));
        {
            QFile capture(file);
            QVERIFY(capture.open(QIODevice::WriteOnly));
        }
        const struct {
            const char* source;
            std::function<void()> open;
            bool sent;
        } cases[] = {
            {"no port", [] {}, false},
            {"port",
             [&] {
                 ModalAnswer answer([&](QDialog& d) {
                     auto* dlg = dynamic_cast<CConnectDlg*>(&d);
                     if (!dlg)
                         return int(QDialog::Rejected);
                     dlg->m_strPort = pty.slavePath;
                     return int(QDialog::Accepted);
                 });
                 f->OnCommand(Cmd::Connect);
             },
             true},
            {"playback",
             [&] {
                 FileDialogAnswer answer(file);
                 f->OnCommand(Cmd::PlayBackData);
             },
             false},
        };
        for (const auto& c : cases) {
            c.open();
            f->OnCommand(Cmd::ClearTransmitScreen);
            pty.ReadAvailable();
            monitor->m_comboSend->setEditText(QStringLiteral("AT+TEST=1"));
            monitor->OnSend();
            const QString expected =
                QString::fromLatin1(c.sent ? "" : CNMEAMonitorWnd::kNotSentMark) +
                QStringLiteral("AT+TEST=1\n");
            QVERIFY2(f->View()->TxText() == expected,
                     qPrintable(QStringLiteral("%1: %2").arg(c.source, f->View()->TxText())));
            QTest::qWait(50);
            QCOMPARE(pty.ReadAvailable(), c.sent ? QByteArray("AT+TEST=1\r\r\n") : QByteArray());
        }
    }

    // A playback file that fails to read (an I/O error, not its end) is reported as the
    // playback it is, not as a device, and is not waited for.
    void aPlaybackReadErrorSaysPlayback() {
        CMainFrame* f = Frame(QStringLiteral("/dev/tollbrook-no-such-port"));
        QVERIFY(f);
        MessageBoxRecorder boxes;
        // Readable to open, an I/O error at the first read: the program's own memory file,
        // read at address 0.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("unreadable.txt"));
        QVERIFY(QFile::link(QStringLiteral("/proc/%1/mem").arg(::getpid()), file));
        FileDialogAnswer answer(file);
        f->OnCommand(Cmd::PlayBackData);
        QVERIFY2(boxes.boxes.isEmpty(), theSerialPort.LastError().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(f->IsSourceLost(), 2000);
        const QString message = MessageAfterAPrompt(f);
        QCOMPARE(message, QStringLiteral("The playback file could not be read any further."));
        QVERIFY(!message.contains(QStringLiteral("device")));
        QVERIFY(!f->IsWaitingToReconnect());
        QVERIFY(!theSerialPort.IsOpen());
        QCOMPARE(f->PaneText(1), QStringLiteral("GPS Quality: Invalid"));
    }
};

TB_REGISTER_TEST(DeviceLossTest);
#include "DeviceLossTest.moc"
