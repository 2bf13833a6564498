#pragma once
// The "Front Panel Status" page: one signal bar per satellite in view across the top two
// thirds, and below it the position, dilution-of-precision and count box beside the sky plot.
// The page is handed each new display snapshot and keeps its own copy; painting draws from
// that copy and the sky plot only. Each paint also switches the device's GPS test output on.

#include <QDateTime>
#include <QImage>
#include <QWidget>

#include "displays/CAzimuthElevationWnd.h"

class ILineSender;
class QMenu;

// Menu 138 and its two commands, handled by the main frame.
constexpr int IDM_POPUP_FRONT_PANEL_STATUS = 138;
// The two satellite icons of the sky plot.
constexpr int IDB_SATELLITE_USED = 118;
constexpr int IDB_SATELLITE_IN_VIEW = 102;

// Client-area rectangles of the page (right and bottom exclusive).
struct FrontPanelLayout {
    int margin, split;
    QRect textBox, skyPlot, chart;
};
FrontPanelLayout ComputeFrontPanelLayout(const QSize& client);

// The value column of the status box: position, DOPs (GPS with GLONASS in parentheses) and
// the two satellite counts, one per line.
QString StatusValueText(const DisplaySnapshot& s);

// The bar colour of a satellite of `system`, used in the solution or not. GPS, SBAS and
// GLONASS keep the colours they always had; each other system has its own pair.
QColor SatelliteBarColour(GnssSystem system, bool used);

// The order in which the first n satellites of s are drawn as bars: by system (GPS, SBAS,
// GLONASS, Galileo, BeiDou, QZSS, NavIC), by PRN inside it, empty slots last. Writes n
// indices (n at most kSnapshotSatellites) to order.
void SignalBarOrder(const DisplaySnapshot& s, int n, int* order);

// The gap between a bar and its cell's edge: 5 pixels, less when that would leave a bar
// narrower than 4 pixels, so that crowded bars narrow down to their cell rather than vanish.
int SignalBarInset(int cellWidth);

class CFrontPanelStatusWnd : public QWidget {
    Q_OBJECT
public:
    CFrontPanelStatusWnd(ILineSender* sender, QWidget* parent = nullptr);
    ~CFrontPanelStatusWnd() override;

    // A new position: keeps a copy of the snapshot for painting, moves the sky plot's
    // satellites, mask and trails on from it, and asks for a repaint of the whole page. The
    // page is live again from here on.
    void ShowSnapshot(const DisplaySnapshot& snapshot);
    // The source is gone: the values shown are the last ones known and no longer change. The
    // page is drawn dimmed, with the time the last position came (null: none came).
    void SetStale(const QDateTime& lastPosition);
    bool IsStale() const { return m_bStale; }
    // The line drawn over a stale page.
    QString StaleNotice() const;
    // The snapshot the page draws.
    const DisplaySnapshot& Snapshot() const { return m_snapshot; }

    // The page drawn into p over a client area of the given size (what paintEvent shows).
    void Render(QPainter& p, const QSize& client) const;

    void DrawStatusText(QPainter& p, const QRect& r1) const;
    void DrawSignalBars(QPainter& p, const QRect& chart) const;

    // The page's context menu (items carry their command ids as data).
    QMenu* ContextMenu() const { return m_menu; }

    CAzimuthElevationWnd m_skyPlot;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    ILineSender* m_sender;
    QMenu* m_menu;
    QImage m_buffer;
    // All zeros until the first snapshot arrives, as the program's snapshot starts.
    DisplaySnapshot m_snapshot{};
    bool m_bStale = false;
    QDateTime m_lastPosition;

    void DrawStaleNotice(QPainter& p, const QRect& page, const FrontPanelLayout& layout) const;
};
