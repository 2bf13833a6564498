#include "displays/CScatterPlotWnd.h"

#include "displays/ScatterPlotSettings.h"
#include "uisupport/OffscreenPaint.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <string>

#include "displays/DestinationPoint.h"
#include "displays/GreatCircleDistance.h"
#include "displays/MicroDegrees.h"
#include "displays/PositionExport.h"
#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/LookColours.h"
#include "uisupport/UiHooks.h"

namespace {

const QColor kAverageMarkerColour(0, 128, 0);

// Rings whose box starts further out than this, or that are this small, are left out.
constexpr int kRingBoxLimit = -500;
constexpr int kSmallestRing = 10;

double Degrees(std::int32_t micro) {
    return micro / 1000000.0;
}

// Room between the figures and the window's edges.
constexpr int kFiguresMargin = 4;

QString Fixed(double value, int decimals) {
    return QString::fromStdString(FixedDecimal(value, decimals));
}

const QString kCsvFilter = QStringLiteral("CSV Files (*.csv)");
const QString kGpxFilter = QStringLiteral("GPX Files (*.gpx)");

} // namespace

CScatterPlotWnd::CScatterPlotWnd(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Scatter Plot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(QStringLiteral("Scatter Plot"));
}

CScatterPlotWnd::~CScatterPlotWnd() = default;

