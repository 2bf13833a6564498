// The main frame as the operator and the acquisition threads meet it: first start, connect,
// the receive distribution, indicators, status panes, looks, update notice and shutdown.

#include "AppTestSupport.h"
#include "FileSizeLimit.h"

#include "app/ApplicationLooks.h"
#include "app/CAboutDlg.h"
#include "app/CChildView.h"
#include "app/CDOPThresholdDlg.h"
#include "app/CKestranoApp.h"
#include "app/CKestranoDesktopAlertWnd.h"
#include "app/CMainFrame.h"
#include "app/CSetPositionDlg.h"
#include "app/CToolBarCustomizeDlg.h"
#include "app/DisplayReach.h"
#include "device/IDeviceReplyConsumer.h"
#include "device/IReceiveChunkConsumer.h"
#include "displays/CFrontPanelStatusWnd.h"
#include "displays/CPositionPlotWnd.h"
#include "displays/CScatterPlotWnd.h"
#include "displays/MicroDegrees.h"
#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SnapshotLock.h"
#include "serial/Acquisition.h"
#include "serial/CConnectDlg.h"
#include "serial/CSio.h"
#include "serial/IAcquisitionEvents.h"
#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/LookColours.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

namespace {

struct ReplyRecorder : IDeviceReplyConsumer {
    QList<QPair<int, QString>> replies;
    void ApplyDeviceReply(ReplyType type, std::u16string_view text) override {
        replies.append({static_cast<int>(type), QString::fromStdU16String(std::u16string(text))});
    }
};

struct ChunkRecorder : IReceiveChunkConsumer {
    QList<QByteArray> chunks;
    void OnReceive(std::string_view chunk) override {
        chunks.append(QByteArray(chunk.data(), static_cast<qsizetype>(chunk.size())));
    }
};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

void QueueBytes(const QByteArray& bytes) {
    std::lock_guard<std::mutex> lock(snapshotLock);
    receiveQueue.insert(receiveQueue.end(), bytes.begin(), bytes.end());
}

void EmptyQueue() {
    std::lock_guard<std::mutex> lock(snapshotLock);
    receiveQueue.clear();
}

// A sentence with its checksum and line end.
QByteArray Sentence(const QByteArray& body) {
    uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<uint8_t>(c);
    return "$" + body + "*" + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + "\r\n";
}

// The two plots the view keeps current from every fix; the frame docks them.
CScatterPlotWnd& ScatterPlotOf(CMainFrame* f) {
    return *f->View()->ScatterPlot();
}
CPositionPlotWnd& PositionPlotOf(CMainFrame* f) {
    return *f->View()->PositionPlot();
}

QByteArray Gga() {
    return Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
}

// The fix-quality text of the program's snapshot, as the position thread writes it.
void SetSnapshotFixText(const std::u16string& text) {
    std::lock_guard<std::mutex> lock(snapshotLock);
    std::fill(std::begin(theSnapshot.fixQualityText), std::end(theSnapshot.fixQualityText), 0);
    std::copy(text.begin(), text.end(), theSnapshot.fixQualityText);
}

// An X display number that nothing serves: no socket of that number exists.
QString UnusedXDisplay() {
    for (int n = 97; n < 200; ++n) {
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
            !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return QStringLiteral(":%1").arg(n);
    }
    return QStringLiteral(":199");
}

// Sets (or, for a null value, removes) environment variables for its lifetime.
class EnvironmentOverride {
public:
    explicit EnvironmentOverride(const QList<QPair<const char*, QString>>& values) {
        for (const auto& [name, value] : values) {
            m_saved.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value.toLocal8Bit());
        }
    }
    ~EnvironmentOverride() {
        for (const Saved& s : m_saved) {
            if (s.wasSet)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }

private:
    struct Saved {
        const char* name;
        bool wasSet;
        QByteArray value;
    };
    QList<Saved> m_saved;
};

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CMainFrame> m_frame;

    CMainFrame* MakeFrame() {
        m_frame = std::make_unique<CMainFrame>();
        if (!m_frame->Create())
            return nullptr;
        m_frame->show();
        return m_frame.get();
    }

private slots:
    void init() {
        ClearProfile();
        EmptyQueue();
    }

    void cleanup() {
        m_frame.reset();
        theSerialPort.Close();
        EmptyQueue();
    }

    void firstStartUsesTheDefaultsAndWritesOnlyTheLook() {
        CMainFrame* f = MakeFrame();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("Tollbrook"));
        QCOMPARE(f->AppLook(), 32782u);
        QCOMPARE(ApplicationLook(), 32782u);
        QCOMPARE(f->LastOpenPort(), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(f->LastOpenBaud(), 9600);
        const CScatterPlotWnd& s = ScatterPlotOf(f);
        QCOMPARE(s.centreMode, 2);
        QCOMPARE(s.dopThresholdX100, 300);
        QCOMPARE(s.userCentre.latitude, 0);
        QCOMPARE(s.userCentre.longitude, 0);
        QCOMPARE(s.userCentre.altitude, 0);
        // The automatic connection writes nothing, whether it worked or not.
        QCOMPARE(ProfileKeys(), QStringList{QStringLiteral("Workspace/ApplicationLook")});

        QTabWidget* tabs = f->View()->Tabs();
        const QStringList expected = {"NMEA Monitor", "Front Panel Status", "Factory Test",
                                      "Tracker Configuration"};
        QCOMPARE(tabs->count(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tabs->tabText(i), expected[i]);
            QVERIFY(!tabs->tabIcon(i).isNull());
        }
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->geometry(), f->View()->rect());

        // The Connect dialog offers the default port at 115200.
        QString presetPort;
        int presetBaud = 0;
        ModalAnswer answer([&](QDialog& d) {
            auto* dlg = dynamic_cast<CConnectDlg*>(&d);
            if (dlg) {
                presetPort = dlg->m_strPort;
                presetBaud = dlg->m_nBaud;
            }
            return int(QDialog::Rejected);
        });
        f->OnCommand(Cmd::Connect);
        QCOMPARE(presetPort, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(presetBaud, 115200);
        QCOMPARE(ProfileKeys(), QStringList{QStringLiteral("Workspace/ApplicationLook")});
    }

