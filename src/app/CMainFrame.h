#pragma once
// The program's only top-level window and its hub: bars, the tab view, the receive tick every
// 100 ms (the receive router decides where a chunk goes), the position updates, the commands
// of all pages and SendLine.

#include "app/CHTTPGet.h"
#include "app/RecordFile.h"
#include "device/ILineSender.h"
#include "displays/ScatterPlotModel.h"
#include "serial/LostPortWatch.h"

#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPixmap>
#include <QSet>
#include <cstdint>
#include <memory>

class AcquisitionEventBridge;
class CChildView;
class CGpsTest_wnd;
class CTestRecordsWnd;
class RecordKeeper;
class ReceiveRouter;
class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

class CMainFrame : public QMainWindow, public ILineSender {
    Q_OBJECT
public:
    // Reads the application look; the window is built by Create().
    explicit CMainFrame(QWidget* parent = nullptr);
    // Stops acquisition before any member it reports to is gone.
    ~CMainFrame() override;

    // Bars, view, status panes, acquisition, automatic connection, timer 1, plot settings.
    bool Create();

    // ILineSender
    void SendLine(const char* text) override;

    // Timer 1: drains the receive queue and hands the chunk to the receive router.
    void OnReceiveTick();
    // WM_POSITION_UPDATE.
    void OnPositionUpdate();

    // Every command of menus, tool bar and context menus.
    void OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    bool IsCommandChecked(int id) const;
    // Re-evaluates enable and check state of every command and the status panes.
    void UpdateCommandUI();

    QAction* CommandAction(int id) const { return m_actions.value(id); }
    CChildView* View() const { return m_wndView; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    QList<int> ToolBarCommands() const { return m_toolBarCommands; }
    void SetToolBarCommands(const QList<int>& ids);
    unsigned AppLook() const { return m_nAppLook; }
    bool IsRecording() const { return m_recordFile.IsOpen(); }
    uint32_t RecordedBytes() const { return m_recordFile.RecordedBytes(); }

    // Status pane texts, pane 0 = message pane ... 7 = SCRL.
    QString PaneText(int index) const;
    bool IsPaneEnabled(int index) const;
    bool IsReceiveLit() const { return m_bRxLit; }
    bool IsTransmitLit() const { return m_bTxLit; }

    // The port and baud rate of the last attempt to open a port (start-up or Connect).
    QString LastOpenPort() const { return m_lastOpenPort; }
    int LastOpenBaud() const { return m_nLastOpenBaud; }

    // The test records: the keeper (made at start-up), its status pane ("Test records: N
    // waiting", hidden while nothing waits) and the records window once it was opened.
    RecordKeeper* Records() const { return m_recordKeeper.get(); }
    QLabel* RecordsPane() const { return m_recordsPane; }
    CTestRecordsWnd* RecordsWindow() const { return m_recordsWnd; }

    // The docked plot windows (View › "Position Plot" and "Scatter Plot").
    QDockWidget* PositionPlotDock() const { return m_dockPositionPlot; }
    QDockWidget* ScatterPlotDock() const { return m_dockScatterPlot; }

    // The record pane's text for a byte count.
    static QString RecordPaneText(bool recording, uint32_t bytes);

    // Whether the source was lost (device gone, playback unreadable) and nothing was opened
    // since; the message pane says so for that whole time.
    bool IsSourceLost() const { return m_bSourceLost; }
    // Whether a lost port is being waited for, to be opened again when its path is back.
    bool IsWaitingToReconnect() const { return m_lostPortWatch.Watching(); }

    static constexpr int kReceiveTickMs = 100;
    static constexpr int kIndicatorMs = 200;
    // How often the path of a lost port is looked at: well inside the 2 s an operator waits.
    static constexpr int kReconnectPollMs = 250;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    // Keeps the workspace (window placement, bars, tool bar choice) for the next run.
    void closeEvent(QCloseEvent* e) override;
    QMenu* createPopupMenu() override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildPlotDocks();
    void TogglePlotDock(QDockWidget* dock);
    void RebuildToolBar();
    void SaveWorkspace();
    void RestoreWorkspace();
    void UpdateStatusPanes();

    void OnConnect();
    void OnDisconnect();
    void OnRecord();
    void OnPlayBack();
    void OnStop();
    void OnSetDopThreshold();
    void OnSetUserPosition();
    void OnAbout();
    void OnTestRecordsSettings();
    void OnViewTestRecords();
    void ShowRecordsStatus(int waiting, const QString& problem);
    CGpsTest_wnd* TestPage() const;
    void OnCustomize();
    void OnLook(unsigned id);
    void OnCentreMode(ScatterPlotModel::CentreMode mode);
    void OnUpdateAvailable(qintptr version);
    void OnSourceLost();
    void OnReconnectPoll();
    void OnReconnectAutomatically();
    void StopWaitingToReconnect();
    void LeaveLostState();
    QString LostMessage() const;
    void ResetDecodedModel();
    void ShowClearedData();
    void AutomaticConnection();
    void ClearDecodedData();
    void LoadDopThresholdIntoScatterPlot();
    void LoadUserPositionIntoScatterPlot(bool repaint);
    void SetReceiveLit(bool lit);
    void SetTransmitLit(bool lit);

    // Indicator images 133..136, in the order transmit-active, transmit-idle,
    // receive-active, receive-idle.
    QPixmap m_bmpTxActive, m_bmpTxIdle, m_bmpRxActive, m_bmpRxIdle;
    CHTTPGet m_httpGet;
    QPixmap m_largeImages;
    QToolBar* m_wndToolBar = nullptr;
    CChildView* m_wndView = nullptr;
    RecordFile m_recordFile;
    // Both created with the view; the router delivers into the view and the record file.
    std::unique_ptr<ReceiveRouter> m_receiveRouter;
    std::unique_ptr<AcquisitionEventBridge> m_acquisitionEvents;
    std::unique_ptr<RecordKeeper> m_recordKeeper;
    CTestRecordsWnd* m_recordsWnd = nullptr;
    QDockWidget* m_dockPositionPlot = nullptr;
    QDockWidget* m_dockScatterPlot = nullptr;
    QLabel* m_recordsPane = nullptr;

    unsigned m_nAppLook;
    QMap<int, QAction*> m_actions;
    QActionGroup* m_lookGroup = nullptr;
    QList<QMenu*> m_menus;
    QList<int> m_toolBarCommands;
    QList<QLabel*> m_panes;
    // Fix-quality text of the last snapshot handed over, shown in status pane 1.
    QString m_strFixQuality;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;
    QTimer* m_timer3 = nullptr;
    QTimer* m_idleTimer = nullptr;
    bool m_bRxLit = false;
    bool m_bTxLit = false;
    bool m_bCreated = false;
    bool m_bAcquisitionStarted = false;
    // Places taken by the update notices on screen (0 = lowest).
    QSet<int> m_alertSlots;
    QString m_lastOpenPort;
    int m_nLastOpenBaud = 0;
    // The lost state and the wait for a lost port to come back.
    bool m_bSourceLost = false;
    bool m_bLostPlayback = false;
    LostPortWatch m_lostPortWatch;
    QTimer* m_reconnectTimer = nullptr;
    // When the last position arrived (null until one did since the last clear).
    QDateTime m_lastPositionTime;
};
