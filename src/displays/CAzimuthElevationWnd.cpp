#include "displays/CAzimuthElevationWnd.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265359;

double Radians(double degrees) {
    return degrees / 180.0 * kPi;
}

// A box given by its edges with right and bottom exclusive, as a QRect whose pen outline
// stays inside those edges.
QRect OutlineBox(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

// Truncates toward zero like a plain conversion, but keeps absurd elevations (or a NaN) from
// overflowing: such points land far outside any image and are clipped away.
int TruncToPixel(double v) {
    constexpr double kFar = 1.0e8;
    if (!(v > -kFar))
        return -static_cast<int>(kFar);
    if (v > kFar)
        return static_cast<int>(kFar);
    return static_cast<int>(v);
}

QImage LoadIcon(int bitmapId) {
    QImage raw(QStringLiteral(":/bitmaps/%1.png").arg(bitmapId));
    if (raw.isNull())
        return QImage();
    QImage icon = raw.convertToFormat(QImage::Format_ARGB32);
    const QRgb magenta = qRgb(255, 0, 255);
    for (int y = 0; y < icon.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(icon.scanLine(y));
        for (int x = 0; x < icon.width(); ++x)
            if ((line[x] & 0x00ffffffu) == (magenta & 0x00ffffffu))
                line[x] = 0;
    }
    return icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QFont CompassFont(double squareWidth, const QPainter& p) {
    // 5 % of the square's width in pixels, rounded, expressed through the device resolution
    // as a point-based height would be.
    const double dpi = p.device() ? p.device()->logicalDpiY() : 96.0;
    const int px = static_cast<int>(dpi * (squareWidth * 0.05 / (dpi / 72.0)) / 72.0 + 0.5);
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Normal);
    f.setPixelSize(px > 0 ? px : 1);
    return f;
}

} // namespace

SkyPlotGeometry ComputeSkyPlotGeometry(int l, int t, int r, int b) {
    const int w = r - l;
    const int h = b - t;
    const int hw = w / 2;
    const int hh = h / 2;
    if (w > h) {
        l += hw - hh;
        r -= hw - hh;
    } else {
        t += hh - hw;
        b -= hh - hw;
    }
    SkyPlotGeometry g;
    g.left = l;
    g.top = t;
    g.right = r;
    g.bottom = b;
    const double W = r - l;
    const double H = b - t;
    g.pixelsPerDegree = (W * 0.5) / 90.0;
    g.cx = l + W * 0.5;
    g.cy = t + H * 0.5;
    return g;
}

SkyPlotGeometry ComputeSkyPlotGeometry(const QRect& rect) {
    return ComputeSkyPlotGeometry(rect.left(), rect.top(), rect.left() + rect.width(),
                                  rect.top() + rect.height());
}

namespace {

// sin and cos of every whole degree 0..359, computed exactly as the mapping would, so that a
// full trail ring does not cost 20,000 trigonometric calls per paint.
struct WholeDegreeTable {
    double sin[360], cos[360];
    WholeDegreeTable() {
        for (int a = 0; a < 360; ++a) {
            sin[a] = std::sin(Radians(a));
            cos[a] = std::cos(Radians(a));
        }
    }
};

const WholeDegreeTable& Trig() {
    static const WholeDegreeTable table;
    return table;
}

} // namespace

QPoint SkyPlotPixel(const SkyPlotGeometry& g, double azimuthDegrees, double elevationDegrees) {
    const double whole = std::trunc(azimuthDegrees);
    double s, c;
    if (whole >= 0.0 && whole < 360.0) {
        const int a = static_cast<int>(whole);
        s = Trig().sin[a];
        c = Trig().cos[a];
    } else {
        s = std::sin(Radians(whole));
        c = std::cos(Radians(whole));
    }
    const double d = (90.0 - std::trunc(elevationDegrees)) * g.pixelsPerDegree;
    const int x = TruncToPixel(s * d) + static_cast<int>(g.cx + 0.5);
    const int y = TruncToPixel(-c * d) + static_cast<int>(g.cy + 0.5);
    return QPoint(x, y);
}

const QImage& SatelliteIcon(int bitmapId) {
    static const QImage used = LoadIcon(118);
    static const QImage inView = LoadIcon(102);
    static const QImage none;
    switch (bitmapId) {
    case 118:
        return used;
    case 102:
        return inView;
    default:
        return none;
    }
}

