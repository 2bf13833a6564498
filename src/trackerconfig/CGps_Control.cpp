#include "trackerconfig/CGps_Control.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTimer>
#include <array>
#include <initializer_list>

#include "device/DeviceCommand.h"
#include "device/DeviceCommands.h"
#include "device/JoinedTextFile.h"
#include "trackerconfig/AlarmCommand.h"
#include "trackerconfig/CSettingEdit.h"
#include "trackerconfig/DevicePassword.h"
#include "trackerconfig/DeviceReplyRecord.h"
#include "trackerconfig/ModeCommand.h"
#include "trackerconfig/ReadCommand.h"
#include "trackerconfig/TimeCalibrationCommand.h"
#include "trackerconfig/WriteSetting.h"
#include "uisupport/CInputLimitValidator.h"
#include "uisupport/CaptionFit.h"
#include "uisupport/DialogUnits.h"
#include "uisupport/ProportionalChildLayout.h"
#include "uisupport/UiHooks.h"

int CGps_Control::importIndex = 0;

namespace {

// Controls of template 192.
enum : int {
    IDC_ID = 1059,
    IDC_IMEI = 1252,
    IDC_PASSWORD = 1253,
    IDC_IP = 1047,
    IDC_PORT = 1254,
    IDC_APN = 1255,
    IDC_TIMEZONE = 1259,
    IDC_MODE = 1089,
    IDC_INTERVAL_ON = 1300,
    IDC_INTERVAL_OFF = 1227,
    IDC_CLOCK = 1063,
    IDC_CAL_TIME = 1256,
    IDC_EXPORT_PATH = 1223,
    IDC_EXPORT = 1257,
    IDC_IMPORT_PATH = 1285,
    IDC_IMPORT_WRITE = 1258,
    IDC_MODE_WRITE = 1261,
    IDC_WEEK_TIME_LABEL = 1292,
    IDC_WEEK_TIME = 1299,
};

constexpr std::array<int, 4> kWakeupBoxes = {1012, 1123, 1119, 1124};
constexpr std::array<int, 4> kWakeupPickers = {1054, 1205, 1206, 1298};
// Sunday first, as the page lists them.
constexpr std::array<int, 7> kDayBoxes = {1125, 1138, 1126, 1272, 1135, 1136, 1137};

struct AlarmRow {
    int label, on, off, read, write;
    const char* caption;
    int y;
    Alarm alarm;
    ReadTarget read_target;
};
constexpr std::array<AlarmRow, 4> kAlarmRows = {{
    {1293, 1274, 1278, 1282, 1050, "ext Power Alarm", 259, Alarm::ExtPower,
     ReadTarget::ExtPowerAlarm},
    {1294, 1275, 1279, 1052, 1064, "Vibration Alarm", 288, Alarm::Vibration,
     ReadTarget::VibrationAlarm},
    {1295, 1276, 1280, 1065, 1066, "Displace Alarm", 315, Alarm::Displacement,
     ReadTarget::DisplacementAlarm},
    {1296, 1277, 1281, 1067, 1068, "Low Battery Alarm", 344, Alarm::LowBattery,
     ReadTarget::LowBatteryAlarm},
}};

struct ReadButton {
    int id;
    ReadTarget target;
    int cleared[2]; // edits whose selection is deleted first; 0 for none
};
constexpr std::array<ReadButton, 12> kReadButtons = {{
    {1006, ReadTarget::Id, {IDC_ID, 0}},
    {1246, ReadTarget::Imei, {IDC_IMEI, 0}},
    {1025, ReadTarget::Password, {IDC_PASSWORD, 0}},
    {1009, ReadTarget::IpAndPort, {IDC_IP, IDC_PORT}},
    {1250, ReadTarget::Apn, {IDC_APN, 0}},
    {1049, ReadTarget::TimeZone, {IDC_TIMEZONE, 0}},
    {1260, ReadTarget::Mode, {0, 0}},
    {1302, ReadTarget::ReportIntervals, {IDC_INTERVAL_ON, IDC_INTERVAL_OFF}},
    {1282, ReadTarget::ExtPowerAlarm, {0, 0}},
    {1052, ReadTarget::VibrationAlarm, {0, 0}},
    {1065, ReadTarget::DisplacementAlarm, {0, 0}},
    {1067, ReadTarget::LowBatteryAlarm, {0, 0}},
}};

struct WriteButton {
    int id;
    SettingKind kind;
    int value, second; // edits; 0 for none
};
constexpr std::array<WriteButton, 7> kWriteButtons = {{
    {1245, SettingKind::Id, IDC_ID, 0},
    {1024, SettingKind::Imei, IDC_IMEI, 0},
    {1008, SettingKind::Password, IDC_PASSWORD, 0},
    {1247, SettingKind::IpAndPort, IDC_IP, IDC_PORT},
    {1251, SettingKind::Apn, IDC_APN, 0},
    {1051, SettingKind::TimeZone, IDC_TIMEZONE, 0},
    {1303, SettingKind::ReportIntervals, IDC_INTERVAL_ON, IDC_INTERVAL_OFF},
}};

// The rows of the left half: y of the row, Read and Write buttons.
struct SettingRow {
    int y, read, write;
};
constexpr std::array<SettingRow, 8> kSettingRows = {{
    {45, 1006, 1245},
    {69, 1246, 1024},
    {93, 1025, 1008},
    {118, 1009, 1247},
    {145, 1250, 1251},
    {172, 1049, 1051},
    {199, 1260, 1261},
    {231, 1302, 1303},
}};

// Disabled when the page is created.
constexpr int kStartDisabled[] = {IDC_MODE,
                                  1260,
                                  IDC_MODE_WRITE,
                                  IDC_CLOCK,
                                  IDC_CAL_TIME,
                                  IDC_EXPORT_PATH,
                                  IDC_EXPORT,
                                  IDC_IMPORT_PATH,
                                  IDC_IMPORT_WRITE,
                                  1012,
                                  1123,
                                  1119,
                                  1124,
                                  1054,
                                  1205,
                                  1206,
                                  1298,
                                  IDC_WEEK_TIME_LABEL,
                                  IDC_WEEK_TIME,
                                  1125,
                                  1138,
                                  1126,
                                  1272,
                                  1135,
                                  1136,
                                  1137,
                                  1295,
                                  1276,
                                  1280,
                                  1065,
                                  1066,
                                  1296,
                                  1277,
                                  1281,
                                  1067,
                                  1068};

// What a mode selection switches: the wake-up wakeups, the week group, the alarm group. The
// external power and vibration "Off" radios and their buttons are not part of the alarm group.
constexpr std::initializer_list<int> kWakeupGroup = {1012, 1123, 1119, 1124,
                                                     1054, 1205, 1206, 1298};
constexpr std::initializer_list<int> kWeekGroup = {1125, 1138, 1126, 1272, 1135,
                                                   1136, 1137, 1292, 1299};
constexpr std::initializer_list<int> kAlarmGroup = {1295, 1296, 1274, 1275, 1276, 1277,
                                                    1280, 1281, 1065, 1066, 1067, 1068};

std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.constData()),
            static_cast<std::size_t>(text.size())};
}

