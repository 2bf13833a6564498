#include "app/CMainFrame.h"

#include "app/AcquisitionEventBridge.h"
#include "app/ApplicationLooks.h"
#include "app/CAboutDlg.h"
#include "app/CChildView.h"
#include "app/CDOPThresholdDlg.h"
#include "app/CKestranoDesktopAlertWnd.h"
#include "app/CSetPositionDlg.h"
#include "app/CToolBarCustomizeDlg.h"
#include "app/FileIdentity.h"
#include "app/KeyLockState.h"
#include "app/ReceiveRouter.h"
#include "devicetest/CGpsTest_wnd.h"
#include "displays/CFrontPanelStatusWnd.h"
#include "displays/CPositionPlotWnd.h"
#include "displays/CScatterPlotWnd.h"
#include "displays/MicroDegrees.h"
#include "displays/PlotClearQuestions.h"
#include "displays/ScatterPlotSettings.h"
#include "monitor/CNMEAMonitorWnd.h"
#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SnapshotLock.h"
#include "recordsview/CTestRecordsDlg.h"
#include "recordsview/CTestRecordsWnd.h"
#include "recordsview/RecordKeeper.h"
#include "serial/Acquisition.h"
#include "serial/CConnectDlg.h"
#include "serial/CSio.h"
#include "serial/PortOpenFailure.h"
#include "trackerconfig/CGps_Control.h"
#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/Profile.h"
#include "uisupport/ProfileValues.h"
#include "uisupport/SettingsKeys.h"
#include "uisupport/UiHooks.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <chrono>

#include <mutex>
#include <optional>

