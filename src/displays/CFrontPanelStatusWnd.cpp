#include "displays/CFrontPanelStatusWnd.h"
#include "uisupport/OffscreenPaint.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <utility>

#include "device/DeviceCommand.h"
#include "device/DeviceCommands.h"
#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/LookColours.h"

namespace {

// More in view than the snapshot holds cannot be shown.
constexpr int kMaxBars = kSnapshotSatellites;
constexpr int kBarsWhenNoneInView = 12;

QFont PageFont(int pixelHeight) {
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    f.setWeight(QFont::Normal);
    f.setPixelSize(std::max(1, pixelHeight));
    return f;
}

// A shape box from edges with right and bottom exclusive, sized so that a 1-pixel outline
// stays within those edges.
QRect OutlineBox(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

void DrawRoundBox(QPainter& p, const QRect& r) {
    p.drawRoundedRect(OutlineBox(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()),
                      10.0, 10.0);
}

// Rectangle with the current pen and the given brush; nothing for an empty box.
void DrawBox(QPainter& p, int left, int top, int right, int bottom, const QBrush& brush) {
    if (right - left <= 0 || bottom - top <= 0)
        return;
    p.setBrush(brush);
    p.drawRect(OutlineBox(left, top, right, bottom));
}

QRect Edges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

FrontPanelLayout ComputeFrontPanelLayout(const QSize& client) {
    const int W = client.width();
    const int H = client.height();
    FrontPanelLayout L;
    L.margin = static_cast<int>(static_cast<double>(W) * H * 0.00001);
    L.split = static_cast<int>(H / 1.5);
    const int m = L.margin, s = L.split;
    const int left = 0, top = 0, right = W, bottom = H;
    const int r1Right = left + m + W / 2;
    L.textBox = Edges(left + m, s, r1Right, bottom - m);
    L.skyPlot = Edges(r1Right + m, s, right - m, bottom - m);
    L.chart = Edges(left + m, top + m, right - m, s - m);
    return L;
}

QColor SatelliteBarColour(GnssSystem system, bool used) {
    switch (system) {
    case GnssSystem::Sbas:
        return QColor(0, 0, 32);
    case GnssSystem::Glonass:
        return used ? QColor(128, 0, 0) : QColor(32, 0, 0);
    case GnssSystem::Galileo:
        return used ? QColor(0, 150, 150) : QColor(0, 40, 40);
    case GnssSystem::BeiDou:
        return used ? QColor(170, 0, 170) : QColor(45, 0, 45);
    case GnssSystem::Qzss:
        return used ? QColor(210, 120, 0) : QColor(56, 32, 0);
    case GnssSystem::NavIC:
        return used ? QColor(160, 160, 0) : QColor(42, 42, 0);
    default:
        return used ? QColor(0, 180, 0) : QColor(0, 0, 180);
    }
}

void SignalBarOrder(const DisplaySnapshot& s, int n, int* order) {
    n = std::clamp(n, 0, kSnapshotSatellites);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    auto key = [&s](int i) {
        const SnapshotSatellite& sat = s.satellites[i];
        // GnssSystem's values are the display order; an empty slot goes after every system.
        const int system =
            sat.prn == 0 ? kGnssSystemCount + 1 : static_cast<int>(DisplayedSystem(sat));
        return std::pair<int, int32_t>(system, sat.prn);
    };
    std::stable_sort(order, order + n, [&](int a, int b) { return key(a) < key(b); });
}

int SignalBarInset(int cellWidth) {
    // The full 5 pixels while the bar keeps kMinBarWidth, then only what leaves it that wide.
    constexpr int kMinBarWidth = 4;
    return std::clamp((cellWidth - kMinBarWidth) / 2, 0, 5);
}

QString StatusValueText(const DisplaySnapshot& s) {
    return QString::asprintf(
        "%.5f\n%.5f\n%.3f M\n%.1f (%.1f)\n%.1f (%.1f)\n%.1f (%.1f)\n%d\n%d\n", s.latitude,
        s.longitude, s.altitude, s.gpsPdop, s.glonassPdop, s.gpsHdop, s.glonassHdop, s.gpsVdop,
        s.glonassVdop, static_cast<int>(s.satellitesUsed), static_cast<int>(s.satellitesInView));
}

CFrontPanelStatusWnd::CFrontPanelStatusWnd(ILineSender* sender, QWidget* parent)
    : QWidget(parent), m_sender(sender), m_menu(new QMenu(this)) {
    setWindowTitle(QStringLiteral("Front Panel Status"));
    // The whole client area is painted from the off-screen image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_skyPlot.usedBitmapId = IDB_SATELLITE_USED;
    m_skyPlot.inViewBitmapId = IDB_SATELLITE_IN_VIEW;

    m_menu->addAction(QStringLiteral("Clear Satellite Trails"))->setData(Cmd::ClearSatelliteTrails);
    m_menu->addAction(QStringLiteral("Clear Satellite &Azimuth/Elevation Mask"))
        ->setData(Cmd::ClearSatelliteMask);
    connect(m_menu, &QMenu::triggered, this,
            [this](QAction* a) { SendCommandToFrame(this, a->data().toInt()); });
}

CFrontPanelStatusWnd::~CFrontPanelStatusWnd() = default;

void CFrontPanelStatusWnd::ShowSnapshot(const DisplaySnapshot& snapshot) {
    m_bStale = false;
    m_snapshot = snapshot;
    m_skyPlot.UpdateSatellites(m_snapshot);
    update();
}

void CFrontPanelStatusWnd::SetStale(const QDateTime& lastPosition) {
    m_bStale = true;
    m_lastPosition = lastPosition;
    update();
}

QString CFrontPanelStatusWnd::StaleNotice() const {
    if (!m_lastPosition.isValid())
        return QStringLiteral("No longer updated - no position was received");
    return QStringLiteral("No longer updated - last position at %1")
        .arg(m_lastPosition.toString(QStringLiteral("HH:mm:ss")));
}

void CFrontPanelStatusWnd::DrawStaleNotice(QPainter& p, const QRect& page,
                                           const FrontPanelLayout& layout) const {
    // Everything drawn so far is dimmed towards the look's background, so that no bar or value
    // looks live; the notice is drawn at full strength over the chart.
    const LookColourPair look = LookColours();
    QColor veil = look.background;
    veil.setAlpha(170);
    p.fillRect(page, veil);

    const QRect band = layout.chart.isEmpty() ? page : layout.chart;
    QFont font = PageFont(std::max(12, band.width() / 36));
    font.setBold(true);
    p.setFont(font);
    const QFontMetrics fm(font, p.device());
    const QString text = StaleNotice();
    const int w = std::min(band.width(), fm.horizontalAdvance(text) + 2 * fm.height());
    const int h = std::min(band.height(), 2 * fm.height());
    const QRect box(band.center().x() - w / 2, band.center().y() - h / 2, w, h);
    const QColor amber(255, 191, 0);
    p.setPen(QPen(amber, 2));
    p.setBrush(look.background);
    p.drawRoundedRect(box, 8.0, 8.0);
    p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void CFrontPanelStatusWnd::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    // The off-screen image is kept while the client size stays the same, so that a paint
    // at the position rate does not allocate and fault in a fresh image every time.
    PaintOffscreen(*this, m_buffer,
                   [this](QPainter& p, const QSize& client) { Render(p, client); });
    if (m_sender)
        SendDeviceCommand(*m_sender, DeviceCommands::kGpsTestOutputOn);
}

void CFrontPanelStatusWnd::Render(QPainter& p, const QSize& client) const {
    const FrontPanelLayout L = ComputeFrontPanelLayout(client);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QRect page(QPoint(0, 0), client);
    // The off-screen image is reused between paints; under a look that paints no background
    // the page starts from black, as a freshly made screen bitmap does, instead of showing
    // the previous paint (or another look's background).
    if (!LookPaintsBackground())
        p.fillRect(page, Qt::black);
    FillLookBackground(p, page);

    DrawStatusText(p, L.textBox);

    // The sky plot is drawn in the look's colours, whatever its own colour slots hold.
    const LookColourPair look = LookColours();
    SkyPlotColours sky;
    sky.fill = look.background;
    sky.ring = look.foreground;
    sky.used = look.foreground;
    sky.grid = look.foreground;
    sky.inView = QColor(192, 192, 192);
    m_skyPlot.Draw(p, L.skyPlot, sky);

    DrawSignalBars(p, L.chart);
    if (m_bStale)
        DrawStaleNotice(p, page, L);
    p.restore();
}

void CFrontPanelStatusWnd::DrawStatusText(QPainter& p, const QRect& r1) const {
    const LookColourPair look = LookColours();
    const QColor text(0, 200, 0);
    p.save();
    p.setPen(QPen(text, 1));
    p.setBrush(look.background);
    DrawRoundBox(p, r1);

    const QFont font = PageFont(r1.width() / 35);
    p.setFont(font);
    const QFontMetrics fm(font, p.device());
    p.setPen(text);

    const QString labels = QStringLiteral("Latitude:\nLongitude:\nAltitude:\nPDOP:\nHDOP:\nVDOP:\n"
                                          "Satellites Tracked:\nSatellites in View:\n");
    const int right = r1.left() + r1.width();
    const int bottom = r1.top() + r1.height();
    const QRect labelBox = Edges(r1.left() + 5, r1.top(), right, bottom);
    p.drawText(labelBox, Qt::AlignLeft | Qt::AlignTop, labels);
    int widest = 0;
    for (const QString& line : labels.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));

    const QString values = StatusValueText(m_snapshot);
    const int valueLeft = labelBox.left() + widest + 5;
    if (valueLeft < right)
        p.drawText(Edges(valueLeft, r1.top(), right, bottom), Qt::AlignLeft | Qt::AlignTop, values);
    p.restore();
}

void CFrontPanelStatusWnd::DrawSignalBars(QPainter& p, const QRect& c) const {
    const LookColourPair look = LookColours();
    const int cLeft = c.left(), cTop = c.top();
    const int cRight = c.left() + c.width(), cBottom = c.top() + c.height();
    const int cw = cRight - cLeft;
    const int f = static_cast<int>(cw * 0.015);
    // Strengths sit on the bars' own colours; everything else on the chart's look background,
    // which is white under the light looks.
    const QColor white(255, 255, 255);
    const QColor ink = InkOn(look.background);

    p.save();
    const QFont font = PageFont(f);
    p.setFont(font);
    const QFontMetrics fm(font, p.device());
    p.setPen(QPen(ink, 1));
    p.setBrush(look.background);
    DrawRoundBox(p, c);

    const DisplaySnapshot& s = m_snapshot;
    int n = s.satellitesInView == 0 ? kBarsWhenNoneInView : s.satellitesInView;
    n = std::min(n, kMaxBars);
    const double pitch = n > 0 ? static_cast<double>(cw) / n : 0.0;
    // Common bottom of the cells, where the PRN strip starts.
    const int cellBottom = cBottom - 5 - 3 * f;

    int order[kMaxBars];
    SignalBarOrder(s, n, order);
    const int inset = SignalBarInset(static_cast<int>(pitch));

    for (int i = 0; i < n; ++i) {
        const SnapshotSatellite& sat = s.satellites[order[i]];
        const int left = cLeft + static_cast<int>(i * pitch) + inset;
        const int right = cLeft + static_cast<int>(i * pitch) + static_cast<int>(pitch) - inset;
        const int top = cTop + 5;
        const int bottom = cellBottom;

        p.setPen(QPen(ink, 1));
        // The frame's inside is already the look background (the chart box was filled with
        // it), so only the outline is drawn: same pixels, a full-HD chart's worth less fill.
        DrawBox(p, left, top, right, bottom, Qt::NoBrush);

        const int v = std::clamp(static_cast<int>(sat.snr), 0, 55);
        const int levelTop = bottom - static_cast<int>(v * (bottom - top) / 55.0);
        const GnssSystem system = DisplayedSystem(sat);
        const QColor fill = SatelliteBarColour(system, sat.used == 1);
        DrawBox(p, left, levelTop, right, bottom, fill);

        p.setPen(white);
        const QString snr = QString::number(sat.snr);
        if (fm.height() + levelTop < bottom)
            p.drawText(Edges(left, levelTop, right, bottom),
                       Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                       snr);
        p.setPen(ink);
        p.drawText(Edges(left, bottom, right, cBottom),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                   SatelliteLabel(system, sat.prn));
    }

    // Legend: one square and name per constellation seen so far.
    int squareLeft = cLeft + f / 2;
    const int squareTop = cellBottom + 2 * f;
    auto entry = [&](const QColor& colour, const QString& name) {
        p.setPen(QPen(ink, 1));
        DrawBox(p, squareLeft, squareTop, squareLeft + f, squareTop + f, colour);
        const int textLeft = squareLeft + f + 3;
        p.setPen(ink);
        p.drawText(QPoint(textLeft, squareTop + fm.ascent()), name);
        return fm.horizontalAdvance(name);
    };
    int lastWidth = entry(SatelliteBarColour(GnssSystem::Gps, true), QStringLiteral("= GPS"));
    auto seen = [&s](GnssSystem system) { return (s.systemsSeen & SystemBit(system)) != 0; };
    const struct {
        GnssSystem system;
        bool seen;
        const char* name;
    } others[] = {
        {GnssSystem::Sbas, s.sbasSeen == 1 || seen(GnssSystem::Sbas), "= WAAS"},
        {GnssSystem::Glonass, s.glonassSeen == 1 || seen(GnssSystem::Glonass), "= GLONASS"},
        {GnssSystem::Galileo, seen(GnssSystem::Galileo), "= Galileo"},
        {GnssSystem::BeiDou, seen(GnssSystem::BeiDou), "= BeiDou"},
        {GnssSystem::Qzss, seen(GnssSystem::Qzss), "= QZSS"},
        {GnssSystem::NavIC, seen(GnssSystem::NavIC), "= NavIC"},
    };
    for (const auto& o : others) {
        if (!o.seen)
            continue;
        squareLeft += lastWidth + 2 * f;
        lastWidth = entry(SatelliteBarColour(o.system, true), QString::fromLatin1(o.name));
    }
    p.restore();
}

void CFrontPanelStatusWnd::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(5, 5))
                                                                     : event->globalPos();
    m_menu->exec(at);
}
