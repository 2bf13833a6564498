#include "devicetest/CGpsTest_wnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "device/DeviceCommand.h"
#include "device/ILineSender.h"
#include "device/Local8Bit.h"
#include "devicetest/BuildFailText.h"
#include "devicetest/DeviceTestCommands.h"
#include "devicetest/LoadParameterFile.h"
#include "devicetest/PassFlags.h"
#include "devicetest/ReadChunk.h"
#include "devicetest/ToggleAlternation.h"
#include "devicetest/VerifyDeviceParameters.h"
#include "uisupport/DialogUnits.h"
#include "uisupport/ProportionalChildLayout.h"
#include "uisupport/UiHooks.h"

const QString CGpsTest_wnd::kStartCaption = QStringLiteral("开始测试");
const QString CGpsTest_wnd::kStopCaption = QStringLiteral("Stop Test");

namespace {

const QString kBoxTitle = QStringLiteral("GPS");
constexpr int kFirstItemTimer = 1;
constexpr int kLastItemTimer = 6;
constexpr int kAutoStartTimer = 12;
constexpr int kReadParameterTimer = 13;
constexpr int kKeepAwakeTimer = 14;
constexpr int kSecondsTimer = 16;
constexpr int kVerdictTimer = 18;
constexpr int kRelayTimer = 19;
constexpr int kBeepTimer = 20;

QString FromU16(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Leading decimal digits of the time limit, 0 when there are none. Saturates instead of
// overflowing: a pasted huge number simply means "never" in practice.
std::int64_t LeadingNumber(const QString& text) {
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = std::min<std::int64_t>(value * 10 + (c.unicode() - u'0'),
                                       std::numeric_limits<std::int32_t>::max());
    }
    return value;
}

QFont FancyFont(int pixelHeight, bool boldItalic) {
    QFont font(QStringLiteral("华文彩文"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    if (boldItalic) {
        font.setWeight(QFont::Bold);
        font.setItalic(true);
    }
    return font;
}

} // namespace

CGpsTest_wnd::CGpsTest_wnd(ILineSender* sender, QWidget* parent)
    : QWidget(parent), m_sender(sender) {
    setObjectName(QStringLiteral("Factory Test"));
    // Template 160 is laid out for "宋体" 8 points; any CJK-capable substitute keeps it readable.
    QFont dialogFont(QStringLiteral("宋体"), 8);
    dialogFont.setStyleHint(QFont::SansSerif);
    setFont(dialogFont);
    m_iconNotPassed = QPixmap(QStringLiteral(":/bitmaps/168.png"));
    m_iconPassed = QPixmap(QStringLiteral(":/bitmaps/169.png"));
    m_resultIcons.fill(kIconNotPassed);
    CreateControls();
    const DialogUnits du(*this);
    setMinimumSize(0, 0);
    resize(du.Size(300, 292));
}

CGpsTest_wnd::~CGpsTest_wnd() {
    for (QTimer* timer : std::as_const(m_timers))
        timer->stop();
}

template <class T> T* CGpsTest_wnd::Add(int id, T* control, int x, int y, int w, int h) {
    const DialogUnits du(*this);
    control->setObjectName(QString::number(id));
    control->setGeometry(du.Rect(x, y, w, h));
    control->installEventFilter(this);
    m_controls.insert(id, control);
    return control;
}

void CGpsTest_wnd::CreateControls() {
    // Group boxes first so that the controls on top of them stay clickable.
    Add(IDC_GROUP_TEST, new QGroupBox(QStringLiteral("Test"), this), 5, 6, 151, 218);
    Add(IDC_GROUP_PARAMETER, new QGroupBox(QStringLiteral("Parameter "), this), 160, 6, 132, 211);
    Add(IDC_GROUP_LOG, new QGroupBox(QStringLiteral("Test LOG"), this), 5, 224, 148, 65);

    Add(IDC_STATIC_ITEM, new QLabel(QStringLiteral("Item"), this), 14, 16, 40, 16);
    Add(IDC_STATIC_RESULT, new QLabel(QStringLiteral("Result"), this), 74, 16, 40, 16);

    static constexpr std::array<const char*, kTestItemCount> kCaptions{
        "SIM Card", "GSM Network", "GPS Fixed", "Gsensor", "ACC", "EXT Power"};
    static constexpr std::array<int, kTestItemCount> kCheckY{46, 71, 97, 126, 151, 177};
    static constexpr std::array<int, kTestItemCount> kCheckW{44, 58, 51, 44, 44, 44};
    static constexpr std::array<int, kTestItemCount> kIconY{38, 65, 92, 119, 145, 172};
    static constexpr std::array<int, kTestItemCount> kButtonY{44, 69, 96, 124, 149, 175};
    for (std::size_t i = 0; i < kTestItemCount; ++i) {
        m_checkItems[i] =
            Add(kItemCheckIds[i], new QCheckBox(QString::fromLatin1(kCaptions[i]), this), 16,
                kCheckY[i], kCheckW[i], 10);
        m_iconResults[i] = Add(kItemIconIds[i], new QLabel(this), 74, kIconY[i], 20, 20);
        // Drawn at the icon's own size from the control's corner, as an icon static does.
        m_iconResults[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_iconResults[i]->setPixmap(m_iconNotPassed);
        auto* button = Add(kItemButtonIds[i], new QPushButton(QStringLiteral("TEST"), this), 111,
                           kButtonY[i], 34, 15);
        connect(button, &QPushButton::clicked, this, [this, i] { OnSingleTest(i); });
    }

    m_checkAll = Add(IDC_CHECK_ALL, new QCheckBox(QStringLiteral("All"), this), 16, 200, 36, 10);
    connect(m_checkAll, &QCheckBox::clicked, this, &CGpsTest_wnd::OnAll);
    m_checkAutoTest =
        Add(IDC_CHECK_AUTOTEST, new QCheckBox(QStringLiteral("Auto Test"), this), 66, 200, 42, 10);
    m_buttonStart = Add(IDC_BUTTON_START, new QPushButton(kStartCaption, this), 111, 196, 34, 15);
    connect(m_buttonStart, &QPushButton::clicked, this, &CGpsTest_wnd::OnStart);

    m_editParameter = Add(IDC_EDIT_PARAMETER, new QTextEdit(this), 160, 20, 132, 183);
    m_editParameter->setReadOnly(true);
    m_editParameter->setAcceptRichText(false);
    m_editParameter->setAlignment(Qt::AlignHCenter);
    m_editParameter->setFont(FancyFont(20, true));
    m_editParameter->setStyleSheet(
        QStringLiteral("QTextEdit { color: rgb(255,255,0); background-color: black; }"));

    m_checkImei =
        Add(IDC_CHECK_IMEI, new QCheckBox(QStringLiteral("Check IMEI"), this), 169, 207, 56, 10);
    auto* readParameter =
        Add(IDC_BUTTON_READPARAMETER, new QPushButton(QStringLiteral("Read Parameter"), this), 229,
            205, 72, 14);
    connect(readParameter, &QPushButton::clicked, this, &CGpsTest_wnd::OnReadParameter);

    m_editLog = Add(IDC_EDIT_LOG, new QPlainTextEdit(this), 5, 233, 151, 49);
    m_editLog->setReadOnly(true);
    m_editLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editLog->setStyleSheet(
        QStringLiteral("QPlainTextEdit { color: rgb(0,255,0); background-color: black; }"));

    m_editParameterFile = Add(IDC_EDIT_PARAMETERFILE, new QLineEdit(this), 159, 223, 79, 14);
    auto* parameterFile =
        Add(IDC_BUTTON_PARAMETERFILE, new QPushButton(QStringLiteral("Parameter File"), this), 250,
            223, 42, 14);
    connect(parameterFile, &QPushButton::clicked, this, &CGpsTest_wnd::OnParameterFile);

    // The labels have no brush of their own: the page shows through.
    const auto plainLabel = [this](int id, const QString& text, int x, int y, int w, int h,
                                   const char* colour) {
        QLabel* label = Add(id, new QLabel(text, this), x, y, w, h);
        label->setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; }")
                                 .arg(QLatin1String(colour)));
        return label;
    };
    plainLabel(IDC_STATIC_ONTIME, QStringLiteral("ON TIME"), 156, 245, 56, 15, "rgb(0,0,255)");
    m_staticSeconds =
        plainLabel(IDC_STATIC_SECONDS, QStringLiteral("0 sec"), 236, 244, 56, 15, "rgb(200,0,0)");
    m_staticSeconds->setFont(FancyFont(15, false));
    plainLabel(IDC_STATIC_TIMEOUT, QStringLiteral("Timeout"), 156, 274, 56, 15, "rgb(0,0,255)");

    m_editTimeout = Add(IDC_EDIT_TIMEOUT, new QLineEdit(this), 236, 274, 56, 15);
    m_editTimeout->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), m_editTimeout));
    m_editTimeout->setAlignment(Qt::AlignHCenter);
    m_editTimeout->setFont(FancyFont(15, false));
    m_editTimeout->setStyleSheet(
        QStringLiteral("QLineEdit { color: rgb(0,255,0); background-color: black; }"));
    if (m_editTimeout->text().isEmpty())
        m_editTimeout->setText(QStringLiteral("80"));

    for (int id :
         {kFirstItemTimer, 2, 3, 4, 5, kLastItemTimer, kAutoStartTimer, kReadParameterTimer,
          kKeepAwakeTimer, kSecondsTimer, kVerdictTimer, kRelayTimer, kBeepTimer}) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
        m_timers.insert(id, timer);
    }
}