namespace {

bool ReconnectAutomaticallyEnabled() {
    return GetProfileInt(SettingsKey::kSettingsSection, SettingsKey::kReconnectAutomatically, 1) !=
           0;
}

const QString kTitle = QStringLiteral("Tollbrook");
const QString kQualityIndicator = QStringLiteral("GPS Quality:") + QString(46, QLatin1Char(' '));
const QString kRecordOff = QStringLiteral("Record Data OFF          ");
// Of the saved dock state; a state of another version is not restored.

// The fix-quality text of a snapshot, up to its NUL and at most 255 characters.
QString FixQualityOf(const DisplaySnapshot& snapshot) {
    qsizetype len = 0;
    while (len < 255 && snapshot.fixQualityText[len])
        ++len;
    return QString::fromUtf16(snapshot.fixQualityText, len);
}

// The commands the tool bar can show, as the Customize dialog offers them.
QList<int> CustomizableCommands() {
    return {Cmd::Connect,      Cmd::Disconnect,     Cmd::AppAbout,        Cmd::RecordData,
            Cmd::PlayBackData, Cmd::StopRecordPlay, Cmd::SetDopThreshold, Cmd::SetUserPosition};
}

QPixmap Transparent(const QPixmap& image) {
    QPixmap out = image;
    out.setMask(out.createMaskFromColor(QColor(255, 0, 255)));
    return out;
}

QPixmap LoadIndicator(int id) {
    return Transparent(QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(id)));
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_recordFile([this](const std::string& reason) {
          AppMessageBox(this, QMessageBox::Critical,
                        QStringLiteral("Could not write to the record file.\n") +
                            QString::fromLocal8Bit(reason.c_str()));
      }) {
    m_nAppLook = ValidApplicationLook(
        GetProfileInt(SettingsKey::kWorkspaceSection, SettingsKey::kApplicationLook, kDefaultLook));
}

CMainFrame::~CMainFrame() {
    // A run still going is recorded as interrupted; then the keeper finishes every record
    // handed to it (to its store or the spool) before the page and the window are gone.
    if (CGpsTest_wnd* page = TestPage()) {
        page->EndRunForShutdown();
        page->SetRecordSink(nullptr);
    }
    delete m_recordsWnd;
    m_recordsWnd = nullptr;
    m_recordKeeper.reset();
    // The reader and position threads report here; they end before anything they touch.
    if (m_bAcquisitionStarted)
        StopAcquisition();
    if (AcquisitionEvents() == m_acquisitionEvents.get())
        SetAcquisitionEvents(nullptr);
    if (m_timer1)
        m_timer1->stop();
}

bool CMainFrame::Create() {
    setWindowTitle(kTitle);
    QIcon icon(QStringLiteral(":/icons/128.png"));
    icon.addFile(QStringLiteral(":/icons/128-64.png"));
    setWindowIcon(icon);

    OnLook(m_nAppLook);

    BuildActions();
    BuildMenus();
    m_wndView = new CChildView(this, this);
    m_wndView->setObjectName(QStringLiteral("view"));
    setCentralWidget(m_wndView);
    auto* configPage = new CGps_Control(this, m_wndView->Tabs());
    configPage->setObjectName(QStringLiteral("Tracker Configuration"));
    m_wndView->SetConfigurationPage(configPage, configPage);
    m_receiveRouter =
        std::make_unique<ReceiveRouter>(*m_wndView, *m_wndView, *m_wndView, m_recordFile);
    BuildToolBar();
    BuildStatusBar();
    BuildPlotDocks();

    // The keeper tries what waits in its spool at once, on its own thread.
    m_recordKeeper = std::make_unique<RecordKeeper>();
    connect(m_recordKeeper.get(), &RecordKeeper::statusChanged, this,
            &CMainFrame::ShowRecordsStatus);
    connect(m_recordKeeper.get(), &RecordKeeper::recordLost, this, [this](const QString& problem) {
        AppMessageBox(this, QMessageBox::Critical,
                      QStringLiteral("A test record could not be kept, neither in the records "
                                     "database nor in the local spool:\n") +
                          problem);
    });
    if (CGpsTest_wnd* page = TestPage())
        page->SetRecordSink(m_recordKeeper.get());

    m_bmpTxActive = LoadIndicator(133);
    m_bmpTxIdle = LoadIndicator(134);
    m_bmpRxActive = LoadIndicator(135);
    m_bmpRxIdle = LoadIndicator(136);
    m_panes[4]->setPixmap(m_bmpTxIdle);
    m_panes[4]->setToolTip(QStringLiteral("Shows that data is being transmitted"));
    m_panes[3]->setPixmap(m_bmpRxIdle);
    m_panes[3]->setToolTip(QStringLiteral("Shows that data is being received"));

    m_timer2 = new QTimer(this);
    m_timer2->setSingleShot(true);
    m_timer2->setInterval(kIndicatorMs);
    connect(m_timer2, &QTimer::timeout, this, [this] { SetTransmitLit(false); });
    m_timer3 = new QTimer(this);
    m_timer3->setSingleShot(true);
    m_timer3->setInterval(kIndicatorMs);
    connect(m_timer3, &QTimer::timeout, this, [this] { SetReceiveLit(false); });

    m_acquisitionEvents = std::make_unique<AcquisitionEventBridge>(this);
    SetAcquisitionEvents(m_acquisitionEvents.get());
    StartAcquisition();
    m_bAcquisitionStarted = true;

    m_reconnectTimer = new QTimer(this);
    m_reconnectTimer->setInterval(kReconnectPollMs);
    connect(m_reconnectTimer, &QTimer::timeout, this, &CMainFrame::OnReconnectPoll);

    AutomaticConnection();

    m_timer1 = new QTimer(this);
    m_timer1->setInterval(kReceiveTickMs);
    connect(m_timer1, &QTimer::timeout, this, &CMainFrame::OnReceiveTick);
    m_timer1->start();

    m_largeImages = Transparent(QPixmap(QStringLiteral(":/bitmaps/144.png")));

    LoadDopThresholdIntoScatterPlot();
    m_wndView->SetScatterCentreMode(StoredScatterCentreMode(), false);
    LoadUserPositionIntoScatterPlot(false);

    // Enable and check states follow the program's state while it is idle.
    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(100);
    connect(m_idleTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    m_idleTimer->start();
    UpdateCommandUI();

    // A comfortable first size that still fits a small screen.
    QSize size(1100, 760);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.95);
    resize(size);
    RestoreWorkspace();
    m_bCreated = true;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Bars

void CMainFrame::BuildActions() {
    struct Def {
        int id;
        const char* text;
        const char* prompt;
        bool checkable;
    };
    const Def defs[] = {
        {Cmd::Connect, "&Connect to GPS...", "Connect to the GPS receiver on a serial port", true},
        {Cmd::ReconnectAutomatically, "Reconnect &Automatically",
         "Open a lost port again by itself as soon as it is back", true},
        {Cmd::Disconnect, "&Disconnect", "Close the serial port or the playback file", true},
        {Cmd::RecordData, "&Record Data...", "Record the received data to a file", true},
        {Cmd::PlayBackData, "&Play Back Data...", "Play back a recorded data file", false},
        {Cmd::StopRecordPlay, "&Stop", "Stop the playback and the recording", false},
        {Cmd::SetDopThreshold, "&Set DOP Threshold...",
         "Set the dilution of precision threshold of the scatter plot", false},
        {Cmd::SetUserPosition, "Set &User Position...", "Set your known position", false},
        {Cmd::TestRecordsSettings, "&Test Records...",
         "Choose where the test records are kept, the station and the operator", false},
        {Cmd::ViewTestRecords, "Test &Records", "Show the stored test records", false},
        {Cmd::AppAbout, "&About Tollbrook...",
         "Display program information, version number and copyright", false},
        {Cmd::AppExit, "E&xit", "Quit the application", false},
        {Cmd::ViewStatusBar, "&Status Bar", "Show or hide the status bar", true},
        {Cmd::ViewPositionPlot, "Position Plot",
         "Show or hide the plots of latitude, longitude and altitude over time", true},
        {Cmd::ViewScatterPlot, "Scatter Plot", "Show or hide the horizontal scatter of the fixes",
         true},
        {Cmd::ViewCustomize, "Customize...", "Choose the commands of the tool bar", false},
        {Cmd::EditUndo, "&Undo", "Undo the last action", false},
        {Cmd::EditCut, "Cu&t", "Cut the selection and put it on the Clipboard", false},
        {Cmd::EditCopy, "&Copy", "Copy the selection and put it on the Clipboard", false},
        {Cmd::EditPaste, "&Paste", "Insert Clipboard contents", false},
    };
    for (const Def& d : defs) {
        auto* a = new QAction(QString::fromLatin1(d.text), this);
        a->setData(d.id);
        a->setStatusTip(QString::fromLatin1(d.prompt));
        a->setCheckable(d.checkable);
        connect(a, &QAction::triggered, this, [this, id = d.id] { OnCommand(id); });
        m_actions.insert(d.id, a);
    }
    m_actions[Cmd::EditUndo]->setShortcut(QKeySequence::Undo);
    m_actions[Cmd::EditCut]->setShortcut(QKeySequence::Cut);
    m_actions[Cmd::EditCopy]->setShortcut(QKeySequence::Copy);
    m_actions[Cmd::EditPaste]->setShortcut(QKeySequence::Paste);
    m_actions[Cmd::Disconnect]->setToolTip(QStringLiteral("Disconnect"));
    m_actions[Cmd::Connect]->setToolTip(QStringLiteral("Connect to GPS"));
    m_actions[Cmd::AppAbout]->setToolTip(QStringLiteral("About Tollbrook"));

    const QPixmap strip(QStringLiteral(":/toolbars/128.png"));
    const int toolImages[][2] = {{Cmd::Connect, 0}, {Cmd::Disconnect, 1}, {Cmd::AppAbout, 2}};
    for (const auto& ti : toolImages)
        m_actions[ti[0]]->setIcon(QIcon(Transparent(strip.copy(ti[1] * 16, 0, 16, 15))));
    m_actions[Cmd::RecordData]->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_actions[Cmd::PlayBackData]->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_actions[Cmd::StopRecordPlay]->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_actions[Cmd::SetDopThreshold]->setIcon(
        style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_actions[Cmd::SetUserPosition]->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));

    m_lookGroup = new QActionGroup(this);
    m_lookGroup->setExclusive(true);
    for (unsigned id = kFirstLook; id <= kLastLook; ++id) {
        auto* a = new QAction(ApplicationLookText(id), m_lookGroup);
        a->setData(static_cast<int>(id));
        a->setCheckable(true);
        a->setStatusTip(QStringLiteral("Activate the %1").arg(ApplicationLookText(id).remove('&')));
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(static_cast<int>(id)); });
        m_actions.insert(static_cast<int>(id), a);
    }
}