void CScatterPlotWnd::RequestRepaint() {
    ++m_nRepaintRequests;
    update();
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

QString CScatterPlotWnd::FiguresText() const {
    const PositionAccuracy& a = Accuracy();
    if (a.samples == 0)
        return {};
    QString text =
        QStringLiteral("Mean Lat = %1\nMean Lon = %2\nMean Alt = %3m\n"
                       "CEP50 = %4m\nCEP95 = %5m\n2DRMS = %6m\n")
            .arg(Fixed(a.meanLatitude, 7), Fixed(a.meanLongitude, 7), Fixed(a.meanAltitude, 2),
                 Fixed(a.cep50, 2), Fixed(a.cep95, 2), Fixed(a.twoDrms, 2));
    if (const std::optional<double> d = MeanDistanceFromUser())
        text += QStringLiteral("Mean to User = %1m\n").arg(Fixed(*d, 2));
    return text;
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
    // Text and rings stand on the page background, which is not the look's background colour
    // under every look.
    foreColour = LookPageTextColour();
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
    for (const ScatterSample& s : positions) {
        const ScatterShade shade = ShadeOf(s);
        const QColor& c = shade == ScatterShade::Good  ? goodPointColour
                          : shade == ScatterShade::Bad ? badPointColour
                                                       : unknownDopPointColour;
        p.fillRect(projection.Column(s.longitude) - 1, projection.Row(s.latitude) - 1, 3, 3, c);
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(latestMarkerColour, 1));
    p.drawEllipse(QRect(projection.Column(lastPosition.longitude) - 10,
                        projection.Row(lastPosition.latitude) - 10, 20, 20));
    p.setPen(QPen(kAverageMarkerColour, 2));
    p.drawEllipse(QRect(projection.Column(averageCentre.longitude) - 10,
                        projection.Row(averageCentre.latitude) - 10, 20, 20));

    // The figures over whatever samples lie in the corner, on the page background again so
    // that they read as well as the other text.
    const QString figures = FiguresText();
    figuresRect = QRect();
    if (!figures.isEmpty()) {
        const QRect box = fm.boundingRect(QRect(0, 0, w, h), Qt::AlignLeft | Qt::AlignTop, figures);
        figuresRect = QRect(kFiguresMargin, h - box.height() - kFiguresMargin,
                            box.width() + 2 * kFiguresMargin, box.height());
        p.save();
        p.setClipRect(figuresRect);
        if (!LookPaintsBackground())
            p.fillRect(R, backColour);
        FillLookBackground(p, R);
        p.restore();
        p.setPen(foreColour);
        p.drawText(figuresRect.adjusted(kFiguresMargin, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                   figures);
    }

    zoomInRect = QRect(w - 45, 3, 40, 40);
    zoomOutRect = zoomInRect.translated(0, 60);
    const struct {
        const QRect& box;
        Button button;
        const char* text;
    } buttons[2] = {{zoomInRect, ZoomInButton, "+"}, {zoomOutRect, ZoomOutButton, "-"}};
    // On the white of a pressed button a light foreground would vanish.
    const QColor pressedText =
        ContrastRatio(foreColour, Qt::white) >= kReadableContrast ? foreColour : QColor(Qt::black);
    for (const auto& b : buttons) {
        const bool pressed = pressedButton == b.button;
        p.setPen(QPen(foreColour, 1));
        p.setBrush(pressed ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
        p.drawRect(b.box.adjusted(0, 0, -1, -1));
        p.setPen(pressed ? pressedText : foreColour);
        p.drawText(b.box.adjusted(0, 4, 0, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromLatin1(b.text));
    }
    p.restore();
}

void CScatterPlotWnd::wheelEvent(QWheelEvent* event) {
    // Only vertical rotation zooms; a sideways tilt or swipe is left to the parents.
    const int dy = event->angleDelta().y();
    if (dy == 0) {
        event->ignore();
        return;
    }
    // Fine-step wheels and touchpads send small deltas: they add up to whole steps, and a
    // turn the other way starts afresh.
    if (m_wheelRemainder != 0 && (m_wheelRemainder > 0) != (dy > 0))
        m_wheelRemainder = 0;
    m_wheelRemainder += dy;
    while (m_wheelRemainder >= kWheelStep) {
        m_wheelRemainder -= kWheelStep;
        ZoomIn();
    }
    while (m_wheelRemainder <= -kWheelStep) {
        m_wheelRemainder += kWheelStep;
        ZoomOut();
    }
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
        m_menu->addSeparator();
        // The plot holds the samples, so it writes them itself.
        QAction* exportAction = m_menu->addAction(QStringLiteral("Export Positions..."));
        exportAction->setObjectName(QStringLiteral("exportPositions"));
        exportAction->setStatusTip(
            QStringLiteral("Write the plotted positions to a CSV or GPX file"));
        connect(exportAction, &QAction::triggered, this, &CScatterPlotWnd::ExportPositions);
        m_menu->setAccessibleName(QStringLiteral("Scatter Plot Menu"));
        connect(m_menu, &QMenu::triggered, this, [this](QAction* a) {
            if (a->data().isValid())
                SendCommandToFrame(this, a->data().toInt());
        });
        // The marks follow the stored mode, read each time the menu opens: after a clear the
        // plot centres on the next sample while the marks still show the stored choice.
        connect(m_menu, &QMenu::aboutToShow, this, [this] {
            const int stored = StoredScatterCentreMode();
            for (QAction* a : m_menu->actions())
                if (a->isCheckable())
                    a->setChecked(a->property("centreMode").toInt() == stored);
            if (QAction* e = m_menu->findChild<QAction*>(QStringLiteral("exportPositions")))
                e->setEnabled(!positions.empty());
        });
    }
    return m_menu;
}

void CScatterPlotWnd::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(5, 5))
                                                                     : event->globalPos();
    ContextMenu()->exec(at);
}

bool CScatterPlotWnd::WritePositions(const QString& path, PositionFileFormat format,
                                     QString& error) const {
    const std::vector<PositionSample> fixes = Fixes();
    const std::string text =
        format == PositionFileFormat::Gpx ? PositionsGpx(fixes) : PositionsCsv(fixes);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    if (file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

void CScatterPlotWnd::ExportPositions() {
    QFileDialog dialog(window(), QStringLiteral("Export Positions"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kCsvFilter, kGpxFilter});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == kGpxFilter ? QStringLiteral("gpx")
                                                     : QStringLiteral("csv"));
    });
    dialog.selectFile(
        QStringLiteral("positions-%1.csv")
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty())
        return;
    // The name's own suffix decides; a name without one goes by the chosen filter.
    PositionFileFormat format = dialog.selectedNameFilter() == kGpxFilter ? PositionFileFormat::Gpx
                                                                          : PositionFileFormat::Csv;
    if (path.endsWith(QStringLiteral(".gpx"), Qt::CaseInsensitive))
        format = PositionFileFormat::Gpx;
    else if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        format = PositionFileFormat::Csv;
    QString error;
    if (!WritePositions(path, format, error))
        AppMessageBox(
            this, QMessageBox::Critical,
            QStringLiteral("The positions could not be written to\n%1\n%2").arg(path, error));
}