CAzimuthElevationWnd::CAzimuthElevationWnd()
    : satelliteSlots{}, previousSlots{}, trail(new TrailPoint[kTrailCapacity]) {
    ClearMask();
}

CAzimuthElevationWnd::~CAzimuthElevationWnd() = default;

QString SatelliteLabel(GnssSystem system, int prn) {
    const char letter = GnssSystemLetter(system);
    return letter == '\0' ? QString::number(prn)
                          : QLatin1Char(letter) + QString::asprintf("%02d", prn);
}

void CAzimuthElevationWnd::ClearTrails() {
    trailStart = 0;
    trailWrite = 0;
    trailCount = 0;
}

void CAzimuthElevationWnd::ClearMask() {
    for (double& e : maskElevation)
        e = kMaskUnset;
}

const TrailPoint& CAzimuthElevationWnd::TrailAt(uint32_t i) const {
    return trail[(trailStart + i) % kTrailCapacity];
}

void CAzimuthElevationWnd::UpdateSatellites(const DisplaySnapshot& snapshot) {
    for (int i = 0; i < kSlotCount; ++i) {
        const SnapshotSatellite& s = snapshot.satellites[i];
        SatelliteSlot& slot = satelliteSlots[i];
        slot.prn = s.prn;
        slot.azimuth = s.azimuth;
        slot.elevation = s.elevation;
        slot.snr = s.snr;
        slot.used = s.used;
        slot.system = DisplayedSystem(s);
    }
    UpdateMask();
    UpdateTrails();
}

void CAzimuthElevationWnd::UpdateMask() {
    for (const SatelliteSlot& slot : satelliteSlots) {
        if (slot.prn == 0 || !(slot.snr >= maskSnrThreshold) || slot.used != 1)
            continue;
        // Whole degrees of azimuth; a NaN or an out-of-range value records nothing.
        const double whole = std::trunc(slot.azimuth);
        if (!(whole >= 0.0 && whole <= 359.0))
            continue;
        double& entry = maskElevation[static_cast<int>(whole)];
        if (slot.elevation < entry)
            entry = slot.elevation;
    }
}

void CAzimuthElevationWnd::UpdateTrails() {
    for (int i = 0; i < kSlotCount; ++i) {
        const SatelliteSlot& slot = satelliteSlots[i];
        SatelliteSlot& prev = previousSlots[i];
        // != is true when either side is a NaN, so a NaN always counts as a move.
        if (slot.azimuth != prev.azimuth || slot.elevation != prev.elevation) {
            prev = slot;
            AppendTrailPoint(slot.azimuth, slot.elevation);
        }
    }
}

void CAzimuthElevationWnd::AppendTrailPoint(double azimuth, double elevation) {
    if (trailCount < kTrailCapacity) {
        trail[trailWrite] = TrailPoint{azimuth, elevation};
        ++trailWrite;
        ++trailCount;
        if (trailWrite == kTrailCapacity)
            trailWrite = 0;
    }
    // The append that fills the ring gives up the oldest point at once.
    if (trailCount >= kTrailCapacity && trailCount != 0) {
        ++trailStart;
        if (trailStart == kTrailCapacity)
            trailStart = 0;
        --trailCount;
    }
}

void CAzimuthElevationWnd::Draw(QPainter& p, const QRect& rect) const {
    Draw(p, rect, SkyPlotColours{usedColour, inViewColour, fillColour, ringColour, gridColour});
}