// --- small helpers ---------------------------------------------------------------------------

void CGpsTest_wnd::SetTimer(int id, int ms) {
    m_timers.value(id)->start(ms);
}

void CGpsTest_wnd::KillTimer(int id) {
    m_timers.value(id)->stop();
}

bool CGpsTest_wnd::IsTimerActive(int id) const {
    const QTimer* timer = m_timers.value(id);
    return timer && timer->isActive();
}

// A posted click: handled after the current handler (and inside any open message box's loop).
void CGpsTest_wnd::PostClick(void (CGpsTest_wnd::*handler)()) {
    QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection);
}

void CGpsTest_wnd::InsertLog(const QString& text) {
    if (text.isEmpty())
        return;
    QString lines = text;
    lines.remove(QLatin1Char('\r'));
    // At the caret, replacing any selection: the operator may have moved it on purpose.
    QTextCursor cursor = m_editLog->textCursor();
    cursor.insertText(lines);
    m_editLog->setTextCursor(cursor);
}

void CGpsTest_wnd::InsertLog(std::u16string_view text) {
    InsertLog(FromU16(text));
}

void CGpsTest_wnd::Send(std::u16string_view text) {
    if (m_sender)
        SendDeviceCommand(*m_sender, text);
}

void CGpsTest_wnd::SendAndLog(std::u16string_view text) {
    InsertLog(text);
    Send(text);
}

