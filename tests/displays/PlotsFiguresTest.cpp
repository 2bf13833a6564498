// The plots' text under every look, the scatter plot's wheel, accuracy figures, shading of
// fixes without an HDOP, and its position export read back.

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>
#include <limits>
#include <vector>

#include "PixelCheck.h"
#include "displays/CPositionPlotWnd.h"
#include "displays/CScatterPlotWnd.h"
#include "displays/PositionExport.h"
#include "uisupport/LookColours.h"
#include "uisupport/UiHooks.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

template <class W> QImage RenderWindow(W& wnd, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    wnd.Render(p, size);
    return img;
}

// Every colour the page background of the current look takes, painted as the plots paint it.
QSet<QRgb> PageColours() {
    QImage page(QSize(40, 600), QImage::Format_RGB32);
    page.fill(Qt::magenta);
    {
        QPainter p(&page);
        const QRect r(QPoint(0, 0), page.size());
        if (!LookPaintsBackground())
            p.fillRect(r, LookColours().background);
        FillLookBackground(p, r);
    }
    QSet<QRgb> colours;
    for (int y = 0; y < page.height(); ++y)
        colours.insert(page.pixel(0, y) & 0xffffff);
    return colours;
}

// Pixels of exactly this colour in r.
int CountPixels(const QImage& img, const QRect& r, const QColor& c) {
    int n = 0;
    const QRect in = r.intersected(img.rect());
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
            n += (img.pixel(x, y) & 0xffffff) == (c.rgb() & 0xffffff);
    return n;
}