QString FromView(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

const QString kClockFormat = QStringLiteral("yyyy'/'MM/dd  HH:mm:ss dddd");
const QString kTimeFormat = QStringLiteral("HH:mm");

} // namespace

CGps_Control::CGps_Control(ILineSender* sender, QWidget* parent)
    : QWidget(parent), m_pSender(sender) {
    // The template in "黑体" 10 points is wider and taller than the page area of the program's
    // first window with most substitutes: the font is made as small as it takes for the whole
    // page to be seen there, so that no row hides below the window's edge.
    setFont(DialogFontForRoom(QFont(QStringLiteral("黑体"), 10),
                              QSize(kTemplateWidth, kTemplateHeight), kRoomOfFirstWindow));
    // One background for the page and its (opaque) controls.
    setAutoFillBackground(true);
    CreateControls();
    NameControlsAndOrderTabs();
    OnInitDialog();
    FitCaptions(m_controls.values() + m_labels);
    // The page is created at the template's size, and that creation is its first resize:
    // later sizes scale the controls from there. (A hidden child's early sizes, before the tab
    // shows it, say nothing about where its controls are.)
    const DialogUnits du(*this);
    m_templateSize = du.Size(kTemplateWidth, kTemplateHeight);
    resize(m_templateSize);
    m_layout.SetPreviousSize(m_templateSize);
}

CGps_Control::~CGps_Control() = default;

