#include "displays/CVPlot.h"
#include "displays/ColumnDecimator.h"
#include "uisupport/OffscreenPaint.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QColor kDefaultColours[4] = {QColor(0, 255, 0), QColor(255, 0, 0), QColor(192, 192, 255),
                                   QColor(255, 0, 255)};

// Points this far outside the plot area still join the line, so that it leaves the area at
// the right slope.
constexpr int kLineBand = 20;

QFont PlotFont(int tenths) {
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, PointFontPixels(tenths)));
    return f;
}

QRect Edges(const PlotRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

} // namespace

int PointFontPixels(int tenths) {
    double dpi = 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchY();
    return static_cast<int>(std::lround(dpi * tenths / 720.0));
}

QString FormatDouble(const QString& format, double value) {
    // The formats are the owner's own; a single conversion of a double is all they hold.
    const QString label = QString::asprintf(format.toLatin1().constData(), value);
    return QString::fromStdString(WithoutNegativeZero(label.toStdString()));
}

QString YTickLabel(const QString& format, double value) {
    return FormatDouble(format, std::fabs(value) < 1e-20 ? 0.0 : value);
}

CVPlot::CVPlot(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < kSeriesCount; ++i) {
        seriesColours[i] = kDefaultColours[i % 4];
        seriesNames[i] = QStringLiteral("Untitled");
    }
}

CVPlot::~CVPlot() = default;

void CVPlot::AddPoint(int series, double value, double abscissa) {
    if (series < 0 || series >= kSeriesCount)
        return;
    m_series[series].AddPoint(value, abscissa);
}

void CVPlot::ClearSeries(int series) {
    if (series < 0 || series >= kSeriesCount)
        return;
    m_series[series].Clear();
}

void CVPlot::SetHistoryBound(const PlotHistoryBound& bound) {
    for (PlotSeries& s : m_series)
        s.SetHistoryBound(bound);
}

void CVPlot::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    PaintOffscreen(*this, m_buffer, [this](QPainter& p, const QSize& client) {
        // Draw leaves the background outside the plot area to its caller.
        p.fillRect(QRect(QPoint(0, 0), client), palette().window());
        Draw(p, PlotRect{0, 0, client.width(), client.height()});
    });
}

void CVPlot::Draw(QPainter& p, const PlotRect& r) {
    layout = ComputeVPlotLayout(r, leftMarginDivisor, legendDivisor, showLegend == 1);
    ranges = ComputeVPlotRanges(m_series, kSeriesCount, layout.plotArea);
    const PlotRect& a = layout.plotArea;

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    p.setPen(QPen(frameColour, 1));
    p.setBrush(plotFillColour);
    if (a.Width() > 0 && a.Height() > 0)
        p.drawRect(QRect(a.left, a.top, a.Width() - 1, a.Height() - 1));

    const int valueTenths =
        static_cast<int>(std::max(50.0, static_cast<double>(a.Height()) * valueFontFactor));
    const int titleTenths = static_cast<int>(std::max(50.0, layout.titleRect.Height() * 4.0));
    const QFont valueFont = PlotFont(valueTenths);
    const QFont titleFont = PlotFont(titleTenths);

    p.setFont(valueFont);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(frameColour, 1));
    p.setBackgroundMode(Qt::TransparentMode);
    DrawYGrid(p);
    DrawXGrid(p);

    if (showLegend == 1)
        DrawLegend(p);

    p.setPen(xLabelColour);
    p.drawText(Edges(layout.xLabelRect), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
               xAxisLabel);

    {
        p.setPen(yLabelColour);
        const QFontMetrics fm(valueFont);
        const int cx = fm.horizontalAdvance(yAxisLabel);
        const PlotRect& y = layout.yLabelRect;
        p.save();
        p.translate(y.left, y.top + y.Height() / 2 + cx / 2);
        p.rotate(-90.0);
        p.drawText(0, fm.ascent(), yAxisLabel);
        p.restore();
    }

    p.setPen(titleColour);
    p.setFont(titleFont);
    p.drawText(Edges(layout.titleRect), Qt::AlignCenter | Qt::TextSingleLine, title);

    p.setFont(valueFont);
    DrawSeries(p);
    p.restore();
}