QString CGpsTest_wnd::LogText() const {
    return m_editLog->toPlainText();
}

QString CGpsTest_wnd::StartCaption() const {
    return m_buttonStart->text();
}

void CGpsTest_wnd::SetResultIcon(std::size_t item, int icon) {
    m_resultIcons.at(item) = icon;
    m_iconResults.at(item)->setPixmap(icon == kIconPassed ? m_iconPassed : m_iconNotPassed);
}

void CGpsTest_wnd::ResetResultIcons() {
    for (std::size_t i = 0; i < kTestItemCount; ++i)
        SetResultIcon(i, kIconNotPassed);
}

void CGpsTest_wnd::SetSecondsLabel(const char* format, int value) {
    m_staticSeconds->setText(QString::asprintf(format, value));
}

QWidget* CGpsTest_wnd::BoxParent() {
    // Modal to the main window, as the operator expects of a verdict.
    return window();
}

void CGpsTest_wnd::Box(int icon, const QString& text) {
    AppMessageBox(BoxParent(), static_cast<QMessageBox::Icon>(icon), text, QMessageBox::Ok,
                  kBoxTitle);
}

// The verdict box of the previous run, if the operator left it open.
void CGpsTest_wnd::CloseOpenVerdictBoxes() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w != window() && w->isVisible() && w->windowTitle() == kBoxTitle)
            w->close();
    }
}

// --- buttons ---------------------------------------------------------------------------------

void CGpsTest_wnd::OnSingleTest(std::size_t item) {
    SendAndLog(TestItems().at(item).command);
}

void CGpsTest_wnd::OnReadParameter() {
    SendAndLog(DeviceTestCommands::kReadParameters);
}

void CGpsTest_wnd::OnAll() {
    const bool all = m_checkAll->isChecked();
    for (QCheckBox* box : m_checkItems)
        box->setChecked(all);
}