void CMainFrame::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto addMenu = [&](QMenu* parentMenu, const QString& title) {
        QMenu* m = parentMenu ? parentMenu->addMenu(title) : bar->addMenu(title);
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        m_menus.append(m);
        return m;
    };

    QMenu* file = addMenu(nullptr, QStringLiteral("&File"));
    file->addAction(m_actions[Cmd::AppExit]);

    QMenu* edit = addMenu(nullptr, QStringLiteral("&Edit"));
    for (int id : {Cmd::EditUndo, Cmd::EditCut, Cmd::EditCopy, Cmd::EditPaste}) {
        edit->addAction(m_actions[id]);
        if (id == Cmd::EditUndo)
            edit->addSeparator();
    }

    QMenu* view = addMenu(nullptr, QStringLiteral("&View"));
    QMenu* bars = addMenu(view, QStringLiteral("&Toolbars and Docking Windows"));
    bars->menuAction()->setData(Cmd::ViewToolbars);
    connect(bars, &QMenu::aboutToShow, this, [this, bars] {
        bars->clear();
        if (m_wndToolBar)
            bars->addAction(m_wndToolBar->toggleViewAction());
        bars->addSeparator();
        bars->addAction(m_actions[Cmd::ViewCustomize]);
    });
    view->addAction(m_actions[Cmd::ViewStatusBar]);
    view->addAction(m_actions[Cmd::ViewPositionPlot]);
    view->addAction(m_actions[Cmd::ViewScatterPlot]);
    QMenu* looks = addMenu(view, QStringLiteral("&Application Look"));
    for (unsigned id = kFirstLook; id <= kLastLook; ++id)
        looks->addAction(m_actions[static_cast<int>(id)]);
    view->addSeparator();
    view->addAction(m_actions[Cmd::ViewTestRecords]);

    QMenu* tools = addMenu(nullptr, QStringLiteral("&Tools"));
    tools->addAction(m_actions[Cmd::Connect]);
    tools->addAction(m_actions[Cmd::ReconnectAutomatically]);
    tools->addSeparator();
    QMenu* record = addMenu(tools, QStringLiteral("&Record/Play"));
    record->addAction(m_actions[Cmd::RecordData]);
    record->addAction(m_actions[Cmd::PlayBackData]);
    record->addAction(m_actions[Cmd::StopRecordPlay]);
    QMenu* settings = addMenu(tools, QStringLiteral("S&ettings"));
    settings->addAction(m_actions[Cmd::SetDopThreshold]);
    settings->addAction(m_actions[Cmd::SetUserPosition]);
    settings->addAction(m_actions[Cmd::TestRecordsSettings]);

    QMenu* help = addMenu(nullptr, QStringLiteral("&Help"));
    help->addAction(m_actions[Cmd::AppAbout]);
}

void CMainFrame::BuildToolBar() {
    m_wndToolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_wndToolBar->setObjectName(QStringLiteral("Standard"));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    m_toolBarCommands = {Cmd::Connect, Cmd::Disconnect, Cmd::AppAbout};
    RebuildToolBar();
}

void CMainFrame::SetToolBarCommands(const QList<int>& ids) {
    m_toolBarCommands = ids;
    RebuildToolBar();
}

void CMainFrame::RebuildToolBar() {
    // Commands appear in a fixed order, grouped; a separator goes between shown groups.
    static const QList<QList<int>> groups = {
        {Cmd::Connect},
        {Cmd::Disconnect, Cmd::AppAbout},
        {Cmd::RecordData, Cmd::PlayBackData, Cmd::StopRecordPlay},
        {Cmd::SetDopThreshold, Cmd::SetUserPosition},
    };
    m_wndToolBar->clear();
    bool any = false;
    for (const auto& group : groups) {
        bool separated = false;
        for (int id : group) {
            if (!m_toolBarCommands.contains(id))
                continue;
            if (any && !separated)
                m_wndToolBar->addSeparator();
            separated = true;
            any = true;
            m_wndToolBar->addAction(m_actions[id]);
        }
    }
    // The customise button at the end of the bar.
    auto* customize = new QToolButton(m_wndToolBar);
    customize->setObjectName(QStringLiteral("customizeButton"));
    customize->setArrowType(Qt::DownArrow);
    customize->setAutoRaise(true);
    customize->setToolTip(QStringLiteral("Toolbar Options"));
    customize->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(customize);
    menu->addAction(m_actions[Cmd::ViewCustomize]);
    customize->setMenu(menu);
    m_wndToolBar->addWidget(customize);
}

void CMainFrame::BuildPlotDocks() {
    auto makeDock = [this](QWidget* plot, const QString& title, const QString& name,
                           const QSize& minimum) {
        auto* dock = new QDockWidget(title, this);
        dock->setObjectName(name);
        dock->setAccessibleName(title);
        dock->setAllowedAreas(Qt::AllDockWidgetAreas);
        plot->setAccessibleName(title);
        plot->setMinimumSize(minimum);
        dock->setWidget(plot);
        plot->show();
        // A floating dock is a window of its own: the plot's context-menu commands would stop
        // there instead of reaching the frame.
        dock->installEventFilter(this);
        dock->hide();
        return dock;
    };
    m_dockScatterPlot = makeDock(m_wndView->ScatterPlot(), QStringLiteral("Scatter Plot"),
                                 QStringLiteral("ScatterPlotDock"), QSize(260, 260));
    m_dockPositionPlot = makeDock(m_wndView->PositionPlot(), QStringLiteral("Position Plot"),
                                  QStringLiteral("PositionPlotDock"), QSize(420, 240));
    addDockWidget(Qt::RightDockWidgetArea, m_dockScatterPlot);
    addDockWidget(Qt::BottomDockWidgetArea, m_dockPositionPlot);
    // Hidden on the first run; afterwards where and as the operator left them (restored
    // with the bars by RestoreWorkspace).
}

