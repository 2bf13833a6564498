#include "app/CChildView.h"

#include "uisupport/CommandIds.h"

#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QDateTime>
#include <QIcon>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>

#include "devicetest/CGpsTest_wnd.h"
#include "displays/CFrontPanelStatusWnd.h"
#include "displays/CPositionPlotWnd.h"
#include "displays/CScatterPlotWnd.h"
#include "displays/MicroDegrees.h"
#include "monitor/CLogEditCtrl.h"
#include "monitor/CNMEAMonitorWnd.h"
#include "nmea/DisplaySnapshot.h"

namespace {

// Bitmap 123 holds the four tab images side by side, 16 pixels wide each.
QIcon TabImage(const QPixmap& strip, int index) {
    QPixmap image = strip.copy(index * 16, 0, 16, strip.height());
    image.setMask(image.createMaskFromColor(QColor(255, 0, 255)));
    return QIcon(image);
}

// A template page fills its tab when the tab is larger and scrolls when it is smaller than
// the page's own size, rather than cut off its lower or right-hand controls.
QScrollArea* Scrolling(QWidget* page) {
    auto* area = new QScrollArea;
    area->setObjectName(page->objectName() + QStringLiteral(" scroll"));
    area->setFrameShape(QFrame::NoFrame);
    // No Tab stop of its own: tabbing to a control out of view scrolls to it.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->setWidget(page);
    return area;
}

} // namespace

CChildView::CChildView(ILineSender* sender, QWidget* parent) : QWidget(parent) {
    m_wndTabs = new QTabWidget(this);
    m_wndTabs->setObjectName(QStringLiteral("tabs"));
    m_wndTabs->setDocumentMode(false);
    m_wndTabs->setTabsClosable(false);
    m_wndTabs->setMovable(false);

    m_wndMonitor = new CNMEAMonitorWnd(sender, m_wndTabs);
    m_wndMonitor->setObjectName(QStringLiteral("NMEA Monitor"));
    m_wndFrontPanel = new CFrontPanelStatusWnd(sender, m_wndTabs);
    m_wndFrontPanel->setObjectName(QStringLiteral("Front Panel Status"));
    auto* testPage = new CGpsTest_wnd(sender, m_wndTabs);
    m_wndTestPage = testPage;
    m_wndConfigPage = new QWidget(m_wndTabs);
    m_wndConfigPage->setObjectName(QStringLiteral("Tracker Configuration"));

    const QPixmap strip(QStringLiteral(":/bitmaps/123.png"));
    m_wndTabs->addTab(m_wndMonitor, TabImage(strip, 0), QStringLiteral("NMEA Monitor"));
    m_wndTabs->addTab(m_wndFrontPanel, TabImage(strip, 1), QStringLiteral("Front Panel Status"));
    m_wndTabs->addTab(Scrolling(m_wndTestPage), TabImage(strip, 2), QStringLiteral("Factory Test"));
    m_wndTabs->addTab(Scrolling(m_wndConfigPage), TabImage(strip, 3),
                      QStringLiteral("Tracker Configuration"));
    m_wndTabs->setCurrentIndex(MonitorPage);
    // The page is already in its tab; this makes the receive tick hand it every chunk.
    SetTestPage(testPage, testPage);

    m_wndScatterPlot = new CScatterPlotWnd(this);
    m_wndScatterPlot->setObjectName(QStringLiteral("Scatter Plot"));
    m_wndScatterPlot->hide();
    m_wndPositionPlot = new CPositionPlotWnd(this);
    m_wndPositionPlot->setObjectName(QStringLiteral("Position Plot"));
    m_wndPositionPlot->hide();
}

CChildView::~CChildView() = default;

QWidget* CChildView::PageWidget(Page page) const {
    QWidget* tab = m_wndTabs->widget(page);
    if (auto* area = qobject_cast<QScrollArea*>(tab))
        return area->widget();
    return tab;
}

void CChildView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_wndTabs->setGeometry(0, 0, width(), height());
}

void CChildView::AppendRx(std::string_view bytes) {
    m_wndMonitor->AppendRx(bytes);
}
void CChildView::ShowReceived(std::string_view bytes) {
    AppendRx(bytes);
}
void CChildView::AppendTx(const char* text) {
    m_wndMonitor->AppendTx(text);
}

void CChildView::ClearRx() {
    m_wndMonitor->m_editRx->Clear();
}
void CChildView::ClearTx() {
    m_wndMonitor->m_editTx->Clear();
}
void CChildView::CopyRx() {
    m_wndMonitor->m_editRx->CopySelection();
}
void CChildView::CopyTx() {
    m_wndMonitor->m_editTx->CopySelection();
}

