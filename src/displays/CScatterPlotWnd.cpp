#include "displays/CScatterPlotWnd.h"

#include "displays/ScatterPlotSettings.h"
#include "uisupport/OffscreenPaint.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFont>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "displays/DestinationPoint.h"
#include "displays/GreatCircleDistance.h"
#include "displays/MicroDegrees.h"
#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/LookColours.h"

namespace {

const QColor kAverageMarkerColour(0, 128, 0);

// Rings whose box starts further out than this, or that are this small, are left out.
constexpr int kRingBoxLimit = -500;
constexpr int kSmallestRing = 10;

double Degrees(std::int32_t micro) {
    return micro / 1000000.0;
}

} // namespace

CScatterPlotWnd::CScatterPlotWnd(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Scatter Plot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

CScatterPlotWnd::~CScatterPlotWnd() = default;

void CScatterPlotWnd::RequestRepaint() {
    ++m_nRepaintRequests;
    update();
}

void CScatterPlotWnd::AddSample(const PositionSample& sample) {
    // A dilution the sentence did not carry is stored as 0.
    AddPosition(sample.latitude, sample.longitude, sample.altitude,
                std::isnan(sample.hdop) ? 0.0 : sample.hdop,
                std::isnan(sample.vdop) ? 0.0 : sample.vdop);
}

void CScatterPlotWnd::ClearPlot(bool repaint) {
    ClearPositions();
    if (repaint)
        RequestRepaint();
}

void CScatterPlotWnd::ZoomIn() {
    ScatterPlotModel::ZoomIn();
    RequestRepaint();
}

void CScatterPlotWnd::ZoomOut() {
    ScatterPlotModel::ZoomOut();
    RequestRepaint();
}

QString CScatterPlotWnd::DistanceText() const {
    const double d =
        GreatCircleDistance(Degrees(centre.latitude), Degrees(centre.longitude),
                            Degrees(lastPosition.latitude), Degrees(lastPosition.longitude));
    return QString::asprintf("Horiz Error = %.02fm\nSamples = %u\n", d,
                             static_cast<unsigned>(positions.size()));
}

std::vector<ScatterRing> CScatterPlotWnd::Rings(const QSize& client) const {
    const ScatterProjection pr =
        ComputeScatterProjection(viewBox, 0, 0, client.width(), client.height());
    const int cx = client.width() / 2;
    const int cy = client.height() / 2;
    const double lat = Degrees(pr.LatitudeAt(cy));
    const double lon = Degrees(pr.LongitudeAt(cx));
    std::vector<ScatterRing> rings;
    for (double radius : kScatterRingRadii) {
        ScatterRing ring;
        ring.radius = radius;
        const GeoPoint north = DestinationPoint(lat, lon, 0.0, radius);
        const int rN = pr.Row(MicroDegrees(north.lat));
        const int D = 2 * (cy - rN);
        ring.diameter = D;
        ring.box = QRect(cx - D / 2, cy - D / 2, D, D);
        ring.drawn =
            ring.box.left() > kRingBoxLimit && ring.box.top() > kRingBoxLimit && D > kSmallestRing;
        rings.push_back(ring);
    }
    return rings;
}

void CScatterPlotWnd::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    PaintOffscreen(*this, m_buffer,
                   [this](QPainter& p, const QSize& client) { Render(p, client); });
}

