// The monitor page: a typed command reaches a pseudo-terminal and the transmit pane, the
// quick rows keep their own histories, received bytes are shown as the device sent them, and
// the page is laid out by its own arithmetic.

#include "TempSettingsMain.h"
#include "device/ILineSender.h"
#include "monitor/CHistoryCombo.h"
#include "monitor/CLogEditCtrl.h"
#include "monitor/CNMEAMonitorWnd.h"
#include "serial/CSio.h"
#include "uisupport/Profile.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("DA1Zozavod History");

// A pseudo-terminal: the program opens the slave as its serial port, the test reads what
// the device would receive from the master.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slaveName = ptsname(m_master);
    }
    ~PseudoTerminal() {
        if (m_master >= 0)
            close(m_master);
    }
    bool ok() const { return m_master >= 0 && !m_slaveName.empty(); }
    const std::string& slaveName() const { return m_slaveName; }

    // Everything that arrives within the time-out after the first byte.
    QByteArray ReadAll(int timeoutMs = 1000) {
        QByteArray data;
        pollfd p{m_master, POLLIN, 0};
        while (poll(&p, 1, data.isEmpty() ? timeoutMs : 50) > 0) {
            char buf[256];
            const ssize_t n = read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            data.append(buf, n);
        }
        return data;
    }

private:
    int m_master = -1;
    std::string m_slaveName;
};

// Does what the main frame's SendLine does: the port side writes the text and CR LF when a
// port is open, then the line is echoed in the transmit pane.
class FrameSender : public ILineSender {
public:
    CNMEAMonitorWnd* monitor = nullptr;
    QList<QByteArray> lines;

    void SendLine(const char* text) override {
        lines << QByteArray(text);
        theSerialPort.WriteLine(text);
        if (monitor) {
            monitor->AppendTx(text);
            monitor->AppendTx("\n");
        }
    }
};

QString Stored(const QString& key) {
    return OpenProfile()->value(ProfileKey(kSection, key)).toString();
}

} // namespace

class NMEAMonitorWndTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        auto store = OpenProfile();
        store->clear();
        store->sync();
    }

    void sendWritesTheLineAndEchoesIt();
    void quickSendUsesItsOwnHistory();
    void longLinesAreCutToTheFieldLimit();
    void receivedBytesAsShown_data();
    void receivedBytesAsShown();
    void transmitPaneDropsCr();
    void layout_data();
    void layout();
    void showingThePageScrollsToTheNewestText();
    void pastedLinesSendOneLine_data();
    void pastedLinesSendOneLine();
};

void NMEAMonitorWndTest::sendWritesTheLineAndEchoesIt() {
    PseudoTerminal pty;
    QVERIFY(pty.ok());
    QVERIFY2(theSerialPort.Open(pty.slaveName(), 115200) >= 0, theSerialPort.LastError().c_str());
    FrameSender sender;
    CNMEAMonitorWnd page(&sender);
    sender.monitor = &page;
    QCOMPARE(page.windowTitle(), QStringLiteral("NMEA Monitor"));

    page.m_comboSend->setEditText(QStringLiteral("AT+TEST=1"));
    QTest::mouseClick(page.m_buttonSend, Qt::LeftButton);

    QCOMPARE(sender.lines, QList<QByteArray>{"AT+TEST=1\r"});
    QCOMPARE(pty.ReadAll(), QByteArray("AT+TEST=1\r\r\n"));
    QCOMPARE(page.m_editTx->toPlainText(), QStringLiteral("AT+TEST=1\n"));
    QCOMPARE(page.m_comboSend->itemText(0), QStringLiteral("AT+TEST=1"));
    QCOMPARE(page.m_comboSend->count(), 7);
    QCOMPARE(Stored("HistoryItem0"), QStringLiteral("AT+TEST=1"));
    QCOMPARE(Stored("HistoryItem"), QStringLiteral("AT+TEST=1"));

    // The sent text stays, selected: the next command typed replaces it and is completed.
    QTest::keyClicks(page.m_comboSend, "AT+G");
    QCOMPARE(page.m_comboSend->currentText(), QStringLiteral("AT+GPSTEST=1"));

    // Enter in the field sends as well; the next start remembers the command.
    page.m_comboSend->setEditText(QStringLiteral("AT+RELAY=0"));
    QTest::keyClick(page.m_comboSend, Qt::Key_Return);
    QCOMPARE(pty.ReadAll(), QByteArray("AT+RELAY=0\r\r\n"));
    QCOMPARE(page.m_editTx->toPlainText(), QStringLiteral("AT+TEST=1\nAT+RELAY=0\n"));
    CNMEAMonitorWnd next(nullptr);
    QCOMPARE(next.m_comboSend->currentText(), QStringLiteral("AT+RELAY=0"));
    QCOMPARE(next.m_comboSend->itemText(1), QStringLiteral("AT+TEST=1"));
    theSerialPort.Close();
}