void CGpsTest_wnd::LoadParameterFile(const QString& path) {
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    const LoadParameterFileResult result = ::LoadParameterFile(file, expectedParameters);
    if (!result.ok) {
        // The previous expected values stay in force; the operator must know they do.
        Box(QMessageBox::Critical,
            QStringLiteral("无法读取参数文件 (cannot read the parameter file):\n%1\n%2\n"
                           "仍使用先前的参数 (the previous parameters stay in use).")
                .arg(path, QString::fromLocal8Bit(result.error.c_str())));
    }
}

void CGpsTest_wnd::OnParameterFile() {
    QFileDialog dialog(BoxParent());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("TXT Files (*.txt)"), QStringLiteral("All Files (*.*)")});
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return;
    parameterFilePath = files.front();
    m_editParameterFile->setText(parameterFilePath);
    LoadParameterFile(parameterFilePath);
}

void CGpsTest_wnd::OnStart() {
    if (StartCaption() == kStartCaption) {
        const bool anySelected = std::any_of(m_checkItems.begin(), m_checkItems.end(),
                                             [](const QCheckBox* box) { return box->isChecked(); });
        if (!anySelected) {
            Box(QMessageBox::Critical, QStringLiteral("请选择机型或选择测试项目后再进行测试"));
            return;
        }
        if (m_editParameterFile->text().isEmpty()) {
            Box(QMessageBox::Critical, QStringLiteral("请加载参数文件后开始测试"));
            return;
        }
        CloseOpenVerdictBoxes();
        LoadParameterFile(m_editParameterFile->text());
        SetTimer(kKeepAwakeTimer, 2000);
        elapsedMs = 0;
        passFlags = 0;
        m_editParameter->clear();
        m_editLog->clear();
        ResetResultIcons();
        SetTimer(kFirstItemTimer, 1000);
        SetTimer(kSecondsTimer, 1000);
        SetTimer(kReadParameterTimer, 10000);
        SetTimer(kVerdictTimer, 500);
        SetTimer(kRelayTimer, 700);
        SetTimer(kBeepTimer, 700);
        runSeconds = 0;
        SetSecondsLabel("V %d sec", 0);
        m_buttonStart->setText(kStopCaption);
    } else if (StartCaption() == kStopCaption) {
        StopTest();
        m_buttonStart->setText(kStartCaption);
    }
}

void CGpsTest_wnd::StopTest() {
    for (int id : {kSecondsTimer, kReadParameterTimer, 1, 2, 3, 4, 5, 6, kRelayTimer, kBeepTimer,
                   kVerdictTimer, kKeepAwakeTimer})
        KillTimer(id);
}

// --- the run ---------------------------------------------------------------------------------

void CGpsTest_wnd::OnTimer(int id) {
    std::u16string_view step; // sent (and logged) after the tick's own action
    switch (id) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: {
        const std::size_t item = static_cast<std::size_t>(id - kFirstItemTimer);
        if (m_checkItems[item]->isChecked())
            step = TestItems()[item].command;
        KillTimer(id);
        SetTimer(id == kLastItemTimer ? kFirstItemTimer : id + 1, 1000);
        break;
    }
    case kAutoStartTimer:
        PostClick(&CGpsTest_wnd::OnStart);
        KillTimer(kAutoStartTimer);
        return;
    case kReadParameterTimer:
        PostClick(&CGpsTest_wnd::OnReadParameter);
        return;
    case kKeepAwakeTimer:
        SendAndLog(DeviceTestCommands::kKeepAwake);
        break;
    case kSecondsTimer:
        if (m_editTimeout->text().isEmpty())
            return;
        SetSecondsLabel("V %d sec", runSeconds);
        runSeconds += 1;
        break;
    case kVerdictTimer:
        elapsedMs += 500;
        CheckVerdict();
        break;
    case kRelayTimer:
        SendAndLog(RelayToggleStep());
        break;
    case kBeepTimer:
        SendAndLog(BeepToggleStep());
        break;
    default:
        return;
    }
    // An empty step still puts a bare line on the wire; the device ignores it.
    SendAndLog(step);
}