template <class T> T* CGps_Control::Add(int id, T* control, int x, int y, int w, int h) {
    const DialogUnits du(*this);
    control->setGeometry(du.Rect(x, y, w, h));
    // Opaque controls: a control that repaints itself (the clock, an edit being typed in)
    // does not make the page repaint, so the page's paint follows the page being shown.
    control->setAutoFillBackground(true);
    if (id) {
        control->setObjectName(QString::number(id));
        m_controls.insert(id, control);
    }
    return control;
}

QWidget* CGps_Control::AddLabel(const QString& text, int x, int y, int w, int h) {
    QWidget* label = Add(0, new QLabel(text, this), x, y, w, h);
    m_labels.append(label);
    // A fixed text never repaints by itself; it shows the frame behind it.
    label->setAutoFillBackground(false);
    return label;
}

QLineEdit* CGps_Control::AddEdit(int id, int x, int y, int w, int h, int maxLength,
                                 bool digitsOnly) {
    auto* edit = Add(id, new CSettingEdit(this), x, y, w, h);
    edit->setValidator(new CInputLimitValidator(edit, maxLength, digitsOnly));
    return edit;
}

void CGps_Control::CreateControls() {
    // Frames first, so that the rows lie on top of them.
    Add(1286, new QGroupBox(QStringLiteral("Parameters Setting"), this), 7, 7, 694, 373);
    Add(1287, new QGroupBox(QStringLiteral("Parameters"), this), 12, 21, 334, 352);
    Add(1288, new QGroupBox(QStringLiteral("Alarm Setting"), this), 357, 21, 339, 352);
    Add(1289, new QGroupBox(QStringLiteral("Daly Mode"), this), 368, 34, 307, 95);
    Add(1290, new QGroupBox(QStringLiteral("Week Mode"), this), 368, 133, 307, 107);
    Add(1291, new QGroupBox(QStringLiteral("Alarm Setting"), this), 369, 244, 307, 124);
    for (int id : {1286, 1287, 1288, 1289, 1290, 1291})
        Control(id)->setAutoFillBackground(false);

    AddLabel(QStringLiteral("ID:"), 20, 47, 40, 10);
    AddLabel(QStringLiteral("IMEI:"), 20, 71, 40, 10);
    AddLabel(QStringLiteral("Password:"), 20, 96, 42, 10);
    AddLabel(QStringLiteral("IP:"), 20, 121, 40, 10);
    AddLabel(QStringLiteral(":"), 177, 121, 6, 10);
    AddLabel(QStringLiteral("APN:"), 20, 148, 40, 10);
    AddLabel(QStringLiteral("Time Zone:"), 20, 176, 42, 10);
    AddLabel(QStringLiteral("Mode:"), 20, 201, 40, 10);
    AddLabel(QStringLiteral("ACC ON/Move"), 95, 220, 60, 10);
    AddLabel(QStringLiteral("ACC OFF/Static"), 160, 220, 65, 10);
    AddLabel(QStringLiteral("Report Interval(s):"), 16, 233, 78, 10);
    AddLabel(QStringLiteral("Export Setting:"), 20, 313, 70, 10);
    AddLabel(QStringLiteral("Import Setting:"), 20, 343, 70, 10);

    AddEdit(IDC_ID, 63, 45, 153, 13, 15, true);
    AddEdit(IDC_IMEI, 63, 69, 154, 13, 15, true);
    AddEdit(IDC_PASSWORD, 63, 93, 154, 16, 15, false)->setEchoMode(QLineEdit::Password);
    AddEdit(IDC_IP, 62, 117, 111, 17, 64, false);
    AddEdit(IDC_PORT, 185, 118, 32, 17, 10, true);
    AddEdit(IDC_APN, 63, 145, 154, 15, 64, false);
    AddEdit(IDC_TIMEZONE, 63, 172, 153, 18, 6, false);
    // The template's 30 units include the dropped-down list.
    auto* mode = Add(IDC_MODE, new QComboBox(this), 63, 199, 154, 14);
    connect(mode, &QComboBox::activated, this, [this](int) { OnModeSelectionChange(); });
    AddEdit(IDC_INTERVAL_ON, 95, 231, 53, 14, 10, true);
    AddEdit(IDC_INTERVAL_OFF, 163, 231, 48, 14, 10, true);

    for (const SettingRow& row : kSettingRows) {
        Add(row.read, new QPushButton(QStringLiteral("Read"), this), 231, row.y, 50, 14);
        Add(row.write, new QPushButton(QStringLiteral("Write"), this), 287, row.y, 50, 14);
    }

    Add(IDC_CLOCK, new QDateTimeEdit(this), 58, 281, 164, 18);
    Add(IDC_CAL_TIME, new QPushButton(QStringLiteral("Cal Time"), this), 233, 282, 91, 16);
    Add(IDC_EXPORT_PATH, new QLineEdit(this), 92, 310, 173, 18);
    Add(IDC_EXPORT, new QPushButton(QStringLiteral("Read"), this), 287, 310, 36, 16);
    Add(IDC_IMPORT_PATH, new QLineEdit(this), 92, 340, 173, 18);
    Add(IDC_IMPORT_WRITE, new QPushButton(QStringLiteral("Write"), this), 287, 341, 36, 16);

    static constexpr int kWakeupX[] = {390, 537, 390, 537};
    static constexpr int kWakeupY[] = {65, 65, 94, 94};
    for (int i = 0; i < 4; ++i) {
        Add(kWakeupBoxes[i], new QCheckBox(QStringLiteral("Wakeup T%1").arg(i + 1), this),
            kWakeupX[i], kWakeupY[i], 55, 12);
        Add(kWakeupPickers[i], new QTimeEdit(this), kWakeupX[i] + 58, kWakeupY[i] - 2, 70, 15);
    }

    Add(IDC_WEEK_TIME_LABEL, new QLabel(QStringLiteral("Time"), this), 388, 155, 38, 16);
    Add(IDC_WEEK_TIME, new QTimeEdit(this), 438, 155, 100, 15);
    static const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wensday",
                                            "Thursday", "Friday", "Saturday"};
    for (int i = 0; i < 7; ++i) {
        const int x = 390 + (i % 4) * 70;
        const int y = i < 4 ? 182 : 213;
        Add(kDayBoxes[i], new QCheckBox(QString::fromLatin1(kDayNames[i]), this), x, y, 60, 12);
    }

    for (std::size_t r = 0; r < kAlarmRows.size(); ++r) {
        const AlarmRow& row = kAlarmRows[r];
        Add(row.label, new QLabel(QString::fromLatin1(row.caption), this), 380, row.y + 2, 78, 10);
        auto* on = Add(row.on, new QRadioButton(QStringLiteral("On"), this), 462, row.y, 32, 12);
        auto* off = Add(row.off, new QRadioButton(QStringLiteral("Off"), this), 500, row.y, 34, 12);
        // Each row chooses on its own; at first neither choice is made.
        m_alarmRows[r] = new QButtonGroup(this);
        m_alarmRows[r]->addButton(on);
        m_alarmRows[r]->addButton(off);
        Add(row.read, new QPushButton(QStringLiteral("Read"), this), 560, row.y - 1, 45, 14);
        Add(row.write, new QPushButton(QStringLiteral("Write"), this), 615, row.y - 1, 45, 14);
    }

    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        if (auto* button = qobject_cast<QPushButton*>(it.value())) {
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, id = it.key()] { OnCommand(id); });
        }
    }
    for (int id : kStartDisabled)
        Control(id)->setEnabled(false);

    // Template 192 has no control for the import: it is the page's context command. It
    // follows the import row, which nothing on the page enables.
    m_contextMenu = new QMenu(this);
    QAction* import = m_contextMenu->addAction(QStringLiteral("Import Setting..."));
    import->setData(kImportCommandId);
    connect(import, &QAction::triggered, this, [this] { OnCommand(kImportCommandId); });
    connect(m_contextMenu, &QMenu::aboutToShow, this,
            [this, import] { import->setEnabled(Control(IDC_IMPORT_PATH)->isEnabled()); });
}

