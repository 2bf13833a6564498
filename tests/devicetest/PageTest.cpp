// The "Factory Test" page, driven through its handlers and tick functions: no real timer is
// waited for, and every message box and file dialog is answered by a hook.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>
#include <memory>
#include <vector>

#include "RecordingSender.h"
#include "devicetest/CGpsTest_wnd.h"
#include "uisupport/DialogUnits.h"
#include "uisupport/UiHooks.h"

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

} // namespace

class PageTest : public QObject {
    Q_OBJECT

    std::vector<MessageBoxRequest> boxes;
    std::function<void(const MessageBoxRequest&)> duringBox;
    RecordingSender sender;
    std::unique_ptr<CGpsTest_wnd> page;
    QTemporaryDir dir;

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
    bool AnyRunTimer() {
        for (int id : {1, 2, 3, 4, 5, 6, 13, 14, 16, 18, 19, 20})
            if (page->IsTimerActive(id))
                return true;
        return false;
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
        QVERIFY(!AnyRunTimer());
    }

    void runPollsOnlySelectedItemsAndSendsEmptySteps() {
        StartWith({kItemGps});
        QVERIFY(boxes.empty());
        for (int id : {1, 13, 14, 16, 18, 19, 20})
            QVERIFY2(page->IsTimerActive(id), qPrintable(QString::number(id)));
        QCOMPARE(Text(1306), QStringLiteral("V 0 sec"));
        std::vector<std::string> steps;
        for (int cycle = 0; cycle < 2; ++cycle) {
            for (int id = 1; id <= 6; ++id) {
                QVERIFY(page->IsTimerActive(id));
                sender.lines.clear();
                page->OnTimer(id);
                QVERIFY(!page->IsTimerActive(id));
                QVERIFY(page->IsTimerActive(id == 6 ? 1 : id + 1));
                QCOMPARE(sender.lines.size(), size_t(1));
                steps.push_back(sender.lines[0]);
            }
        }
        const std::vector<std::string> expected{"", "", "AT+TEST_GPS=1\r\n", "", "", "",
                                                "", "", "AT+TEST_GPS=1\r\n", "", "", ""};
        QCOMPARE(steps, expected);
        QCOMPARE(page->LogText(), QStringLiteral("AT+TEST_GPS=1\nAT+TEST_GPS=1\n"));

        // Keep-awake, relay and beep ticks send their command, then the empty step line.
        sender.lines.clear();
        page->OnTimer(14);
        page->OnTimer(19);
        page->OnTimer(19);
        QCOMPARE(sender.lines.size(), size_t(6));
        QCOMPARE(sender.lines[0], std::string("AT+ESLP=0\r\n"));
        QCOMPARE(sender.lines[1], std::string());
        QVERIFY(sender.lines[2] != sender.lines[4]);
        QVERIFY(sender.lines[2].rfind("AT+TEST_RELAY=", 0) == 0);

        // Timer 13 only posts a click of Read Parameter.
        sender.lines.clear();
        page->OnTimer(13);
        QVERIFY(sender.lines.empty());
        QCoreApplication::processEvents();
        QCOMPARE(sender.lines, std::vector<std::string>{"AT+TEST=1\r\n"});

        page->OnStart();
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(!AnyRunTimer());
    }

    void secondsLabelCountsUntilGpsFix() {
        StartWith({kItemGps});
        for (int i = 0; i < 35; ++i)
            page->OnTimer(16);
        QCOMPARE(Text(1306), QStringLiteral("V 34 sec"));
        page->OnReceive("AT+TEST_GPS==1\r\n");
        QCOMPARE(Text(1306), QStringLiteral("A 35 sec"));
        QVERIFY(!page->IsTimerActive(16));
        QCOMPARE(page->passFlags, std::uint8_t(4));
        QCOMPARE(page->ResultIcon(kItemGps), CGpsTest_wnd::kIconPassed);

        // "==0" wins over "==1" for the same item in one chunk.
        page->OnReceive("AT+TEST_GPS==1\r\nAT+TEST_GPS==0\r\n");
        QCOMPARE(page->ResultIcon(kItemGps), CGpsTest_wnd::kIconNotPassed);

        // An empty limit freezes the label, sends nothing and never times out.
        Edit(1060)->clear();
        sender.lines.clear();
        page->OnTimer(16);
        for (int i = 0; i < 400; ++i)
            page->OnTimer(18);
        QVERIFY(boxes.empty());
        QCOMPARE(Text(1306), QStringLiteral("A 35 sec"));
        QCOMPARE(sender.lines.size(), size_t(400)); // only the empty steps of timer 18
    }