void CGpsTest_wnd::CheckVerdict() {
    if (AllItemsPassed(passFlags)) {
        elapsedMs = 0;
        passFlags = 0;
        PostClick(&CGpsTest_wnd::OnStart);
        Box(QMessageBox::Warning, FromU16(DeviceTestCommands::kPassText));
        return;
    }
    const QString limitText = m_editTimeout->text();
    if (limitText.isEmpty())
        return;
    const std::int64_t limit = LeadingNumber(limitText);
    if (limit * 1000 < elapsedMs) {
        elapsedMs = 0;
        PostClick(&CGpsTest_wnd::OnStart);
        Box(QMessageBox::Critical, FromU16(BuildFailText(passFlags)));
        // Replies that arrived while the box was open belong to the finished run.
        passFlags = 0;
    }
}

void CGpsTest_wnd::OnReceive(const char* chunk) {
    if (!chunk)
        return;
    const ChunkMeaning meaning = ReadChunk(chunk);
    switch (meaning.kind) {
    case ChunkKind::NewDevice:
        InsertLog(QStringLiteral("检测到新设备**********\r\n"));
        if (m_checkAutoTest->isChecked()) {
            ResetResultIcons();
            m_buttonStart->setText(kStartCaption);
            InsertLog(QStringLiteral("开始自动测试**********\r\n"));
            SetTimer(kAutoStartTimer, 2000);
        }
        break;
    case ChunkKind::ItemResults:
        for (std::size_t i = 0; i < kTestItemCount; ++i) {
            if (meaning.itemResults[i] == ItemResult::NotPassed) {
                SetResultIcon(i, kIconNotPassed);
            } else if (meaning.itemResults[i] == ItemResult::Passed) {
                SetResultIcon(i, kIconPassed);
                passFlags = MarkPassed(passFlags, i);
                if (i == kItemGps) {
                    KillTimer(kSecondsTimer);
                    SetSecondsLabel("A %d sec", runSeconds);
                }
            }
        }
        break;
    case ChunkKind::ParameterBlock:
        if (meaning.parameterBlockTruncated)
            InsertLog(
                QStringLiteral("#参数块超过%1字节, 只取前%1字节\r\n").arg(kMaxParameterBlockBytes));
        HandleParameterBlock(DecodeLocal8Bit(meaning.parameterBlock));
        break;
    case ChunkKind::Nothing:
        break;
    }
}

void CGpsTest_wnd::HandleParameterBlock(const std::u16string& block) {
    m_editParameter->setPlainText(FromU16(block));
    QTextCursor all(m_editParameter->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);

    const ParameterVerdict verdict =
        VerifyDeviceParameters(block, expectedParameters, m_checkImei->isChecked());
    switch (verdict.kind) {
    case ParameterVerdictKind::AllGood:
        return;
    case ParameterVerdictKind::PlaceholderImei:
        elapsedMs = 0;
        passFlags = 0;
        StopTest();
        Box(QMessageBox::Critical, FromU16(DeviceTestCommands::kPlaceholderImeiMessage));
        return;
    case ParameterVerdictKind::Mismatch:
        elapsedMs = 0;
        passFlags = 0;
        if (IsRunning())
            PostClick(&CGpsTest_wnd::OnStart);
        Box(QMessageBox::Critical, FromU16(verdict.mismatchText));
        return;
    }
}

// --- window ----------------------------------------------------------------------------------

void CGpsTest_wnd::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // A label or icon without a background of its own repaints the page beneath it; that is
    // the control's update, not the page coming on screen.
    for (const QWidget* control : std::as_const(m_controls)) {
        if (control->isVisible() && control->geometry().contains(event->rect()))
            return;
    }
    // The device's GPS test output would bury the test replies while this page is on screen.
    Send(DeviceTestCommands::kGpsTestOutputOff);
}

void CGpsTest_wnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    OnSize(event->size().width(), event->size().height());
}

void CGpsTest_wnd::OnSize(int width, int height) {
    m_layout.Resize(QSize(width, height), m_controls.values());
}

bool CGpsTest_wnd::PreTranslateMessage(QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return event->type() == QEvent::KeyPress &&
           (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape);
}

bool CGpsTest_wnd::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Escape never press a button or close anything on this page.
    if (PreTranslateMessage(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void CGpsTest_wnd::keyPressEvent(QKeyEvent* event) {
    if (PreTranslateMessage(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
