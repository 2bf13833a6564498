// The "Factory Test" page, driven through its handlers and a clock of the test's own: no real
// timer is waited for, and every message box and file dialog is answered by a hook.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "RecordingSender.h"
#include "devicetest/CGpsTest_wnd.h"
#include "devicetest/IRunRecordSink.h"
#include "uisupport/DialogUnits.h"
#include "uisupport/UiHooks.h"
#include "version/TollbrookVersion.h"

#ifdef TB_HAVE_TRACKER_SIM
#include "CommandHandler.h"
#endif

namespace {

const QString kStart = QStringLiteral("开始测试");
const QString kStop = QStringLiteral("Stop Test");

const char kParameterFile[] = "<SETTING\n"
                              "Ver: V1.0\n"
                              "ID: 123\n"
                              "IMEI: 8612\n"
                              "IP: 1.2.3.4,9000\n"
                              "APN:internet\n"
                              "TimeZone: 8\n"
                              "MODE:1\n"
                              "GPRS ENABLE:1\n"
                              "PROTOCOL:2\n"
                              "INTERVAL:30,300\n"
                              "SETTING>\n";

const char kGoodBlock[] = "<SETTING\r\nVer: V1.0\r\nID: 123\r\nIMEI: 861234567890123\r\n"
                          "IP: 1.2.3.4,9000\r\nAPN:internet\r\nTimeZone: 8\r\nMODE:1\r\n"
                          "GPRS ENABLE:1\r\nPROTOCOL:2\r\nINTERVAL:30,300\r\nSETTING>";

// Stands in for the record keeper: keeps what the page hands over.
struct RecordingSink : IRunRecordSink {
    std::vector<TestRecord> records;
    std::string Station() const override { return "bench-7"; }
    std::string OperatorName() const override { return "王工"; }
    void Submit(TestRecord record) override { records.push_back(std::move(record)); }
};

bool IsIsoUtc(const std::string& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"));
    return form.match(QString::fromStdString(text)).hasMatch();
}

#ifdef TB_HAVE_TRACKER_SIM
// The simulated tracker on the other end of the line: it answers every command the page
// sends as the real device would, and keeps the lines it received (its log). Its replies come
// to the page as one chunk at the next receive tick.
class SimulatedTracker : public ILineSender {
public:
    void SendLine(const char* text) override {
        std::string line(text);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.empty())
            return;
        log.push_back(line);
        if (!sendsBlock && line == "AT+TEST=1")
            return;
        const CommandOutcome outcome = HandleCommand(state, line, conditions);
        state = outcome.state;
        for (const std::string& reply : outcome.replies)
            pending += reply + "\r\n";
    }

    DeviceState state;
    TestConditions conditions;
    bool sendsBlock = true;
    std::vector<std::string> log;
    std::string pending;
};
#endif

} // namespace

class PageTest : public QObject {
    Q_OBJECT

    std::vector<MessageBoxRequest> boxes;
    std::function<void(const MessageBoxRequest&)> duringBox;
    RecordingSender sender;
    std::unique_ptr<CGpsTest_wnd> page;
    QTemporaryDir dir;
    std::int64_t nowMs = 0;

    // Time passes for the page as it does when its timer wakes late: all at once.
    void Advance(std::int64_t ms) {
        nowMs += ms;
        page->OnClockTick();
    }
    // Every line sent, with the time it was sent at, stepping as the page's timer would.
    std::vector<std::pair<std::int64_t, std::string>> SentOver(std::int64_t ms) {
        std::vector<std::pair<std::int64_t, std::string>> sent;
        for (std::int64_t t = 100; t <= ms; t += 100) {
            const std::size_t before = sender.lines.size();
            Advance(100);
            for (std::size_t i = before; i < sender.lines.size(); ++i)
                sent.emplace_back(t, sender.lines[i]);
        }
        return sent;
    }

    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    QCheckBox* Check(int id) { return qobject_cast<QCheckBox*>(page->Control(id)); }
    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(page->Control(id)); }
    QString Text(int id) {
        QWidget* w = page->Control(id);
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text();
        if (auto* e = qobject_cast<QLineEdit*>(w))
            return e->text();
        if (auto* t = qobject_cast<QTextEdit*>(w))
            return t->toPlainText();
        return {};
    }
    void StartWith(std::initializer_list<std::size_t> items) {
        for (std::size_t i : items)
            Check(CGpsTest_wnd::kItemCheckIds[i])->setChecked(true);
        Edit(CGpsTest_wnd::IDC_EDIT_PARAMETERFILE)->setText(WriteFile("p.txt", kParameterFile));
        page->OnStart();
        QCOMPARE(page->StartCaption(), kStop);
    }
    // A run that still polls sends something within 11 s (the parameter request every 10 s).
    bool RunStillPolls() {
        const std::size_t before = sender.lines.size();
        Advance(11000);
        return sender.lines.size() != before;
    }