    void passVerdictStopsRunThroughPostedClick() {
        StartWith({0, 1, 2, 3, 4, 5});
        page->OnReceive("AT+TEST_SIM==1\r\nAT+TEST_GSM==1\r\nAT+TEST_GPS==1\r\n"
                        "AT+TEST_GSENSOR==1\r\nAT+TEST_ACC==1\r\nAT+TEST_EXTPOWER==1\r\n");
        QCOMPARE(page->passFlags, std::uint8_t(63));
        QString captionWhileOpen;
        duringBox = [&](const MessageBoxRequest&) { captionWhileOpen = page->StartCaption(); };
        page->OnTimer(18);
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("##PASS##"));
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(captionWhileOpen, kStop); // the click is only posted
        QCOMPARE(page->passFlags, std::uint8_t(0));
        QCOMPARE(page->elapsedMs, 0);
        QCoreApplication::processEvents();
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(!AnyRunTimer());
    }

    void failVerdictOnTimeLimit() {
        StartWith({kItemSim});
        page->OnReceive("AT+TEST_GSM==1\r\nAT+TEST_ACC==1\r\n");
        for (int i = 0; i < 160; ++i)
            page->OnTimer(18);
        QVERIFY(boxes.empty());
        // Replies handled while the box is open are dropped when it closes.
        duringBox = [&](const MessageBoxRequest&) {
            page->OnReceive("AT+TEST_SIM==1\r\n");
            QCOMPARE(page->passFlags, std::uint8_t(2 | 16 | 1));
        };
        page->OnTimer(18);
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes[0].text, QStringLiteral("#SIM Fail\r\n#GPS Fail\r\n#GENSEOR Fail\r\n"
                                               "#EXT_POWER Fail\r\n"));
        QCOMPARE(page->passFlags, std::uint8_t(0));
        QCoreApplication::processEvents();
        QCOMPARE(page->StartCaption(), kStart);
    }

    void zeroOrNonNumericLimitEndsOnFirstTick() {
        StartWith({kItemSim});
        Edit(1060)->setText(QStringLiteral("x5"));
        page->OnTimer(18);
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("#软件未烧录#"));
    }

    void welcomeWithAutoTestRestartsAndClosesOldVerdict() {
        StartWith({kItemSim});
        page->OnReceive("Welcome\r\nAT+TEST_SIM==1\r\n");
        QCOMPARE(page->passFlags, std::uint8_t(0)); // the banner hides the result
        QCOMPARE(page->LogText().count(QStringLiteral("检测到新设备")), 1);
        QVERIFY(!page->IsTimerActive(12));

        Check(CGpsTest_wnd::IDC_CHECK_AUTOTEST)->setChecked(true);
        page->OnReceive("Welcome");
        QCOMPARE(page->StartCaption(), kStart);
        QVERIFY(page->IsTimerActive(12));
        QVERIFY(page->IsTimerActive(18)); // the old run's timers keep going
        QVERIFY(page->LogText().contains(QStringLiteral("开始自动测试**********")));

        // A verdict box the operator left open is closed by the automatic start.
        auto* oldVerdict = new QMessageBox(QMessageBox::Critical, QStringLiteral("GPS"),
                                           QStringLiteral("#SIM Fail\r\n"));
        oldVerdict->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMessageBox> watch(oldVerdict);
        oldVerdict->show();
        QVERIFY(oldVerdict->isVisible());

        sender.lines.clear();
        page->OnTimer(12);
        QVERIFY(!page->IsTimerActive(12));
        QVERIFY(sender.lines.empty());
        QCoreApplication::processEvents();
        QCOMPARE(page->StartCaption(), kStop);
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
        page->elapsedMs = 4000;
        page->OnReceive(bad.constData());
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text,
                 QStringLiteral("#版本号与参数文件不相符\r\n#APN与参数文件不符\r\n"));
        QCOMPARE(page->elapsedMs, 0);
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
        QVERIFY(!AnyRunTimer());
        QCoreApplication::processEvents();
        QCOMPARE(page->StartCaption(), kStop);
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
        QCOMPARE(page->expectedParameters.version, std::u16string(u"V1.0"));
        page->OnStart();
        Edit(1308)->setText(dir.filePath(QStringLiteral("missing.txt")));
        page->OnStart();
        QCOMPARE(boxes.size(), size_t(1));
        QVERIFY(boxes[0].text.contains(QStringLiteral("missing.txt")));
        QCOMPARE(boxes[0].title, QStringLiteral("GPS"));
        QCOMPARE(page->expectedParameters.version, std::u16string(u"V1.0"));
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
        QCOMPARE(page->expectedParameters.interval, std::u16string(u"30,300"));

        SetModalHook([](QDialog&) { return int(QDialog::Rejected); });
        page->OnParameterFile();
        QCOMPARE(page->parameterFilePath, path);
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

    void proportionalResize() {
        QWidget* start = page->Control(CGpsTest_wnd::IDC_BUTTON_START);
        start->setGeometry(100, 50, 60, 30);
        page->OnSize(0, 0); // first: only recorded, as 800 x 600
        QCOMPARE(start->geometry(), QRect(100, 50, 60, 30));
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