void NMEAMonitorWndTest::quickSendUsesItsOwnHistory() {
    FrameSender sender;
    CNMEAMonitorWnd page(&sender);
    sender.monitor = &page;
    QCOMPARE(page.m_buttonQSend[2]->text(), QStringLiteral("cmd3"));

    page.m_comboQSend[2]->setEditText(QStringLiteral("AT+GPSTEST=1"));
    QTest::mouseClick(page.m_buttonQSend[2], Qt::LeftButton);

    QCOMPARE(sender.lines, QList<QByteArray>{"AT+GPSTEST=1\r"});
    QCOMPARE(Stored("cmd30"), QStringLiteral("AT+GPSTEST=1"));
    QCOMPARE(Stored("cmd31"), QStringLiteral("AT+TEST=1"));
    QCOMPARE(Stored("cmd36"), QStringLiteral("AT+GPSTEST=0"));
    QCOMPARE(Stored("cmd3"), QStringLiteral("AT+GPSTEST=1"));
    QVERIFY(!OpenProfile()->contains(ProfileKey(kSection, "cmd37")));
    // The other fields and the send field are untouched.
    QVERIFY(!OpenProfile()->contains(ProfileKey(kSection, "HistoryItem0")));
    QVERIFY(!OpenProfile()->contains(ProfileKey(kSection, "cmd20")));
    QCOMPARE(page.m_editTx->toPlainText(), QStringLiteral("AT+GPSTEST=1\n"));
}

// A line and its CR must fit the 255 characters of the device side.
void NMEAMonitorWndTest::longLinesAreCutToTheFieldLimit() {
    FrameSender sender;
    CNMEAMonitorWnd page(&sender);
    page.m_comboSend->setEditText(QString(300, QLatin1Char('A')));
    QCOMPARE(page.m_comboSend->currentText().size(), 254);
    page.OnSend();
    QCOMPARE(sender.lines.size(), 1);
    QCOMPARE(sender.lines[0], QByteArray(254, 'A') + '\r');

    // Characters beyond 8 bits keep their low byte.
    page.m_comboQSend[0]->setEditText(QString::fromUtf16(u"AT+\u0141\u00B0"));
    page.OnQuickSend(1);
    QCOMPARE(sender.lines.value(1), QByteArray("AT+\x41\xB0\r"));
}

void NMEAMonitorWndTest::receivedBytesAsShown_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expText");

    QTest::newRow("GGA with CR LF shows without CR")
        << QByteArray("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n")
        << "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\n";
    QTest::newRow("0xB0 widens with its sign")
        << QByteArray("26\xB0") << QString::fromUtf16(u"26\uFFB0");
    QTest::newRow("the ends of the upper half")
        << QByteArray("\x80\x7F\xFF") << QString::fromUtf16(u"\uFF80\u007F\uFFFF");
    // Adapters and devices emit NULs at power-up: they must not hide what follows.
    QTest::newRow("a NUL hides nothing after it")
        << QByteArray("$GPGSA,A\0,3,04\r\n", 16) << "$GPGSA,A,3,04\n";
    QTest::newRow("only CRs: nothing") << QByteArray("\r\r") << "";
}

void NMEAMonitorWndTest::receivedBytesAsShown() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expText);
    CNMEAMonitorWnd page(nullptr);
    page.AppendRx(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QCOMPARE(page.m_editRx->toPlainText(), expText);
    QCOMPARE(page.m_editTx->toPlainText(), QString());
    page.AppendRx({});
    QCOMPARE(page.m_editRx->toPlainText(), expText);
}

void NMEAMonitorWndTest::transmitPaneDropsCr() {
    CNMEAMonitorWnd page(nullptr);
    page.AppendTx("AT+TEST_SIM=1\r\n");
    page.AppendTx("\n");
    QCOMPARE(page.m_editTx->toPlainText(), QStringLiteral("AT+TEST_SIM=1\n\n"));
}

void NMEAMonitorWndTest::layout_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("split");
    QTest::newRow("800 wide") << 800 << 700 << 600;
    QTest::newRow("odd width truncates") << 1023 << 700 << 767;
    QTest::newRow("narrow page") << 501 << 700 << 375;
    QTest::newRow("wide page") << 1366 << 700 << 1024;
    // Below the quick rows there is no room: the transmit pane gets no height, not a negative.
    QTest::newRow("short page") << 800 << 300 << 600;
}

