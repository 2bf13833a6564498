#pragma once
// The client area of the main frame: the tab control with the four pages, and the components
// the frame feeds that no page shows. The frame works it through operations; it is also where
// the receive path enters the pages: the monitor's receive pane, the factory test page and the
// configuration page.

#include "app/IReceiveMonitor.h"
#include "device/IDeviceReplyConsumer.h"
#include "device/IReceiveChunkConsumer.h"
#include "displays/PositionSampleFeed.h"
#include "displays/ScatterPlotModel.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <string_view>

class ILineSender;
class QTabWidget;
class CNMEAMonitorWnd;
class CFrontPanelStatusWnd;
class CPositionPlotWnd;
class CScatterPlotWnd;
struct DisplaySnapshot;

class CChildView : public QWidget,
                   public IReceiveMonitor,
                   public IReceiveChunkConsumer,
                   public IDeviceReplyConsumer {
    Q_OBJECT
public:
    enum Page {
        MonitorPage = 0,
        FrontPanelPage = 1,
        FactoryTestPage = 2,
        TrackerConfigurationPage = 3
    };

    CChildView(ILineSender* sender, QWidget* parent = nullptr);
    ~CChildView() override;

    QTabWidget* Tabs() const { return m_wndTabs; }
    QWidget* PageWidget(Page page) const;

    // The NMEA monitor's panes.
    void AppendRx(std::string_view bytes);
    void AppendTx(const char* text);
    void ClearRx();
    void ClearTx();
    void CopyRx();
    void CopyTx();
    QString RxText() const;
    QString TxText() const;
    // IReceiveMonitor: a received chunk for the receive pane.
    void ShowReceived(std::string_view bytes) override;

    // The front panel and its sky plot: the page keeps the snapshot and repaints.
    void RefreshFrontPanel(const DisplaySnapshot& snapshot);
    void ClearSatelliteTrails();
    void ClearSatelliteMask();

    // The factory test page and the configuration page come with their own work. Each is
    // reached through its interface; replacing a page also puts it into its tab.
    void SetTestPage(QWidget* page, IReceiveChunkConsumer* consumer);
    void SetConfigurationPage(QWidget* page, IDeviceReplyConsumer* consumer);
    // IReceiveChunkConsumer: a received chunk for the factory test page (none: dropped).
    void OnReceive(std::string_view chunk) override;
    void OnSourceLost() override;
    // IDeviceReplyConsumer: a reply field for the configuration page (none: dropped).
    void ApplyDeviceReply(ReplyType type, std::u16string_view text) override;

    // The scatter plot and position plot: kept current from every position, shown by no page.
    // The scatter plot's settings: the centring mode (recentred at the next sample), the DOP
    // threshold (x 100) and the user position (micro-degrees, millimetres).
    void SetScatterCentreMode(ScatterPlotModel::CentreMode mode, bool repaint);
    void SetScatterDopThreshold(std::int32_t dopThresholdX100);
    void SetScatterUserCentre(std::int32_t latitude, std::int32_t longitude, std::int32_t altitude,
                              bool repaint);
    // Position hand-over of the plots: the snapshot's fix, when it is one they have not had,
    // to both (scatter plot first), then the average centre and a repaint. nowUtcMs dates the
    // fix's time of day.
    void FeedPlots(const DisplaySnapshot& snapshot);
    void FeedPlots(const DisplaySnapshot& snapshot, std::int64_t nowUtcMs);
    // The two plot windows, for a host that shows them (the frame docks them).
    CPositionPlotWnd* PositionPlot() const { return m_wndPositionPlot; }
    CScatterPlotWnd* ScatterPlot() const { return m_wndScatterPlot; }
    // The position plot's averages; 0.0 while it holds no sample.
    void PositionAverages(double& latitude, double& longitude) const;
    void ClearPositionPlots();
    void ClearScatterPlot();

    // Offered every command before the frame; true when it handled it.
    bool OnCommand(int id);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ReplacePage(int index, QWidget* page, const QString& title);

    QTabWidget* m_wndTabs = nullptr;
    CFrontPanelStatusWnd* m_wndFrontPanel = nullptr;
    // Hidden children, so that their context menus reach the frame once a host shows them.
    CScatterPlotWnd* m_wndScatterPlot = nullptr;
    CPositionPlotWnd* m_wndPositionPlot = nullptr;
    CNMEAMonitorWnd* m_wndMonitor = nullptr;
    QWidget* m_wndTestPage = nullptr;
    QWidget* m_wndConfigPage = nullptr;
    IReceiveChunkConsumer* m_pTestPage = nullptr;
    IDeviceReplyConsumer* m_pConfigPage = nullptr;
    PositionSampleFeed m_plotFeed;
};