void CMainFrame::TogglePlotDock(QDockWidget* dock) {
    if (!dock)
        return;
    dock->setVisible(dock->isHidden());
    if (!dock->isHidden())
        dock->raise();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == WM_COMMAND_EVENT &&
        (watched == m_dockPositionPlot || watched == m_dockScatterPlot)) {
        if (auto* cmd = dynamic_cast<CommandEvent*>(e))
            OnCommand(cmd->id());
        return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

void CMainFrame::RestoreWorkspace() {
    QByteArray geometry, bars;
    if (GetProfileBinary(SettingsKey::kWorkspaceSection, SettingsKey::kWindowGeometry, geometry))
        restoreGeometry(geometry);
    if (GetProfileBinary(SettingsKey::kWorkspaceSection, SettingsKey::kBarState, bars))
        restoreState(bars);
    const QString stored =
        GetProfileString(SettingsKey::kWorkspaceSection, SettingsKey::kToolBarCommands);
    if (stored.isNull())
        return;
    // Only commands the Customize dialog offers; anything else in the file is dropped.
    const QList<int> offered = CustomizableCommands();
    QList<int> ids;
    for (const QString& part : stored.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (ok && offered.contains(id) && !ids.contains(id))
            ids.append(id);
    }
    SetToolBarCommands(ids);
}

void CMainFrame::SaveWorkspace() {
    WriteProfileBinary(SettingsKey::kWorkspaceSection, SettingsKey::kWindowGeometry,
                       saveGeometry());
    WriteProfileBinary(SettingsKey::kWorkspaceSection, SettingsKey::kBarState, saveState());
    QStringList ids;
    for (int id : m_toolBarCommands)
        ids.append(QString::number(id));
    WriteProfileString(SettingsKey::kWorkspaceSection, SettingsKey::kToolBarCommands,
                       ids.join(QLatin1Char(',')));
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    if (m_bCreated)
        SaveWorkspace();
    QMainWindow::closeEvent(e);
}

QMenu* CMainFrame::createPopupMenu() {
    QMenu* menu = QMainWindow::createPopupMenu();
    if (!menu)
        menu = new QMenu(this);
    menu->addSeparator();
    menu->addAction(m_actions[Cmd::ViewCustomize]);
    return menu;
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    auto pane = [&](const QString& text, const QString& widthOf, bool permanent) {
        auto* label = new QLabel(text, bar);
        label->setObjectName(QStringLiteral("pane%1").arg(m_panes.size()));
        if (!widthOf.isEmpty())
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widthOf) + 6);
        if (permanent)
            bar->addPermanentWidget(label);
        else
            bar->addWidget(label, 1);
        m_panes.append(label);
        return label;
    };
    pane(QStringLiteral("Ready"), QString(), false);
    // Not one of the numbered panes: it shows only while records wait.
    m_recordsPane = new QLabel(bar);
    m_recordsPane->setObjectName(QStringLiteral("recordsPane"));
    m_recordsPane->setAccessibleName(QStringLiteral("Test records waiting"));
    bar->addPermanentWidget(m_recordsPane);
    m_recordsPane->hide();
    pane(QStringLiteral("GPS Quality: "), kQualityIndicator, true);
    pane(kRecordOff, kRecordOff, true);
    for (const char* indicator : {"Rx", "Tx"}) {
        QLabel* image = pane(QString(), QString(), true);
        const int w = qMax(image->fontMetrics().horizontalAdvance(QLatin1String(indicator)), 16);
        image->setFixedSize(w + 4, 16);
        image->setScaledContents(true);
        image->setFrameShape(QFrame::NoFrame);
    }
    for (const char* key : {"CAP", "NUM", "SCRL"}) {
        QLabel* l = pane(QString::fromLatin1(key), QString::fromLatin1(key), true);
        l->setAlignment(Qt::AlignCenter);
        l->setEnabled(false);
    }
}

QString CMainFrame::PaneText(int index) const {
    if (index < 0 || index >= m_panes.size())
        return QString();
    if (index == 0 && !statusBar()->currentMessage().isEmpty())
        return statusBar()->currentMessage();
    return m_panes[index]->text();
}

bool CMainFrame::IsPaneEnabled(int index) const {
    return index >= 0 && index < m_panes.size() && m_panes[index]->isEnabled();
}

QString CMainFrame::RecordPaneText(bool recording, uint32_t bytes) {
    if (!recording)
        return kRecordOff;
    if (bytes > 1048576)
        return QString::asprintf("Rec Data: %.02f MB", static_cast<double>(bytes) / 1048576.0);
    if (bytes > 1024)
        return QString::asprintf("Rec Data: %.01f K", static_cast<double>(bytes) / 1024.0);
    return QString::asprintf("Rec Data: %u bytes", bytes);
}

void CMainFrame::UpdateStatusPanes() {
    if (m_panes.size() < 8)
        return;
    // A source opened by any way ends the lost state.
    if (m_bSourceLost && theSerialPort.IsOpen())
        LeaveLostState();
    const QString message = m_bSourceLost ? LostMessage() : QStringLiteral("Ready");
    if (m_panes[0]->text() != message) {
        m_panes[0]->setText(message);
        m_panes[0]->setToolTip(m_lostPortWatch.Watching()
                                   ? QString::fromLocal8Bit(m_lostPortWatch.Path().c_str())
                                   : QString());
    }
    // The text came with the last position update (or the last clear); no lock is taken here.
    const QString quality = QStringLiteral("GPS Quality: ") + m_strFixQuality;
    if (m_panes[1]->text() != quality)
        m_panes[1]->setText(quality);

    const bool recording = m_recordFile.IsOpen();
    const QString record = RecordPaneText(recording, m_recordFile.RecordedBytes());
    if (m_panes[2]->text() != record)
        m_panes[2]->setText(record);
    m_panes[2]->setEnabled(recording);

    KeyLocks locks;
    const bool known = QueryKeyLocks(locks);
    m_panes[5]->setEnabled(known && locks.caps);
    m_panes[6]->setEnabled(known && locks.num);
    m_panes[7]->setEnabled(known && locks.scroll);
}

