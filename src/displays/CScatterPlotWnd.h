#pragma once
// The horizontal spread of the reported positions: every sample as a small square on a
// north-up square view around a chosen centre, with distance rings, circles around the
// latest sample and the average, the latest sample's distance from the centre, the samples'
// accuracy figures, and zoom buttons. The view feeds it every fix whether or not a host shows
// it; the samples can be exported as CSV or GPX.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include "displays/PositionSample.h"
#include "displays/ScatterPlotModel.h"

class QMenu;

// Menu 104 and its commands, handled by the main frame.
constexpr int IDM_POPUP_SCATTER_PLOT = 104;

// The ring radii in metres, smallest first.
constexpr double kScatterRingRadii[12] = {1, 5, 10, 15, 25, 50, 100, 500, 1000, 2500, 5000, 10000};

// A distance ring as drawn over a client area; drawn is false where it is left out.
struct ScatterRing {
    double radius = 0.0;
    int diameter = 0;
    QRect box; // left, top and size of the circle's bounding box
    bool drawn = false;
};

// Wheel rotation in eighths of a degree that makes one zoom step (one notch of a common wheel).
constexpr int kWheelStep = 120;

enum class PositionFileFormat { Csv, Gpx };

class CScatterPlotWnd : public QWidget, public ScatterPlotModel {
    Q_OBJECT
public:
    enum Button { NoButton, ZoomInButton, ZoomOutButton };

    explicit CScatterPlotWnd(QWidget* parent = nullptr);
    ~CScatterPlotWnd() override;

    void ClearPlot(bool repaint);
    // A repaint wherever one is asked for; shows only while the window is on screen.
    void RequestRepaint();
    int RepaintRequests() const { return m_nRepaintRequests; }

    void ZoomIn();
    void ZoomOut();

    // The window drawn into p over a client area of the given size (what paintEvent shows).
    void Render(QPainter& p, const QSize& client);
    // The rings for a client area and label height, from the current view box.
    std::vector<ScatterRing> Rings(const QSize& client) const;
    // "Horiz Error = ...m\nSamples = ...\n".
    QString DistanceText() const;
    // The accuracy figures of the samples held, several lines; empty without samples.
    QString FiguresText() const;
    // Where the figures stand for a client area (bottom-left corner), from the last draw.
    QRect figuresRect;

    // Writes the samples held to path through a save file (the old file stays whole on
    // failure); false with the reason in error.
    bool WritePositions(const QString& path, PositionFileFormat format, QString& error) const;
    // "Export Positions...": asks for a CSV or GPX file and writes the samples to it.
    void ExportPositions();

    QMenu* ContextMenu();

    QColor backColour{255, 255, 255};
    QColor foreColour{128, 128, 128};
    QColor goodPointColour{128, 128, 255};
    QColor badPointColour{255, 128, 128};
    QColor latestMarkerColour{255, 255, 128};
    // Samples whose fix carried no HDOP: neither good nor bad, a neutral grey that shows on the
    // dark and the light page backgrounds alike.
    QColor unknownDopPointColour{160, 160, 160};
    QRect zoomInRect, zoomOutRect; // from the last draw, right and bottom inclusive
    Button pressedButton = NoButton;
    int menuResourceId = IDM_POPUP_SCATTER_PLOT;
    ScatterProjection projection; // from the last draw

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PressAt(const QPoint& at);

    QMenu* m_menu = nullptr;
    QImage m_buffer;
    // Vertical wheel rotation not yet turned into a zoom step.
    int m_wheelRemainder = 0;
    int m_nRepaintRequests = 0;
};