QRect Edges(const PlotRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void Wheel(QWidget& w, QPoint angle) {
    QWheelEvent e(QPointF(50, 50), w.mapToGlobal(QPointF(50, 50)), QPoint(), angle, Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

PositionSample Fix(double lat, double lon, double alt, double hdop, int quality,
                   std::int64_t utcMs) {
    PositionSample s;
    s.latitude = lat;
    s.longitude = lon;
    s.altitude = alt;
    s.hdop = hdop;
    s.vdop = kNaN;
    s.fixQuality = quality;
    s.utcMs = utcMs;
    return s;
}

// Fixes in metres east and north of latitude 0, longitude 100 (110574.2758 m per degree of
// latitude and 111319.4908 m per degree of longitude there).
PositionSample AtEquator(double east, double north) {
    return Fix(north / 110574.27582159436, 100.0 + east / 111319.49079327358, 10.0, 1.0, 1, 0);
}

// The CSV the export writes, split into rows of fields (no field of it needs quoting).
std::vector<QStringList> ParseCsv(const QByteArray& bytes) {
    std::vector<QStringList> rows;
    const QString text = QString::fromUtf8(bytes);
    [&] { QVERIFY2(text.endsWith(QStringLiteral("\r\n")), "rows end in CR LF"); }();
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows.push_back(line.split(QLatin1Char(',')));
    return rows;
}

const std::vector<PositionSample>& ExportSamples() {
    static const std::vector<PositionSample> samples = {
        Fix(47.66198167, -122.32639367, 76.5, 0.9, 1, 1796956598250),
        Fix(-33.87654321, 151.20000004, -3.25, kNaN, 4, 0),
        Fix(-0.00000001, -0.00000004, 0.0, 12.5, 2, 1796956598350),
    };
    return samples;
}

} // namespace

class PlotsFiguresTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetApplicationLook(AppLook::VS2005); }
    void cleanup() { SetModalHook(nullptr); }

    // Tick labels, legend names, captions and the scatter plot's text stand on the page
    // background: under every look they must reach a contrast of 4.5 against every tone of it.
    void textReadableUnderEveryLook() {
        for (unsigned look = AppLook::Plain; look <= AppLook::Windows7; ++look) {
            SetApplicationLook(look);
            const QSet<QRgb> page = PageColours();
            const QString name = QString::number(look);
            auto readable = [&](const QColor& text, const char* what) {
                for (QRgb tone : page)
                    QVERIFY2(ContrastRatio(text, QColor(tone)) >= 4.5,
                             qPrintable(QStringLiteral("look %1: %2 %3 on %4 reads %5")
                                            .arg(name, QLatin1String(what), PixelName(text.rgb()),
                                                 PixelName(tone))
                                            .arg(ContrastRatio(text, QColor(tone)))));
            };

            CPositionPlotWnd plot;
            for (int i = 0; i < 10; ++i)
                plot.AddPosition(51.0 + i * 1e-5, -1.0 - i * 1e-5, 80.0 + i);
            const QImage img = RenderWindow(plot, QSize(900, 600));
            for (const CVPlot& p : plot.m_plots) {
                readable(p.valueTextColour, "tick labels and legend");
                readable(p.titleColour, "title");
                readable(p.yLabelColour, "Y caption");
                readable(p.xLabelColour, "X caption");
            }
            // What is drawn is that colour: the legend names and the Y tick labels.
            const CVPlot& lat = plot.m_plots[0];
            QVERIFY2(CountPixels(img, Edges(lat.layout.legendRect), lat.valueTextColour) > 0,
                     qPrintable(name));
            const PlotRect& a = lat.layout.plotArea;
            QVERIFY2(CountPixels(img, QRect(a.left - 80, a.top, 78, a.bottom - a.top),
                                 lat.valueTextColour) > 0,
                     qPrintable(name));

            CScatterPlotWnd scatter;
            for (int i = 0; i < 5; ++i)
                scatter.AddSample(Fix(51.5 + i * 1e-5, -0.1, 10.0, 1.0, 1, 0));
            const QImage s = RenderWindow(scatter, QSize(600, 400));
            readable(scatter.foreColour, "scatter text");
            QVERIFY2(CountPixels(s, scatter.figuresRect, scatter.foreColour) > 0, qPrintable(name));
        }
    }

    void wheelZoomsOneStepPer120Units() {
        CScatterPlotWnd w;
        // A fine-step wheel: eight events of 15 make one step, on the eighth.
        for (int i = 0; i < 7; ++i)
            Wheel(w, QPoint(0, 15));
        QCOMPARE(w.viewRadius, 100.0);
        Wheel(w, QPoint(0, 15));
        QCOMPARE(w.viewRadius, 80.0);
        // Sideways, either way and however far: nothing, and nothing left over.
        for (int i = 0; i < 10; ++i) {
            Wheel(w, QPoint(120, 0));
            Wheel(w, QPoint(-120, 0));
        }
        QCOMPARE(w.viewRadius, 80.0);
        // A diagonal swipe counts its vertical part only.
        Wheel(w, QPoint(400, -120));
        QCOMPARE(w.viewRadius, 100.0);
        // Two notches in one event are two steps.
        Wheel(w, QPoint(0, 240));
        QCOMPARE(w.viewRadius, 60.0);
        // Turning back starts afresh: 60 in, then 60 out is not a step, 120 out is one.
        Wheel(w, QPoint(0, 60));
        Wheel(w, QPoint(0, -60));
        QCOMPARE(w.viewRadius, 60.0);
        Wheel(w, QPoint(0, -60));
        QCOMPARE(w.viewRadius, 80.0);

        // Out to where the view would lose its centre (near the pole), and no further.
        CScatterPlotWnd polar;
        polar.centre.latitude = 89990000;
        polar.UpdateViewBox();
        double previous = 0.0;
        int events = 0;
        while (polar.viewRadius != previous && events < 200) {
            previous = polar.viewRadius;
            Wheel(polar, QPoint(0, -120));
            ++events;
        }
        QVERIFY(events < 200);
        const double limit = polar.viewRadius;
        for (int i = 0; i < 5; ++i)
            Wheel(polar, QPoint(0, -120));
        QCOMPARE(polar.viewRadius, limit);
        QVERIFY(polar.viewBox.maxLatitude > polar.centre.latitude);
        QVERIFY(polar.viewBox.minLongitude < polar.centre.longitude);
        Wheel(polar, QPoint(0, 120));
        QVERIFY(polar.viewRadius < limit);
    }

    void figuresInTheCorner() {
        CScatterPlotWnd w;
        QCOMPARE(w.FiguresText(), QString());
        // The hand-worked cloud of the core tests: CEP50 3 m, CEP95 4 m, 2DRMS 2 sqrt(10).
        for (const auto& [e, n] :
             {std::pair{3.0, 0.0}, {0.0, 4.0}, {-3.0, 0.0}, {0.0, -4.0}, {0.0, 0.0}})
            w.AddSample(AtEquator(e, n));
        QCOMPARE(w.FiguresText(),
                 QStringLiteral("Mean Lat = 0.0000000\nMean Lon = 100.0000000\nMean Alt = 10.00m\n"
                                "CEP50 = 3.00m\nCEP95 = 4.00m\n2DRMS = 6.32m\n"));
        // With a user position 100 micro-degrees north of the mean: 11.06 m.
        w.userCentre.latitude = 100;
        w.userCentre.longitude = 100000000;
        QVERIFY(w.FiguresText().endsWith(QStringLiteral("\nMean to User = 11.06m\n")));

        // Drawn in the bottom-left corner, clear of the distance text and the zoom buttons.
        const QImage img = RenderWindow(w, QSize(600, 400));
        QVERIFY(w.figuresRect.left() >= 0 && w.figuresRect.bottom() < 400);
        QVERIFY(w.figuresRect.top() > 200);
        QVERIFY(!w.figuresRect.intersects(w.zoomOutRect));
        QVERIFY(CountPixels(img, w.figuresRect, w.foreColour) > 0);
        w.ClearPlot(false);
        QCOMPARE(w.FiguresText(), QString());
    }

    void fixesWithoutHdopAreGrey() {
        CScatterPlotWnd w;
        w.AddSample(Fix(51.5, -0.1, 10.0, kNaN, 1, 0));
        w.AddSample(Fix(51.5001, -0.1, 10.0, 3.5, 1, 0));
        const QImage img = RenderWindow(w, QSize(600, 400));
        const ScatterProjection& p = w.projection;
        const ScatterSample& unknown = w.positions[0];
        const ScatterSample& bad = w.positions[1];
        EXPECT_PIXEL(img, p.Column(unknown.longitude) + 1, p.Row(unknown.latitude) + 1,
                     qRgb(160, 160, 160));
        EXPECT_PIXEL(img, p.Column(bad.longitude) + 1, p.Row(bad.latitude) + 1,
                     qRgb(255, 128, 128));
    }

    void exportReadsBack() {
        QTemporaryDir dir;
        CScatterPlotWnd w;
        for (const PositionSample& s : ExportSamples())
            w.AddSample(s);
        const std::vector<PositionSample>& want = ExportSamples();

        QString error;
        const QString csvPath = dir.filePath(QStringLiteral("p.csv"));
        QVERIFY(w.WritePositions(csvPath, PositionFileFormat::Csv, error));
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const std::vector<QStringList> rows = ParseCsv(csv.readAll());
        QCOMPARE(rows.size(), want.size() + 1);
        QCOMPARE(rows[0],
                 (QStringList{"time", "latitude", "longitude", "altitude", "hdop", "fix_quality"}));
        for (size_t i = 0; i < want.size(); ++i) {
            const QStringList& r = rows[i + 1];
            const PositionSample& s = want[i];
            QCOMPARE(r.size(), 6);
            if (s.utcMs == 0)
                QCOMPARE(r[0], QString());
            else
                QCOMPARE(QDateTime::fromString(r[0], Qt::ISODateWithMs).toMSecsSinceEpoch(),
                         s.utcMs);
            QVERIFY(std::fabs(r[1].toDouble() - s.latitude) <= 0.5e-7);
            QVERIFY(std::fabs(r[2].toDouble() - s.longitude) <= 0.5e-7);
            QVERIFY(std::fabs(r[3].toDouble() - s.altitude) <= 0.5e-3);
            if (std::isnan(s.hdop))
                QCOMPARE(r[4], QString());
            else
                QVERIFY(std::fabs(r[4].toDouble() - s.hdop) <= 0.005);
            QCOMPARE(r[5].toInt(), s.fixQuality);
            for (const QString& field : r)
                QVERIFY2(!field.startsWith(QStringLiteral("-0.0000000")), qPrintable(field));
        }

        const QString gpxPath = dir.filePath(QStringLiteral("p.gpx"));
        QVERIFY(w.WritePositions(gpxPath, PositionFileFormat::Gpx, error));
        QFile gpx(gpxPath);
        QVERIFY(gpx.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&gpx);
        const QString ns = QStringLiteral("http://www.topografix.com/GPX/1/1");
        size_t i = 0;
        bool root = false;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("gpx")) {
                root = xml.namespaceUri() == ns &&
                       xml.attributes().value(QLatin1String("version")) == QLatin1String("1.1");
                continue;
            }
            if (xml.name() != QLatin1String("trkpt"))
                continue;
            QVERIFY(i < want.size());
            const PositionSample& s = want[i++];
            QVERIFY(std::fabs(xml.attributes().value(QLatin1String("lat")).toDouble() -
                              s.latitude) <= 0.5e-7);
            QVERIFY(std::fabs(xml.attributes().value(QLatin1String("lon")).toDouble() -
                              s.longitude) <= 0.5e-7);
            QString time, fix, hdop, ele;
            while (xml.readNextStartElement()) {
                QCOMPARE(xml.namespaceUri().toString(), ns);
                const QString element = xml.name().toString();
                const QString value = xml.readElementText();
                if (element == QLatin1String("time"))
                    time = value;
                else if (element == QLatin1String("fix"))
                    fix = value;
                else if (element == QLatin1String("hdop"))
                    hdop = value;
                else if (element == QLatin1String("ele"))
                    ele = value;
            }
            QVERIFY(std::fabs(ele.toDouble() - s.altitude) <= 0.5e-3);
            if (s.utcMs == 0)
                QVERIFY(time.isEmpty());
            else
                QCOMPARE(QDateTime::fromString(time, Qt::ISODateWithMs).toMSecsSinceEpoch(),
                         s.utcMs);
            QCOMPARE(fix, QString::fromStdString(GpxFixType(s.fixQuality)));
            if (std::isnan(s.hdop))
                QVERIFY(hdop.isEmpty());
            else
                QVERIFY(std::fabs(hdop.toDouble() - s.hdop) <= 0.005);
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(root);
        QCOMPARE(i, want.size());

        // A file that cannot be written is reported, not claimed written.
        QVERIFY(!w.WritePositions(dir.filePath(QStringLiteral("no/such/folder/p.csv")),
                                  PositionFileFormat::Csv, error));
        QVERIFY(!error.isEmpty());
    }

    void exportFromTheContextMenu() {
        QTemporaryDir dir;
        auto* w = new CScatterPlotWnd;
        std::unique_ptr<CScatterPlotWnd> owner(w);
        QMenu* menu = w->ContextMenu();
        QAction* exportAction = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == QLatin1String("Export Positions..."))
                exportAction = a;
        QVERIFY(exportAction);
        // Nothing to export yet.
        emit menu->aboutToShow();
        QVERIFY(!exportAction->isEnabled());
        for (const PositionSample& s : ExportSamples())
            w->AddSample(s);
        emit menu->aboutToShow();
        QVERIFY(exportAction->isEnabled());

        // The suffix of the chosen name picks the format.
        const QString path = dir.filePath(QStringLiteral("track.gpx"));
        QStringList filters;
        SetModalHook([&](QDialog& d) {
            auto& fd = static_cast<QFileDialog&>(d);
            filters = fd.nameFilters();
            fd.setDirectory(dir.path());
            fd.selectFile(path);
            return int(QDialog::Accepted);
        });
        exportAction->trigger();
        QCOMPARE(filters, (QStringList{"CSV Files (*.csv)", "GPX Files (*.gpx)"}));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.startsWith("<?xml"));
        QCOMPARE(bytes.count("<trkpt "), 3);

        // Cancelled: nothing written.
        SetModalHook([](QDialog&) { return int(QDialog::Rejected); });
        exportAction->trigger();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"track.gpx"});
    }
};

QTEST_MAIN(PlotsFiguresTest)
#include "PlotsFiguresTest.moc"