void CMainFrame::SetReceiveLit(bool lit) {
    m_bRxLit = lit;
    if (m_panes.size() > 3)
        m_panes[3]->setPixmap(lit ? m_bmpRxActive : m_bmpRxIdle);
}

void CMainFrame::SetTransmitLit(bool lit) {
    m_bTxLit = lit;
    if (m_panes.size() > 4)
        m_panes[4]->setPixmap(lit ? m_bmpTxActive : m_bmpTxIdle);
}

// ---------------------------------------------------------------------------------------------
// Command state

bool CMainFrame::IsCommandEnabled(int id) const {
    switch (id) {
    case Cmd::RecordData:
        return !m_recordFile.IsOpen();
    case Cmd::PlayBackData:
        return !theSerialPort.IsPlayback();
    case Cmd::StopRecordPlay:
        return theSerialPort.IsPlayback() || m_recordFile.IsOpen();
    case Cmd::EditUndo:
    case Cmd::EditCut:
    case Cmd::EditCopy:
    case Cmd::EditPaste:
        // No handler in the frame or the view: the edit fields have their own.
        return false;
    default:
        return true;
    }
}

bool CMainFrame::IsCommandChecked(int id) const {
    switch (id) {
    case Cmd::Connect:
        return theSerialPort.IsOpen();
    case Cmd::Disconnect:
        return !theSerialPort.IsOpen();
    case Cmd::RecordData:
        return m_recordFile.IsOpen();
    case Cmd::ReconnectAutomatically:
        return ReconnectAutomaticallyEnabled();
    case Cmd::ViewStatusBar:
        return statusBar()->isVisible() || !isVisible();
    case Cmd::ViewPositionPlot:
        return m_dockPositionPlot && !m_dockPositionPlot->isHidden();
    case Cmd::ViewScatterPlot:
        return m_dockScatterPlot && !m_dockScatterPlot->isHidden();
    case Cmd::CenterOnAverage:
        return StoredScatterCentreMode() == ScatterPlotModel::CentreOnAverage;
    case Cmd::CenterNextSample:
        return StoredScatterCentreMode() == ScatterPlotModel::CentreOnNextSample;
    case Cmd::CenterUserPosition:
        return StoredScatterCentreMode() == ScatterPlotModel::CentreOnUser;
    default:
        if (id >= static_cast<int>(kFirstLook) && id <= static_cast<int>(kLastLook))
            return static_cast<unsigned>(id) == m_nAppLook;
        return false;
    }
}

void CMainFrame::UpdateCommandUI() {
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        QAction* a = it.value();
        const bool enabled = IsCommandEnabled(it.key());
        if (a->isEnabled() != enabled)
            a->setEnabled(enabled);
        if (a->isCheckable()) {
            const bool checked = IsCommandChecked(it.key());
            if (a->isChecked() != checked)
                a->setChecked(checked);
        }
    }
    UpdateStatusPanes();
}

// ---------------------------------------------------------------------------------------------
// Commands