void CAzimuthElevationWnd::Draw(QPainter& p, const QRect& rect,
                                const SkyPlotColours& colours) const {
    const SkyPlotGeometry g = ComputeSkyPlotGeometry(rect);
    const int l = g.left, t = g.top, r = g.right, b = g.bottom;
    const double W = r - l;
    const double ppd = g.pixelsPerDegree;

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);

    // Horizon disc.
    p.setPen(QPen(colours.ring, 1));
    p.setBrush(colours.fill);
    p.drawEllipse(OutlineBox(l, t, r, b));

    // Cross through the centre and the 45-degree ring.
    const QPen gridPen(colours.grid, 1);
    p.setPen(gridPen);
    const int xMid = l + (r - l) / 2;
    const int yMid = t + (b - t) / 2;
    if (b - t > 0)
        p.drawLine(xMid, t, xMid, b - 1);
    if (r - l > 0)
        p.drawLine(l, yMid, r - 1, yMid);
    p.setBrush(Qt::NoBrush);
    const int r45 = static_cast<int>(ppd * 45.0);
    p.drawEllipse(OutlineBox(static_cast<int>(g.cx - r45), static_cast<int>(g.cy - r45),
                             static_cast<int>(g.cx + r45), static_cast<int>(g.cy + r45)));

    // Compass letters on an opaque background of the disc colour.
    const QFont font = CompassFont(W, p);
    p.setFont(font);
    const QFontMetrics fm(font, p.device());
    struct Letter {
        const char* text;
        double angle;
    };
    static constexpr Letter letters[] = {
        {"N", 0.0}, {"E", 1.570796326795}, {"S", 3.14159265359}, {"W", 4.7123889803850005}};
    for (int k = 0; k < 4; ++k) {
        const QString text = QString::fromLatin1(letters[k].text);
        const double a = letters[k].angle;
        const int ax = static_cast<int>(g.cx + 0.5) + static_cast<int>(88.0 * ppd * std::sin(a));
        const int ay = static_cast<int>(g.cy + 0.5) - static_cast<int>(88.0 * ppd * std::cos(a));
        const int tw = fm.horizontalAdvance(text);
        const int th = fm.height();
        QRect box;
        switch (k) {
        case 0: // hangs below the anchor
            box = QRect(QPoint(ax - tw / 2, ay), QPoint(ax + tw / 2, ay + th));
            break;
        case 1: // ends at the anchor
            box = QRect(QPoint(ax - tw, ay - th / 2), QPoint(ax, ay + th / 2));
            break;
        case 2: // stands on the anchor
            box = QRect(QPoint(ax - tw / 2, ay - th), QPoint(ax + tw / 2, ay));
            break;
        default: // starts at the anchor
            box = QRect(QPoint(ax, ay - th / 2), QPoint(ax + tw, ay + th / 2));
            break;
        }
        // QRect(QPoint, QPoint) is inclusive; the boxes above are right/bottom exclusive.
        box.adjust(0, 0, -1, -1);
        p.fillRect(box, colours.fill);
        p.setPen(colours.grid);
        p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
    }

    // Mask outline, then a faint wash over everything below it.
    QPolygon mask;
    mask.reserve(kMaskSize);
    for (int a = 0; a < kMaskSize; ++a)
        if (maskElevation[a] != kMaskUnset)
            mask << SkyPlotPixel(g, a, maskElevation[a]);
    if (!mask.isEmpty()) {
        if (mask.size() > 1) {
            p.setPen(gridPen);
            p.setBrush(Qt::NoBrush);
            p.drawPolygon(mask);
        }
        QColor wash = colours.grid;
        wash.setAlpha(16);
        p.setPen(Qt::NoPen);
        p.setBrush(wash);
        p.drawPolygon(mask, Qt::OddEvenFill);
    }

    // Trails, one pixel per point.
    if (trailCount > 0) {
        std::vector<QPoint> pixels;
        pixels.reserve(trailCount);
        for (uint32_t i = 0; i < trailCount; ++i) {
            const TrailPoint& tp = TrailAt(i);
            pixels.push_back(SkyPlotPixel(g, tp.azimuth, tp.elevation));
        }
        p.setPen(gridPen);
        p.drawPoints(pixels.data(), static_cast<int>(pixels.size()));
    }

    // Satellites, later slots over earlier ones.
    for (const SatelliteSlot& slot : satelliteSlots) {
        if (slot.prn == 0)
            continue;
        const QPoint pt = SkyPlotPixel(g, slot.azimuth, slot.elevation);
        const bool used = slot.used == 1;
        const QColor& colour = used ? colours.used : colours.inView;
        const QImage& icon = SatelliteIcon(used ? usedBitmapId : inViewBitmapId);
        int labelTop;
        if (!icon.isNull()) {
            p.drawImage(pt.x() - icon.width() / 2, pt.y() - icon.height() / 2, icon);
            labelTop = pt.y() + icon.height() / 2;
        } else {
            p.setPen(QPen(colour, 1));
            p.setBrush(colour);
            p.drawEllipse(OutlineBox(pt.x() - 5, pt.y() - 5, pt.x() + 5, pt.y() + 5));
            labelTop = pt.y() + 10;
        }
        const QString label = SatelliteLabel(slot.system, slot.prn);
        const int tw = fm.horizontalAdvance(label);
        const int th = fm.height();
        const QRect box(QPoint(pt.x() - tw / 2, labelTop),
                        QPoint(pt.x() + tw / 2 - 1, labelTop + th - 1));
        p.setPen(colour);
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                   label);
    }

    p.restore();
}
