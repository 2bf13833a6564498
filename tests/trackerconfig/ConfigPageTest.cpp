// The configuration page: the state it is created in, what its buttons send, the replies it
// shows, the mode enabling, the command-file sender and the layout.

#include "AppTestSupport.h"
#include "RecordingSender.h"

#include "trackerconfig/CGps_Control.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const std::string kGpsTestOff = "AT+GPSTEST=0\r\n";

// What reached the port, without the page's paint-time GPS switch.
std::vector<std::string> Commands(const RecordingSender& sender) {
    std::vector<std::string> out;
    for (const std::string& line : sender.lines) {
        if (line != kGpsTestOff)
            out.push_back(line);
    }
    return out;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class ConfigPageTest : public QObject {
    Q_OBJECT

    RecordingSender m_sender;
    std::unique_ptr<CGps_Control> m_page;

    QLineEdit* Edit(int id) { return m_page->ControlAs<QLineEdit>(id); }
    QCheckBox* Box(int id) { return m_page->ControlAs<QCheckBox>(id); }
    QRadioButton* Radio(int id) { return m_page->ControlAs<QRadioButton>(id); }
    QDateTimeEdit* Picker(int id) { return m_page->ControlAs<QDateTimeEdit>(id); }
    QComboBox* Modes() { return m_page->ControlAs<QComboBox>(1089); }

    void SelectMode(int position) {
        Modes()->setCurrentIndex(position);
        m_page->OnModeSelectionChange();
    }

private slots:
    void init() {
        m_sender.lines.clear();
        CGps_Control::importIndex = 0;
        m_page = std::make_unique<CGps_Control>(&m_sender);
    }
    void cleanup() { m_page.reset(); }

    void createdAsTheTemplateSays() {
        const int off[] = {1089, 1260, 1261, 1063, 1256, 1223, 1257, 1285, 1258, 1012, 1123, 1119,
                           1124, 1054, 1205, 1206, 1298, 1292, 1299, 1125, 1138, 1126, 1272, 1135,
                           1136, 1137, 1295, 1276, 1280, 1065, 1066, 1296, 1277, 1281, 1067, 1068};
        const int on[] = {1059, 1252, 1253, 1047, 1254, 1255, 1259, 1300, 1227, 1006, 1246,
                          1025, 1009, 1250, 1049, 1302, 1245, 1024, 1008, 1247, 1251, 1051,
                          1303, 1293, 1274, 1278, 1282, 1050, 1294, 1275, 1279, 1052, 1064};
        for (int id : off) {
            QVERIFY2(m_page->Control(id), qPrintable(QString::number(id)));
            QVERIFY2(!m_page->Control(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        for (int id : on) {
            QVERIFY2(m_page->Control(id), qPrintable(QString::number(id)));
            QVERIFY2(m_page->Control(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QCOMPARE(Modes()->count(), 10);
        QCOMPARE(Modes()->itemText(0), QStringLiteral("Sleep Mode"));
        QCOMPARE(Modes()->itemText(9), QStringLiteral("Month Mode"));
        QCOMPARE(Modes()->currentText(), QStringLiteral("Normal Mode"));
        for (int id : {1274, 1278, 1275, 1279, 1276, 1280, 1277, 1281})
            QVERIFY(!Radio(id)->isChecked());
        QCOMPARE(m_page->DevicePassword(), QStringLiteral("864209"));
        QCOMPARE(Picker(1063)->displayFormat(), QStringLiteral("yyyy'/'MM/dd  HH:mm:ss dddd"));
        for (int id : {1054, 1205, 1206, 1298, 1299})
            QCOMPARE(Picker(id)->displayFormat(), QStringLiteral("HH:mm"));
        QCOMPARE(Edit(1253)->echoMode(), QLineEdit::Password);
        QVERIFY(m_page->ClockRunning());
        QVERIFY(!m_page->ImportSenderRunning());
        // The import follows its row: never enabled on this page.
        QMenu* menu = m_page->ContextMenu();
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions()[0]->data().toInt(), CGps_Control::kImportCommandId);
        emit menu->aboutToShow();
        QVERIFY(!menu->actions()[0]->isEnabled());
    }

    void inputLimits_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("ID digits, 15") << 1059 << "12a3456789012345678"
                                       << "123456789012345";
        QTest::newRow("IMEI 15") << 1252 << "8642090512345679"
                                 << "864209051234567";
        QTest::newRow("password any, 15") << 1253 << "abcdefghijklmnopq"
                                          << "abcdefghijklmno";
        QTest::newRow("port digits, 10") << 1254 << "80x801234567"
                                         << "8080123456";
        QTest::newRow("time zone 6") << 1259 << "+08:00x"
                                     << "+08:00";
        QTest::newRow("interval digits, 10") << 1300 << "1 2345678901"
                                             << "1234567890";
        QTest::newRow("IP 64") << 1047 << QString(70, QLatin1Char('a'))
                               << QString(64, QLatin1Char('a'));
    }
    void inputLimits() {
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QTest::keyClicks(Edit(id), typed);
        QCOMPARE(Edit(id)->text(), kept);
    }

    void replyLongerThanTheLimitIsShownWholeAndStaysEditable() {
        m_page->ApplyDeviceReply(ReplyType::Id, u"1234567890123456");
        QCOMPARE(Edit(1059)->text(), QStringLiteral("1234567890123456"));
        Edit(1059)->setFocus();
        Edit(1059)->end(false);
        QTest::keyClick(Edit(1059), Qt::Key_Backspace);
        QCOMPARE(Edit(1059)->text(), QStringLiteral("123456789012345"));
        QTest::keyClicks(Edit(1059), QStringLiteral("9"));
        QCOMPARE(Edit(1059)->text(), QStringLiteral("123456789012345"));
    }

    // A reply may be longer than the operator may type, or hold non-digits in a digits-only
    // edit: it is shown whole, and what the operator types afterwards still keeps the limit.
    void limitsHoldAfterAReply_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ID of 16, then 99")
            << int(ReplyType::Id) << "1234567890123456" << 1059 << "99"
            << "1234567890123456";
        QTest::newRow("IMEI of 15, then a digit")
            << int(ReplyType::Imei) << "864209051234567" << 1252 << "5"
            << "864209051234567";
        QTest::newRow("time zone of 8, then more")
            << int(ReplyType::TimeZone) << "GMT+0800" << 1259 << "1a"
            << "GMT+0800";
        QTest::newRow("port with letters: digits only, up to the limit")
            << int(ReplyType::Port) << "80ab" << 1254 << "1x2345678"
            << "80ab123456";
    }
    void limitsHoldAfterAReply() {
        QFETCH(int, type);
        QFETCH(QString, reply);
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        m_page->ApplyDeviceReply(static_cast<ReplyType>(type), reply.toStdU16String());
        QCOMPARE(Edit(id)->text(), reply);
        Edit(id)->end(false);
        QTest::keyClicks(Edit(id), typed);
        QCOMPARE(Edit(id)->text(), expected);
    }

    // A paste keeps what fits instead of being refused whole: cut to the limit, only digits in
    // the digits-only edits, only its first line.
    void pasteIsCutToWhatFits_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");
        QTest::newRow("IMEI copied with its line break") << 1252 << ""
                                                         << "864209051234567\r\n"
                                                         << "864209051234567";
        QTest::newRow("ID longer than the limit") << 1059 << ""
                                                  << "12345678901234567890"
                                                  << "123456789012345";
        QTest::newRow("port with a blank") << 1254 << ""
                                           << "80 80"
                                           << "8080";
        QTest::newRow("interval with its unit") << 1227 << ""
                                                << "300 s\n"
                                                << "300";
        QTest::newRow("APN with a second line") << 1255 << ""
                                                << "internet\r\ncmnet"
                                                << "internet";
        QTest::newRow("password of 20") << 1253 << ""
                                        << "abcdefghijklmnopqrst"
                                        << "abcdefghijklmno";
        QTest::newRow("time zone after typed text") << 1259 << "x"
                                                    << "+08:00"
                                                    << "x+08:0";
        QTest::newRow("no digits at all changes nothing") << 1252 << "86"
                                                          << "IMEI:\n"
                                                          << "86";
    }
    void pasteIsCutToWhatFits() {
        QFETCH(int, id);
        QFETCH(QString, before);
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        QTest::keyClicks(Edit(id), before);
        QGuiApplication::clipboard()->setText(clipboard);
        QTest::keySequence(Edit(id), QKeySequence::Paste);
        QCOMPARE(Edit(id)->text(), expected);
    }

    // The operator selects text in an edit and clicks its row's Read button: the click moves
    // the focus to the button, and the selection, still shown, is deleted before the read goes
    // out. An edit selected earlier keeps its selection while another is used.
    void readClearsTheSelectionTheClickMovedAwayFrom_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QList<int>>("edits");
        QTest::newRow("ID") << 1006 << QList<int>{1059};
        QTest::newRow("IP and port") << 1009 << QList<int>{1047, 1254};
        QTest::newRow("intervals") << 1302 << QList<int>{1300, 1227};
    }
    void readClearsTheSelectionTheClickMovedAwayFrom() {
        QFETCH(int, button);
        QFETCH(QList<int>, edits);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
        for (int id : edits) {
            Edit(id)->setText(QStringLiteral("123456"));
            QTest::mouseClick(Edit(id), Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), Edit(id));
            QTest::keyClick(Edit(id), Qt::Key_Home);
            QTest::keyClick(Edit(id), Qt::Key_Right);
            QTest::keyClick(Edit(id), Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClick(Edit(id), Qt::Key_Right, Qt::ShiftModifier);
        }
        auto* read = m_page->ControlAs<QPushButton>(button);
        QTest::mouseClick(read, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), read);
        for (int id : edits)
            QCOMPARE(Edit(id)->text(), QStringLiteral("1456"));
        QCOMPARE(Commands(m_sender).size(), std::size_t(1));
        // Nothing selected any more: a second read keeps the text.
        QTest::mouseClick(read, Qt::LeftButton);
        for (int id : edits)
            QCOMPARE(Edit(id)->text(), QStringLiteral("1456"));
    }

    void readButtons_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QList<int>>("cleared");
        QTest::addColumn<QString>("command");
        QTest::newRow("ID") << 1006 << QList<int>{1059} << "AT+SMS=ID?,864209#\r\n";
        QTest::newRow("IMEI") << 1246 << QList<int>{1252} << "AT+SMS=IMEI?,864209#\r\n";
        QTest::newRow("password") << 1025 << QList<int>{1253} << "AT+SMS=PASSWORD?,864209#\r\n";
        QTest::newRow("IP") << 1009 << QList<int>{1047, 1254} << "AT+SMS=IP?,864209#\r\n";
        QTest::newRow("APN") << 1250 << QList<int>{1255} << "AT+SMS=APN?,864209#\r\n";
        QTest::newRow("time zone") << 1049 << QList<int>{1259} << "AT+SMS=TIMEZONE?,864209#\r\n";
        QTest::newRow("mode") << 1260 << QList<int>{} << "AT+SMS=MODE?,864209#\r\n";
        QTest::newRow("intervals")
            << 1302 << QList<int>{1300, 1227} << "AT+SMS=interval?,864209#\r\n";
        QTest::newRow("ext power") << 1282 << QList<int>{} << "AT+SMS=alarmmode?,864209,5#\r\n";
        QTest::newRow("vibration") << 1052 << QList<int>{} << "AT+SMS=alarmmode?,864209,2#\r\n";
        QTest::newRow("displace") << 1065 << QList<int>{} << "AT+SMS=displace?,864209#\r\n";
        QTest::newRow("low battery") << 1067 << QList<int>{} << "AT+SMS=alarmmode?,864209,12#\r\n";
    }
    void readButtons() {
        QFETCH(int, button);
        QFETCH(QList<int>, cleared);
        QFETCH(QString, command);
        const QList<int> edits = {1059, 1252, 1253, 1047, 1254, 1255, 1259, 1300, 1227};
        for (int id : edits) {
            Edit(id)->setText(QStringLiteral("123456"));
            Edit(id)->setSelection(1, 2); // "23"
        }
        QVERIFY(m_page->OnCommand(button));
        for (int id : edits) {
            const QString expected =
                cleared.contains(id) ? QStringLiteral("1456") : QStringLiteral("123456");
            QCOMPARE(Edit(id)->text(), expected);
        }
        // Without a selection nothing of the text goes.
        Edit(1059)->setText(QStringLiteral("77"));
        Edit(1059)->setCursorPosition(0);
        m_page->OnCommand(1006);
        QCOMPARE(Edit(1059)->text(), QStringLiteral("77"));
        QCOMPARE(Commands(m_sender).at(0) + "\r\n", command.toStdString() + "\r\n");
        QCOMPARE(Commands(m_sender).size(), std::size_t(2));
    }

    void clickedButtonSends() {
        QTest::mouseClick(m_page->ControlAs<QPushButton>(1006), Qt::LeftButton);
        QCOMPARE(Commands(m_sender), std::vector<std::string>{"AT+SMS=ID?,864209#\r\n"});
    }

    void writeChecks_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("values"); // edit id=value
        QTest::addColumn<QString>("message");    // empty: sent
        QTest::addColumn<QString>("command");
        QTest::newRow("empty ID") << 1245 << QStringList{} << "ID is empty!"
                                  << "";
        QTest::newRow("ID") << 1245 << QStringList{"1059=42"} << ""
                            << "AT+SMS=ID,864209,42#\r\n";
        QTest::newRow("short IMEI")
            << 1024 << QStringList{"1252=12345"} << "IMEI Length should be 15"
            << "";
        QTest::newRow("password length")
            << 1008 << QStringList{"1253=12345"} << "the length of password is 6!"
            << "";
        QTest::newRow("IP and port") << 1247 << QStringList{"1047=10.0.0.5", "1254=8001"} << ""
                                     << "AT+SMS=IP,864209,10.0.0.5,8001#\r\n";
        QTest::newRow("empty APN") << 1251 << QStringList{} << "APN is empty!"
                                   << "";
        QTest::newRow("time zone") << 1051 << QStringList{"1259=-5"} << ""
                                   << "AT+SMS=TIMEZONE,864209,-5#\r\n";
        QTest::newRow("only ACC ON")
            << 1303 << QStringList{"1300=30"} << "input ACC off interval,please!"
            << "";
        QTest::newRow("intervals") << 1303 << QStringList{"1300=30", "1227=600"} << ""
                                   << "AT+SMS=interval,864209,30,600#\r\n";
    }
    void writeChecks() {
        QFETCH(int, button);
        QFETCH(QStringList, values);
        QFETCH(QString, message);
        QFETCH(QString, command);
        for (const QString& v : values)
            Edit(v.section(QLatin1Char('='), 0, 0).toInt())
                ->setText(v.section(QLatin1Char('='), 1));
        MessageBoxRecorder boxes;
        QVERIFY(m_page->OnCommand(button));
        if (message.isEmpty()) {
            QCOMPARE(boxes.boxes.size(), 0);
            QCOMPARE(Commands(m_sender), std::vector<std::string>{command.toStdString()});
        } else {
            QCOMPARE(boxes.boxes.size(), 1);
            QCOMPARE(boxes.boxes[0].text, message);
            QCOMPARE(boxes.boxes[0].icon, QMessageBox::Warning);
            QCOMPARE(boxes.boxes[0].title, QStringLiteral("Tollbrook"));
            QVERIFY(Commands(m_sender).empty());
        }
    }

    void replies_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("edit");
        QTest::newRow("ID") << 1 << 1059;
        QTest::newRow("IMEI") << 2 << 1252;
        QTest::newRow("password") << 3 << 1253;
        QTest::newRow("IP") << 4 << 1047;
        QTest::newRow("port") << 5 << 1254;
        QTest::newRow("APN") << 6 << 1255;
        QTest::newRow("time zone") << 7 << 1259;
        QTest::newRow("ACC ON") << 8 << 1300;
        QTest::newRow("ACC OFF") << 9 << 1227;
    }
    void replies() {
        QFETCH(int, type);
        QFETCH(int, edit);
        const QList<int> edits = {1059, 1252, 1253, 1047, 1254, 1255, 1259, 1300, 1227};
        for (int id : edits)
            Edit(id)->setText(QStringLiteral("old"));
        m_page->ApplyDeviceReply(static_cast<ReplyType>(type), u"门123");
        for (int id : edits)
            QCOMPARE(Edit(id)->text(),
                     id == edit ? QStringLiteral("门123") : QStringLiteral("old"));
        QCOMPARE(m_page->DevicePassword(),
                 type == 3 ? QStringLiteral("门123") : QStringLiteral("864209"));
    }

    void passwordReplyIsCarriedByReadsAndWrites() {
        m_page->ApplyDeviceReply(ReplyType::Password, u"111222");
        Edit(1255)->setText(QStringLiteral("internet"));
        // A new password written goes out but does not replace the one in use.
        Edit(1253)->setText(QStringLiteral("333444"));
        m_page->OnCommand(1008);
        m_page->OnCommand(1250);
        m_page->OnCommand(1251);
        m_page->OnCommand(1050); // alarms carry the factory password
        QCOMPARE(Commands(m_sender),
                 (std::vector<std::string>{
                     "AT+SMS=PASSWORD,111222,333444#\r\n", "AT+SMS=APN?,111222#\r\n",
                     "AT+SMS=APN,111222,internet#\r\n", "AT+SMS=alarmmode,864209,5,0#\r\n"}));
        QCOMPARE(m_page->DevicePassword(), QStringLiteral("111222"));
    }

    void alarmReplies() {
        m_page->ApplyDeviceReply(ReplyType::ExtPowerAlarm, u"ON,1");
        QVERIFY(Radio(1274)->isChecked());
        QVERIFY(!Radio(1278)->isChecked());
        m_page->ApplyDeviceReply(ReplyType::VibrationAlarm, u"OFF,0");
        QVERIFY(Radio(1279)->isChecked());
        QVERIFY(!Radio(1275)->isChecked());
        m_page->ApplyDeviceReply(ReplyType::VibrationAlarm, u"ON,5");
        QVERIFY(Radio(1275)->isChecked());
        QVERIFY(!Radio(1279)->isChecked());
        m_page->ApplyDeviceReply(ReplyType::ExtPowerAlarm, u"OFF,0");
        QVERIFY(!Radio(1274)->isChecked());
        QVERIFY(Radio(1278)->isChecked());
        // Neither form: nothing changes.
        m_page->ApplyDeviceReply(ReplyType::ExtPowerAlarm, u"1");
        QVERIFY(Radio(1278)->isChecked());
        // Rows are independent of each other.
        QVERIFY(Radio(1275)->isChecked());
    }

    void alarmWrites_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("onRadio");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("ext power") << 1050 << 1274 << "AT+SMS=alarmmode,864209,5,";
        QTest::newRow("vibration") << 1064 << 1275 << "AT+SMS=alarmmode,864209,2,";
        QTest::newRow("displacement") << 1066 << 1276 << "AT+SMS=displace,864209,";
        QTest::newRow("low battery") << 1068 << 1277 << "AT+SMS=alarmmode,864209,12,";
    }
    void alarmWrites() {
        QFETCH(int, button);
        QFETCH(int, onRadio);
        QFETCH(QString, prefix);
        const std::string on = button == 1066 ? "5#\r\n" : "4#\r\n";
        m_page->OnCommand(button);
        Radio(onRadio)->setChecked(true);
        m_page->OnCommand(button);
        QCOMPARE(Commands(m_sender), (std::vector<std::string>{prefix.toStdString() + "0#\r\n",
                                                               prefix.toStdString() + on}));
    }

    void modeSelectionEnables() {
        const QList<int> wake = {1012, 1123, 1119, 1124, 1054, 1205, 1206, 1298};
        const QList<int> week = {1125, 1138, 1126, 1272, 1135, 1136, 1137, 1292, 1299};
        const QList<int> alarm = {1295, 1296, 1274, 1275, 1276, 1277,
                                  1280, 1281, 1065, 1066, 1067, 1068};
        auto check = [&](bool w, bool k, bool a) {
            for (int id : wake)
                QCOMPARE(m_page->Control(id)->isEnabled(), w);
            for (int id : week)
                QCOMPARE(m_page->Control(id)->isEnabled(), k);
            for (int id : alarm)
                QCOMPARE(m_page->Control(id)->isEnabled(), a);
            // Outside every group.
            for (int id : {1278, 1279, 1282, 1050, 1052, 1064})
                QVERIFY(m_page->Control(id)->isEnabled());
            for (int id : {1089, 1260, 1261, 1063, 1256, 1223, 1257, 1285, 1258})
                QVERIFY(!m_page->Control(id)->isEnabled());
        };
        SelectMode(8);
        check(false, true, true);
        SelectMode(2);
        check(false, false, false);
        SelectMode(6);
        check(true, false, true);
        QVERIFY(Commands(m_sender).empty());
    }

    void modeSelectionChangeComesFromTheOperatorsPick() {
        Modes()->setCurrentIndex(8); // from code: the template state stays
        QVERIFY(!m_page->Control(1125)->isEnabled());
        emit Modes()->activated(8);
        QVERIFY(m_page->Control(1125)->isEnabled());
    }

    void modeWrite_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("command");
        QTest::newRow("sleep") << 0 << ""
                               << "AT+SMS=mode,864209,0#\r\n";
        QTest::newRow("GPS log") << 5 << ""
                                 << "AT+SMS=mode,864209,5#\r\n";
        QTest::newRow("day") << 6 << ""
                             << "AT+SMS=MODE,864209,8,0600,2130#\r\n";
        QTest::newRow("NDay") << 7 << ""
                              << "";
        QTest::newRow("week") << 8 << ""
                              << "AT+SMS=mode,864209,10,0800,7,1,5#\r\n";
        QTest::newRow("month") << 9 << ""
                               << "";
        QTest::newRow("none") << -1 << ""
                              << "";
        QTest::newRow("day without slot") << 106 << "暂未选择唤醒时间点！！！请选择闹钟再进行设置"
                                          << "";
        QTest::newRow("week without day") << 108 << "暂未选择星期！！！请选择星期后再进行设置"
                                          << "";
    }
    void modeWrite() {
        QFETCH(int, position);
        QFETCH(QString, message);
        QFETCH(QString, command);
        const bool empty = position > 100;
        Modes()->setCurrentIndex(position % 100);
        if (!empty) {
            Picker(1205)->setTime(QTime(6, 0));
            Box(1123)->setChecked(true);
            Picker(1298)->setTime(QTime(21, 30));
            Box(1124)->setChecked(true);
            Picker(1054)->setTime(QTime(7, 15)); // unchecked slot
            Picker(1299)->setTime(QTime(8, 0));
            for (int id : {1125, 1138, 1136})
                Box(id)->setChecked(true);
        }
        MessageBoxRecorder boxes;
        QVERIFY(m_page->OnCommand(1261));
        if (message.isEmpty()) {
            QCOMPARE(boxes.boxes.size(), 0);
            QCOMPARE(Commands(m_sender), std::vector<std::string>{command.toStdString()});
        } else {
            QCOMPARE(boxes.boxes.size(), 1);
            QCOMPARE(boxes.boxes[0].text, message);
            QVERIFY(Commands(m_sender).empty());
        }
    }

    void calTimeSendsTheLocalTime() {
        const QDateTime before = QDateTime::currentDateTime();
        m_page->OnCommand(1256);
        const QDateTime after = QDateTime::currentDateTime();
        const std::vector<std::string> sent = Commands(m_sender);
        QCOMPARE(sent.size(), std::size_t(1));
        const QString prefix = QStringLiteral("AT+SMS=time,864209,");
        const QString text = QString::fromStdString(sent[0]);
        QVERIFY(text.startsWith(prefix));
        QVERIFY(text.endsWith(QStringLiteral("#\r\n")));
        const QDateTime t =
            QDateTime::fromString(text.mid(prefix.size(), 15), QStringLiteral("yyyyMMdd,HHmmss"));
        QVERIFY(t.isValid());
        QVERIFY(t >= before.addMSecs(-before.time().msec()) && t <= after);
    }

    void clockShowsTheLocalTime() {
        Picker(1063)->setDateTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0)));
        m_page->OnClockTick();
        QVERIFY(qAbs(Picker(1063)->dateTime().secsTo(QDateTime::currentDateTime())) <= 1);
        const QDateTime shown(QDate(2024, 3, 5), QTime(14, 7, 9));
        Picker(1063)->setDateTime(shown);
        QCOMPARE(Picker(1063)->text(), QStringLiteral("2024/03/05  14:07:09 ") +
                                           QLocale().dayName(2, QLocale::LongFormat));
    }

    void paintSwitchesTheGpsOutputOff() {
        m_page->resize(800, 600);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
        m_sender.lines.clear();
        m_page->repaint();
        QCOMPARE(m_sender.lines, std::vector<std::string>{kGpsTestOff});
        // The clock's own updates leave the page's paint alone.
        m_sender.lines.clear();
        for (int i = 0; i < 3; ++i) {
            Picker(1063)->setDateTime(QDateTime::currentDateTime().addSecs(i + 1));
            QCoreApplication::processEvents();
        }
        QVERIFY(m_sender.lines.empty());
    }

    void importAndSendCommandFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("setting.txt"));
        WriteFile(path, "AT+SMS=ID,864209,42#\r\nAT+SMS=APN,864209,internet#\r\n");
        ModalAnswer answer([&](QDialog& d) {
            auto* files = qobject_cast<QFileDialog*>(&d);
            if (!files)
                return int(QDialog::Rejected);
            [&] {
                // "*": a command file named without a dot is listed too.
                QCOMPARE(files->nameFilters(), (QStringList{"TXT Files (*.txt)", "All Files (*)"}));
                QCOMPARE(files->defaultSuffix(), QString());
            }();
            files->selectFile(path);
            return int(QDialog::Accepted);
        });
        QVERIFY(m_page->OnCommand(CGps_Control::kImportCommandId));
        QCOMPARE(Edit(1285)->text(), path);
        const ImportCommands& list = m_page->ImportedCommands();
        QCOMPARE(list[0], std::u16string(u"AT+SMS=ID,864209,42#\r\n"));
        QCOMPARE(list[1], std::u16string(u"AT+SMS=APN,864209,internet#\r\n"));
        QCOMPARE(list[2], std::u16string(u"end"));

        QVERIFY(m_page->OnCommand(1258));
        QVERIFY(m_page->ImportSenderRunning());
        m_page->OnImportTick();
        m_page->OnImportTick();
        QVERIFY(m_page->ImportSenderRunning());
        m_page->OnImportTick();
        QVERIFY(!m_page->ImportSenderRunning());
        QCOMPARE(CGps_Control::importIndex, 0);
        QCOMPARE(Commands(m_sender), (std::vector<std::string>{"AT+SMS=ID,864209,42#\r\n",
                                                               "AT+SMS=APN,864209,internet#\r\n"}));
    }

    void importSenderRunsOnItsTimer() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("one.txt"));
        WriteFile(path, "AT+SMS=TIMEZONE,864209,8#\n");
        QVERIFY(m_page->ImportConfigFile(path));
        m_page->OnCommand(1258);
        QTRY_VERIFY_WITH_TIMEOUT(!m_page->ImportSenderRunning(), 3000);
        QCOMPARE(Commands(m_sender), std::vector<std::string>{"AT+SMS=TIMEZONE,864209,8#\r\n"});
    }

    void importEdgeCases() {
        QTemporaryDir dir;
        // Nothing imported yet: the sender stops at once.
        m_page->OnCommand(1258);
        m_page->OnImportTick();
        QVERIFY(!m_page->ImportSenderRunning());
        // An empty file: only "end".
        const QString empty = dir.filePath(QStringLiteral("empty.txt"));
        WriteFile(empty, "");
        QVERIFY(m_page->ImportConfigFile(empty));
        QCOMPARE(m_page->ImportedCommands()[0], std::u16string(u"end"));
        m_page->OnCommand(1258);
        m_page->OnImportTick();
        QVERIFY(!m_page->ImportSenderRunning());
        QVERIFY(Commands(m_sender).empty());

        // More than 20: the message, and the first 20 are kept.
        const QString many = dir.filePath(QStringLiteral("many.txt"));
        QByteArray text;
        for (int i = 0; i < 22; ++i)
            text += "AT+SMS=ID,864209," + QByteArray::number(i) + "#\n";
        WriteFile(many, text);
        {
            MessageBoxRecorder boxes;
            QVERIFY(m_page->ImportConfigFile(many));
            QCOMPARE(boxes.boxes.size(), 1);
            QCOMPARE(boxes.boxes[0].text, QStringLiteral("配置文件命令可连续设条数最大为20"));
            QCOMPARE(boxes.boxes[0].title, QStringLiteral("GPS"));
            QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        }
        QCOMPARE(m_page->ImportedCommands()[19], std::u16string(u"AT+SMS=ID,864209,19#\r\n"));
        QCOMPARE(m_page->ImportedCommands()[20], std::u16string(u"end"));

        // A file that cannot be read: said so, and the list stays.
        {
            MessageBoxRecorder boxes;
            QVERIFY(!m_page->ImportConfigFile(dir.filePath(QStringLiteral("missing.txt"))));
            QCOMPARE(boxes.boxes.size(), 1);
            QVERIFY(boxes.boxes[0].text.startsWith(QStringLiteral("File Error!")));
        }
        QCOMPARE(m_page->ImportedCommands()[20], std::u16string(u"end"));

        // A file of more than 1 MB is refused whole, with the reason, and the list stays;
        // exactly 1 MB is read.
        for (const auto& [size, ok] : {std::pair{1024 * 1024 + 1, false}, {1024 * 1024, true}}) {
            const QByteArray command = "AT+SMS=TIMEZONE,864209,8#\n";
            const QString big = dir.filePath(QStringLiteral("big.txt"));
            WriteFile(big, QByteArray(size - command.size(), ' ') + command);
            QCOMPARE(QFileInfo(big).size(), qint64(size));
            MessageBoxRecorder boxes;
            QCOMPARE(m_page->ImportConfigFile(big), ok);
            if (ok) {
                QCOMPARE(m_page->ImportedCommands()[0],
                         std::u16string(u"AT+SMS=TIMEZONE,864209,8#\r\n"));
                QCOMPARE(boxes.boxes.size(), 0);
            } else {
                QCOMPARE(boxes.boxes.size(), 1);
                QVERIFY2(boxes.boxes[0].text.contains(QStringLiteral("larger than 1 MB")),
                         qPrintable(boxes.boxes[0].text));
                QCOMPARE(m_page->ImportedCommands()[19],
                         std::u16string(u"AT+SMS=ID,864209,19#\r\n"));
            }
        }

        // Cancelling the dialog changes nothing.
        ModalAnswer cancel([](QDialog&) { return int(QDialog::Rejected); });
        const QString shown = Edit(1285)->text();
        m_page->OnCommand(CGps_Control::kImportCommandId);
        QCOMPARE(Edit(1285)->text(), shown);
    }

    // A command that lost its "#" in the middle of the file is reported, not joined to the
    // next one and sent as one malformed command.
    void commandWithoutHashIsReportedNotJoined() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("setting.txt"));
        WriteFile(path, "AT+SMS=ID,864209,42\r\nAT+SMS=APN,864209,internet#\r\n");
        MessageBoxRecorder boxes;
        QVERIFY(m_page->ImportConfigFile(path));
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("配置文件中以下命令缺少结尾的“#”，不会发送：\n"
                                                     "AT+SMS=ID,864209,42"));
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("GPS"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(m_page->ImportedCommands()[0], std::u16string(u"AT+SMS=APN,864209,internet#\r\n"));
        QCOMPARE(m_page->ImportedCommands()[1], std::u16string(u"end"));
    }

    void layoutScalesCappedAt800x600() {
        m_page->resize(800, 600);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
        QWidget* id = m_page->Control(1059);
        const QRect start = id->geometry();
        // From 800 to 400 wide: horizontal edges halve.
        m_page->resize(400, 600);
        QCoreApplication::processEvents();
        QCOMPARE(id->geometry().left(), start.left() / 2);
        QCOMPARE(id->geometry().top(), start.top());
        // 1600 x 1200 counts as 800 x 600: back where it stood at 800 x 600, height unchanged.
        m_page->resize(1600, 1200);
        QCoreApplication::processEvents();
        QCOMPARE(id->geometry(), start);
        m_page->resize(1000, 700);
        QCoreApplication::processEvents();
        QCOMPARE(id->geometry(), start);
    }
};

TB_REGISTER_TEST(ConfigPageTest);

#include "ConfigPageTest.moc"