void CMainFrame::OnCommand(int id) {
    if (m_wndView && m_wndView->OnCommand(id))
        return;
    if (!IsCommandEnabled(id))
        return;
    switch (id) {
    case Cmd::Connect:
        OnConnect();
        break;
    case Cmd::Disconnect:
        OnDisconnect();
        break;
    case Cmd::ReconnectAutomatically:
        OnReconnectAutomatically();
        break;
    case Cmd::RecordData:
        OnRecord();
        break;
    case Cmd::PlayBackData:
        OnPlayBack();
        break;
    case Cmd::StopRecordPlay:
        OnStop();
        break;
    case Cmd::SetDopThreshold:
        OnSetDopThreshold();
        break;
    case Cmd::SetUserPosition:
        OnSetUserPosition();
        break;
    case Cmd::AppAbout:
        OnAbout();
        break;
    case Cmd::TestRecordsSettings:
        OnTestRecordsSettings();
        break;
    case Cmd::ViewTestRecords:
        OnViewTestRecords();
        break;
    case Cmd::AppExit:
        close();
        break;
    case Cmd::ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        break;
    case Cmd::ViewCustomize:
        OnCustomize();
        break;
    case Cmd::ViewPositionPlot:
        TogglePlotDock(m_dockPositionPlot);
        break;
    case Cmd::ViewScatterPlot:
        TogglePlotDock(m_dockScatterPlot);
        break;
    case Cmd::ClearReceiveScreen:
        m_wndView->ClearRx();
        break;
    case Cmd::CopyReceiveScreen:
        m_wndView->CopyRx();
        break;
    case Cmd::ClearTransmitScreen:
        m_wndView->ClearTx();
        break;
    case Cmd::CopyTransmitScreen:
        m_wndView->CopyTx();
        break;
    case Cmd::ClearSatelliteTrails:
        m_wndView->ClearSatelliteTrails();
        break;
    case Cmd::ClearSatelliteMask:
        m_wndView->ClearSatelliteMask();
        break;
    case Cmd::ClearPositionPlots:
        if (AppMessageBox(this, QMessageBox::Warning,
                          QString::fromLatin1(kClearPositionPlotsQuestion),
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            m_wndView->ClearPositionPlots();
        break;
    case Cmd::ClearScatterPlot:
        if (AppMessageBox(this, QMessageBox::Warning,
                          QString::fromLatin1(kClearScatterPlotQuestion),
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            m_wndView->ClearScatterPlot();
            // Centres on the next sample until another centring command, without storing it.
            m_wndView->SetScatterCentreMode(ScatterPlotModel::CentreOnNextSample, true);
        }
        break;
    case Cmd::CenterUserPosition:
        OnCentreMode(ScatterPlotModel::CentreOnUser);
        break;
    case Cmd::CenterOnAverage:
        OnCentreMode(ScatterPlotModel::CentreOnAverage);
        break;
    case Cmd::CenterNextSample:
        OnCentreMode(ScatterPlotModel::CentreOnNextSample);
        break;
    default:
        if (id >= static_cast<int>(kFirstLook) && id <= static_cast<int>(kLastLook))
            OnLook(static_cast<unsigned>(id));
        break;
    }
    UpdateCommandUI();
}

void CMainFrame::OnCentreMode(ScatterPlotModel::CentreMode mode) {
    m_wndView->SetScatterCentreMode(mode, true);
    StoreScatterCentreMode(mode);
}

void CMainFrame::OnLook(unsigned id) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_nAppLook = id;
    ApplyApplicationLook(id);
    WriteProfileInt(SettingsKey::kWorkspaceSection, SettingsKey::kApplicationLook,
                    static_cast<int>(id));
    // Pages that draw themselves take their colours at paint time.
    for (QWidget* w : findChildren<QWidget*>())
        w->update();
    update();
    QApplication::restoreOverrideCursor();
}

void CMainFrame::ClearDecodedData() {
    ResetDecodedModel();
    ShowClearedData();
}

void CMainFrame::ResetDecodedModel() {
    std::lock_guard<std::mutex> lock(snapshotLock);
    theParser.ResetData();
    ClearDisplaySnapshot();
}

void CMainFrame::ShowClearedData() {
    // The displays are handed the cleared (all-zero) snapshot as they are handed a position, so
    // the status pane and the front panel show the empty data until the next GGA.
    const DisplaySnapshot cleared{};
    m_strFixQuality = FixQualityOf(cleared);
    m_lastPositionTime = QDateTime();
    if (m_wndView)
        m_wndView->RefreshFrontPanel(cleared);
}

void CMainFrame::AutomaticConnection() {
    theSerialPort.Close();
    ClearDecodedData();
    const QString port = GetProfileString(SettingsKey::kSettingsSection, SettingsKey::kCommPort,
                                          QStringLiteral("/dev/ttyS0"));
    const int baud = GetProfileInt(SettingsKey::kSettingsSection, SettingsKey::kBaud, 9600);
    m_lastOpenPort = port;
    m_nLastOpenBaud = baud;
    // Silent: a missing or busy port at start-up is normal; Connect reports its failures.
    theSerialPort.Open(port.toLocal8Bit().toStdString(), baud);
}

void CMainFrame::OnConnect() {
    CConnectDlg dlg(this);
    dlg.m_strPort = GetProfileString(SettingsKey::kSettingsSection, SettingsKey::kCommPort,
                                     QStringLiteral("/dev/ttyS0"));
    dlg.m_nBaud = GetProfileInt(SettingsKey::kSettingsSection, SettingsKey::kBaud, 115200);
    if (ExecModal(dlg) != QDialog::Accepted)
        return;
    // The operator's choice replaces the wait for a lost port, whether or not it opens.
    StopWaitingToReconnect();

    theSerialPort.Close();
    // The reader decodes nothing while no source is open, so the model can be reset here.
    ClearDecodedData();

    const QString port = dlg.m_strPort;
    const int baud = dlg.m_nBaud;
    m_lastOpenPort = port;
    m_nLastOpenBaud = baud;
    const int result = theSerialPort.Open(port.toLocal8Bit().toStdString(), baud);
    if (result == -1) {
        AppMessageBox(
            this, QMessageBox::Critical,
            QStringLiteral("Unable to connect to specified communication port.\n") +
                QString::fromLocal8Bit(
                    DescribeOpenFailure(port.toLocal8Bit().toStdString(), theSerialPort.LastError())
                        .c_str()));
        return;
    }
    WriteProfileString(SettingsKey::kSettingsSection, SettingsKey::kCommPort, port);
    WriteProfileInt(SettingsKey::kSettingsSection, SettingsKey::kBaud, baud);
}

void CMainFrame::OnDisconnect() {
    // On purpose: a lost port that comes back afterwards is left alone.
    StopWaitingToReconnect();
    theSerialPort.Close();
}

void CMainFrame::OnSourceLost() {
    // The device went away (unplugged, hung up): close it so that Connect and Disconnect
    // show the truth, and say so where the operator looks. The reader knows which source it
    // gave up on, so a notice that arrives after the operator opened another source leaves
    // that one alone. What was lost is read before the close forgets it.
    const bool playback = theSerialPort.IsPlayback();
    const std::string port = theSerialPort.PortName();
    const int baud = theSerialPort.Baud();
    if (!CloseLostSource())
        return;
    m_bSourceLost = true;
    m_bLostPlayback = playback;
    // A port is waited for under its path; a playback file that failed is not read again.
    if (!playback && !port.empty())
        m_lostPortWatch.Lost(port, baud);
    // Nothing decodes any more: no fix, and the front panel's values are the last ones known.
    m_strFixQuality = QString::fromUtf16(FixQualityText(0));
    if (auto* panel =
            qobject_cast<CFrontPanelStatusWnd*>(m_wndView->PageWidget(CChildView::FrontPanelPage)))
        panel->SetStale(m_lastPositionTime);
    // The message pane keeps saying so (menu prompts pass over it) until a source is open.
    statusBar()->clearMessage();
    UpdateStatusPanes();
    if (m_reconnectTimer && ReconnectAutomaticallyEnabled() && m_lostPortWatch.Watching())
        m_reconnectTimer->start();
    // A run in progress ends as lost, not as a device that failed its items.
    m_wndView->OnSourceLost();
}

QString CMainFrame::LostMessage() const {
    if (m_bLostPlayback)
        return QStringLiteral("The playback file could not be read any further.");
    QString text = QStringLiteral("The connection to the device was lost.");
    // Short enough for the pane beside the quality text; the path is in the pane's tool tip.
    if (m_lostPortWatch.Watching() && ReconnectAutomaticallyEnabled())
        text += QStringLiteral(" Connecting again when it is back.");
    return text;
}

void CMainFrame::LeaveLostState() {
    m_bSourceLost = false;
    m_bLostPlayback = false;
    if (m_panes.size() > 0) {
        m_panes[0]->setText(QStringLiteral("Ready"));
        m_panes[0]->setToolTip(QString());
    }
}

void CMainFrame::StopWaitingToReconnect() {
    m_lostPortWatch.Cancel();
    if (m_reconnectTimer)
        m_reconnectTimer->stop();
}

void CMainFrame::OnReconnectAutomatically() {
    const bool on = !ReconnectAutomaticallyEnabled();
    WriteProfileInt(SettingsKey::kSettingsSection, SettingsKey::kReconnectAutomatically,
                    on ? 1 : 0);
    // Switched on while a lost port is still awaited: the wait goes on from here.
    if (m_reconnectTimer) {
        if (on && m_lostPortWatch.Watching())
            m_reconnectTimer->start();
        else
            m_reconnectTimer->stop();
    }
}

void CMainFrame::OnReconnectPoll() {
    const LostPortWatch::Step step =
        m_lostPortWatch.Poll(ReconnectAutomaticallyEnabled(), theSerialPort.IsOpen());
    if (!m_lostPortWatch.Watching()) {
        m_reconnectTimer->stop();
        return;
    }
    if (step != LostPortWatch::Step::TryOpen)
        return;
    // As the automatic connection at start-up: the model is reset while nothing is open (the
    // reader decodes nothing then), but the stale panel stays until the port is really open -
    // a node that is back may still refuse for a moment (permissions being set, a prober).
    ResetDecodedModel();
    const std::string port = m_lostPortWatch.Path();
    const int baud = m_lostPortWatch.Baud();
    if (theSerialPort.Open(port, baud) == -1)
        return;
    StopWaitingToReconnect();
    m_lastOpenPort = QString::fromLocal8Bit(port.c_str());
    m_nLastOpenBaud = baud;
    ShowClearedData();
    LeaveLostState();
    statusBar()->showMessage(QStringLiteral("Connected again to %1.").arg(m_lastOpenPort), 10000);
    UpdateCommandUI();
}

void CMainFrame::OnRecord() {
    QFileDialog dlg(this, QStringLiteral("Record Data"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(QStringLiteral("txt"));
    // "*" and not "*.*": on this system a name needs no dot.
    dlg.setNameFilters({QStringLiteral("NMEA Data File (*.txt)"), QStringLiteral("All Files (*)")});
    dlg.selectFile(QStringLiteral("NewNMEAFile"));
    if (ExecModal(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    // The byte count starts again from 0 whether or not the file could be created. The file
    // being played back is refused: cutting it would lose the capture, and recording it would
    // append its own bytes to it without end.
    std::optional<FileIdentity> playback;
    if (theSerialPort.IsPlayback())
        playback = IdentityOfDescriptor(theSerialPort.m_hPort.load());
    if (!m_recordFile.Open(QFile::encodeName(dlg.selectedFiles().constFirst()).toStdString(),
                           playback))
        AppMessageBox(this, QMessageBox::Critical,
                      QStringLiteral("Could not create file for recording data to."));
}

void CMainFrame::OnPlayBack() {
    QFileDialog dlg(this, QStringLiteral("Play Back Data"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    // No default suffix: a typed name is the file chosen, with or without a dot.
    dlg.setNameFilters({QStringLiteral("NMEA Data File (*.txt)"),
                        QStringLiteral("NMEA Data File (*.log)"), QStringLiteral("All Files (*)")});
    dlg.selectFile(QStringLiteral("NewNMEAFile"));
    if (ExecModal(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    const QString path = dlg.selectedFiles().constFirst();
    // Another source chosen: a lost port that comes back is left alone.
    StopWaitingToReconnect();

    theSerialPort.Close();
    // Cleared before the file is opened, so that no byte of it is decoded into old data.
    ClearDecodedData();
    // The file being recorded is not played back: it would grow from its own bytes for ever.
    const std::string file = QFile::encodeName(path).toStdString();
    const std::optional<FileIdentity> recording = m_recordFile.Identity();
    const bool isRecordFile = recording && IdentityOfPath(file) == recording;
    if (isRecordFile || !theSerialPort.OpenPlayback(file))
        AppMessageBox(this, QMessageBox::NoIcon, QStringLiteral("File Error!"));
    setWindowTitle(kTitle + QStringLiteral(" - [Playback: ") + QFileInfo(path).fileName() +
                   QStringLiteral("]"));
}

void CMainFrame::OnStop() {
    if (theSerialPort.IsPlayback()) {
        theSerialPort.Close();
    }
    m_recordFile.Close();
    setWindowTitle(kTitle);
}

void CMainFrame::LoadDopThresholdIntoScatterPlot() {
    double value = 0.0;
    if (ReadProfileDoubleLeading(SettingsKey::kSettingsSection, SettingsKey::kDopThreshold, value))
        m_wndView->SetScatterDopThreshold(TruncateScaled(value, 100.0));
}

void CMainFrame::LoadUserPositionIntoScatterPlot(bool repaint) {
    double lat = 0.0, lon = 0.0, alt = 0.0;
    ReadProfileDoubleExact(SettingsKey::kSettingsSection, SettingsKey::kUserLatitude, lat);
    ReadProfileDoubleExact(SettingsKey::kSettingsSection, SettingsKey::kUserLongitude, lon);
    ReadProfileDoubleExact(SettingsKey::kSettingsSection, SettingsKey::kUserAltitude, alt);
    m_wndView->SetScatterUserCentre(MicroDegrees(lat), MicroDegrees(lon),
                                    TruncateScaled(alt, 1000.0), repaint);
}

void CMainFrame::OnSetDopThreshold() {
    double value = 3.0;
    ReadProfileDoubleLeading(SettingsKey::kSettingsSection, SettingsKey::kDopThreshold, value);
    CDOPThresholdDlg dlg(this);
    dlg.m_strThreshold = QString::asprintf("%.02f", value);
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    double entered = 0.0;
    if (!ParseLeadingDouble(dlg.m_strThreshold, entered))
        entered = 0.0;
    WriteProfileDouble(SettingsKey::kSettingsSection, SettingsKey::kDopThreshold, entered);
    LoadDopThresholdIntoScatterPlot();
}

void CMainFrame::OnSetUserPosition() {
    CSetPositionDlg dlg(this);
    ReadProfileDoubleExact(SettingsKey::kSettingsSection, SettingsKey::kUserLatitude,
                           dlg.m_dLatitude);
    ReadProfileDoubleExact(SettingsKey::kSettingsSection, SettingsKey::kUserLongitude,
                           dlg.m_dLongitude);
    ReadProfileDoubleExact(SettingsKey::kSettingsSection, SettingsKey::kUserAltitude,
                           dlg.m_dAltitude);
    if (dlg.DoModal() == QDialog::Accepted) {
        WriteProfileDouble(SettingsKey::kSettingsSection, SettingsKey::kUserLatitude,
                           dlg.m_dLatitude);
        WriteProfileDouble(SettingsKey::kSettingsSection, SettingsKey::kUserLongitude,
                           dlg.m_dLongitude);
        WriteProfileDouble(SettingsKey::kSettingsSection, SettingsKey::kUserAltitude,
                           dlg.m_dAltitude);
    }
    LoadUserPositionIntoScatterPlot(true);
}

void CMainFrame::OnAbout() {
    CAboutDlg dlg(this);
    ExecModal(dlg);
}

void CMainFrame::OnCustomize() {
    QList<QAction*> available;
    for (int id : CustomizableCommands())
        available.append(m_actions[id]);
    CToolBarCustomizeDlg dlg(available, m_toolBarCommands,
                             {Cmd::Connect, Cmd::Disconnect, Cmd::AppAbout}, this);
    if (ExecModal(dlg) != QDialog::Accepted)
        return;
    SetToolBarCommands(dlg.ShownCommands());
    m_wndToolBar->show();
}

CGpsTest_wnd* CMainFrame::TestPage() const {
    return m_wndView
               ? qobject_cast<CGpsTest_wnd*>(m_wndView->PageWidget(CChildView::FactoryTestPage))
               : nullptr;
}

void CMainFrame::OnTestRecordsSettings() {
    CTestRecordsDlg dlg(this);
    if (ExecModal(dlg) != QDialog::Accepted)
        return;
    m_recordKeeper->ReloadSettings();
    if (m_recordsWnd)
        m_recordsWnd->Refresh();
}

void CMainFrame::OnViewTestRecords() {
    if (!m_recordsWnd)
        m_recordsWnd = new CTestRecordsWnd(m_recordKeeper.get(), this);
    else
        m_recordsWnd->Refresh();
    m_recordsWnd->show();
    m_recordsWnd->raise();
    m_recordsWnd->activateWindow();
}

void CMainFrame::ShowRecordsStatus(int waiting, const QString& problem) {
    if (!m_recordsPane)
        return;
    m_recordsPane->setText(QStringLiteral("Test records: %1 waiting").arg(waiting));
    m_recordsPane->setToolTip(problem);
    m_recordsPane->setVisible(waiting > 0);
}

void CMainFrame::OnUpdateAvailable(qintptr version) {
    if (version <= 9)
        return;
    const QPixmap icon = m_largeImages.copy(5 * 32, 0, 32, 32);
    // The lowest free place: after the first of two alerts closed, a new one must not sit on
    // the second.
    int slot = 0;
    while (m_alertSlots.contains(slot))
        ++slot;
    auto* alert = new CKestranoDesktopAlertWnd(
        this, icon, QStringLiteral("New version of Kestrano is available for download."),
        QStringLiteral("Download now"), slot);
    alert->setWindowTitle(QStringLiteral("Update Available"));
    m_alertSlots.insert(slot);
    connect(alert, &CKestranoDesktopAlertWnd::closed, this,
            [this, slot] { m_alertSlots.remove(slot); });
    alert->show();
}

// ---------------------------------------------------------------------------------------------
// Traffic

void CMainFrame::SendLine(const char* text) {
    if (!text)
        return;
    // CSio writes only to an open serial port (nothing during a playback) and reports each
    // write as sent; the transmit pane shows the line in every case, marked when the device
    // did not get it, so that a command typed after the device went away is not taken as sent.
    const bool sent = theSerialPort.WriteLine(text);
    if (m_wndView) {
        if (!sent)
            m_wndView->AppendTx(CNMEAMonitorWnd::kNotSentMark);
        m_wndView->AppendTx(text);
        m_wndView->AppendTx("\n");
    }
}

void CMainFrame::OnReceiveTick() {
    uint8_t buffer[kDrainChunk];
    const uint32_t n = DrainReceiveQueue(buffer);
    if (!m_receiveRouter)
        return;
    // Every tick, even an empty one: a reply fragment that waited too long is let go then.
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    m_receiveRouter->Deliver(buffer, n, now.count());
}

void CMainFrame::OnPositionUpdate() {
    // One copy per position, taken while the position thread waits (so it is the snapshot of
    // the GGA that caused the update), handed to every display and kept for the status pane.
    const DisplaySnapshot copy = CopyDisplaySnapshot();
    m_strFixQuality = FixQualityOf(copy);
    m_lastPositionTime = QDateTime::currentDateTime();
    m_wndView->RefreshFrontPanel(copy);
    m_wndView->FeedPlots(copy);
}

bool CMainFrame::event(QEvent* e) {
    switch (static_cast<int>(e->type())) {
    case WM_POSITION_UPDATE:
        OnPositionUpdate();
        return true;
    case WM_DATA_RECEIVED:
        SetReceiveLit(true);
        if (m_timer3)
            m_timer3->start();
        return true;
    case WM_DATA_SENT:
        SetTransmitLit(true);
        if (m_timer2)
            m_timer2->start();
        return true;
    case WM_UPDATE_AVAILABLE: {
        auto* msg = dynamic_cast<FrameMessageEvent*>(e);
        OnUpdateAvailable(msg ? msg->wParam() : 0);
        return true;
    }
    case WM_SOURCE_LOST:
        OnSourceLost();
        return true;
    case WM_COMMAND_EVENT:
        if (auto* cmd = dynamic_cast<CommandEvent*>(e))
            OnCommand(cmd->id());
        return true;
    default:
        return QMainWindow::event(e);
    }
}
