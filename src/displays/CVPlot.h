#pragma once
// A line chart of up to 16 series of (abscissa, value) points: framed plot area, automatic
// ranges, grid with tick labels on both axes, title, axis captions and legend. The owner
// writes the settings directly and appends points; Draw renders into any painter.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include "displays/PlotSeries.h"
#include "displays/VPlotScales.h"

class QPainter;

class CVPlot : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSeriesCount = 16;

    explicit CVPlot(QWidget* parent = nullptr);
    ~CVPlot() override;

    void AddPoint(int series, double value, double abscissa);
    void ClearSeries(int series);
    // How much history every series keeps (a day at one point a second by default).
    void SetHistoryBound(const PlotHistoryBound& bound);
    // Draws the chart into r (right and bottom exclusive). Only the plot area is filled; the
    // caller has painted the rest of the background.
    void Draw(QPainter& p, const PlotRect& r);

    const PlotSeries& Series(int i) const { return m_series[i]; }

    QColor seriesColours[kSeriesCount];
    QString seriesNames[kSeriesCount];
    QString title = QStringLiteral("Untitled");
    QString yAxisLabel = QStringLiteral("Y-Axis");
    QString xAxisLabel = QStringLiteral("X-Axis");
    QString yValueFormat = QStringLiteral("%G");
    QString xValueFormat = QStringLiteral("%G");
    QColor plotFillColour{0, 0, 0};
    QColor frameColour{255, 255, 255};
    QColor valueTextColour{255, 255, 255};
    QColor titleColour{255, 255, 255};
    QColor yLabelColour{255, 255, 255};
    QColor xLabelColour{255, 255, 255};
    int showLegend = 1;
    int leftMarginDivisor = 8;
    int legendDivisor = 5;
    int yDivisions = 10;
    int xDivisions = 10;
    float valueFontFactor = 0.24f;
    // Joins every stored point instead of the few per pixel column that show; the same
    // picture, many times slower on a long series. For comparisons only.
    bool drawEveryPoint = false;

    // From the last Draw.
    VPlotLayout layout;
    VPlotRanges ranges;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawYGrid(QPainter& p);
    void DrawXGrid(QPainter& p);
    void DrawLegend(QPainter& p);
    void DrawSeries(QPainter& p);

    PlotSeries m_series[kSeriesCount];
    QImage m_buffer;
};

// The pixel height of a font given in tenths of a point on the screen.
int PointFontPixels(int tenths);
// A printf-style format applied to one double, as the tick labels use it; never a negative
// zero ("-0.000" reads "0.000").
QString FormatDouble(const QString& format, double value);
// A Y tick label: values within 1e-20 of zero are labelled as 0, so that the sum of steps
// does not show as a tiny residue.
QString YTickLabel(const QString& format, double value);