QString CChildView::RxText() const {
    return m_wndMonitor->m_editRx->toPlainText();
}
QString CChildView::TxText() const {
    return m_wndMonitor->m_editTx->toPlainText();
}

void CChildView::RefreshFrontPanel(const DisplaySnapshot& snapshot) {
    m_wndFrontPanel->ShowSnapshot(snapshot);
}

void CChildView::ClearSatelliteTrails() {
    m_wndFrontPanel->m_skyPlot.ClearTrails();
    m_wndFrontPanel->update();
}

void CChildView::ClearSatelliteMask() {
    m_wndFrontPanel->m_skyPlot.ClearMask();
    m_wndFrontPanel->update();
}

void CChildView::ReplacePage(int index, QWidget* page, const QString& title) {
    if (PageWidget(static_cast<Page>(index)) == page)
        return;
    QWidget* old = m_wndTabs->widget(index);
    const QIcon icon = m_wndTabs->tabIcon(index);
    const int current = m_wndTabs->currentIndex();
    m_wndTabs->removeTab(index);
    m_wndTabs->insertTab(index, Scrolling(page), icon, title);
    m_wndTabs->setCurrentIndex(current);
    if (old)
        old->deleteLater();
}

void CChildView::SetTestPage(QWidget* page, IReceiveChunkConsumer* consumer) {
    if (page) {
        ReplacePage(FactoryTestPage, page, QStringLiteral("Factory Test"));
        m_wndTestPage = page;
    }
    m_pTestPage = consumer;
}

void CChildView::SetConfigurationPage(QWidget* page, IDeviceReplyConsumer* consumer) {
    if (page) {
        ReplacePage(TrackerConfigurationPage, page, QStringLiteral("Tracker Configuration"));
        m_wndConfigPage = page;
    }
    m_pConfigPage = consumer;
}

void CChildView::OnSourceLost() {
    if (m_pTestPage)
        m_pTestPage->OnSourceLost();
}

void CChildView::OnReceive(std::string_view chunk) {
    if (m_pTestPage)
        m_pTestPage->OnReceive(chunk);
}

void CChildView::ApplyDeviceReply(ReplyType type, std::u16string_view text) {
    if (m_pConfigPage)
        m_pConfigPage->ApplyDeviceReply(type, text);
}

void CChildView::SetScatterCentreMode(ScatterPlotModel::CentreMode mode, bool repaint) {
    m_wndScatterPlot->centreMode = mode;
    m_wndScatterPlot->recentrePending = 1;
    if (repaint)
        m_wndScatterPlot->RequestRepaint();
}

void CChildView::SetScatterDopThreshold(std::int32_t dopThresholdX100) {
    m_wndScatterPlot->dopThresholdX100 = dopThresholdX100;
}

void CChildView::SetScatterUserCentre(std::int32_t latitude, std::int32_t longitude,
                                      std::int32_t altitude, bool repaint) {
    CScatterPlotPosition& centre = m_wndScatterPlot->userCentre;
    centre.latitude = latitude;
    centre.longitude = longitude;
    centre.altitude = altitude;
    if (repaint)
        m_wndScatterPlot->RequestRepaint();
}

void CChildView::FeedPlots(const DisplaySnapshot& snapshot) {
    FeedPlots(snapshot, QDateTime::currentMSecsSinceEpoch());
}

void CChildView::FeedPlots(const DisplaySnapshot& snapshot, std::int64_t nowUtcMs) {
    const std::optional<PositionSample> sample = m_plotFeed.Take(snapshot.ggaFix, nowUtcMs);
    if (!sample)
        return;
    // The scatter plot centres on the average written after the previous sample, so it takes
    // the sample before the position plot does.
    m_wndScatterPlot->AddSample(*sample);
    m_wndPositionPlot->AddSample(*sample);
    double avgLat = 0.0, avgLon = 0.0;
    PositionAverages(avgLat, avgLon);
    CScatterPlotPosition average;
    average.latitude = MicroDegrees(avgLat);
    average.longitude = MicroDegrees(avgLon);
    m_wndScatterPlot->averageCentre = average;
    m_wndScatterPlot->RequestRepaint();
}

void CChildView::PositionAverages(double& latitude, double& longitude) const {
    latitude = m_wndPositionPlot->m_averages[CPositionPlotWnd::Latitude].Average();
    longitude = m_wndPositionPlot->m_averages[CPositionPlotWnd::Longitude].Average();
}

void CChildView::ClearPositionPlots() {
    m_wndPositionPlot->ClearPlots();
}

void CChildView::ClearScatterPlot() {
    m_wndScatterPlot->ClearPlot(true);
}

bool CChildView::OnCommand(int /*id*/) {
    // The view itself has no commands; the frame handles those of the pages.
    return false;
}