private slots:
    void init() {
        boxes.clear();
        duringBox = nullptr;
        sender.lines.clear();
        SetMessageBoxHook([this](const MessageBoxRequest& r) {
            boxes.push_back(r);
            if (duringBox)
                duringBox(r);
            return int(QMessageBox::Ok);
        });
        page = std::make_unique<CGpsTest_wnd>(&sender);
        nowMs = 0;
        page->SetClock([this] { return nowMs; });
    }
    void cleanup() {
        page.reset();
        QCoreApplication::processEvents();
        SetMessageBoxHook(nullptr);
        SetModalHook(nullptr);
    }

    void templateLayoutAndStartState() {
        const DialogUnits du(*page);
        struct Case {
            int id;
            int x, y, w, h;
        };
        const Case cases[] = {{1235, 5, 6, 151, 218},   {1203, 16, 46, 44, 10},
                              {1211, 74, 172, 20, 20},  {1202, 111, 175, 34, 15},
                              {1051, 111, 196, 34, 15}, {1031, 160, 20, 132, 183},
                              {1060, 236, 274, 56, 15}};
        for (const Case& c : cases)
            QCOMPARE(page->Control(c.id)->geometry(), du.Rect(c.x, c.y, c.w, c.h));
        QCOMPARE(page->StartCaption(), kStart);
        QCOMPARE(Text(1060), QStringLiteral("80"));
        QCOMPARE(Text(1306), QStringLiteral("0 sec"));
        for (std::size_t i = 0; i < kTestItemCount; ++i)
            QCOMPARE(page->ResultIcon(i), CGpsTest_wnd::kIconNotPassed);
        const QFont box = page->Control(1031)->font();
        QVERIFY(box.bold() && box.italic());
        QCOMPARE(box.pixelSize(), 20);
        QCOMPARE(page->Control(1306)->font().pixelSize(), 15);
        QVERIFY(!QPixmap(QStringLiteral(":/bitmaps/168.png")).isNull());
        QVERIFY(!QPixmap(QStringLiteral(":/bitmaps/169.png")).isNull());
    }

    void startRefusesWithoutItemsOrFile() {
        page->OnStart();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("请选择机型或选择测试项目后再进行测试"));
        QCOMPARE(boxes[0].title, QStringLiteral("GPS"));
        QCOMPARE(boxes[0].icon, QMessageBox::Critical);
        Check(1193)->setChecked(true);
        page->OnStart();
        QCOMPARE(boxes.size(), size_t(2));
        QCOMPARE(boxes[1].text, QStringLiteral("请加载参数文件后开始测试"));
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(!RunStillPolls());
    }

    void runPollsOnlySelectedItemsAndSendsEmptySteps() {
        StartWith({kItemGps});
        QVERIFY(boxes.empty());
        QCOMPARE(page->Run().GetState(), TestRun::State::Running);
        QCOMPARE(Text(1306), QStringLiteral("V 0 sec"));
        const auto sent = SentOver(12000);
        const auto at = [&](const std::string& line) {
            std::vector<std::int64_t> times;
            for (const auto& [t, l] : sent)
                if (l == line)
                    times.push_back(t);
            return times;
        };
        // One item a second in turn from SIM: only GPS is selected, so it is asked on the third
        // second of each six; every other turn sends an empty line.
        for (const auto& item : TestItems()) {
            const std::string command(item.command.begin(), item.command.end());
            const std::vector<std::int64_t> expected = command == "AT+TEST_GPS=1\r\n"
                                                           ? std::vector<std::int64_t>{3000, 9000}
                                                           : std::vector<std::int64_t>{};
            QCOMPARE(at(command), expected);
        }
        QCOMPARE(at("AT+TEST=1\r\n"), std::vector<std::int64_t>{10000});
        QCOMPARE(at("AT+ESLP=0\r\n"),
                 (std::vector<std::int64_t>{2000, 4000, 6000, 8000, 10000, 12000}));
        std::vector<std::string> relay;
        std::vector<std::int64_t> relayTimes;
        for (const auto& [t, l] : sent) {
            if (l.rfind("AT+TEST_RELAY=", 0) == 0) {
                relay.push_back(l);
                relayTimes.push_back(t);
            }
        }
        QCOMPARE(relayTimes.size(), size_t(17));
        for (std::size_t i = 0; i < relay.size(); ++i) {
            QCOMPARE(relayTimes[i], std::int64_t(700 * (i + 1)));
            if (i > 0)
                QVERIFY(relay[i] != relay[i - 1]);
        }
        // The empty steps go out but are not logged; everything else is logged as sent.
        QVERIFY(std::count(sender.lines.begin(), sender.lines.end(), std::string()) > 12);
        // The parameter file has values to compare, so the run asked for the block at its start.
        QString logged = QStringLiteral("AT+TEST=1\n");
        for (const auto& [t, l] : sent)
            logged += QString::fromLatin1(l).remove(QLatin1Char('\r'));
        QCOMPARE(page->LogText(), logged);

        page->OnStart();
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(!RunStillPolls());
    }

    void secondsLabelCountsUntilGpsFix() {
        StartWith({kItemGps});
        Advance(35000);
        QCOMPARE(Text(1306), QStringLiteral("V 34 sec"));
        page->OnReceive("AT+TEST_GPS==1\r\n");
        QCOMPARE(Text(1306), QStringLiteral("A 35 sec"));
        Advance(3000);
        QCOMPARE(Text(1306), QStringLiteral("A 35 sec")); // the label stopped counting
        QCOMPARE(page->Run().PassFlags(), std::uint8_t(4));
        QCOMPARE(page->ResultIcon(kItemGps), CGpsTest_wnd::kIconPassed);

        // "==0" wins over "==1" for the same item in one chunk.
        page->OnReceive("AT+TEST_GPS==1\r\nAT+TEST_GPS==0\r\n");
        QCOMPARE(page->ResultIcon(kItemGps), CGpsTest_wnd::kIconNotPassed);

        // An empty limit never times out.
        Edit(1060)->clear();
        Advance(200000);
        QVERIFY(boxes.empty());
        QCOMPARE(Text(1306), QStringLiteral("A 35 sec"));
        QCOMPARE(page->StartCaption(), kStop);
    }

    void passVerdictStopsRun() {
        StartWith({0, 1, 2, 3, 4, 5});
        page->OnReceive("AT+TEST_SIM==1\r\nAT+TEST_GSM==1\r\nAT+TEST_GPS==1\r\n"
                        "AT+TEST_GSENSOR==1\r\nAT+TEST_ACC==1\r\nAT+TEST_EXTPOWER==1\r\n");
        QCOMPARE(page->Run().PassFlags(), std::uint8_t(63));
        // No pass before the parameters were checked: the file has values to compare.
        Advance(500);
        QVERIFY(boxes.empty());
        QCOMPARE(page->StartCaption(), kStop);
        page->OnReceive(kGoodBlock);
        QString captionWhileOpen;
        duringBox = [&](const MessageBoxRequest&) { captionWhileOpen = page->StartCaption(); };
        Advance(500);
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("##PASS##"));
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(captionWhileOpen, kStart); // the run has ended before its verdict shows
        QCOMPARE(page->Run().PassFlags(), std::uint8_t(0));
        QCOMPARE(page->Run().ElapsedMs(), 0);
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(!RunStillPolls());
    }

    void failVerdictOnTimeLimit() {
        StartWith({kItemSim});
        page->OnReceive("AT+TEST_GSM==1\r\nAT+TEST_ACC==1\r\n");
        Advance(80000);
        QVERIFY(boxes.empty());
        // Replies handled while the box is open are dropped when it closes.
        duringBox = [&](const MessageBoxRequest&) {
            page->OnReceive("AT+TEST_SIM==1\r\n");
            QCOMPARE(page->Run().PassFlags(), std::uint8_t(2 | 16 | 1));
        };
        Advance(500);
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].icon, QMessageBox::Critical);
        // The device never sent its block: the verdict says the parameters were not read.
        QCOMPARE(boxes[0].text, QStringLiteral("#SIM Fail\r\n#GPS Fail\r\n#GENSEOR Fail\r\n"
                                               "#EXT_POWER Fail\r\n#参数未读取\r\n"));
        QCOMPARE(page->Run().PassFlags(), std::uint8_t(0));
        QCoreApplication::processEvents();
        QCOMPARE(page->StartCaption(), kStart);
    }

    void zeroOrNonNumericLimitEndsOnFirstTick() {
        StartWith({kItemSim});
        Edit(1060)->setText(QStringLiteral("x5"));
        Advance(500);
        QCOMPARE(boxes.size(), size_t(1));
        // No block came either: that finding follows on a line of its own.
        QCOMPARE(boxes[0].text, QStringLiteral("#软件未烧录#\r\n#参数未读取\r\n"));
    }

    void welcomeWithAutoTestRestartsAndClosesOldVerdict() {
        StartWith({kItemSim});
        page->OnReceive("Welcome\r\nAT+TEST_SIM==1\r\n");
        QCOMPARE(page->Run().PassFlags(), std::uint8_t(0)); // the banner hides the result
        QCOMPARE(page->LogText().count(QStringLiteral("检测到新设备")), 1);
        // Without Auto Test nothing is pending: the run goes on past two seconds.
        Advance(2500);
        QCOMPARE(page->StartCaption(), kStop);
        QCOMPARE(page->Run().GetState(), TestRun::State::Running);

        Check(CGpsTest_wnd::IDC_CHECK_AUTOTEST)->setChecked(true);
        page->OnReceive("Welcome");
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(page->LogText().contains(QStringLiteral("开始自动测试**********")));
        // The old run keeps polling until the automatic start.
        sender.lines.clear();
        Advance(1000);
        QVERIFY(!sender.lines.empty());
        QCOMPARE(page->StartCaption(), kStart);

        // A verdict box the operator left open is closed by the automatic start.
        auto* oldVerdict = new QMessageBox(QMessageBox::Critical, QStringLiteral("GPS"),
                                           QStringLiteral("#SIM Fail\r\n"));
        oldVerdict->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMessageBox> watch(oldVerdict);
        oldVerdict->show();
        QVERIFY(oldVerdict->isVisible());

        Advance(1000);
        QCOMPARE(page->StartCaption(), kStop);
        QVERIFY(!page->LogText().contains(QStringLiteral("开始自动测试"))); // a fresh run
        QVERIFY(watch.isNull() || !watch->isVisible());
        QCoreApplication::processEvents();
        delete watch.data();
    }

    void parameterBlockIsShownAndVerified() {
        StartWith({kItemSim});
        page->OnReceive(kGoodBlock);
        QVERIFY(boxes.empty());
        QVERIFY(Text(1031).contains(QStringLiteral("Ver: V1.0")));

        QByteArray bad(kGoodBlock);
        bad.replace("Ver: V1.0", "Ver: V2.0").replace("APN:internet", "APN:cmnet");
        Advance(4000);
        QCOMPARE(page->Run().ElapsedMs(), 4000);
        page->OnReceive(bad.constData());
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text,
                 QStringLiteral("#版本号与参数文件不相符\r\n#APN与参数文件不符\r\n"));
        QCOMPARE(page->Run().ElapsedMs(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(page->StartCaption(), kStart); // the mismatch stopped the run
    }

    void placeholderImeiStopsTimersButKeepsCaption() {
        StartWith({kItemSim});
        Check(CGpsTest_wnd::IDC_CHECK_IMEI)->setChecked(true);
        QByteArray block(kGoodBlock);
        block.replace("861234567890123", "123456789012345").replace("Ver: V1.0", "Ver: V9");
        page->OnReceive(block.constData());
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("设备未烧写IMEI号"));
        QVERIFY(!RunStillPolls());
        QCoreApplication::processEvents();
        QCOMPARE(page->StartCaption(), kStop);
        page->OnStart(); // only sets the caption back
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(!RunStillPolls());
    }

    void oversizedBlockIsCutAndLogged() {
        QByteArray block("<SETTING");
        block += QByteArray(600, 'a');
        block += "SETTING>";
        page->OnReceive(block.constData());
        QCOMPARE(Text(1031), QString(511, QLatin1Char('a')));
        QVERIFY(page->LogText().contains(QStringLiteral("511")));
    }

    void unreadableFileKeepsPreviousValues() {
        StartWith({kItemSim});
        QCOMPARE(page->Run().Expected().version, std::u16string(u"V1.0"));
        page->OnStart();
        Edit(1308)->setText(dir.filePath(QStringLiteral("missing.txt")));
        page->OnStart();
        QCOMPARE(boxes.size(), size_t(1));
        QVERIFY(boxes[0].text.contains(QStringLiteral("missing.txt")));
        // It names the file whose values stay in use.
        QVERIFY(boxes[0].text.contains(dir.filePath(QStringLiteral("p.txt"))));
        QCOMPARE(boxes[0].title, QStringLiteral("GPS"));
        QCOMPARE(page->Run().Expected().version, std::u16string(u"V1.0"));
        QCOMPARE(page->StartCaption(), kStop);
    }

    void parameterFileButton() {
        const QString path = WriteFile("chosen.txt", kParameterFile);
        SetModalHook([&](QDialog& d) {
            auto& fd = static_cast<QFileDialog&>(d);
            [&] { QVERIFY(fd.nameFilters().contains(QStringLiteral("TXT Files (*.txt)"))); }();
            fd.setDirectory(dir.path());
            fd.selectFile(path);
            return int(QDialog::Accepted);
        });
        page->OnParameterFile();
        QCOMPARE(page->parameterFilePath, path);
        QCOMPARE(Text(1308), path);
        QCOMPARE(page->Run().Expected().interval, std::u16string(u"30,300"));

        SetModalHook([](QDialog&) { return int(QDialog::Rejected); });
        page->OnParameterFile();
        QCOMPARE(page->parameterFilePath, path);

        // A file named without a dot is listed and taken as it is named.
        const QString dotless = WriteFile("chosen", kParameterFile);
        SetModalHook([&](QDialog& d) {
            auto& fd = static_cast<QFileDialog&>(d);
            [&] {
                QVERIFY(fd.nameFilters().contains(QStringLiteral("All Files (*)")));
                QCOMPARE(fd.defaultSuffix(), QString());
            }();
            fd.setDirectory(dir.path());
            fd.selectFile(dotless);
            return int(QDialog::Accepted);
        });
        page->OnParameterFile();
        QCOMPARE(page->parameterFilePath, dotless);
    }

    void singleTestsAndAll() {
        page->OnSingleTest(kItemAcc);
        page->OnReadParameter();
        QCOMPARE(sender.lines, (std::vector<std::string>{"AT+TEST_ACC=1\r\n", "AT+TEST=1\r\n"}));
        QCOMPARE(page->LogText(), QStringLiteral("AT+TEST_ACC=1\nAT+TEST=1\n"));
        page->OnReceive("AT+TEST_ACC==1");
        QCOMPARE(page->ResultIcon(kItemAcc), CGpsTest_wnd::kIconPassed);

        auto* all = Check(CGpsTest_wnd::IDC_CHECK_ALL);
        all->click();
        for (int id : CGpsTest_wnd::kItemCheckIds)
            QVERIFY(Check(id)->isChecked());
        Check(1192)->setChecked(false);
        QVERIFY(all->isChecked());
        all->click();
        for (int id : CGpsTest_wnd::kItemCheckIds)
            QVERIFY(!Check(id)->isChecked());
    }

    // The log keeps at most as many lines as the monitor's panes: the oldest go.
    void logKeepsItsNewestLines() {
        auto* log = qobject_cast<QPlainTextEdit*>(page->Control(CGpsTest_wnd::IDC_EDIT_LOG));
        QVERIFY(log);
        QStringList lines;
        for (int i = 0; i < CGpsTest_wnd::kLogMaxLines - 1; ++i)
            lines << QStringLiteral("old %1").arg(i);
        log->setPlainText(lines.join('\n') + '\n');
        QCOMPARE(log->blockCount(), CGpsTest_wnd::kLogMaxLines);
        log->moveCursor(QTextCursor::End);

        page->OnSingleTest(kItemAcc);
        page->OnReadParameter();
        QCOMPARE(log->blockCount(), CGpsTest_wnd::kLogMaxLines);
        QVERIFY(page->LogText().startsWith(QStringLiteral("old 2\n")));
        QVERIFY(page->LogText().endsWith(QStringLiteral("old 49998\nAT+TEST_ACC=1\nAT+TEST=1\n")));
    }

    void proportionalResize() {
        QWidget* start = page->Control(CGpsTest_wnd::IDC_BUTTON_START);
        // The page starts at its template's size: the first size it is given already scales,
        // so a page that is shown straight at its tab's size fills it.
        const DialogUnits du(*page);
        const QSize templ = du.Size(CGpsTest_wnd::kTemplateWidth, CGpsTest_wnd::kTemplateHeight);
        QCOMPARE(page->sizeHint(), templ);
        start->setGeometry(100, 50, 60, 30);
        page->OnSize(2 * templ.width(), 2 * templ.height());
        QCOMPARE(start->geometry(), QRect(200, 100, 120, 60));
        page->OnSize(templ.width(), templ.height());
        QCOMPARE(start->geometry(), QRect(100, 50, 60, 30));
        page->OnSize(0, 0); // counts as 800 x 600
        start->setGeometry(100, 50, 60, 30);
        page->OnSize(400, 600);
        QCOMPARE(start->geometry(), QRect(50, 50, 30, 30));
        page->OnSize(400, 300);
        QCOMPARE(start->geometry(), QRect(50, 25, 30, 15));
        page->OnSize(0, 300);
        QCOMPARE(start->geometry(), QRect(100, 50, 60, 30));
    }

    void enterAndEscapeAreSwallowedAndPaintSwitchesGpsOutputOff() {
        // In a dialog, a key that got through would press the default button or close it all.
        QDialog host;
        auto* shown = new CGpsTest_wnd(&sender, &host);
        host.resize(900, 700);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const auto gpsOff = [&] {
            return std::count(sender.lines.begin(), sender.lines.end(), "AT+GPSTEST=0\r\n");
        };
        // A changed icon repaints only its own corner of the page: nothing is sent.
        QTest::qWait(20);
        sender.lines.clear();
        shown->OnReceive("AT+TEST_SIM==1");
        QTest::qWait(20);
        QCOMPARE(gpsOff(), 0);
        shown->repaint();
        QCOMPARE(gpsOff(), 1);

        auto* read = qobject_cast<QPushButton*>(shown->Control(1022));
        read->setFocus();
        sender.lines.clear();
        for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape)})
            QTest::keyClick(read, Qt::Key(key));
        QCOMPARE(std::count(sender.lines.begin(), sender.lines.end(), "AT+TEST=1\r\n"), 0);
        QTest::keyClick(shown, Qt::Key_Escape);
        QVERIFY(host.isVisible());
    }

    void gpsOutputOffOnlyWhenThePageIsPaintedAnew() {
        QDialog host;
        auto* shown = new CGpsTest_wnd(&sender, &host);
        shown->SetClock([this] { return nowMs; });
        host.resize(900, 700);
        const auto gpsOff = [&] {
            return std::count(sender.lines.begin(), sender.lines.end(), "AT+GPSTEST=0\r\n");
        };
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::qWait(20);
        QVERIFY(gpsOff() >= 1); // the page came on screen

        // During a run the seconds label, the icons and the log change together every second;
        // none of that is the page coming on screen.
        qobject_cast<QCheckBox*>(shown->Control(CGpsTest_wnd::kItemCheckIds[kItemSim]))
            ->setChecked(true);
        qobject_cast<QLineEdit*>(shown->Control(CGpsTest_wnd::IDC_EDIT_PARAMETERFILE))
            ->setText(WriteFile("p.txt", kParameterFile));
        shown->OnStart();
        QCOMPARE(shown->StartCaption(), kStop);
        QTest::qWait(20);
        sender.lines.clear();
        for (int second = 0; second < 8; ++second) {
            nowMs += 1000;
            shown->OnClockTick();
            if (second == 3)
                shown->OnReceive("AT+TEST_SIM==1\r\n");
            QTest::qWait(20);
        }
        QVERIFY(sender.lines.size() > 20);
        QCOMPARE(gpsOff(), 0);

        // Shown again, as when the operator comes back to its tab: painted anew.
        shown->hide();
        QTest::qWait(20);
        shown->show();
        QTest::qWait(20);
        QCOMPARE(gpsOff(), 1);
        shown->OnStart();
    }

    void sourceLostEndsTheRunWithoutFailingItems() {
        StartWith({0, 1, 2, 3, 4, 5});
        Advance(30000);
        page->OnReceive("AT+TEST_SIM==1\r\n");
        page->OnSourceLost();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("#串口已断开#"));
        QCOMPARE(boxes[0].icon, QMessageBox::Critical);
        QVERIFY(page->LogText().endsWith(QStringLiteral("#串口已断开#\n")));
        QVERIFY(!page->LogText().contains(QStringLiteral("Fail")));
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(!RunStillPolls());
        Advance(100000);
        QCOMPARE(boxes.size(), size_t(1)); // no time-limit verdict follows
        page->OnSourceLost();              // outside a run: nothing to end
        QCOMPARE(boxes.size(), size_t(1));
    }

    void startNeedsAReadableFileWhenNoneWasRead() {
        Check(CGpsTest_wnd::kItemCheckIds[kItemSim])->setChecked(true);
        Edit(1308)->setText(dir.filePath(QStringLiteral("missing.txt")));
        page->OnStart();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("请加载参数文件后开始测试"));
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(sender.lines.empty());
        QVERIFY(!RunStillPolls());
    }

    // A program that closes during a run records the run as interrupted, without a box.
    void aRunCutShortByClosingIsRecorded() {
        RecordingSink sink;
        page->SetRecordSink(&sink);
        StartWith({kItemSim});
        Advance(1500);
        page->OnReceive("AT+TEST_SIM==1");
        page->EndRunForShutdown();
        QCOMPARE(sink.records.size(), 1u);
        QVERIFY(sink.records[0].verdict == RecordVerdict::Interrupted);
        QVERIFY(sink.records[0].items[0]);
        QVERIFY(boxes.empty());
        QVERIFY(!RunStillPolls());
        page->SetRecordSink(nullptr);
    }