// Screen readers and automation find each control by a name of its own: a field by the label
// of its row, a repeated caption ("Read", "Write", "On", "Off") with the row it stands in. Tab
// goes down the settings column, row by row from left to right, then down the alarm column.
void CGps_Control::NameControlsAndOrderTabs() {
    QList<QWidget*> chain;
    const auto name = [&](int id, const QString& text) {
        QWidget* control = Control(id);
        control->setAccessibleName(text);
        chain.append(control);
    };
    name(IDC_ID, QStringLiteral("ID"));
    name(1006, QStringLiteral("ID Read"));
    name(1245, QStringLiteral("ID Write"));
    name(IDC_IMEI, QStringLiteral("IMEI"));
    name(1246, QStringLiteral("IMEI Read"));
    name(1024, QStringLiteral("IMEI Write"));
    name(IDC_PASSWORD, QStringLiteral("Password"));
    name(1025, QStringLiteral("Password Read"));
    name(1008, QStringLiteral("Password Write"));
    name(IDC_IP, QStringLiteral("IP"));
    name(IDC_PORT, QStringLiteral("Port"));
    name(1009, QStringLiteral("IP Read"));
    name(1247, QStringLiteral("IP Write"));
    name(IDC_APN, QStringLiteral("APN"));
    name(1250, QStringLiteral("APN Read"));
    name(1251, QStringLiteral("APN Write"));
    name(IDC_TIMEZONE, QStringLiteral("Time Zone"));
    name(1049, QStringLiteral("Time Zone Read"));
    name(1051, QStringLiteral("Time Zone Write"));
    name(IDC_MODE, QStringLiteral("Mode"));
    name(1260, QStringLiteral("Mode Read"));
    name(IDC_MODE_WRITE, QStringLiteral("Mode Write"));
    name(IDC_INTERVAL_ON, QStringLiteral("Report Interval ACC ON/Move"));
    name(IDC_INTERVAL_OFF, QStringLiteral("Report Interval ACC OFF/Static"));
    name(1302, QStringLiteral("Report Interval Read"));
    name(1303, QStringLiteral("Report Interval Write"));
    name(IDC_CLOCK, QStringLiteral("Clock"));
    name(IDC_CAL_TIME, QStringLiteral("Cal Time"));
    name(IDC_EXPORT_PATH, QStringLiteral("Export Setting"));
    name(IDC_EXPORT, QStringLiteral("Export Setting Read"));
    name(IDC_IMPORT_PATH, QStringLiteral("Import Setting"));
    name(IDC_IMPORT_WRITE, QStringLiteral("Import Setting Write"));
    for (std::size_t i = 0; i < kWakeupBoxes.size(); ++i) {
        const QString slot = QStringLiteral("Wakeup T%1").arg(i + 1);
        name(kWakeupBoxes[i], slot);
        name(kWakeupPickers[i], slot + QStringLiteral(" time"));
    }
    Control(IDC_WEEK_TIME_LABEL)->setAccessibleName(QStringLiteral("Time"));
    name(IDC_WEEK_TIME, QStringLiteral("Week Mode Time"));
    for (int id : kDayBoxes)
        name(id, ControlAs<QCheckBox>(id)->text());
    for (const AlarmRow& row : kAlarmRows) {
        const QString alarm = QString::fromLatin1(row.caption);
        Control(row.label)->setAccessibleName(alarm);
        name(row.on, alarm + QStringLiteral(" On"));
        name(row.off, alarm + QStringLiteral(" Off"));
        name(row.read, alarm + QStringLiteral(" Read"));
        name(row.write, alarm + QStringLiteral(" Write"));
    }
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

QSize CGps_Control::sizeHint() const {
    return m_templateSize;
}

// Smaller than the template, controls would overlap and captions be cut: a host that cannot
// give the page this much lets it scroll instead.
QSize CGps_Control::minimumSizeHint() const {
    return m_templateSize;
}

void CGps_Control::OnInitDialog() {
    ControlAs<QDateTimeEdit>(IDC_CLOCK)->setDisplayFormat(kClockFormat);
    for (int id : kWakeupPickers)
        ControlAs<QDateTimeEdit>(id)->setDisplayFormat(kTimeFormat);
    ControlAs<QDateTimeEdit>(IDC_WEEK_TIME)->setDisplayFormat(kTimeFormat);
    // Pickers start at the current time, as the system's own do.
    const QTime now = QTime::currentTime();
    for (int id : kWakeupPickers)
        ControlAs<QDateTimeEdit>(id)->setTime(now);
    ControlAs<QDateTimeEdit>(IDC_WEEK_TIME)->setTime(now);
    ControlAs<QDateTimeEdit>(IDC_CLOCK)->setDateTime(QDateTime::currentDateTime());

    auto* mode = ControlAs<QComboBox>(IDC_MODE);
    for (std::u16string_view name : ModeNames())
        mode->addItem(FromView(name));
    mode->setCurrentIndex(1); // "Normal Mode"

    devicePassword = FromView(kFactoryPassword);
    // Input limits are those of CreateControls' validators.

    m_timerClock = new QTimer(this);
    m_timerClock->setInterval(kClockTimerMs);
    connect(m_timerClock, &QTimer::timeout, this, &CGps_Control::OnClockTick);
    m_timerClock->start();

    m_timerImport = new QTimer(this);
    m_timerImport->setInterval(kImportTimerMs);
    connect(m_timerImport, &QTimer::timeout, this, &CGps_Control::OnImportTick);
}

QLineEdit* CGps_Control::Edit(int id) const {
    return ControlAs<QLineEdit>(id);
}

bool CGps_Control::ImportSenderRunning() const {
    return m_timerImport->isActive();
}

bool CGps_Control::ClockRunning() const {
    return m_timerClock->isActive();
}

void CGps_Control::SetEnabled(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids)
        Control(id)->setEnabled(enabled);
}

