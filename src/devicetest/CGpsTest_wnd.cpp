#include "devicetest/CGpsTest_wnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
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
#include <chrono>
#include <limits>
#include <memory>
#include <type_traits>

#include "device/DeviceCommand.h"
#include "device/ILineSender.h"
#include "devicetest/DeviceTestCommands.h"
#include "devicetest/IRunRecordSink.h"
#include "devicetest/LoadParameterFile.h"
#include "devicetest/TestRecordFromRun.h"
#include "uisupport/CaptionFit.h"
#include "uisupport/DialogUnits.h"
#include "uisupport/ProportionalChildLayout.h"
#include "uisupport/UiHooks.h"
#include "version/TollbrookVersion.h"

const QString CGpsTest_wnd::kStartCaption = QStringLiteral("开始测试");
const QString CGpsTest_wnd::kStopCaption = QStringLiteral("Stop Test");

namespace {

const QString kBoxTitle = QStringLiteral("GPS");

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
    NameControlsAndOrderTabs();
    // Last, when every control has its font: a caption is measured in its control's own.
    FitCaptions(m_controls.values());
    const DialogUnits du(*this);
    m_templateSize = du.Size(kTemplateWidth, kTemplateHeight);
    setMinimumSize(0, 0);
    resize(m_templateSize);
    // The controls stand where the template puts them for this size: the first size the page
    // is given (already the tab's, by the time the page is shown) scales them from here.
    m_layout.SetPreviousSize(m_templateSize);

    // One single-shot timer, set to the run's next step each time the run has been fed.
    m_tick = new QTimer(this);
    m_tick->setSingleShot(true);
    m_tick->setTimerType(Qt::PreciseTimer);
    connect(m_tick, &QTimer::timeout, this, &CGpsTest_wnd::OnClockTick);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    SetClock([elapsed] { return std::int64_t{elapsed->elapsed()}; });
    SyncOptions();
}

CGpsTest_wnd::~CGpsTest_wnd() {
    m_tick->stop();
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
    m_editLog->setMaximumBlockCount(kLogMaxLines); // the oldest lines go
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

    // The run reads the operator's choices as they stand: a change counts from its next step.
    for (QCheckBox* box : m_checkItems)
        connect(box, &QCheckBox::toggled, this, &CGpsTest_wnd::SyncOptions);
    connect(m_checkAutoTest, &QCheckBox::toggled, this, &CGpsTest_wnd::SyncOptions);
    connect(m_checkImei, &QCheckBox::toggled, this, &CGpsTest_wnd::SyncOptions);
    connect(m_editTimeout, &QLineEdit::textChanged, this, &CGpsTest_wnd::SyncOptions);
}