void CVPlot::DrawYGrid(QPainter& p) {
    const PlotRect& a = layout.plotArea;
    const QFontMetrics fm(p.font());
    for (double t : YTickCandidates(ranges.yMin, ranges.yMax, yDivisions)) {
        const int y = ranges.Row(t);
        if (y <= a.top || y >= a.bottom)
            continue;
        p.setPen(QPen(frameColour, 1));
        p.drawLine(a.left, y, a.right - 1, y);
        const QString label = YTickLabel(yValueFormat, t);
        const int cx = fm.horizontalAdvance(label);
        const int cy = fm.height();
        p.setPen(valueTextColour);
        p.drawText(QRect(a.left - cx - 3, y - cy / 2, 2 * cx + 6, cy),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    }
}

void CVPlot::DrawXGrid(QPainter& p) {
    const PlotRect& a = layout.plotArea;
    const QFontMetrics fm(p.font());
    for (double t : XTickCandidates(ranges.xMin, ranges.xMax, xDivisions)) {
        const int x = ranges.Column(t);
        if (x <= a.left || x >= a.right)
            continue;
        p.setPen(QPen(frameColour, 1));
        p.drawLine(x, a.top, x, a.bottom - 1);
        const QString label = FormatDouble(xValueFormat, t);
        const int cx = fm.horizontalAdvance(label);
        p.setPen(valueTextColour);
        p.drawText(QRect(x - cx / 2, a.bottom, cx, fm.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    }
}

void CVPlot::DrawLegend(QPainter& p) {
    const PlotRect& g = layout.legendRect;
    const int seg = g.Width() / 10;
    const QFontMetrics fm(p.font());
    int y0 = 0;
    for (int i = 0; i < kSeriesCount; ++i) {
        if (m_series[i].pointCount == 0)
            continue;
        const int L = g.left + 6 + seg;
        const int T = g.top + y0;
        const QRect measured =
            fm.boundingRect(QRect(L, T, std::max(1, g.right - L), 1 << 20),
                            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, seriesNames[i]);
        const int h = measured.height();
        p.setPen(valueTextColour);
        p.drawText(QRect(L, T, measured.width(), h),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, seriesNames[i]);
        p.setPen(QPen(seriesColours[i], 5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(g.left, T + h / 2, g.left + seg, T + h / 2);
        y0 += h / 2 + h;
    }
}

void CVPlot::DrawSeries(QPainter& p) {
    const PlotRect& a = layout.plotArea;
    p.save();
    p.setClipRect(Edges(a));
    std::vector<PlotPoint> points;
    QPolygon line;
    for (int i = 0; i < kSeriesCount; ++i) {
        const PlotSeries& s = m_series[i];
        if (s.pointCount == 0)
            continue;
        points.clear();
        line.clear();
        if (drawEveryPoint) {
            s.ForEachPoint([&](const CVPlotDataItem& item) {
                const int column = ranges.Column(item.abscissa);
                if (column > a.left - kLineBand && column < a.right + kLineBand)
                    line.append(QPoint(column, ranges.Row(item.value)));
            });
        } else {
            ColumnDecimator decimator(points);
            s.ForEachPoint([&](const CVPlotDataItem& item) {
                const int column = ranges.Column(item.abscissa);
                if (column > a.left - kLineBand && column < a.right + kLineBand)
                    decimator.Add(column, ranges.Row(item.value));
            });
            decimator.Finish();
            line.reserve(static_cast<qsizetype>(points.size()));
            for (const PlotPoint& pt : points)
                line.append(QPoint(pt.x, pt.y));
        }
        if (line.size() < 2)
            continue;
        p.setPen(QPen(seriesColours[i], 1));
        p.drawPolyline(line);
    }
    p.restore();
}
