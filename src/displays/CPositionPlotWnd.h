#pragma once
// How the reported position wanders over time: latitude, longitude and altitude plots on the
// right two thirds (each with the raw samples, the least-squares line and the running
// average), and the latest, fitted and average position with the sample count on the left.
// The view feeds it every position whether or not a host shows it.

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "displays/CAverage.h"
#include "displays/CVPlot.h"
#include "displays/LeastSquaresLine.h"
#include "displays/PositionSample.h"

class QMenu;

// Menu 124 and its command, handled by the main frame.
constexpr int IDM_POPUP_POSITION_PLOT = 124;

struct PositionPlotLayout {
    int margin = 0;
    PlotRect plots;     // the three plots, stacked
    PlotRect textBox;   // the text block on the left
    int bandHeight = 0; // height of each plot's band
    int fontPixels = 0; // character height of the text block
};
PositionPlotLayout ComputePositionPlotLayout(int width, int height);

class CPositionPlotWnd : public QWidget {
    Q_OBJECT
public:
    enum Quantity { Latitude = 0, Longitude = 1, Altitude = 2 };
    enum SeriesIndex { RawSeries = 0, LsfSeries = 1, AvgSeries = 2 };

    explicit CPositionPlotWnd(QWidget* parent = nullptr);
    ~CPositionPlotWnd() override;

    void AddPosition(double latitude, double longitude, double altitude);
    // One fix: its latitude, longitude and altitude (the plots need nothing else of it).
    void AddSample(const PositionSample& sample);
    void ClearPlots();

    // The window drawn into p over a client area of the given size (what paintEvent shows).
    void Render(QPainter& p, const QSize& client);
    // The two columns of the text block.
    static QString LabelText();
    QString ValueText() const;

    QMenu* ContextMenu() const { return m_menu; }

    CVPlot m_plots[3];
    CAverage m_averages[3];
    LeastSquaresLine m_fits[3];
    std::uint32_t sampleCount = 0;
    double plotX = 0.0;
    double m_dLatitude = 0.0, m_dLongitude = 0.0, m_dAltitude = 0.0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* m_menu;
    QImage m_buffer;
};