void CGps_Control::Send(std::u16string_view command) {
    if (!m_pSender)
        return;
    if (!SendDeviceCommand(*m_pSender, command))
        Refuse(QStringLiteral("The command is too long for the device (at most %1 characters).")
                   .arg(kMaxDeviceCommandLength));
}

void CGps_Control::Refuse(const QString& message) {
    AppMessageBox(this, QMessageBox::Warning, message);
}

bool CGps_Control::OnCommand(int id) {
    for (const ReadButton& b : kReadButtons) {
        if (b.id == id) {
            Read(id);
            return true;
        }
    }
    for (const WriteButton& b : kWriteButtons) {
        if (b.id == id) {
            Write(id);
            return true;
        }
    }
    for (const AlarmRow& row : kAlarmRows) {
        if (row.write == id) {
            WriteAlarm(id);
            return true;
        }
    }
    switch (id) {
    case IDC_MODE_WRITE:
        ModeWriteClicked();
        return true;
    case IDC_CAL_TIME:
        CalTime();
        return true;
    case IDC_IMPORT_WRITE:
        StartImportSender();
        return true;
    case IDC_EXPORT:
        return true; // the export row has no action
    case kImportCommandId:
        ImportFileCommand();
        return true;
    default:
        return false;
    }
}

void CGps_Control::Read(int id) {
    for (const ReadButton& b : kReadButtons) {
        if (b.id != id)
            continue;
        // Only the selected part goes, as a Delete of the selection would.
        for (int editId : b.cleared) {
            if (QLineEdit* edit = editId ? Edit(editId) : nullptr; edit && edit->hasSelectedText())
                edit->del();
        }
        Send(ReadCommand(b.target, View(devicePassword)));
        return;
    }
}