void NMEAMonitorWndTest::layout() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, split);
    CNMEAMonitorWnd page(nullptr);
    page.resize(width, height);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    const int t = QFontMetrics(page.m_font).height();
    QFont header(QStringLiteral("Arial"));
    header.setPointSize(16);
    const int B = 2 * t + QFontMetrics(header).height() + 4;

    QCOMPARE(page.m_rectSend, QRect(0, 0, width, 2 * t));
    QCOMPARE(page.m_editRx->geometry(), QRect(0, B, split, height - B));
    const int Y = 2 * B + 24 + 7 * 2 * t;
    QCOMPARE(page.m_editTx->geometry(), QRect(split, Y, width - split, std::max(0, height - Y)));
    const int sendWidth = 2 * QFontMetrics(page.m_font).horizontalAdvance("Send");
    QCOMPARE(page.m_buttonSend->geometry(), QRect(width - 3 - sendWidth, 2, sendWidth, 2 * t - 9));
    QCOMPARE(page.m_comboSend->x(), 3);
    QCOMPARE(page.m_comboSend->width(), width - 3 - sendWidth - 3 - 3);
    for (int k = 0; k < 9; ++k) {
        const QRect field = page.m_comboQSend[k]->geometry();
        const QRect button = page.m_buttonQSend[k]->geometry();
        QCOMPARE(field.x(), split + 5);
        QCOMPARE(field.y(), B + 2 * k * t + 1);
        QCOMPARE(field.height(), 2 * t - 1);
        QCOMPARE(button.y(), B + 2 * k * t);
        QCOMPARE(button.right() + 1, width - 3);
        QCOMPARE(field.right() + 1, button.x() - 3);
    }
}

void NMEAMonitorWndTest::showingThePageScrollsToTheNewestText() {
    CNMEAMonitorWnd page(nullptr);
    page.resize(800, 600);
    QStringList lines;
    for (int i = 0; i < 500; ++i)
        lines << QStringLiteral("$GPGSV,%1,a long line that needs the pane to scroll sideways "
                                "as well as down, so both bars matter")
                     .arg(i);
    page.AppendRx(lines.join("\r\n").toLatin1().constData());
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QScrollBar* v = page.m_editRx->verticalScrollBar();
    QScrollBar* h = page.m_editRx->horizontalScrollBar();
    QTRY_VERIFY(v->maximum() > 0);
    QVERIFY(h->maximum() > 0);

    page.hide();
    QCoreApplication::processEvents();
    v->setValue(0);
    h->setValue(h->maximum());
    page.show();
    QTRY_COMPARE(v->value(), v->maximum());
    QCOMPARE(h->value(), 0);
}

// Text with line breaks put into a send field shows as one line: the field keeps that line,
// and exactly it is sent and remembered, never the hidden lines after it.
void NMEAMonitorWndTest::pastedLinesSendOneLine_data() {
    QTest::addColumn<int>("field"); // 0: the send field; k: quick row k
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two lines pasted with the keyboard")
        << 0 << "paste"
        << "AT+RELAY=1\nAT+SMS=PASSWORD,864209,000000#"
        << "AT+RELAY=1";
    QTest::newRow("a line copied with the breaks around it, quick row 3")
        << 3 << "paste"
        << "\r\nAT+SMS=ID?,864209#\r\n"
        << "AT+SMS=ID?,864209#";
    QTest::newRow("dropped text") << 0 << "insert"
                                  << "AT+CALL=#\rAT+SMS=PASSWORD,864209,000000#"
                                  << "AT+CALL=#";
    QTest::newRow("text set by the program") << 0 << "set"
                                             << "AT+GPSTEST=0\n\nAT+GPSTEST=1"
                                             << "AT+GPSTEST=0";
    QTest::newRow("a first line longer than the field")
        << 9 << "paste" << QString(300, QLatin1Char('B')) + "\nAT+X" << QString(254, 'B');
}

void NMEAMonitorWndTest::pastedLinesSendOneLine() {
    QFETCH(int, field);
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    FrameSender sender;
    CNMEAMonitorWnd page(&sender);
    CHistoryCombo* combo = field == 0 ? page.m_comboSend : page.m_comboQSend[field - 1];
    const QString prefix =
        field == 0 ? QStringLiteral("HistoryItem") : QStringLiteral("cmd%1").arg(field);

    combo->setEditText(QString());
    if (how == "paste") {
        QGuiApplication::clipboard()->setText(text);
        QTest::keySequence(combo->lineEdit(), QKeySequence::Paste);
    } else if (how == "insert") {
        combo->lineEdit()->insert(text);
    } else {
        combo->setEditText(text);
    }
    QCOMPARE(combo->lineEdit()->text(), expected);

    if (field == 0)
        page.OnSend();
    else
        page.OnQuickSend(field);
    QCOMPARE(sender.lines, QList<QByteArray>{expected.toLatin1() + '\r'});
    QCOMPARE(combo->itemText(0), expected);
    QCOMPARE(Stored(prefix + "0"), expected);
    QCOMPARE(Stored(prefix), expected);
}

TB_TEMP_SETTINGS_MAIN(NMEAMonitorWndTest)
#include "NMEAMonitorWndTest.moc"