#ifdef TB_HAVE_TRACKER_SIM
    // The simulated tracker answers every item as soon as it is asked; its IP address
    // (203.0.113.10) holds the digit 3, its protocol is 2.
    void verdictsAgainstTheSimulatedTracker() {
        struct Case {
            const char* name;
            QByteArray protocol; // in the parameter file
            bool sendsBlock;
            QString verdict;
        };
        const Case cases[] = {
            {"matching file", "2", true, QStringLiteral("##PASS##")},
            {"protocol differs", "3", true, QStringLiteral("#协议与参数文件不符\r\n")},
            {"no block", "2", false, QStringLiteral("#参数未读取\r\n")},
        };
        for (const Case& c : cases) {
            boxes.clear();
            SimulatedTracker tracker;
            tracker.sendsBlock = c.sendsBlock;
            QByteArray file;
            for (const std::string& line : ParameterBlock(tracker.state))
                file += QByteArray::fromStdString(line) + "\n";
            file.replace("PROTOCOL:2", "PROTOCOL:" + c.protocol);
            CGpsTest_wnd simPage(&tracker);
            simPage.SetClock([this] { return nowMs; });
            for (int id : CGpsTest_wnd::kItemCheckIds)
                qobject_cast<QCheckBox*>(simPage.Control(id))->setChecked(true);
            qobject_cast<QLineEdit*>(simPage.Control(CGpsTest_wnd::IDC_EDIT_PARAMETERFILE))
                ->setText(WriteFile("sim.txt", file));
            std::vector<std::string> logAtVerdict;
            duringBox = [&](const MessageBoxRequest&) { logAtVerdict = tracker.log; };
            simPage.OnStart();
            for (int step = 0; step < 900 && boxes.empty(); ++step) {
                nowMs += 100;
                simPage.OnClockTick();
                if (!tracker.pending.empty()) {
                    const std::string chunk = std::exchange(tracker.pending, {});
                    simPage.OnReceive(chunk.c_str());
                }
            }
            QVERIFY2(boxes.size() == 1, c.name);
            QCOMPARE(boxes[0].text, c.verdict);
            QCOMPARE(simPage.StartCaption(), kStart);
            // The block was asked for before the verdict.
            QVERIFY2(std::find(logAtVerdict.begin(), logAtVerdict.end(), "AT+TEST=1") !=
                         logAtVerdict.end(),
                     c.name);
            duringBox = nullptr;
        }
    }
    // Every way a run ends gives one record, handed over before the verdict box is up (the
    // box waits for the operator; the record must not), with what the device said.
    void recordsEachRunBeforeItsVerdict() {
        struct Case {
            const char* name;
            std::set<std::string> failItems;
            QString limit;
            // What ends the run after a while, or nothing for its own verdict.
            std::function<void(CGpsTest_wnd&)> end;
            RecordVerdict verdict;
            QString verdictText; // the start of it
            bool box;            // a verdict box is shown
            std::uint8_t items;  // passed items, bit i for item i
        };
        const Case cases[] = {
            {"pass",
             {},
             QStringLiteral("80"),
             nullptr,
             RecordVerdict::Pass,
             QStringLiteral("##PASS##"),
             true,
             63},
            {"failing item",
             {"ACC"},
             QStringLiteral("8"),
             nullptr,
             RecordVerdict::Fail,
             QStringLiteral("#ACC Fail"),
             true,
             63 & ~16},
            {"operator's stop",
             {"ACC"},
             QStringLiteral("80"),
             [](CGpsTest_wnd& p) { p.OnStart(); },
             RecordVerdict::Interrupted,
             QString(),
             false,
             63 & ~16},
            {"device lost",
             {"ACC"},
             QStringLiteral("80"),
             [](CGpsTest_wnd& p) { p.OnSourceLost(); },
             RecordVerdict::Fail,
             QStringLiteral("#串口已断开#"),
             true,
             63 & ~16},
        };
        for (const Case& c : cases) {
            boxes.clear();
            SimulatedTracker tracker;
            tracker.conditions.failItems = c.failItems;
            QByteArray file;
            for (const std::string& line : ParameterBlock(tracker.state))
                file += QByteArray::fromStdString(line) + "\n";
            const QString path = WriteFile("record.txt", file);
            RecordingSink sink;
            CGpsTest_wnd simPage(&tracker);
            simPage.SetRecordSink(&sink);
            simPage.SetClock([this] { return nowMs; });
            for (int id : CGpsTest_wnd::kItemCheckIds)
                qobject_cast<QCheckBox*>(simPage.Control(id))->setChecked(true);
            qobject_cast<QLineEdit*>(simPage.Control(CGpsTest_wnd::IDC_EDIT_TIMEOUT))
                ->setText(c.limit);
            qobject_cast<QLineEdit*>(simPage.Control(CGpsTest_wnd::IDC_EDIT_PARAMETERFILE))
                ->setText(path);
            std::vector<std::size_t> recordsAtBox;
            duringBox = [&](const MessageBoxRequest&) {
                recordsAtBox.push_back(sink.records.size());
            };
            simPage.OnStart();
            for (int step = 0; step < 900 && boxes.empty(); ++step) {
                nowMs += 100;
                simPage.OnClockTick();
                if (!tracker.pending.empty()) {
                    const std::string chunk = std::exchange(tracker.pending, {});
                    simPage.OnReceive(chunk.c_str());
                }
                if (c.end && step == 70) {
                    c.end(simPage);
                    break;
                }
            }
            duringBox = nullptr;
            QVERIFY2(sink.records.size() == 1, c.name);
            QCOMPARE(boxes.size(), c.box ? 1u : 0u);
            if (c.box)
                QCOMPARE(recordsAtBox, std::vector<std::size_t>{1});
            const TestRecord& r = sink.records[0];
            QVERIFY2(r.verdict == c.verdict, c.name);
            QVERIFY2(QString::fromStdString(r.verdictText).startsWith(c.verdictText), c.name);
            for (std::size_t i = 0; i < kTestItemCount; ++i)
                QVERIFY2(r.items[i] == bool(c.items & (1u << i)), c.name);
            QCOMPARE(r.imei, std::string("864209051234567"));
            QCOMPARE(r.firmware, std::string("V1.0.4"));
            QCOMPARE(r.station, std::string("bench-7"));
            QCOMPARE(r.operatorName, std::string("王工"));
            QCOMPARE(r.parameterFile, path.toStdString());
            QCOMPARE(r.parameterCheck, std::string("ok"));
            QCOMPARE(r.gpsFixSeconds.has_value(), true);
            QVERIFY(r.source == RecordSource::Page);
            QCOMPARE(r.appVersion, std::string(kTollbrookVersion));
            QVERIFY2(IsIsoUtc(r.startedAt) && IsIsoUtc(r.finishedAt), r.startedAt.c_str());
            QVERIFY(r.startedAt <= r.finishedAt);
            // Nothing more is recorded once the run is over.
            nowMs += 100000;
            simPage.OnClockTick();
            simPage.EndRunForShutdown();
            QCOMPARE(sink.records.size(), 1u);
        }
    }

#endif
};

int main(int argc, char** argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PageTest.moc"