void CGps_Control::Write(int id) {
    for (const WriteButton& b : kWriteButtons) {
        if (b.id != id)
            continue;
        const QString value = Edit(b.value)->text();
        const QString second = b.second ? Edit(b.second)->text() : QString();
        const CommandCheck check =
            WriteSetting(b.kind, View(devicePassword), View(value), View(second));
        if (!check.ok()) {
            Refuse(FromView(check.message));
            return;
        }
        Send(check.command);
        return;
    }
}

void CGps_Control::WriteAlarm(int id) {
    for (const AlarmRow& row : kAlarmRows) {
        if (row.write == id) {
            Send(AlarmCommand(row.alarm, ControlAs<QRadioButton>(row.on)->isChecked()));
            return;
        }
    }
}

void CGps_Control::ModeWriteClicked() {
    std::array<WakeupSlot, 4> wakeups{};
    for (std::size_t i = 0; i < wakeups.size(); ++i) {
        const QTime t = ControlAs<QDateTimeEdit>(kWakeupPickers[i])->time();
        wakeups[i] = {ControlAs<QCheckBox>(kWakeupBoxes[i])->isChecked(), t.hour(), t.minute()};
    }
    WeekSchedule week;
    const QTime weekTime = ControlAs<QDateTimeEdit>(IDC_WEEK_TIME)->time();
    week.hour = weekTime.hour();
    week.minute = weekTime.minute();
    for (std::size_t i = 0; i < kDayBoxes.size(); ++i)
        week.days[i] = ControlAs<QCheckBox>(kDayBoxes[i])->isChecked();
    const CommandCheck check =
        ModeWrite(ControlAs<QComboBox>(IDC_MODE)->currentIndex(), wakeups, week);
    if (!check.ok()) {
        Refuse(FromView(check.message));
        return;
    }
    Send(check.command);
}