// Screen readers and automation find each control by a name of its own: the caption, or for
// a repeated caption or a field the row it stands in. Tab follows the page from the item
// column down to the log, then the parameter column.
void CGpsTest_wnd::NameControlsAndOrderTabs() {
    static constexpr std::array<const char*, kTestItemCount> kItems{
        "SIM Card", "GSM Network", "GPS Fixed", "Gsensor", "ACC", "EXT Power"};
    QList<QWidget*> chain;
    for (std::size_t i = 0; i < kTestItemCount; ++i) {
        const QString item = QString::fromLatin1(kItems[i]);
        m_checkItems[i]->setAccessibleName(item);
        m_iconResults[i]->setAccessibleName(item + QStringLiteral(" result"));
        QWidget* test = m_controls.value(kItemButtonIds[i]);
        test->setAccessibleName(item + QStringLiteral(" TEST"));
        chain << m_checkItems[i] << test;
    }
    m_checkAll->setAccessibleName(QStringLiteral("All"));
    m_checkAutoTest->setAccessibleName(QStringLiteral("Auto Test"));
    // The Start button's name is its caption, which tells whether a run is going.
    m_editLog->setAccessibleName(QStringLiteral("Test LOG"));
    m_editParameter->setAccessibleName(QStringLiteral("Parameter"));
    m_checkImei->setAccessibleName(QStringLiteral("Check IMEI"));
    QWidget* readParameter = m_controls.value(IDC_BUTTON_READPARAMETER);
    readParameter->setAccessibleName(QStringLiteral("Read Parameter"));
    m_editParameterFile->setAccessibleName(QStringLiteral("Parameter file path"));
    QWidget* parameterFile = m_controls.value(IDC_BUTTON_PARAMETERFILE);
    parameterFile->setAccessibleName(QStringLiteral("Parameter File"));
    m_staticSeconds->setAccessibleName(QStringLiteral("ON TIME"));
    m_editTimeout->setAccessibleName(QStringLiteral("Timeout"));
    chain << m_checkAll << m_checkAutoTest << m_buttonStart << m_editLog << m_editParameter
          << m_checkImei << readParameter << m_editParameterFile << parameterFile << m_editTimeout;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

QSize CGpsTest_wnd::sizeHint() const {
    return m_templateSize;
}

// Smaller than the template, the captions no longer fit: a host that cannot give the page
// this much lets it scroll instead.
QSize CGpsTest_wnd::minimumSizeHint() const {
    return m_templateSize;
}

// --- the run -----------------------------------------------------------------------------------

TestRunOptions CGpsTest_wnd::ReadOptions() const {
    TestRunOptions options;
    for (std::size_t i = 0; i < kTestItemCount; ++i)
        options.selectedItems[i] = m_checkItems[i]->isChecked();
    const QString limit = m_editTimeout->text();
    if (limit.isEmpty())
        options.timeLimitSeconds.reset();
    else
        options.timeLimitSeconds = LeadingNumber(limit);
    options.autoTest = m_checkAutoTest->isChecked();
    options.checkImei = m_checkImei->isChecked();
    return options;
}

void CGpsTest_wnd::SyncOptions() {
    m_run.SetOptions(ReadOptions());
}

void CGpsTest_wnd::SetClock(std::function<std::int64_t()> nowMs) {
    m_clock = std::move(nowMs);
    m_lastTickMs = m_clock();
    ScheduleTick();
}

void CGpsTest_wnd::OnClockTick() {
    CatchUp();
}

// Steps that fell due since the run last heard of the time come before any new input.
void CGpsTest_wnd::CatchUp() {
    const std::int64_t now = m_clock();
    const std::int64_t elapsed = now - m_lastTickMs;
    m_lastTickMs = now;
    Carry(m_run.Advance(elapsed));
}

void CGpsTest_wnd::ScheduleTick() {
    const std::optional<std::int64_t> next = m_run.MsToNextDue();
    if (!next) {
        m_tick->stop();
        return;
    }
    const std::int64_t sinceLastTick = m_clock() - m_lastTickMs;
    m_tick->start(static_cast<int>(
        std::clamp<std::int64_t>(*next - sinceLastTick, 0, std::numeric_limits<int>::max())));
}

void CGpsTest_wnd::Carry(const TestRun::Actions& actions) {
    // The record goes first: a verdict box waits for the operator, the record must not.
    HandOverEndedRuns();
    for (const TestRunAction& action : actions)
        Carry(action);
    ScheduleTick();
}

void CGpsTest_wnd::HandOverEndedRuns() {
    for (const EndedRun& ended : m_run.TakeEndedRuns()) {
        if (!m_recordSink)
            continue;
        RunRecordContext context;
        context.finishedAt = IsoUtc(std::chrono::system_clock::now());
        context.startedAt = m_runStartedAt.empty() ? context.finishedAt : m_runStartedAt;
        context.station = m_recordSink->Station();
        context.operatorName = m_recordSink->OperatorName();
        context.parameterFile = m_runParameterFile.toStdString();
        context.appVersion = kTollbrookVersion;
        context.source = RecordSource::Page;
        context.interrupted = ended.interrupted;
        m_recordSink->Submit(TestRecordFromRun(ended.report, context));
    }
}

void CGpsTest_wnd::EndRunForShutdown() {
    const TestRun::State state = m_run.GetState();
    if (state != TestRun::State::Running && state != TestRun::State::Superseded)
        return;
    m_tick->stop();
    m_run.Stop();
    HandOverEndedRuns();
}

// A message box waits in a nested event loop: ticks and chunks that arrive meanwhile are fed
// to the run and carried out in turn, as before the box.
void CGpsTest_wnd::Carry(const TestRunAction& action) {
    using namespace TestRunActions;
    std::visit(
        [this](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, TestRunActions::Send>) {
                InsertLog(a.command);
                Send(a.command);
            } else if constexpr (std::is_same_v<A, Log>) {
                InsertLog(a.text);
            } else if constexpr (std::is_same_v<A, ClearRunDisplays>) {
                m_editParameter->clear();
                m_editLog->clear();
            } else if constexpr (std::is_same_v<A, SetIcon>) {
                SetResultIcon(a.item, a.passed ? kIconPassed : kIconNotPassed);
            } else if constexpr (std::is_same_v<A, ShowSeconds>) {
                const QChar prefix = a.kind == SecondsKind::RunTime ? u'V' : u'A';
                m_staticSeconds->setText(QStringLiteral("%1 %2 sec").arg(prefix).arg(a.seconds));
            } else if constexpr (std::is_same_v<A, StartButtonCaption>) {
                m_buttonStart->setText(a.stopTest ? kStopCaption : kStartCaption);
            } else if constexpr (std::is_same_v<A, TestRunActions::ShowParameterBlock>) {
                ShowParameterBlock(a.block);
            } else if constexpr (std::is_same_v<A, ShowVerdict>) {
                const bool passed = a.kind == VerdictKind::Passed;
                Box(passed ? QMessageBox::Warning : QMessageBox::Critical, FromU16(a.text));
                if (!passed)
                    m_run.FailVerdictDismissed();
            } else if constexpr (std::is_same_v<A, ShowFault>) {
                Box(QMessageBox::Critical, FromU16(a.text));
            } else {
                static_assert(std::is_same_v<A, RequestStart>);
                OnStart();
            }
        },
        action);
}

