#pragma once
// The "Factory Test" page: a view of the factory test run (TestRun). It turns the operator's
// clicks, received chunks and the passing of time into inputs of the run and carries out what
// the run answers: commands to send, log lines, icons, labels and message boxes.

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "device/IReceiveChunkConsumer.h"
#include "devicetest/TestItem.h"
#include "devicetest/TestRun.h"
#include "uisupport/ProportionalChildLayout.h"

class ILineSender;
class IRunRecordSink;
class QCheckBox;
class QFont;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class QTimer;

class CGpsTest_wnd : public QWidget, public IReceiveChunkConsumer {
    Q_OBJECT
public:
    // Control ids of template 160.
    enum ControlId {
        IDC_GROUP_TEST = 1235,
        IDC_STATIC_ITEM = 1236,
        IDC_STATIC_RESULT = 1206,
        IDC_CHECK_ALL = 1182,
        IDC_CHECK_AUTOTEST = 1119,
        IDC_BUTTON_START = 1051,
        IDC_GROUP_PARAMETER = 1239,
        IDC_EDIT_PARAMETER = 1031,
        IDC_CHECK_IMEI = 1012,
        IDC_BUTTON_READPARAMETER = 1022,
        IDC_GROUP_LOG = 1243,
        IDC_EDIT_LOG = 1007,
        IDC_EDIT_PARAMETERFILE = 1308,
        IDC_BUTTON_PARAMETERFILE = 1310,
        IDC_STATIC_ONTIME = 1307,
        IDC_STATIC_SECONDS = 1306,
        IDC_STATIC_TIMEOUT = 1309,
        IDC_EDIT_TIMEOUT = 1060,
    };
    static constexpr std::array<int, kTestItemCount> kItemCheckIds{1203, 1192, 1193,
                                                                   1196, 1195, 1197};
    static constexpr std::array<int, kTestItemCount> kItemIconIds{1213, 1212, 1208,
                                                                  1209, 1210, 1211};
    static constexpr std::array<int, kTestItemCount> kItemButtonIds{1194, 1198, 1199,
                                                                    1200, 1201, 1202};
    static constexpr int kIconNotPassed = 168;
    static constexpr int kIconPassed = 169;
    // Lines the test log keeps, as the monitor's panes do: a page left running for days stays
    // small and quick.
    static constexpr int kLogMaxLines = 50000;
    static const QString kStartCaption; // "开始测试"
    static const QString kStopCaption;  // "Stop Test"
    // Template 160, in dialog units: its controls reach x 301 ("Read Parameter") and y 289,
    // with the 5-unit margin of its left edge on the right.
    static constexpr int kTemplateWidth = 306;
    static constexpr int kTemplateHeight = 292;

    explicit CGpsTest_wnd(ILineSender* sender, QWidget* parent = nullptr);
    ~CGpsTest_wnd() override;

    // IReceiveChunkConsumer: one received chunk that is not a configuration reply.
    void OnReceive(std::string_view chunk) override;
    // The frame lost the device's port: a run in progress ends at once, failing no item.
    void OnSourceLost() override;

    // Handlers of the page's buttons, public so that the tests reach them.
    void OnStart();
    void OnReadParameter();
    void OnParameterFile();
    void OnSingleTest(std::size_t item);
    void OnAll();
    void OnSize(int width, int height);
    // Reads the parameter file into the run; when it cannot be read, tells the operator which
    // values stay in use. True when the file was read.
    bool LoadParameterFile(const QString& path);

    // The run learns how much time passed from this clock (milliseconds, monotonic); the page's
    // one timer wakes it when the run's next step falls due. Tests put their own clock here.
    void SetClock(std::function<std::int64_t()> nowMs);
    // Tells the run the time that passed since it last heard of it; the timer calls this.
    void OnClockTick();

    // Every finished run (verdict, fault, stop, lost device) is handed here as a test record,
    // before its verdict is shown. Without a sink, runs are not recorded.
    void SetRecordSink(IRunRecordSink* sink) { m_recordSink = sink; }
    // The program is closing: a run still polling is recorded as interrupted, without any
    // message box or command.
    void EndRunForShutdown();

    const TestRun& Run() const { return m_run; }
    QWidget* Control(int id) const { return m_controls.value(id); }
    int ResultIcon(std::size_t item) const { return m_resultIcons.at(item); }
    QString LogText() const;
    QString StartCaption() const;

    QString parameterFilePath;

    // The template's size in the page's dialog units.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void NameControlsAndOrderTabs();
    template <class T> T* Add(int id, T* control, int x, int y, int w, int h);
    TestRunOptions ReadOptions() const;
    void SyncOptions();
    void CatchUp();
    void Carry(const TestRun::Actions& actions);
    void Carry(const TestRunAction& action);
    void ScheduleTick();
    void HandOverEndedRuns();
    void InsertLog(std::u16string_view text);
    void InsertLog(const QString& text);
    void Send(std::u16string_view text);
    void SetResultIcon(std::size_t item, int icon);
    void ShowParameterBlock(const std::u16string& block);
    bool ReadParameterFile(const QString& path, QString& error);
    void ReportUnreadableFile(const QString& path, const QString& error);
    void Box(int icon, const QString& text);
    void CloseOpenVerdictBoxes();
    bool PreTranslateMessage(QEvent* event);
    QWidget* BoxParent();

    ILineSender* m_sender;
    IRunRecordSink* m_recordSink = nullptr;
    // Of the current or last run, for its record: when it started and the parameter file whose
    // values it checked against.
    std::string m_runStartedAt;
    QString m_runParameterFile;
    TestRun m_run;
    QTimer* m_tick = nullptr;
    std::function<std::int64_t()> m_clock;
    std::int64_t m_lastTickMs = 0;
    QHash<int, QWidget*> m_controls;
    std::array<QCheckBox*, kTestItemCount> m_checkItems{};
    std::array<QLabel*, kTestItemCount> m_iconResults{};
    std::array<int, kTestItemCount> m_resultIcons{};
    QCheckBox* m_checkAll = nullptr;
    QCheckBox* m_checkAutoTest = nullptr;
    QCheckBox* m_checkImei = nullptr;
    QPushButton* m_buttonStart = nullptr;
    QTextEdit* m_editParameter = nullptr;
    QPlainTextEdit* m_editLog = nullptr;
    QLineEdit* m_editParameterFile = nullptr;
    QLineEdit* m_editTimeout = nullptr;
    QLabel* m_staticSeconds = nullptr;
    QString m_readParameterFile; // the last parameter file that was read, empty before one
    QPixmap m_iconNotPassed;
    QPixmap m_iconPassed;
    ProportionalChildLayout m_layout;
    QSize m_templateSize;
};