void CScatterPlotWnd::Render(QPainter& p, const QSize& client) {
    const QRect R(QPoint(0, 0), client);
    const int w = client.width(), h = client.height();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    const LookColourPair colours = LookColours();
    backColour = colours.background;
    foreColour = colours.foreground;
    // Under a look that paints no background the reused image would show the last frame.
    if (!LookPaintsBackground())
        p.fillRect(R, backColour);
    FillLookBackground(p, R);

    projection = ComputeScatterProjection(viewBox, 0, 0, w, h);

    p.setPen(QPen(foreColour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(0, h / 2, w - 1, h / 2);
    p.drawLine(w / 2, 0, w / 2, h - 1);

    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, static_cast<int>(std::min(w, h) * 0.03 + 0.5)));
    p.setFont(font);
    p.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(font);
    const int th = fm.boundingRect(QStringLiteral("jX")).height();

    for (const ScatterRing& ring : Rings(client)) {
        if (!ring.drawn)
            continue;
        p.setPen(QPen(foreColour, 1));
        p.drawEllipse(ring.box.adjusted(0, 0, -1, -1));
        if (ring.diameter > 2 * th)
            p.drawText(ring.box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                       QString::asprintf("%Gm", ring.radius));
    }

    p.setPen(foreColour);
    p.drawText(R, Qt::AlignLeft | Qt::AlignTop, DistanceText());

    p.setPen(Qt::NoPen);
    for (const CScatterPlotPosition& s : positions) {
        const QColor& c = s.hdop > dopThresholdX100 ? badPointColour : goodPointColour;
        p.fillRect(projection.Column(s.longitude) - 1, projection.Row(s.latitude) - 1, 3, 3, c);
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(latestMarkerColour, 1));
    p.drawEllipse(QRect(projection.Column(lastPosition.longitude) - 10,
                        projection.Row(lastPosition.latitude) - 10, 20, 20));
    p.setPen(QPen(kAverageMarkerColour, 2));
    p.drawEllipse(QRect(projection.Column(averageCentre.longitude) - 10,
                        projection.Row(averageCentre.latitude) - 10, 20, 20));

    zoomInRect = QRect(w - 45, 3, 40, 40);
    zoomOutRect = zoomInRect.translated(0, 60);
    const struct {
        const QRect& box;
        Button button;
        const char* text;
    } buttons[2] = {{zoomInRect, ZoomInButton, "+"}, {zoomOutRect, ZoomOutButton, "-"}};
    for (const auto& b : buttons) {
        p.setPen(QPen(foreColour, 1));
        p.setBrush(pressedButton == b.button ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
        p.drawRect(b.box.adjusted(0, 0, -1, -1));
        p.drawText(b.box.adjusted(0, 4, 0, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromLatin1(b.text));
    }
    p.restore();
}

void CScatterPlotWnd::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() < 0)
        ZoomOut();
    else
        ZoomIn();
    event->accept();
}

void CScatterPlotWnd::PressAt(const QPoint& at) {
    setFocus(Qt::MouseFocusReason);
    if (zoomInRect.contains(at))
        pressedButton = ZoomInButton;
    else if (zoomOutRect.contains(at))
        pressedButton = ZoomOutButton;
    else
        pressedButton = NoButton;
    if (pressedButton != NoButton)
        RequestRepaint();
}

void CScatterPlotWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        PressAt(event->position().toPoint());
    else
        QWidget::mousePressEvent(event);
}

void CScatterPlotWnd::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        PressAt(event->position().toPoint());
    else
        QWidget::mouseDoubleClickEvent(event);
}

void CScatterPlotWnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!zoomInRect.contains(at) && !zoomOutRect.contains(at)) {
        pressedButton = NoButton;
        RequestRepaint();
    }
}

void CScatterPlotWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (pressedButton == NoButton)
        return;
    pressedButton = NoButton;
    const QPoint at = event->position().toPoint();
    if (zoomInRect.contains(at))
        ZoomIn();
    else if (zoomOutRect.contains(at))
        ZoomOut();
    else
        RequestRepaint();
}

void CScatterPlotWnd::leaveEvent(QEvent* event) {
    pressedButton = NoButton;
    RequestRepaint();
    QWidget::leaveEvent(event);
}

QMenu* CScatterPlotWnd::ContextMenu() {
    if (!m_menu) {
        m_menu = new QMenu(this);
        const struct {
            const char* text;
            int id;
            CentreMode mode;
        } items[3] = {{"Center Next Position Sample", Cmd::CenterNextSample, CentreOnNextSample},
                      {"Center On Average", Cmd::CenterOnAverage, CentreOnAverage},
                      {"Center To User Position...", Cmd::CenterUserPosition, CentreOnUser}};
        for (const auto& item : items) {
            QAction* a = m_menu->addAction(QString::fromLatin1(item.text));
            a->setData(item.id);
            a->setCheckable(true);
            a->setProperty("centreMode", item.mode);
        }
        m_menu->addSeparator();
        m_menu->addAction(QStringLiteral("&Clear Plot"))->setData(Cmd::ClearScatterPlot);
        connect(m_menu, &QMenu::triggered, this,
                [this](QAction* a) { SendCommandToFrame(this, a->data().toInt()); });
        // The marks follow the stored mode, read each time the menu opens: after a clear the
        // plot centres on the next sample while the marks still show the stored choice.
        connect(m_menu, &QMenu::aboutToShow, this, [this] {
            const int stored = StoredScatterCentreMode();
            for (QAction* a : m_menu->actions())
                if (a->isCheckable())
                    a->setChecked(a->property("centreMode").toInt() == stored);
        });
    }
    return m_menu;
}

void CScatterPlotWnd::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(5, 5))
                                                                     : event->globalPos();
    ContextMenu()->exec(at);
}
