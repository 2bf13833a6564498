#include "displays/CPositionPlotWnd.h"
#include "uisupport/OffscreenPaint.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFont>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <algorithm>

#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/LookColours.h"

namespace {

// The fitted line is drawn from the sixth sample on.
constexpr std::uint32_t kFirstFittedSample = 6;

const char kLabels[] = "Latitude:\nLongitude:\nAltitude:\n\nLSF Latitude:\nLSF Longitude:\nLSF "
                       "Altitude:\n\nAVG Latitude:\nAVG Longitude:\nAVG Altitude:\n\nSamples:\n";

} // namespace

PositionPlotLayout ComputePositionPlotLayout(int width, int height) {
    PositionPlotLayout L;
    const int W = width, H = height;
    L.margin = static_cast<int>(static_cast<double>(W) * H * 0.00001);
    const int m = L.margin;
    L.plots = PlotRect{W / 3 + m, m, W - m, H - m};
    L.textBox = PlotRect{m, m, W / 3, H - m};
    L.bandHeight = static_cast<int>((L.plots.bottom - L.plots.top) / 3.0);
    L.fontPixels = L.textBox.Width() / 20;
    return L;
}

CPositionPlotWnd::CPositionPlotWnd(QWidget* parent) : QWidget(parent), m_menu(new QMenu(this)) {
    setWindowTitle(QStringLiteral("Position Plot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (CVPlot& plot : m_plots)
        plot.frameColour = QColor(96, 96, 96);
    m_menu->addAction(QStringLiteral("&Clear plots"))->setData(Cmd::ClearPositionPlots);
    connect(m_menu, &QMenu::triggered, this,
            [this](QAction* a) { SendCommandToFrame(this, a->data().toInt()); });
}

CPositionPlotWnd::~CPositionPlotWnd() = default;

void CPositionPlotWnd::AddPosition(double latitude, double longitude, double altitude) {
    const std::uint32_t n = ++sampleCount;
    m_dLatitude = latitude;
    m_dLongitude = longitude;
    m_dAltitude = altitude;
    const double values[3] = {latitude, longitude, altitude};
    for (int q = 0; q < 3; ++q)
        m_fits[q].Add(static_cast<double>(n), values[q]);
    for (int q = 0; q < 3; ++q)
        m_averages[q].Add(values[q]);
    if (n >= kFirstFittedSample) {
        for (int q = 0; q < 3; ++q) {
            CVPlot& plot = m_plots[q];
            const LeastSquaresLine& fit = m_fits[q];
            plot.ClearSeries(LsfSeries);
            plot.AddPoint(LsfSeries, fit.slope + fit.intercept, 1.0);
            plot.AddPoint(LsfSeries, fit.slope * n + fit.intercept, static_cast<double>(n));
        }
    }
    for (int q = 0; q < 3; ++q)
        m_plots[q].AddPoint(RawSeries, values[q], plotX);
    for (int q = 0; q < 3; ++q)
        m_plots[q].AddPoint(AvgSeries, m_averages[q].Average(), plotX);
    plotX += 1.0;
    update();
}

void CPositionPlotWnd::AddSample(const PositionSample& sample) {
    AddPosition(sample.latitude, sample.longitude, sample.altitude);
}

void CPositionPlotWnd::ClearPlots() {
    for (CVPlot& plot : m_plots)
        for (int s : {RawSeries, LsfSeries, AvgSeries})
            plot.ClearSeries(s);
    plotX = 0.0;
    m_dLatitude = m_dLongitude = m_dAltitude = 0.0;
    for (int q = 0; q < 3; ++q) {
        m_fits[q].Reset();
        m_averages[q].Reset();
    }
    sampleCount = 0;
    update();
}

QString CPositionPlotWnd::LabelText() {
    return QString::fromLatin1(kLabels);
}

QString CPositionPlotWnd::ValueText() const {
    const double fitted[3] = {m_fits[0].ValueAt(m_fits[0].samples),
                              m_fits[1].ValueAt(m_fits[1].samples),
                              m_fits[2].ValueAt(m_fits[2].samples)};
    return QString::asprintf(
        "%.5f\n%.5f\n%.3f M\n\n%.5f\n%.5f\n%.3f M\n\n%.5f\n%.5f\n%.3f M\n\n%lu\n", m_dLatitude,
        m_dLongitude, m_dAltitude, fitted[0], fitted[1], fitted[2], m_averages[0].Average(),
        m_averages[1].Average(), m_averages[2].Average(),
        static_cast<unsigned long>(m_fits[0].samples));
}

void CPositionPlotWnd::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    PaintOffscreen(*this, m_buffer,
                   [this](QPainter& p, const QSize& client) { Render(p, client); });
}

void CPositionPlotWnd::Render(QPainter& p, const QSize& client) {
    const QRect R(QPoint(0, 0), client);
    const PositionPlotLayout L = ComputePositionPlotLayout(client.width(), client.height());
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // Under a look that paints no background the reused image would show the last frame.
    if (!LookPaintsBackground())
        p.fillRect(R, LookColours().background);
    FillLookBackground(p, R);
    // Captions, tick labels, legend and text block stand on the page background.
    const QColor fg = LookPageTextColour();

    static const char* const kCaptions[3] = {"Latitude", "Longitude", "Altitude (M)"};
    static const char* const kFormats[3] = {"%.06f", "%.06f", "%.03f"};
    for (int q = 0; q < 3; ++q) {
        CVPlot& plot = m_plots[q];
        plot.titleColour = plot.yLabelColour = plot.xLabelColour = plot.valueTextColour = fg;
        plot.yDivisions = 5;
        plot.valueFontFactor = 0.5f;
        plot.leftMarginDivisor = 7;
        plot.legendDivisor = 15;
        plot.yAxisLabel = QString::fromLatin1(kCaptions[q]);
        plot.seriesNames[RawSeries] = QStringLiteral("Raw");
        plot.seriesNames[LsfSeries] = QStringLiteral("LSF");
        plot.seriesNames[AvgSeries] = QStringLiteral("AVG");
        plot.yValueFormat = QString::fromLatin1(kFormats[q]);
        plot.title.clear();
        plot.xAxisLabel.clear();
        const int top = L.plots.top + q * L.bandHeight;
        plot.Draw(p, PlotRect{L.plots.left, top, L.plots.right, top + L.bandHeight});
    }

    const PlotRect& t = L.textBox;
    p.setPen(QPen(fg, 1));
    p.setBrush(Qt::NoBrush);
    if (t.Width() > 1 && t.Height() > 1)
        p.drawRoundedRect(QRect(t.left, t.top, t.Width() - 1, t.Height() - 1), 10.0, 10.0);

    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, L.fontPixels));
    p.setFont(font);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setPen(fg);
    const QRect labelBox(t.left + 5, t.top, std::max(0, t.Width() - 5), t.Height());
    const int flags = Qt::AlignLeft | Qt::AlignTop;
    const QRect labels = p.fontMetrics().boundingRect(labelBox, flags, LabelText());
    p.drawText(labelBox, flags, LabelText());
    const int valueLeft = labels.right() + 1 + 5;
    p.drawText(QRect(valueLeft, labels.top(), std::max(0, t.right - valueLeft), labels.height()),
               flags, ValueText());
    p.restore();
}

void CPositionPlotWnd::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(5, 5))
                                                                     : event->globalPos();
    m_menu->exec(at);
}