    void automaticConnectionOpensTheStoredPort() {
        PseudoTerminal pty;
        QVERIFY(!pty.slavePath.isEmpty());
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty.slavePath);
        WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Baud"), 4800);
        CMainFrame* f = MakeFrame();
        QVERIFY(theSerialPort.IsOpen());
        QCOMPARE(f->LastOpenBaud(), 4800);
        f->UpdateCommandUI();
        QVERIFY(f->CommandAction(Cmd::Connect)->isChecked());
        QVERIFY(!f->CommandAction(Cmd::Disconnect)->isChecked());
        f->OnCommand(Cmd::Disconnect);
        QVERIFY(!theSerialPort.IsOpen());
        QVERIFY(!f->CommandAction(Cmd::Connect)->isChecked());
        QVERIFY(f->CommandAction(Cmd::Disconnect)->isChecked());
    }

    void connectStoresPortAndBaudOnlyOnSuccess() {
        CMainFrame* f = MakeFrame();
        PseudoTerminal pty;
        QVERIFY(!pty.slavePath.isEmpty());
        QString port;
        ModalAnswer answer([&](QDialog& d) {
            auto* dlg = dynamic_cast<CConnectDlg*>(&d);
            if (!dlg)
                return int(QDialog::Rejected);
            dlg->m_strPort = port;
            dlg->m_nBaud = 38400;
            return int(QDialog::Accepted);
        });
        MessageBoxRecorder boxes;

        port = pty.slavePath;
        f->OnCommand(Cmd::Connect);
        QVERIFY(boxes.boxes.isEmpty());
        QVERIFY(theSerialPort.IsOpen());
        QCOMPARE(GetProfileString("Settings", "Comm Port"), pty.slavePath);
        QCOMPARE(GetProfileInt("Settings", "Baud", 0), 38400);

        // A port that cannot be opened: the message with the reason, the settings kept.
        port = QStringLiteral("/dev/tollbrook-no-such-port");
        f->OnCommand(Cmd::Connect);
        QVERIFY(!theSerialPort.IsOpen());
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        const QStringList lines = boxes.boxes[0].text.split('\n');
        QCOMPARE(lines.value(0),
                 QStringLiteral("Unable to connect to specified communication port."));
        QVERIFY2(lines.value(1).contains(QStringLiteral("No such file")),
                 qPrintable(lines.value(1)));
        QCOMPARE(GetProfileString("Settings", "Comm Port"), pty.slavePath);
        QCOMPARE(GetProfileInt("Settings", "Baud", 0), 38400);
    }

    void connectClearsTheSnapshot() {
        CMainFrame* f = MakeFrame();
        {
            std::lock_guard<std::mutex> lock(snapshotLock);
            theSnapshot.latitude = 48.1;
            theSnapshot.satellitesInView = 7;
        }
        SetSnapshotFixText(u"GPS Fix");
        f->OnPositionUpdate();
        f->UpdateCommandUI();
        QCOMPARE(f->PaneText(1), QStringLiteral("GPS Quality: GPS Fix"));
        auto* panel =
            dynamic_cast<CFrontPanelStatusWnd*>(f->View()->PageWidget(CChildView::FrontPanelPage));
        QVERIFY(panel);
        QCOMPARE(panel->Snapshot().satellitesInView, 7);
        PseudoTerminal pty;
        ModalAnswer answer([&](QDialog& d) {
            auto* dlg = dynamic_cast<CConnectDlg*>(&d);
            dlg->m_strPort = pty.slavePath;
            return int(QDialog::Accepted);
        });
        f->OnCommand(Cmd::Connect);
        {
            std::lock_guard<std::mutex> lock(snapshotLock);
            QCOMPARE(theSnapshot.latitude, 0.0);
            QCOMPARE(theSnapshot.satellitesInView, 0);
        }
        // The status pane and the front panel show the cleared data until the next GGA.
        f->UpdateCommandUI();
        QCOMPARE(f->PaneText(1), QStringLiteral("GPS Quality: "));
        QCOMPARE(panel->Snapshot().latitude, 0.0);
        QCOMPARE(panel->Snapshot().satellitesInView, 0);
    }

    void receiveTickRoutesRepliesAndText_data() {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QString>("replies");   // "type=text;..." or empty: no reply
        QTest::addColumn<QByteArray>("others"); // what the monitor and the test page get

        // A 40-byte reply: the value padded to make the whole chunk 40 bytes.
        QByteArray value = "internet.example.net";
        while (QByteArray("AT+APN==" + value + "#\r\n").size() < 40)
            value += 'a';
        const QByteArray reply40 = "AT+APN==" + value + "#\r\n";
        QCOMPARE(reply40.size(), 40);
        QTest::newRow("40-byte reply")
            << reply40 << ("6=" + QString::fromLatin1(value)) << QByteArray();

        // A reply among NMEA lines of the same read is taken out of them, line end and all.
        const QByteArray before = Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
        QByteArray after;
        while (after.size() < 160)
            after += Sentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K");
        QTest::newRow("reply inside NMEA")
            << before + reply40 + after << ("6=" + QString::fromLatin1(value)) << before + after;
        QTest::newRow("IP reply feeds IP then port")
            << QByteArray("AT+IP==10.0.0.5,8001#") << QStringLiteral("4=10.0.0.5;5=8001")
            << QByteArray();
        QTest::newRow("interval reply feeds both intervals")
            << QByteArray("AT+INTERVAL==30,600#") << QStringLiteral("8=30;9=600") << QByteArray();
        QByteArray long97 = "AT+ID==ABC#";
        long97 += QByteArray(97 - long97.size(), ' ');
        QTest::newRow("a reply followed by text in one read")
            << long97 << QStringLiteral("1=ABC") << long97.mid(11);
        QTest::newRow("no reply") << before << QString() << before;
    }

    void receiveTickRoutesRepliesAndText() {
        QFETCH(QByteArray, chunk);
        QFETCH(QString, replies);
        QFETCH(QByteArray, others);
        CMainFrame* f = MakeFrame();
        theSerialPort.Close();
        ReplyRecorder config;
        ChunkRecorder test;
        f->View()->SetConfigurationPage(nullptr, &config);
        f->View()->SetTestPage(nullptr, &test);
        f->View()->ClearRx();

        QueueBytes(chunk);
        f->OnReceiveTick();

        QStringList got;
        for (const auto& r : config.replies)
            got << QStringLiteral("%1=%2").arg(r.first).arg(r.second);
        QCOMPARE(got.join(';'), replies);
        QCOMPARE(f->View()->RxText(), QString::fromLatin1(others).remove('\r'));
        QCOMPARE(test.chunks, others.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{others});
        f->View()->SetConfigurationPage(nullptr, nullptr);
        f->View()->SetTestPage(nullptr, nullptr);
    }

    void receiveTickShowsAndRecordsEveryByteANulIncluded() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("capture.txt"));
        CMainFrame* f = MakeFrame();
        theSerialPort.Close();
        FileDialogAnswer answer(path);
        f->OnCommand(Cmd::RecordData);
        QVERIFY(f->IsRecording());
        f->UpdateCommandUI();
        QVERIFY(!f->CommandAction(Cmd::RecordData)->isEnabled());
        QVERIFY(f->CommandAction(Cmd::StopRecordPlay)->isEnabled());
        QVERIFY(f->IsPaneEnabled(2));
        QCOMPARE(f->PaneText(2), QStringLiteral("Rec Data: 0 bytes"));

        f->View()->ClearRx();
        static const char raw[] = "$GPTXT,one*00\r\n\0after the NUL\r\n";
        const QByteArray chunk(raw, sizeof raw - 1);
        QueueBytes(chunk);
        f->OnReceiveTick();
        QCOMPARE(f->View()->RxText(), QStringLiteral("$GPTXT,one*00\nafter the NUL\n"));
        QCOMPARE(f->RecordedBytes(), 31u);
        f->UpdateCommandUI();
        QCOMPARE(f->PaneText(2), QStringLiteral("Rec Data: 31 bytes"));

        // A configuration reply is not recorded.
        QueueBytes("AT+ID==ABC#");
        f->OnReceiveTick();
        QCOMPARE(f->RecordedBytes(), 31u);

        f->OnCommand(Cmd::StopRecordPlay);
        QVERIFY(!f->IsRecording());
        QCOMPARE(f->PaneText(2), QStringLiteral("Record Data OFF          "));
        QVERIFY(!f->IsPaneEnabled(2));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), chunk);
    }

    void recordFileFailuresAreShownAndEndTheRecording() {
        CMainFrame* f = MakeFrame();
        theSerialPort.Close();
        QString chosen = QStringLiteral("/no/such/folder/capture.txt");
        FileDialogAnswer answer(chosen);
        MessageBoxRecorder boxes;
        f->OnCommand(Cmd::RecordData);
        QVERIFY(!f->IsRecording());
        QCOMPARE(f->RecordedBytes(), 0u);
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].text,
                 QStringLiteral("Could not create file for recording data to."));

        // A device is not recorded to, even under a name that looks like a capture.
        QTemporaryDir dir;
        chosen = dir.filePath(QStringLiteral("full.txt"));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), chosen));
        f->OnCommand(Cmd::RecordData);
        QVERIFY(!f->IsRecording());
        QCOMPARE(boxes.boxes.size(), 2);
        QCOMPARE(boxes.boxes[1].text,
                 QStringLiteral("Could not create file for recording data to."));

        // A write that fails (here past the file size limit; a full disk alike) names why.
        chosen = dir.filePath(QStringLiteral("limited.txt"));
        f->OnCommand(Cmd::RecordData);
        QVERIFY(f->IsRecording());
        QueueBytes("$GPTXT,lost*00\r\n");
        {
            FileSizeLimit limit(4);
            f->OnReceiveTick();
        }
        QVERIFY(!f->IsRecording());
        QCOMPARE(boxes.boxes.size(), 3);
        QCOMPARE(boxes.boxes[2].text,
                 QStringLiteral("Could not write to the record file.\nFile too large"));
        // The pane and the test page were served before the write failed.
        QCOMPARE(f->View()->RxText(), QStringLiteral("$GPTXT,lost*00\n"));
    }

    void recordingAndPlaybackNeverShareAFile() {
        QTemporaryDir dir;
        const QString capture = dir.filePath(QStringLiteral("capture.txt"));
        const QString otherName = dir.filePath(QStringLiteral("same-capture.txt"));
        QByteArray content;
        for (int i = 0; i < 3; ++i)
            content += Gga();
        {
            QFile file(capture);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QVERIFY(QFile::link(capture, otherName));
        auto contentOf = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
        };
        CMainFrame* f = MakeFrame();
        MessageBoxRecorder boxes;
        QString chosen = capture;
        FileDialogAnswer answer(chosen);
        f->OnCommand(Cmd::PlayBackData);
        QVERIFY(theSerialPort.IsPlayback());
        QTRY_VERIFY_WITH_TIMEOUT(f->View()->RxText().contains(QStringLiteral("$GPGGA")), 5000);

        // Recording onto the file being played back, by its name or another: refused, and
        // the capture keeps every byte while it goes on playing.
        for (const QString& name : {capture, otherName}) {
            chosen = name;
            f->OnCommand(Cmd::RecordData);
            QVERIFY2(!f->IsRecording(), qPrintable(name));
            QCOMPARE(boxes.boxes.size(), 1);
            QCOMPARE(boxes.boxes.takeFirst().text,
                     QStringLiteral("Could not create file for recording data to."));
            QCOMPARE(contentOf(capture), content);
        }
        QVERIFY(theSerialPort.IsPlayback());
        f->OnCommand(Cmd::StopRecordPlay);

        // Playing back the file being recorded: "File Error!", and the recording goes on.
        const QString record = dir.filePath(QStringLiteral("record.txt"));
        const QString recordLink = dir.filePath(QStringLiteral("record-link.txt"));
        QVERIFY(QFile::link(record, recordLink));
        chosen = record;
        f->OnCommand(Cmd::RecordData);
        QVERIFY(f->IsRecording());
        for (const QString& name : {record, recordLink}) {
            chosen = name;
            f->OnCommand(Cmd::PlayBackData);
            QVERIFY2(!theSerialPort.IsOpen(), qPrintable(name));
            QCOMPARE(boxes.boxes.size(), 1);
            QCOMPARE(boxes.boxes.takeFirst().text, QStringLiteral("File Error!"));
        }
        QVERIFY(f->IsRecording());
        QueueBytes("$GPTXT,live*00\r\n");
        f->OnReceiveTick();
        QCOMPARE(contentOf(record), QByteArray("$GPTXT,live*00\r\n"));
        f->OnCommand(Cmd::StopRecordPlay);
    }

    void anyFileCanBePlayedBack() {
        // A name without a dot: the open dialog neither hides it nor adds ".txt" to it.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("capture"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(Gga());
        }
        CMainFrame* f = MakeFrame();
        QStringList filters;
        QString suffix = QStringLiteral("(not shown)");
        ModalAnswer answer([&](QDialog& d) {
            auto* fd = qobject_cast<QFileDialog*>(&d);
            if (!fd)
                return int(QDialog::Rejected);
            filters = fd->nameFilters();
            suffix = fd->defaultSuffix();
            fd->selectFile(path);
            return int(QDialog::Accepted);
        });
        f->OnCommand(Cmd::PlayBackData);
        QVERIFY(theSerialPort.IsPlayback());
        QCOMPARE(f->windowTitle(), QStringLiteral("Tollbrook - [Playback: capture]"));
        QCOMPARE(suffix, QString());
        QCOMPARE(filters.last(), QStringLiteral("All Files (*)"));
        QTRY_VERIFY_WITH_TIMEOUT(f->View()->RxText().contains(QStringLiteral("$GPGGA")), 5000);
        f->OnCommand(Cmd::StopRecordPlay);

        // The record dialog keeps its default extension, and lists every file too.
        const QString typed = dir.filePath(QStringLiteral("new"));
        ModalAnswer recordAnswer([&](QDialog& d) {
            auto* fd = qobject_cast<QFileDialog*>(&d);
            if (!fd)
                return int(QDialog::Rejected);
            filters = fd->nameFilters();
            suffix = fd->defaultSuffix();
            fd->selectFile(typed);
            return int(QDialog::Accepted);
        });
        f->OnCommand(Cmd::RecordData);
        QVERIFY(f->IsRecording());
        QCOMPARE(suffix, QStringLiteral("txt"));
        QCOMPARE(filters.last(), QStringLiteral("All Files (*)"));
        QVERIFY(QFileInfo::exists(typed + QStringLiteral(".txt")));
        f->OnCommand(Cmd::StopRecordPlay);
    }

    void aPipeWhoseReaderLeftFailsTheWriteInsteadOfEndingTheProgram() {
        IgnoreWriteFailureSignals();
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        ::close(fds[0]);
        errno = 0;
        QCOMPARE(::write(fds[1], "x", 1), ssize_t(-1));
        QCOMPARE(errno, EPIPE);
        ::close(fds[1]);
    }

    void recordPaneText_data() {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<uint>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("off") << false << 5000u << "Record Data OFF          ";
        QTest::newRow("1024") << true << 1024u << "Rec Data: 1024 bytes";
        QTest::newRow("1025") << true << 1025u << "Rec Data: 1.0 K";
        QTest::newRow("1048576") << true << 1048576u << "Rec Data: 1024.0 K";
        QTest::newRow("1048577") << true << 1048577u << "Rec Data: 1.00 MB";
    }

    void recordPaneText() {
        QFETCH(bool, recording);
        QFETCH(uint, bytes);
        QFETCH(QString, text);
        QCOMPARE(CMainFrame::RecordPaneText(recording, bytes), text);
    }

    void playbackFeedsTheDisplaysAndSetsTheTitle() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("track.txt"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < 3; ++i)
                file.write(Gga());
        }
        CMainFrame* f = MakeFrame();
        QString chosen = path;
        FileDialogAnswer answer(chosen);
        f->OnCommand(Cmd::PlayBackData);
        QVERIFY(theSerialPort.IsPlayback());
        QCOMPARE(f->windowTitle(), QStringLiteral("Tollbrook - [Playback: track.txt]"));
        QTRY_COMPARE_WITH_TIMEOUT(f->PaneText(1), QStringLiteral("GPS Quality: GPS Fix"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(f->View()->RxText().contains(QStringLiteral("$GPGGA")), 5000);
        QVERIFY(ScatterPlotOf(f).positions.size() > 0);
        f->UpdateCommandUI();
        QVERIFY(!f->CommandAction(Cmd::PlayBackData)->isEnabled());

        f->OnCommand(Cmd::StopRecordPlay);
        QVERIFY(!theSerialPort.IsOpen());
        QCOMPARE(f->windowTitle(), QStringLiteral("Tollbrook"));

        // A file that cannot be opened: "File Error!", nothing open, the name still shown.
        MessageBoxRecorder boxes;
        chosen = dir.filePath(QStringLiteral("missing.txt"));
        f->OnCommand(Cmd::PlayBackData);
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("File Error!"));
        QVERIFY(!theSerialPort.IsOpen());
        QCOMPARE(f->windowTitle(), QStringLiteral("Tollbrook - [Playback: missing.txt]"));
    }

    void statusPanesInOrder() {
        CMainFrame* f = MakeFrame();
        QCOMPARE(f->PaneText(0), QStringLiteral("Ready"));
        {
            std::lock_guard<std::mutex> lock(snapshotLock);
            ClearDisplaySnapshot();
        }
        SetSnapshotFixText(u"Differential GPS");
        // The text reaches the pane with the position update, and shows at the next idle update.
        f->OnPositionUpdate();
        f->UpdateCommandUI();
        QCOMPARE(f->PaneText(1), QStringLiteral("GPS Quality: Differential GPS"));
        QCOMPARE(f->PaneText(2), QStringLiteral("Record Data OFF          "));
        auto* rx = f->findChild<QLabel*>(QStringLiteral("pane3"));
        auto* tx = f->findChild<QLabel*>(QStringLiteral("pane4"));
        QVERIFY(rx && tx);
        QCOMPARE(rx->toolTip(), QStringLiteral("Shows that data is being received"));
        QCOMPARE(tx->toolTip(), QStringLiteral("Shows that data is being transmitted"));
        QCOMPARE(f->PaneText(5), QStringLiteral("CAP"));
        QCOMPARE(f->PaneText(6), QStringLiteral("NUM"));
        QCOMPARE(f->PaneText(7), QStringLiteral("SCRL"));
        // Offscreen there is no keyboard to ask: the lock panes stay dim.
        QVERIFY(!f->IsPaneEnabled(5));
    }

    void indicatorsLightWithTrafficAndIdleAfter200ms() {
        CMainFrame* f = MakeFrame();
        QVERIFY(!f->IsReceiveLit());
        QElapsedTimer clock;
        // Messages keep coming: the receive indicator stays lit (checked only where the
        // machine kept up, so that a loaded machine does not fail it).
        for (int i = 0; i < 5; ++i) {
            AcquisitionEvents()->DataReceived();
            QCoreApplication::processEvents();
            clock.start();
            QTest::qWait(60);
            if (clock.elapsed() < 180)
                QVERIFY(f->IsReceiveLit());
        }
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(!f->IsReceiveLit(), 2000);
        QVERIFY2(clock.elapsed() >= 120, qPrintable(QString::number(clock.elapsed())));

        // A line sent to an open port lights the transmit indicator; the pane shows it.
        PseudoTerminal pty;
        QCOMPARE(theSerialPort.Open(pty.slavePath.toStdString(), 115200) >= 0, true);
        f->View()->ClearTx();
        f->SendLine("AT+GPSTEST=1");
        QTRY_VERIFY_WITH_TIMEOUT(f->IsTransmitLit(), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(!f->IsTransmitLit(), 2000);
        QCOMPARE(pty.ReadAvailable(), QByteArray("AT+GPSTEST=1\r\n"));
        QCOMPARE(f->View()->TxText(), QStringLiteral("AT+GPSTEST=1\n"));

        // No port: still echoed, marked as not sent, nothing posted.
        theSerialPort.Close();
        f->View()->ClearTx();
        f->SendLine("AT");
        QTest::qWait(50);
        QVERIFY(!f->IsTransmitLit());
        QCOMPARE(f->View()->TxText(), QStringLiteral("[not sent] AT\n"));
    }

    void liveTrafficOverAPseudoTerminal() {
        PseudoTerminal pty;
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty.slavePath);
        CMainFrame* f = MakeFrame();
        QVERIFY(theSerialPort.IsOpen());
        QVERIFY(pty.Write(Gga()));
        QTRY_VERIFY_WITH_TIMEOUT(f->IsReceiveLit(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(f->PaneText(1), QStringLiteral("GPS Quality: GPS Fix"), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(f->View()->RxText().contains(QStringLiteral("GPGGA")), 2000);

        // The device goes away: the source is closed, so the check marks tell the truth.
        pty.Close();
        QTRY_VERIFY_WITH_TIMEOUT(!theSerialPort.IsOpen(), 3000);
        f->UpdateCommandUI();
        QVERIFY(f->CommandAction(Cmd::Disconnect)->isChecked());
    }

    void oneSnapshotCopyPerGgaWithTheFrontPanelShown() {
        PseudoTerminal pty;
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty.slavePath);
        CMainFrame* f = MakeFrame();
        QVERIFY(theSerialPort.IsOpen());
        f->View()->Tabs()->setCurrentIndex(CChildView::FrontPanelPage);
        auto* panel =
            dynamic_cast<CFrontPanelStatusWnd*>(f->View()->PageWidget(CChildView::FrontPanelPage));
        QVERIFY(panel);
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        QTRY_VERIFY(panel->isVisible());
        QTest::qWait(50);
        CPositionPlotWnd& plot = PositionPlotOf(f);
        // Everything that happens per GGA: the frame's hand-over, the panel's repaint with its
        // sky plot, both plots, and the status pane's idle updates (every 100 ms or so).
        auto settle = [&](unsigned samples) {
            QTRY_COMPARE_WITH_TIMEOUT(plot.sampleCount, samples, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(f->View()->TxText().contains(QStringLiteral("AT+GPSTEST=1")),
                                     3000);
            QTRY_COMPARE_WITH_TIMEOUT(f->PaneText(1), QStringLiteral("GPS Quality: GPS Fix"), 3000);
            QTest::qWait(300);
            panel->repaint();
        };

        f->View()->ClearTx();
        const uint64_t before = DisplaySnapshotCopyCount();
        QVERIFY(pty.Write(Gga()));
        settle(1);
        QCOMPARE(DisplaySnapshotCopyCount() - before, uint64_t(1));
        QVERIFY(qAbs(panel->Snapshot().latitude - (48.0 + 7.038 / 60.0)) < 1e-9);
        QCOMPARE(panel->Snapshot().satellitesUsed, 8);

        f->View()->ClearTx();
        QVERIFY(pty.Write(Gga() + Gga() + Gga() + Gga()));
        settle(5);
        QCOMPARE(DisplaySnapshotCopyCount() - before, uint64_t(5));
    }

    void lookIsStoredAndFollowedByTheColours_data() {
        QTest::addColumn<int>("look");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("foreground");
        QTest::newRow("XP") << Cmd::LookXp << QColor(0, 0, 0) << QColor(255, 255, 255);
        QTest::newRow("Black") << Cmd::LookBlack << QColor(32, 32, 32) << QColor(192, 192, 192);
        QTest::newRow("Aqua") << 32784 << QColor(181, 182, 206) << QColor(0, 0, 128);
    }

    void lookIsStoredAndFollowedByTheColours() {
        QFETCH(int, look);
        QFETCH(QColor, background);
        QFETCH(QColor, foreground);
        CMainFrame* f = MakeFrame();
        f->OnCommand(look == Cmd::LookBlack ? Cmd::LookXp : Cmd::LookBlack);
        f->OnCommand(look);
        QCOMPARE(GetProfileInt("Workspace", "ApplicationLook", 0), look);
        QCOMPARE(ApplicationLook(), static_cast<unsigned>(look));
        QCOMPARE(LookColours().background, background);
        QCOMPARE(LookColours().foreground, foreground);
        QCOMPARE(QApplication::palette().color(QPalette::Window),
                 ApplicationLookPalette(look).color(QPalette::Window));
        int checked = 0;
        for (int id = Cmd::LookFirst; id <= Cmd::LookLast; ++id)
            checked += f->CommandAction(id)->isChecked() ? 1 : 0;
        QCOMPARE(checked, 1);
        QVERIFY(f->CommandAction(look)->isChecked());

        // The next start comes up in the stored look.
        m_frame.reset();
        QCOMPARE(MakeFrame()->AppLook(), static_cast<unsigned>(look));
    }

    void commandsHaveTheirIdsAndRules() {
        CMainFrame* f = MakeFrame();
        theSerialPort.Close();
        f->UpdateCommandUI();
        const QList<QPair<int, QString>> texts = {
            {Cmd::Connect, "&Connect to GPS..."},
            {Cmd::RecordData, "&Record Data..."},
            {Cmd::PlayBackData, "&Play Back Data..."},
            {Cmd::StopRecordPlay, "&Stop"},
            {Cmd::SetDopThreshold, "&Set DOP Threshold..."},
            {Cmd::SetUserPosition, "Set &User Position..."},
            {Cmd::AppAbout, "&About Tollbrook..."},
            {Cmd::AppExit, "E&xit"},
            {Cmd::ViewStatusBar, "&Status Bar"},
            {Cmd::ViewCustomize, "Customize..."},
            {Cmd::LookXp, "&XP Style"},
            {Cmd::LookBlack, "B&lack Style"},
        };
        for (const auto& t : texts) {
            QAction* a = f->CommandAction(t.first);
            QVERIFY2(a, qPrintable(QString::number(t.first)));
            QCOMPARE(a->text(), t.second);
            QCOMPARE(a->data().toInt(), t.first);
        }
        QVERIFY(f->CommandAction(Cmd::RecordData)->isEnabled());
        QVERIFY(f->CommandAction(Cmd::PlayBackData)->isEnabled());
        QVERIFY(!f->CommandAction(Cmd::StopRecordPlay)->isEnabled());
        QVERIFY(!f->CommandAction(Cmd::EditCopy)->isEnabled());

        // Tool bar: Connect, separator, Disconnect, About, then the customise button.
        QList<QAction*> bar = f->ToolBar()->actions();
        QCOMPARE(bar.size(), 5);
        QCOMPARE(bar[0], f->CommandAction(Cmd::Connect));
        QVERIFY(bar[1]->isSeparator());
        QCOMPARE(bar[2], f->CommandAction(Cmd::Disconnect));
        QCOMPARE(bar[3], f->CommandAction(Cmd::AppAbout));
        QCOMPARE(f->ToolBar()->allowedAreas(), Qt::AllToolBarAreas);

        // Customize...: the operator adds Record Data to the bar.
        ModalAnswer answer([](QDialog& d) {
            auto* dlg = dynamic_cast<CToolBarCustomizeDlg*>(&d);
            if (!dlg)
                return int(QDialog::Rejected);
            dlg->CheckBoxFor(Cmd::RecordData)->setChecked(true);
            dlg->CheckBoxFor(Cmd::AppAbout)->setChecked(false);
            return int(QDialog::Accepted);
        });
        f->OnCommand(Cmd::ViewCustomize);
        QVERIFY(f->ToolBar()->actions().contains(f->CommandAction(Cmd::RecordData)));
        QVERIFY(!f->ToolBar()->actions().contains(f->CommandAction(Cmd::AppAbout)));

        // Context-menu commands reach the frame as command events.
        f->View()->AppendRx("text to clear\n");
        SendCommandToFrame(f->View()->PageWidget(CChildView::MonitorPage), Cmd::ClearReceiveScreen);
        QCOMPARE(f->View()->RxText(), QString());
    }

    void positionUpdatesFeedBothPlotsAndClearsAreSeparate() {
        CMainFrame* f = MakeFrame();
        auto feed = [&](double lat, double lon) {
            {
                std::lock_guard<std::mutex> lock(snapshotLock);
                GgaFix& fix = theSnapshot.ggaFix;
                ++fix.serial;
                fix.latitude = lat;
                fix.longitude = lon;
                fix.altitude = 50.0;
                fix.hdop = 1.2;
                fix.hdopPresent = 1;
                fix.quality = 1;
                fix.timeOfDayMs = -1;
            }
            f->OnPositionUpdate();
        };
        feed(-33.0, 151.0);
        feed(-33.0002, 151.0004);
        CScatterPlotWnd& scatter = ScatterPlotOf(f);
        CPositionPlotWnd& plot = PositionPlotOf(f);
        QCOMPARE(scatter.positions.size(), size_t(2));
        QCOMPARE(plot.sampleCount, 2u);
        // The average of both samples reaches the scatter plot as micro-degrees.
        QCOMPARE(scatter.averageCentre.latitude, MicroDegrees(-33.0001));
        QCOMPARE(scatter.averageCentre.longitude, MicroDegrees(151.0002));
        QCOMPARE(scatter.averageCentre.altitude, 0);
        // The first sample became the centre (mode 2 with the pending recentre of start-up).
        QCOMPARE(scatter.centre.latitude, -33000000);

        MessageBoxRecorder boxes;
        boxes.answer = QMessageBox::No;
        f->OnCommand(Cmd::ClearPositionPlots);
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(plot.sampleCount, 2u);
        boxes.answer = QMessageBox::Yes;
        f->OnCommand(Cmd::ClearPositionPlots);
        QCOMPARE(plot.sampleCount, 0u);
        QCOMPARE(plot.m_plots[0].Series(0).pointCount, 0u);
        QCOMPARE(scatter.positions.size(), size_t(2));

        feed(-33.0, 151.0);
        f->OnCommand(Cmd::ClearScatterPlot);
        QVERIFY(scatter.positions.empty());
        QCOMPARE(plot.sampleCount, 1u);
        // The next sample is the new centre: no horizontal error.
        feed(10.0, 20.0);
        QCOMPARE(scatter.centre.latitude, 10000000);
        QVERIFY(scatter.DistanceText().startsWith(QStringLiteral("Horiz Error = 0.00m")));
    }

    void plotDocksFollowTheViewMenuAndComeBackAfterARestart() {
        CMainFrame* f = MakeFrame();
        QDockWidget* position = f->PositionPlotDock();
        QDockWidget* scatter = f->ScatterPlotDock();
        QVERIFY(position && scatter);
        QCOMPARE(position->widget(), static_cast<QWidget*>(f->View()->PositionPlot()));
        QCOMPARE(scatter->widget(), static_cast<QWidget*>(f->View()->ScatterPlot()));
        QAction* showPosition = f->CommandAction(Cmd::ViewPositionPlot);
        QAction* showScatter = f->CommandAction(Cmd::ViewScatterPlot);
        QVERIFY(showPosition && showScatter);
        QVERIFY(showPosition->isCheckable() && showScatter->isCheckable());
        QMenu* view = nullptr;
        for (QAction* a : f->menuBar()->actions())
            if (a->text() == QStringLiteral("&View"))
                view = a->menu();
        QVERIFY(view);
        QVERIFY(view->actions().contains(showPosition));
        QVERIFY(view->actions().contains(showScatter));
        QCOMPARE(showPosition->text(), QStringLiteral("Position Plot"));
        QCOMPARE(showScatter->text(), QStringLiteral("Scatter Plot"));

        // First run: both hidden, nothing checked.
        f->UpdateCommandUI();
        QVERIFY(position->isHidden() && scatter->isHidden());
        QVERIFY(!showPosition->isChecked() && !showScatter->isChecked());

        showPosition->trigger();
        showScatter->trigger();
        f->UpdateCommandUI();
        QVERIFY(position->isVisible() && scatter->isVisible());
        QVERIFY(showPosition->isChecked() && showScatter->isChecked());
        f->addDockWidget(Qt::LeftDockWidgetArea, scatter);

        // A floating plot is a window of its own; its commands still reach the frame.
        position->setFloating(true);
        {
            MessageBoxRecorder boxes;
            boxes.answer = QMessageBox::No;
            SendCommandToFrame(f->View()->PositionPlot(), Cmd::ClearPositionPlots);
            QCOMPARE(boxes.boxes.size(), 1);
            QCOMPARE(boxes.boxes[0].icon, QMessageBox::Warning);
        }
        position->setFloating(false);
        f->addDockWidget(Qt::BottomDockWidgetArea, position);

        QVERIFY(f->close());
        f = MakeFrame();
        position = f->PositionPlotDock();
        scatter = f->ScatterPlotDock();
        f->UpdateCommandUI();
        QVERIFY(!position->isHidden() && !scatter->isHidden());
        QVERIFY(f->CommandAction(Cmd::ViewPositionPlot)->isChecked());
        QCOMPARE(f->dockWidgetArea(scatter), Qt::LeftDockWidgetArea);
        QCOMPARE(f->dockWidgetArea(position), Qt::BottomDockWidgetArea);

        // Hidden again from the menu, hidden at the next start.
        f->CommandAction(Cmd::ViewScatterPlot)->trigger();
        QVERIFY(scatter->isHidden());
        QVERIFY(f->close());
        f = MakeFrame();
        f->UpdateCommandUI();
        QVERIFY(f->ScatterPlotDock()->isHidden());
        QVERIFY(!f->CommandAction(Cmd::ViewScatterPlot)->isChecked());
        QVERIFY(!f->PositionPlotDock()->isHidden());
    }

    void onlyNewFixesReachThePlots() {
        // The decoded stream, as the position thread hands it over: no fix yet, a fix, the
        // same snapshot again, a GGA without a fix, a reconnect, and the first fix after it.
        CMainFrame* f = MakeFrame();
        CPositionPlotWnd& plot = PositionPlotOf(f);
        CScatterPlotWnd& scatter = ScatterPlotOf(f);
        auto decode = [&](const QByteArray& sentence) {
            theParser.SetPositionHandshake(false);
            const QByteArray bytes = Sentence(sentence);
            theParser.FeedBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                static_cast<uint32_t>(bytes.size()));
            theParser.SetPositionHandshake(true);
            TakeDisplaySnapshot();
            f->OnPositionUpdate();
        };
        decode("GPGGA,120000,,,,,0,00,,,M,,M,,");
        QCOMPARE(plot.sampleCount, 0u);
        QVERIFY(scatter.positions.empty());
        decode("GPGGA,120001,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
        QCOMPARE(plot.sampleCount, 1u);
        QCOMPARE(scatter.positions.size(), size_t(1));
        QCOMPARE(scatter.lastPosition.hdop, 90);
        f->OnPositionUpdate();
        QCOMPARE(plot.sampleCount, 1u);
        decode("GPGGA,120002,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,,");
        QCOMPARE(plot.sampleCount, 1u);

        PseudoTerminal pty;
        ModalAnswer answer([&](QDialog& d) {
            dynamic_cast<CConnectDlg*>(&d)->m_strPort = pty.slavePath;
            return int(QDialog::Accepted);
        });
        f->OnCommand(Cmd::Connect);
        theSerialPort.Close();
        f->OnPositionUpdate();
        decode("GPGGA,120003,,,,,0,00,,,M,,M,,");
        QCOMPARE(plot.sampleCount, 1u);
        decode("GPGGA,120004,4807.040,N,01131.000,E,2,09,1.3,545.0,M,46.9,M,,");
        QCOMPARE(plot.sampleCount, 2u);
        QCOMPARE(scatter.lastPosition.hdop, 130);
        QVERIFY(qAbs(plot.m_dLatitude - (48.0 + 7.040 / 60.0)) < 1e-9);
    }

    void centringCommandsStoreTheMode() {
        CMainFrame* f = MakeFrame();
        f->OnCommand(Cmd::CenterOnAverage);
        QCOMPARE(GetProfileInt("Settings", "Scatter Plot Mode", -1), 1);
        QCOMPARE(ScatterPlotOf(f).centreMode, 1);
        QVERIFY(f->IsCommandChecked(Cmd::CenterOnAverage));
        // Clearing the scatter plot centres on the next sample without storing it.
        MessageBoxRecorder boxes;
        boxes.answer = QMessageBox::Yes;
        f->OnCommand(Cmd::ClearScatterPlot);
        QCOMPARE(ScatterPlotOf(f).centreMode, 2);
        QVERIFY(f->IsCommandChecked(Cmd::CenterOnAverage));
        QCOMPARE(GetProfileInt("Settings", "Scatter Plot Mode", -1), 1);
    }

    void storedCentreModeAtStart_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("checked");
        QTest::newRow("user position") << 0 << 0 << int(Cmd::CenterUserPosition);
        QTest::newRow("average") << 1 << 1 << int(Cmd::CenterOnAverage);
        QTest::newRow("next sample") << 2 << 2 << int(Cmd::CenterNextSample);
        // A hand-edited value would leave the plot never centring: the default applies.
        QTest::newRow("names no mode") << 7 << 2 << int(Cmd::CenterNextSample);
    }

    void storedCentreModeAtStart() {
        QFETCH(int, stored);
        QFETCH(int, mode);
        QFETCH(int, checked);
        WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Scatter Plot Mode"), stored);
        CMainFrame* f = MakeFrame();
        QCOMPARE(ScatterPlotOf(f).centreMode, mode);
        QCOMPARE(ScatterPlotOf(f).recentrePending, 1);
        for (int id : {Cmd::CenterUserPosition, Cmd::CenterOnAverage, Cmd::CenterNextSample})
            QCOMPARE(f->IsCommandChecked(id), id == checked);
    }

    void updateNoticeAboveVersion9() {
        CMainFrame* f = MakeFrame();
        auto alerts = [f] { return f->findChildren<CKestranoDesktopAlertWnd*>(); };
        QCoreApplication::postEvent(f, new FrameMessageEvent(WM_UPDATE_AVAILABLE, 9));
        QCoreApplication::processEvents();
        QCOMPARE(alerts().size(), 0);
        QCoreApplication::postEvent(f, new FrameMessageEvent(WM_UPDATE_AVAILABLE, 10));
        QCoreApplication::processEvents();
        QCOMPARE(alerts().size(), 1);
        CKestranoDesktopAlertWnd* first = alerts().constFirst();
        QCOMPARE(first->windowTitle(), QStringLiteral("Update Available"));
        QVERIFY(first->isVisible());
        QCOMPARE(first->findChild<QLabel*>(QStringLiteral("text"))->text(),
                 QStringLiteral("New version of Kestrano is available for download."));
        QVERIFY(first->findChild<QLabel*>(QStringLiteral("link"))->text().contains("Download now"));
        auto* autoClose = first->findChild<QTimer*>(QStringLiteral("autoClose"));
        QVERIFY(autoClose && autoClose->isActive() && autoClose->isSingleShot());
        QCOMPARE(autoClose->interval(), 15000);
        QCoreApplication::postEvent(f, new FrameMessageEvent(WM_UPDATE_AVAILABLE, 11));
        QCoreApplication::processEvents();
        QCOMPARE(alerts().size(), 2);
        // Two alerts do not hide each other.
        const QRect screen(0, 0, 1280, 800);
        const QSize size(300, 100);
        QVERIFY(CKestranoDesktopAlertWnd::RestingPosition(screen, size, 1).y() + size.height() <=
                CKestranoDesktopAlertWnd::RestingPosition(screen, size, 0).y());
        // "Download now" opens the download page and closes the alert.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
        first->OnClickLinkButton();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(QString::fromLatin1(kDownloadPageUrl))});
        QTRY_COMPARE(alerts().size(), 1);
        for (auto* a : alerts())
            a->close();
        QTRY_COMPARE(alerts().size(), 0);
    }

    void updateNoticesTakeFreePlaces() {
        CMainFrame* f = MakeFrame();
        auto alerts = [f] { return f->findChildren<CKestranoDesktopAlertWnd*>(); };
        auto post = [f] {
            QCoreApplication::postEvent(f, new FrameMessageEvent(WM_UPDATE_AVAILABLE, 10));
            QCoreApplication::processEvents();
        };
        // Where each alert comes to rest; no two may overlap.
        auto assertApart = [&] {
            const QRect screen(0, 0, 1280, 800);
            QList<QRect> rects;
            for (auto* a : alerts())
                rects.append(QRect(
                    CKestranoDesktopAlertWnd::RestingPosition(screen, a->size(), a->StackIndex()),
                    a->size()));
            for (int i = 0; i < rects.size(); ++i)
                for (int j = i + 1; j < rects.size(); ++j)
                    QVERIFY2(!rects[i].intersects(rects[j]), "two update notices overlap");
        };
        for (int i = 0; i < 3; ++i)
            post();
        QCOMPARE(alerts().size(), 3);
        assertApart();
        // The first one closes; the next two take the free place and then a new one.
        CKestranoDesktopAlertWnd* bottom = nullptr;
        for (auto* a : alerts())
            if (a->StackIndex() == 0)
                bottom = a;
        QVERIFY(bottom);
        bottom->close();
        QTRY_COMPARE(alerts().size(), 2);
        post();
        post();
        QCOMPARE(alerts().size(), 4);
        assertApart();
        QList<int> places;
        for (auto* a : alerts())
            places.append(a->StackIndex());
        std::sort(places.begin(), places.end());
        QCOMPARE(places, (QList<int>{0, 1, 2, 3}));
        for (auto* a : alerts())
            a->close();
        QTRY_COMPARE(alerts().size(), 0);
    }

    void workspaceIsKeptBetweenRuns() {
        CMainFrame* f = MakeFrame();
        f->resize(640, 420);
        f->move(30, 40);
        f->ToolBar()->hide();
        f->SetToolBarCommands({Cmd::Connect, Cmd::RecordData, Cmd::StopRecordPlay});
        QCoreApplication::processEvents();
        const QRect placed = f->geometry();
        f->close();
        m_frame.reset();
        for (const char* key : {"WindowGeometry", "BarState", "ToolBarCommands"})
            QVERIFY2(ProfileKeys().contains(QStringLiteral("Workspace/") + QLatin1String(key)),
                     key);

        f = MakeFrame();
        QCoreApplication::processEvents();
        QCOMPARE(f->geometry(), placed);
        QVERIFY(f->ToolBar()->isHidden());
        QCOMPARE(f->ToolBarCommands(),
                 (QList<int>{Cmd::Connect, Cmd::RecordData, Cmd::StopRecordPlay}));
        QCOMPARE(f->ToolBar()->actions().contains(f->CommandAction(Cmd::RecordData)), true);
        QCOMPARE(f->ToolBar()->actions().contains(f->CommandAction(Cmd::AppAbout)), false);
        f->close();
        m_frame.reset();

        // A damaged choice keeps the commands the Customize dialog offers, once each.
        WriteProfileString(QStringLiteral("Workspace"), QStringLiteral("ToolBarCommands"),
                           QStringLiteral("32788,abc,99999,32791,32788"));
        f = MakeFrame();
        QCOMPARE(f->ToolBarCommands(), (QList<int>{Cmd::Connect, Cmd::RecordData}));
        m_frame.reset();

        // A run that ends without the window being closed (a stop signal) keeps it too.
        ClearProfile();
        {
            CKestranoApp app;
            QVERIFY(app.InitInstance());
            app.MainFrame()->resize(500, 350);
            QCoreApplication::processEvents();
            app.ExitInstance(0);
        }
        QVERIFY(ProfileKeys().contains(QStringLiteral("Workspace/WindowGeometry")));
        f = MakeFrame();
        QCoreApplication::processEvents();
        QCOMPARE(f->size(), QSize(500, 350));
    }

    void titleNamesTheProgramOnce_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::newRow("start") << ""
                               << "Tollbrook";
        QTest::newRow("playback") << "play track.txt"
                                  << "Tollbrook - [Playback: track.txt]";
        QTest::newRow("playback without a dot") << "play track"
                                                << "Tollbrook - [Playback: track]";
        QTest::newRow("playback that failed") << "play missing.txt"
                                              << "Tollbrook - [Playback: missing.txt]";
        QTest::newRow("stopped") << "play track.txt;stop"
                                 << "Tollbrook";
        QTest::newRow("connect keeps the playback title") << "play track.txt;disconnect"
                                                          << "Tollbrook - [Playback: track.txt]";
    }

    void titleNamesTheProgramOnce() {
        QFETCH(QString, action);
        QFETCH(QString, title);
        QTemporaryDir dir;
        for (const char* name : {"track.txt", "track"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(Gga());
        }
        CMainFrame* f = MakeFrame();
        MessageBoxRecorder boxes;
        QString chosen;
        FileDialogAnswer answer(chosen);
        for (const QString& step : action.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (step.startsWith(QStringLiteral("play "))) {
                chosen = dir.filePath(step.mid(5));
                f->OnCommand(Cmd::PlayBackData);
            } else if (step == QStringLiteral("stop")) {
                f->OnCommand(Cmd::StopRecordPlay);
            } else if (step == QStringLiteral("disconnect")) {
                f->OnCommand(Cmd::Disconnect);
            }
        }
        QCOMPARE(f->windowTitle(), title);
    }

    void theWindowSystemAddsNothingToTheTitle() {
        // It appends the application display name to every title that does not end with it
        // ("Tollbrook - [Playback: x.txt] — Tollbrook"); the program sets none, so the frame's
        // own title is what the operator sees.
        CKestranoApp app;
        QVERIFY(app.InitInstance());
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral("Tollbrook"));
        app.ExitInstance(0);
    }

    void anUnknownStoredLookFallsBackToTheDefault_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<uint>("look");
        QTest::newRow("first") << 32775 << 32775u;
        QTest::newRow("last") << 32785 << 32785u;
        QTest::newRow("below") << 32774 << 32782u;
        QTest::newRow("above") << 32786 << 32782u;
        QTest::newRow("zero") << 0 << 32782u;
        QTest::newRow("negative") << -32780 << 32782u;
    }

    void anUnknownStoredLookFallsBackToTheDefault() {
        QFETCH(int, stored);
        QFETCH(uint, look);
        WriteProfileInt(QStringLiteral("Workspace"), QStringLiteral("ApplicationLook"), stored);
        CMainFrame* f = MakeFrame();
        QCOMPARE(f->AppLook(), look);
        QCOMPARE(ApplicationLook(), look);
        QCOMPARE(GetProfileInt(QStringLiteral("Workspace"), QStringLiteral("ApplicationLook"), 0),
                 int(look));
        QVERIFY(f->CommandAction(int(look))->isChecked());
    }

    void shutdownWithAPositionUpdateInFlight() {
        MakeFrame();
        // The position thread's side of an update the frame never gets to handle.
        IAcquisitionEvents* events = AcquisitionEvents();
        QVERIFY(events);
        std::atomic<bool> returned{false};
        std::stop_source stop;
        std::thread worker([&] {
            events->PositionUpdate(stop.get_token());
            returned = true;
        });
        // No event processing here: the update is still queued when the frame goes.
        QThread::msleep(50);
        QVERIFY(!returned.load());
        QElapsedTimer clock;
        clock.start();
        m_frame.reset();
        worker.join();
        QVERIFY(returned.load());
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    void shutdownWhileSentencesArrive() {
        PseudoTerminal pty;
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty.slavePath);
        CMainFrame* f = MakeFrame();
        QVERIFY(theSerialPort.IsOpen());
        QByteArray burst;
        for (int i = 0; i < 20; ++i)
            burst += Gga();
        QVERIFY(pty.Write(burst));
        QTRY_VERIFY_WITH_TIMEOUT(ScatterPlotOf(f).positions.size() > 0, 3000);
        QVERIFY(pty.Write(burst));
        // Let the reader pick the next burst up, then close without handling its updates.
        QThread::msleep(250);
        QElapsedTimer clock;
        clock.start();
        m_frame.reset();
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    // Pictures of every page in two looks, for checking by eye (only when asked for).
    void screenshotsWhenAsked() {
        const QString dir = qEnvironmentVariable("TB_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("set TB_SCREENSHOT_DIR to save screenshots");
        PseudoTerminal pty;
        WriteProfileString(QStringLiteral("Settings"), QStringLiteral("Comm Port"), pty.slavePath);
        CMainFrame* f = MakeFrame();
        f->resize(1100, 720);
        QByteArray epoch =
            Gga() + Sentence("GPGSA,A,3,04,05,09,12,24,,,,,,,,2.5,1.3,2.1") +
            Sentence("GPGSV,2,1,07,04,45,120,42,05,30,200,38,09,60,300,45,12,15,045,30") +
            Sentence("GPGSV,2,2,07,24,70,010,48,70,25,250,35,40,35,180,33");
        for (unsigned look : {32782u, 32776u}) {
            f->OnCommand(static_cast<int>(look));
            for (int page = 0; page < 4; ++page) {
                f->View()->Tabs()->setCurrentIndex(page);
                for (int i = 0; i < 3; ++i) {
                    pty.Write(epoch);
                    QTest::qWait(150);
                }
                f->grab().save(QStringLiteral("%1/look%2-page%3.png").arg(dir).arg(look).arg(page));
            }
        }
        CAboutDlg about;
        about.grab().save(dir + QStringLiteral("/about.png"));
        CSetPositionDlg position;
        position.grab().save(dir + QStringLiteral("/position.png"));
        CDOPThresholdDlg dop;
        dop.grab().save(dir + QStringLiteral("/dop.png"));
        CKestranoDesktopAlertWnd alert(nullptr, QPixmap(":/bitmaps/144.png").copy(160, 0, 32, 32),
                                       "New version of Kestrano is available for download.",
                                       "Download now");
        alert.grab().save(dir + QStringLiteral("/alert.png"));
    }

    void withoutADisplayTheProgramSaysSoAndEnds() {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TB_TOLLBROOK_EXE), {});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QByteArray err = p.readAllStandardError().trimmed();
        QVERIFY2(err.contains("no display"), err.constData());
        QCOMPARE(err.count('\n'), 0);
    }

    void anUnreachableDisplayIsOneLineAndExitStatus1_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<QString>("named");
        const QString gone = UnusedXDisplay();
        QTest::newRow("X server gone") << gone << "" << QStringLiteral("DISPLAY=") + gone;
        QTest::newRow("Wayland socket nowhere")
            << ""
            << "tollbrook-nowhere-0" << QStringLiteral("DISPLAY is not set");
        QTest::newRow("both gone")
            << gone << "tollbrook-nowhere-0" << QStringLiteral("DISPLAY=") + gone;
    }

    void anUnreachableDisplayIsOneLineAndExitStatus1() {
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(QString, named);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("XDG_SESSION_TYPE"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        if (!wayland.isEmpty())
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TB_TOLLBROOK_EXE), {});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.startsWith("tollbrook: cannot connect to the display"), err.constData());
        QVERIFY2(err.contains(named.toUtf8()), err.constData());
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(err.endsWith('\n'));
    }

    void displayCheckLetsUsablePlatformsThrough_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("reachable");
        const QString gone = UnusedXDisplay();
        QTest::newRow("offscreen") << "offscreen" << gone << true;
        QTest::newRow("minimal") << "minimal"
                                 << "" << true;
        QTest::newRow("chosen X, gone") << "xcb" << gone << false;
        QTest::newRow("X then offscreen") << "xcb;offscreen" << gone << true;
        QTest::newRow("Qt's choice, X gone") << "" << gone << false;
    }

    void displayCheckLetsUsablePlatformsThrough() {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QFETCH(bool, reachable);
        EnvironmentOverride env({{"QT_QPA_PLATFORM", platform},
                                 {"DISPLAY", display},
                                 {"WAYLAND_DISPLAY", QString()},
                                 {"XDG_SESSION_TYPE", QString()}});
        const std::string reason = UnreachableDisplayReason();
        QVERIFY2(reason.empty() == reachable, reason.c_str());
    }

    void displayCheckAcceptsARunningXServer() {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            QSKIP("no Xvfb");
        const QString display = UnusedXDisplay();
        QProcess server;
        server.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-nolisten"),
                                              QStringLiteral("tcp"), QStringLiteral("-screen"),
                                              QStringLiteral("0"), QStringLiteral("640x480x24")});
        QVERIFY(server.waitForStarted(5000));
        const QString socket = QStringLiteral("/tmp/.X11-unix/X") + display.mid(1);
        QElapsedTimer started;
        started.start();
        while (!QFileInfo::exists(socket) && started.elapsed() < 10000)
            QTest::qWait(50);
        if (!QFileInfo::exists(socket))
            QSKIP("Xvfb did not start here");
        {
            EnvironmentOverride env({{"QT_QPA_PLATFORM", QString()},
                                     {"DISPLAY", display},
                                     {"WAYLAND_DISPLAY", QString()},
                                     {"XDG_SESSION_TYPE", QString()}});
            // The server may still be starting when its socket appears.
            std::string reason = "not tried";
            QElapsedTimer waited;
            waited.start();
            while (!reason.empty() && waited.elapsed() < 10000) {
                reason = UnreachableDisplayReason();
                if (!reason.empty())
                    QTest::qWait(100);
            }
            QVERIFY2(reason.empty(), reason.c_str());
        }
        server.terminate();
        server.waitForFinished(5000);
    }
};

TB_REGISTER_TEST(MainFrameTest);
#include "MainFrameTest.moc"