// --- small helpers ---------------------------------------------------------------------------

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

void CGpsTest_wnd::ShowParameterBlock(const std::u16string& block) {
    m_editParameter->setPlainText(FromU16(block));
    QTextCursor all(m_editParameter->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
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
    CatchUp();
    Carry(m_run.SingleTest(item));
}

void CGpsTest_wnd::OnReadParameter() {
    CatchUp();
    Carry(m_run.ReadParameter());
}

void CGpsTest_wnd::OnAll() {
    const bool all = m_checkAll->isChecked();
    for (QCheckBox* box : m_checkItems)
        box->setChecked(all);
}

bool CGpsTest_wnd::ReadParameterFile(const QString& path, QString& error) {
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    ExpectedParameters expected = m_run.Expected();
    const LoadParameterFileResult result = ::LoadParameterFile(file, expected);
    if (!result.ok) {
        error = QString::fromLocal8Bit(result.error.c_str());
        return false;
    }
    m_run.SetExpectedParameters(expected);
    m_readParameterFile = path;
    return true;
}

// The values in force are those of the last file read, if any: the message names it.
void CGpsTest_wnd::ReportUnreadableFile(const QString& path, const QString& error) {
    const QString inUse =
        m_run.HasParameterFile()
            ? QStringLiteral("继续使用先前读取的参数文件 (the values of the file read before "
                             "stay in use):\n%1")
                  .arg(m_readParameterFile)
            : QStringLiteral("尚未读取任何参数文件 (no parameter file has been read).");
    Box(QMessageBox::Critical,
        QStringLiteral("无法读取参数文件 (cannot read the parameter file):\n%1\n%2\n%3")
            .arg(path, error, inUse));
}

bool CGpsTest_wnd::LoadParameterFile(const QString& path) {
    QString error;
    if (ReadParameterFile(path, error))
        return true;
    ReportUnreadableFile(path, error);
    return false;
}

void CGpsTest_wnd::OnParameterFile() {
    QFileDialog dialog(BoxParent());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("TXT Files (*.txt)"), QStringLiteral("All Files (*)")});
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return;
    parameterFilePath = files.front();
    m_editParameterFile->setText(parameterFilePath);
    LoadParameterFile(parameterFilePath);
}

// The operator's click, and the automatic start after a new device's banner.
void CGpsTest_wnd::OnStart() {
    CatchUp();
    if (m_run.StartButtonReadsStop()) {
        Carry(m_run.Stop());
        return;
    }
    const bool haveParameterFile = !m_editParameterFile->text().isEmpty();
    if (const auto refusal = m_run.StartRefusal(haveParameterFile)) {
        Box(QMessageBox::Critical, FromU16(*refusal));
        return;
    }
    CloseOpenVerdictBoxes();
    const QString path = m_editParameterFile->text();
    QString error;
    if (!ReadParameterFile(path, error)) {
        // Without any file read, a run would check no parameter at all.
        if (const auto refusal = m_run.UnreadableFileRefusal()) {
            Box(QMessageBox::Critical, FromU16(*refusal));
            return;
        }
        ReportUnreadableFile(path, error);
    }
    const TestRun::Actions actions = m_run.Start();
    // A superseded run ends at this start: its record keeps its own start time.
    HandOverEndedRuns();
    m_runStartedAt = IsoUtc(std::chrono::system_clock::now());
    // The values in force are those of the last file read (this one, unless it was unreadable).
    m_runParameterFile = m_readParameterFile;
    Carry(actions);
}

void CGpsTest_wnd::OnReceive(std::string_view chunk) {
    CatchUp();
    Carry(m_run.Receive(chunk));
}

void CGpsTest_wnd::OnSourceLost() {
    CatchUp();
    Carry(m_run.SourceLost());
}

// --- window ----------------------------------------------------------------------------------

void CGpsTest_wnd::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // Only a paint of the whole page is the page coming on screen (shown, uncovered, resized).
    // A label or icon without a background of its own repaints its patch of the page beneath
    // it, and several such patches are often painted together during a run: none of that is.
    // In a host that scrolls, the whole page is the part of it in view.
    if (!(visibleRegion() - event->region()).isEmpty())
        return;
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