void CGps_Control::OnModeSelectionChange() {
    const int selected = ControlAs<QComboBox>(IDC_MODE)->currentIndex();
    const bool day = selected == kDayModePosition;
    const bool week = selected == kWeekModePosition;
    SetEnabled(kWakeupGroup, day);
    SetEnabled(kWeekGroup, week);
    SetEnabled(kAlarmGroup, day || week);
}

void CGps_Control::CalTime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    Send(TimeCalibrationCommand({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()}));
}

void CGps_Control::OnClockTick() {
    ControlAs<QDateTimeEdit>(IDC_CLOCK)->setDateTime(QDateTime::currentDateTime());
}

void CGps_Control::ImportFileCommand() {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("TXT Files (*.txt)"), QStringLiteral("All Files (*)")});
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ImportConfigFile(dialog.selectedFiles().constFirst());
}

bool CGps_Control::ImportConfigFile(const QString& path) {
    Edit(IDC_IMPORT_PATH)->setText(path);
    const JoinedTextFile file =
        ReadJoinedTextFile(std::filesystem::path(QFile::encodeName(path).toStdString()));
    if (!file.ok) {
        // The previous list stays: a file that could not be read replaces nothing.
        AppMessageBox(this, QMessageBox::Critical,
                      QStringLiteral("File Error!\n") + QString::fromLocal8Bit(file.error));
        return false;
    }
    const ConfigFileResult result = ParseConfigFile(file.text, importCommands);
    // A sender still going through the old list must not carry on in the new one.
    m_timerImport->stop();
    importIndex = 0;
    if (result.tooManyCommands)
        AppMessageBox(this, QMessageBox::Critical, FromView(kTooManyCommandsMessage),
                      QMessageBox::Ok, QStringLiteral("GPS"));
    if (result.missingHashCount > 0) {
        QStringList commands;
        for (const std::u16string& command : result.missingHash)
            commands << QString::fromStdU16String(command);
        if (result.missingHashCount > result.missingHash.size())
            commands << QStringLiteral("…");
        AppMessageBox(this, QMessageBox::Critical,
                      FromView(kMissingHashMessage) + QLatin1Char('\n') +
                          commands.join(QLatin1Char('\n')),
                      QMessageBox::Ok, QStringLiteral("GPS"));
    }
    if (result.overlongSkipped > 0)
        Refuse(QStringLiteral("%1 command(s) of the file are too long for the device and were "
                              "left out.")
                   .arg(result.overlongSkipped));
    return true;
}

void CGps_Control::StartImportSender() {
    m_timerImport->start(); // restarts the period when already running
}

void CGps_Control::OnImportTick() {
    const std::optional<std::u16string_view> command =
        NextImportCommand(importCommands, importIndex);
    if (!command) {
        m_timerImport->stop();
        return;
    }
    Send(*command);
}

void CGps_Control::ApplyDeviceReply(ReplyType replyType, std::u16string_view reply) {
    static constexpr int kEditOfType[] = {
        0,        IDC_ID,  IDC_IMEI,     IDC_PASSWORD,    IDC_IP,
        IDC_PORT, IDC_APN, IDC_TIMEZONE, IDC_INTERVAL_ON, IDC_INTERVAL_OFF};
    const int type = static_cast<int>(replyType);
    const QString text = QString::fromStdU16String(std::u16string(reply));
    if (type >= 1 && type <= 9) {
        // The device's value is shown whole, even where it is longer than the operator may type.
        CInputLimitValidator::SetTextWhole(Edit(kEditOfType[type]), text);
        if (type == static_cast<int>(ReplyType::Password))
            devicePassword = text;
        return;
    }
    if (type == 10 || type == 11) {
        const AlarmRow& row = kAlarmRows[type == 10 ? 0 : 1];
        auto* on = ControlAs<QRadioButton>(row.on);
        auto* off = ControlAs<QRadioButton>(row.off);
        if (text.contains(QStringLiteral("ON,"))) {
            on->setChecked(true);
            off->setChecked(false);
        } else if (text.contains(QStringLiteral("OFF,"))) {
            off->setChecked(true);
            on->setChecked(false);
        }
    }
}

void CGps_Control::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // Replies are recognised only in short chunks: the device's GPS output stays off while
    // this page is on screen.
    Send(DeviceCommands::kGpsTestOutputOff);
}

void CGps_Control::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QList<QWidget*> controls;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            controls.append(child);
    }
    m_layout.Resize(event->size(), controls);
}

void CGps_Control::contextMenuEvent(QContextMenuEvent* event) {
    m_contextMenu->popup(event->globalPos());
}
