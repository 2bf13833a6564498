// The front panel and the sky plot drawn offscreen, checked at pixels computed from the
// page's geometry.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PixelCheck.h"
#include "device/ILineSender.h"
#include "displays/CAzimuthElevationWnd.h"
#include "displays/CFrontPanelStatusWnd.h"
#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/LookColours.h"

namespace {

class FakeSender : public ILineSender {
public:
    void SendLine(const char* text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

QImage RenderPage(CFrontPanelStatusWnd& page, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    page.Render(p, size);
    return img;
}

QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

// Cells of the signal chart, as the page lays them out.
struct Cell {
    int left, top, right, bottom, levelTop;
};

Cell ChartCell(const QRect& c, int n, int i, int snr) {
    const int f = static_cast<int>(c.width() * 0.015);
    const double pitch = static_cast<double>(c.width()) / n;
    Cell cell;
    const int l = c.left() + static_cast<int>(i * pitch);
    cell.left = l + 5;
    cell.right = l + static_cast<int>(pitch) - 5;
    cell.top = c.top() + 5;
    cell.bottom = c.top() + c.height() - 5 - 3 * f;
    const int v = std::clamp(snr, 0, 55);
    cell.levelTop = cell.bottom - static_cast<int>(v * (cell.bottom - cell.top) / 55.0);
    return cell;
}

// Runs of white pixels along row y between x0 and x1 (exclusive).
int WhiteRuns(const QImage& img, int y, int x0, int x1) {
    int runs = 0;
    bool in = false;
    for (int x = x0; x < x1; ++x) {
        const bool white = (img.pixel(x, y) & 0xffffff) == 0xffffff;
        if (white && !in)
            ++runs;
        in = white;
    }
    return runs;
}

int FirstX(const QImage& img, int y, QRgb colour) {
    for (int x = 0; x < img.width(); ++x)
        if ((img.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
            return x;
    return -1;
}

// A capture played back as the program plays it: the snapshot of every GGA goes to the page.
class PlaybackParser : public CNMEAParserWin32 {
public:
    explicit PlaybackParser(CFrontPanelStatusWnd& page) : m_page(page) {
        SetPositionHandshake(false);
    }
    int snapshots = 0;

protected:
    bool OnSentence(const char* address, const char* data) override {
        CNMEAParserWin32::OnSentence(address, data);
        if (std::strstr(address, "GGA") != nullptr) {
            CopyModelToSnapshot(*this, *m_snapshot);
            m_page.ShowSnapshot(*m_snapshot);
            ++snapshots;
        }
        return true;
    }

private:
    CFrontPanelStatusWnd& m_page;
    std::unique_ptr<DisplaySnapshot> m_snapshot = std::make_unique<DisplaySnapshot>();
};

SnapshotSatellite Sat(int prn, GnssSystem system, int snr, int used) {
    return SnapshotSatellite{prn, 0, 0, snr, used, system};
}

class Frame : public QWidget {
public:
    std::vector<int> commands;

protected:
    bool event(QEvent* e) override {
        if (e->type() == WM_COMMAND_EVENT) {
            commands.push_back(static_cast<CommandEvent*>(e)->id());
            return true;
        }
        return QWidget::event(e);
    }
};

} // namespace

class FrontPanelRenderTest : public QObject {
    Q_OBJECT

private slots:
    void init() { SetApplicationLook(AppLook::Office2007Black); }

    void lookColoursFollowTheLook_data() {
        QTest::addColumn<unsigned>("look");
        QTest::addColumn<QColor>("bg");
        QTest::addColumn<QColor>("fg");
        const QColor green(0, 255, 0), navy(0, 0, 128), white(255, 255, 255);
        QTest::newRow("office xp") << 32776u << QColor(0, 0, 0) << white;
        QTest::newRow("windows") << 32777u << QColor(96, 96, 96) << QColor(192, 192, 192);
        QTest::newRow("office 2003") << 32778u << white << navy;
        QTest::newRow("vs 2005") << 32779u << white << navy;
        QTest::newRow("vs 2008 derives from vs 2005") << 32780u << white << navy;
        QTest::newRow("2007 blue") << 32781u << QColor(0, 0, 0) << green;
        QTest::newRow("2007 black") << 32782u << QColor(32, 32, 32) << QColor(192, 192, 192);
        QTest::newRow("2007 silver") << 32783u << QColor(0, 0, 0) << green;
        QTest::newRow("2007 aqua") << 32784u << QColor(181, 182, 206) << navy;
        QTest::newRow("windows 7 derives from windows")
            << 32785u << QColor(96, 96, 96) << QColor(192, 192, 192);
        const QPalette pal = QApplication::palette();
        QTest::newRow("plain") << 32775u << pal.color(QPalette::Button)
                               << pal.color(QPalette::WindowText);
        QTest::newRow("unknown id")
            << 40000u << pal.color(QPalette::Button) << pal.color(QPalette::WindowText);
    }

    void lookColoursFollowTheLook() {
        QFETCH(unsigned, look);
        QFETCH(QColor, bg);
        QFETCH(QColor, fg);
        SetApplicationLook(look);
        QCOMPARE(ApplicationLook(), look);
        QCOMPARE(LookColours().background, bg);
        QCOMPARE(LookColours().foreground, fg);
    }

    void lookBackgroundFills_data() {
        QTest::addColumn<unsigned>("look");
        QTest::addColumn<bool>("caption");
        QTest::addColumn<bool>("gradient");
        QTest::newRow("plain: nothing") << 32775u << false << false;
        QTest::newRow("office xp: caption and gradient") << 32776u << true << true;
        QTest::newRow("windows: caption") << 32777u << true << false;
        QTest::newRow("office 2003: caption") << 32778u << true << false;
        QTest::newRow("vs 2008: caption") << 32780u << true << false;
        QTest::newRow("2007 blue: caption and gradient") << 32781u << true << true;
        QTest::newRow("2007 black: gradient") << 32782u << false << true;
        QTest::newRow("2007 silver: caption and gradient") << 32783u << true << true;
        QTest::newRow("2007 aqua: caption") << 32784u << true << false;
        QTest::newRow("windows 7: caption") << 32785u << true << false;
    }

    void lookBackgroundFills() {
        QFETCH(unsigned, look);
        QFETCH(bool, caption);
        QFETCH(bool, gradient);
        SetApplicationLook(look);
        // 510 rows: every gradient band is two rows high, starting at row 10.
        QImage img(40, 530, QImage::Format_RGB32);
        img.fill(Qt::magenta);
        {
            QPainter p(&img);
            FillLookBackground(p, QRect(0, 10, 40, 510));
        }
        EXPECT_PIXEL(img, 5, 5, qRgb(255, 0, 255)); // outside the rectangle
        EXPECT_PIXEL(img, 5, 525, qRgb(255, 0, 255));
        if (gradient) {
            EXPECT_PIXEL(img, 0, 10, Rgb(96, 96, 96));
            EXPECT_PIXEL(img, 39, 11, Rgb(96, 96, 96));
            const int g100 = static_cast<int>(96.0f - 100 * 80.0f / 255.0f);
            EXPECT_PIXEL(img, 20, 10 + 200, Rgb(g100, g100, g100));
            EXPECT_PIXEL(img, 20, 10 + 201, Rgb(g100, g100, g100));
            EXPECT_PIXEL(img, 20, 519, Rgb(16, 16, 16));
        } else if (caption) {
            const QRgb c = CaptionFillColour().rgb();
            EXPECT_PIXEL(img, 0, 10, c);
            EXPECT_PIXEL(img, 39, 519, c);
        } else {
            EXPECT_PIXEL(img, 20, 200, qRgb(255, 0, 255));
        }
    }

    void gradientBandsOnAnUnevenHeight() {
        // 100 rows: band i covers rows trunc(i*100/255) .. trunc((i+1)*100/255) - 1; many
        // bands are empty and the visible greys still run from 96 down to 16.
        QImage img(4, 100, QImage::Format_RGB32);
        {
            QPainter p(&img);
            FillLookBackground(p, QRect(0, 0, 4, 100));
        }
        for (int y = 0; y < 100; ++y) {
            int band = 254;
            for (int i = 0; i < 255; ++i) {
                const int y0 = static_cast<int>(static_cast<float>(i) * 100 / 255.0f);
                const int y1 = static_cast<int>(static_cast<float>(i + 1) * 100 / 255.0f);
                if (y >= y0 && y < y1) {
                    band = i;
                    break;
                }
            }
            const int g = LookGradientGrey(band);
            EXPECT_PIXEL(img, 1, y, Rgb(g, g, g));
        }
        EXPECT_PIXEL(img, 1, 99, Rgb(16, 16, 16));
    }

    void lookWithoutBackgroundStartsFromBlack() {
        // The page keeps its off-screen image between paints: after a paint under a look with
        // a gradient, a look that paints no background must not show the old gradient.
        CFrontPanelStatusWnd page(nullptr);
        page.resize(600, 400);
        const QImage gradient = page.grab().toImage();
        EXPECT_PIXEL(gradient, 0, 0, Rgb(96, 96, 96));
        SetApplicationLook(AppLook::Plain);
        QVERIFY(!LookPaintsBackground());
        const QImage plain = page.grab().toImage();
        EXPECT_PIXEL(plain, 0, 0, Rgb(0, 0, 0));
        EXPECT_PIXEL(plain, 303, 300, Rgb(0, 0, 0)); // gap between text box and sky plot
        EXPECT_PIXEL(plain, 599, 399, Rgb(0, 0, 0));
        // Inside the boxes: the look's own background colour.
        EXPECT_PIXEL(plain, 290, 390, LookColours().background.rgb());
        const QImage rendered = RenderPage(page, QSize(600, 400));
        EXPECT_PIXEL(rendered, 0, 0, Rgb(0, 0, 0));
        SetApplicationLook(AppLook::Office2007Black);
        QVERIFY(LookPaintsBackground());
    }

    void layoutOf600x400() {
        const FrontPanelLayout L = ComputeFrontPanelLayout(QSize(600, 400));
        QCOMPARE(L.margin, 2);
        QCOMPARE(L.split, 266);
        QCOMPARE(L.textBox, QRect(QPoint(2, 266), QPoint(301, 397)));
        QCOMPARE(L.skyPlot, QRect(QPoint(304, 266), QPoint(597, 397)));
        QCOMPARE(L.chart, QRect(QPoint(2, 2), QPoint(597, 263)));
    }

    void pageGeometryAt600x400() {
        CFrontPanelStatusWnd page(nullptr);
        const QImage img = RenderPage(page, QSize(600, 400));
        const QRgb green200 = Rgb(0, 200, 0), white = Rgb(255, 255, 255), bg = Rgb(32, 32, 32);
        // Background: the grey gradient of the black look, in the margin and the gaps.
        EXPECT_PIXEL(img, 0, 0, Rgb(96, 96, 96));
        // The gap between text box and sky plot (x 302, 303) shows the same row's grey.
        EXPECT_PIXEL(img, 303, 300, img.pixel(0, 300));
        QVERIFY(qRed(img.pixel(0, 300)) == qGreen(img.pixel(0, 300)));
        EXPECT_PIXEL(img, 300, 399, Rgb(16, 16, 16));
        // Chart outline: white along its top and bottom edges (rounded corners aside).
        EXPECT_PIXEL(img, 300, 2, white);
        EXPECT_PIXEL(img, 300, 263, white);
        EXPECT_PIXEL(img, 2, 130, white);
        EXPECT_PIXEL(img, 597, 130, white);
        EXPECT_PIXEL(img, 300, 0, Rgb(96, 96, 96));
        // Text box outline in green, filled with the look background.
        EXPECT_PIXEL(img, 150, 266, green200);
        EXPECT_PIXEL(img, 150, 397, green200);
        EXPECT_PIXEL(img, 2, 330, green200);
        EXPECT_PIXEL(img, 301, 330, green200);
        EXPECT_PIXEL(img, 290, 390, bg);
        // Sky plot: square (385, 266)-(517, 398), centre (451, 332), 45-degree ring radius 33.
        EXPECT_PIXEL(img, 451, 266, Rgb(192, 192, 192)); // horizon ring at the top
        EXPECT_PIXEL(img, 451, 300, Rgb(192, 192, 192)); // vertical cross line
        EXPECT_PIXEL(img, 400, 332, Rgb(192, 192, 192)); // horizontal cross line
        EXPECT_PIXEL(img, 451 + 15, 332 + 10, bg);       // inside the disc
        EXPECT_PIXEL(img, 451 + 45, 332 + 30, bg);       // between the rings
        // Outside the disc, in the plot rectangle: only the page background.
        EXPECT_PIXEL(img, 310, 270, img.pixel(303, 270));
        EXPECT_PIXEL(img, 597, 270, img.pixel(303, 270));
    }

    void barColoursByPrnAndUse() {
        DisplaySnapshot s{};
        s.satellitesInView = 4;
        s.satellites[0] = {70, 0, 0, 40, 1, {}};
        s.satellites[1] = {40, 0, 0, 40, 1, {}};
        s.satellites[2] = {40, 0, 0, 40, 0, {}};
        s.satellites[3] = {12, 0, 0, 40, 0, {}};
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(s);
        const QImage img = RenderPage(page, QSize(600, 400));
        const QRect chart = ComputeFrontPanelLayout(QSize(600, 400)).chart;
        // Drawn by system (GPS, SBAS, GLONASS) and by PRN inside it.
        const QRgb expected[] = {Rgb(0, 0, 180), Rgb(0, 0, 32), Rgb(0, 0, 32), Rgb(128, 0, 0)};
        for (int i = 0; i < 4; ++i) {
            const Cell c = ChartCell(chart, 4, i, 40);
            EXPECT_PIXEL(img, c.left + 3, c.bottom - 10, expected[i]);
            EXPECT_PIXEL(img, c.left + 3, c.levelTop + 2, expected[i]);
            // Above the level: the empty cell in the look background.
            EXPECT_PIXEL(img, c.left + 3, c.levelTop - 3, Rgb(32, 32, 32));
        }
        // The other colours of the table.
        s.satellitesInView = 3;
        s.satellites[0] = {70, 0, 0, 40, 0, {}};
        s.satellites[1] = {12, 0, 0, 40, 1, {}};
        s.satellites[2] = {96, 0, 0, 40, 1, {}};
        page.ShowSnapshot(s);
        const QImage img2 = RenderPage(page, QSize(600, 400));
        const QRgb expected2[] = {Rgb(0, 180, 0), Rgb(32, 0, 0), Rgb(128, 0, 0)};
        for (int i = 0; i < 3; ++i) {
            const Cell c = ChartCell(chart, 3, i, 40);
            EXPECT_PIXEL(img2, c.left + 3, c.bottom - 10, expected2[i]);
        }
    }

    // With the source gone the last values stay, dimmed and dated, so that they do not pass
    // for a live fix; the next snapshot makes the page live again.
    void aStalePageIsDimmedAndDatedUntilTheNextSnapshot() {
        DisplaySnapshot s{};
        s.satellitesInView = 12;
        s.satellites[0] = {12, 0, 0, 40, 1, {}};
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(s);
        const QSize size(800, 600);
        const Cell c = ChartCell(ComputeFrontPanelLayout(size).chart, 12, 0, 40);
        const QPoint bar(c.left + 3, c.bottom - 10);
        const QRgb live = RenderPage(page, size).pixel(bar);
        QCOMPARE(live & 0xffffff, Rgb(0, 180, 0) & 0xffffff);

        page.SetStale(QDateTime(QDate(2026, 12, 11), QTime(14, 3, 21)));
        QVERIFY(page.IsStale());
        QCOMPARE(page.StaleNotice(),
                 QStringLiteral("No longer updated - last position at 14:03:21"));
        const QImage stale = RenderPage(page, size);
        // Still there, but towards the background (32, 32, 32).
        const int green = qGreen(stale.pixel(bar));
        QVERIFY2(green > 32 && green < 120, qPrintable(QString::number(green)));
        // The notice is drawn in amber across the middle of the chart.
        const QRect chart = ComputeFrontPanelLayout(size).chart;
        int amber = 0;
        for (int x = chart.left(); x < chart.right(); ++x)
            for (int y = chart.center().y() - 30; y < chart.center().y() + 30; ++y)
                amber += stale.pixel(x, y) == Rgb(255, 191, 0);
        QVERIFY2(amber > 100, qPrintable(QString::number(amber)));

        page.SetStale(QDateTime());
        QCOMPARE(page.StaleNotice(),
                 QStringLiteral("No longer updated - no position was received"));

        page.ShowSnapshot(s);
        QVERIFY(!page.IsStale());
        QCOMPARE(RenderPage(page, size).pixel(bar), live);
    }

    // Every system's bars, grouped in a fixed order and by PRN inside each, in its colours.
    void barsOfEverySystemInTheirOrderAndColours() {
        auto s = std::make_unique<DisplaySnapshot>();
        const SnapshotSatellite sats[] = {
            Sat(21, GnssSystem::BeiDou, 40, 1),  Sat(12, GnssSystem::Gps, 40, 0),
            Sat(12, GnssSystem::Galileo, 40, 1), Sat(2, GnssSystem::Qzss, 40, 1),
            Sat(3, GnssSystem::NavIC, 40, 0),    Sat(70, GnssSystem::Glonass, 40, 1),
            Sat(40, GnssSystem::Sbas, 40, 0),    Sat(5, GnssSystem::Gps, 40, 1),
            Sat(9, GnssSystem::Galileo, 40, 0),
        };
        s->satellitesInView = 9;
        std::copy(std::begin(sats), std::end(sats), s->satellites);
        int order[9];
        SignalBarOrder(*s, 9, order);
        QCOMPARE(std::vector<int>(order, order + 9), (std::vector<int>{7, 1, 6, 5, 8, 2, 0, 3, 4}));

        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(*s);
        const QSize size(900, 400);
        const QImage img = RenderPage(page, size);
        const QRect chart = ComputeFrontPanelLayout(size).chart;
        const QRgb expected[] = {Rgb(0, 180, 0),   Rgb(0, 0, 180),   Rgb(0, 0, 32),
                                 Rgb(128, 0, 0),   Rgb(0, 40, 40),   Rgb(0, 150, 150),
                                 Rgb(170, 0, 170), Rgb(210, 120, 0), Rgb(42, 42, 0)};
        for (int i = 0; i < 9; ++i) {
            const Cell c = ChartCell(chart, 9, i, 40);
            EXPECT_PIXEL(img, c.left + 3, c.bottom - 10, expected[i]);
        }
        // A Galileo 12 is labelled apart from a GPS 12: the label strips differ.
        const Cell gps12 = ChartCell(chart, 9, 1, 40), galileo12 = ChartCell(chart, 9, 5, 40);
        const int strip = chart.top() + chart.height() - gps12.bottom;
        const QImage a =
            img.copy(gps12.left - 5, gps12.bottom, gps12.right - gps12.left + 10, strip);
        const QImage b = img.copy(galileo12.left - 5, galileo12.bottom,
                                  galileo12.right - galileo12.left + 10, strip);
        QVERIFY(a != b);
    }

    void satelliteLabels() {
        QCOMPARE(SatelliteLabel(GnssSystem::Galileo, 12), QStringLiteral("E12"));
        QCOMPARE(SatelliteLabel(GnssSystem::BeiDou, 21), QStringLiteral("C21"));
        QCOMPARE(SatelliteLabel(GnssSystem::Qzss, 2), QStringLiteral("J02"));
        QCOMPARE(SatelliteLabel(GnssSystem::NavIC, 3), QStringLiteral("I03"));
        QCOMPARE(SatelliteLabel(GnssSystem::Gps, 12), QStringLiteral("12"));
        QCOMPARE(SatelliteLabel(GnssSystem::Sbas, 40), QStringLiteral("40"));
        QCOMPARE(SatelliteLabel(GnssSystem::Glonass, 70), QStringLiteral("70"));
        QCOMPARE(SatelliteLabel(GnssSystem::None, 7), QStringLiteral("7"));
    }

    // One legend entry per system seen, in the bars' order, each in its used colour.
    void legendHasEverySystemSeen() {
        DisplaySnapshot s{};
        s.systemsSeen = SystemBit(GnssSystem::Gps) | SystemBit(GnssSystem::BeiDou) |
                        SystemBit(GnssSystem::Galileo) | SystemBit(GnssSystem::NavIC);
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(s);
        const QSize size(1200, 400);
        const QImage img = RenderPage(page, size);
        const QRect chart = ComputeFrontPanelLayout(size).chart;
        const int f = static_cast<int>(chart.width() * 0.015);
        const int y = chart.top() + chart.height() - 5 - f + f / 2;
        const int gps = FirstX(img, y, Rgb(0, 180, 0));
        const int galileo = FirstX(img, y, Rgb(0, 150, 150));
        const int beidou = FirstX(img, y, Rgb(170, 0, 170));
        const int navic = FirstX(img, y, Rgb(160, 160, 0));
        QVERIFY(gps >= 0 && gps < galileo && galileo < beidou && beidou < navic);
        QCOMPARE(FirstX(img, y, Rgb(0, 0, 32)), -1);    // no SBAS seen
        QCOMPARE(FirstX(img, y, Rgb(128, 0, 0)), -1);   // no GLONASS seen
        QCOMPARE(FirstX(img, y, Rgb(210, 120, 0)), -1); // no QZSS seen
    }

    // A full snapshot on a narrow page: each bar stays, narrower, instead of vanishing.
    void crowdedBarsNarrowRatherThanVanish_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("barWidth");
        QTest::newRow("room for 4-pixel bars with a gap") << QSize(800, 400) << 4;
        QTest::newRow("no room for a gap") << QSize(420, 300) << 3;
    }

    void crowdedBarsNarrowRatherThanVanish() {
        QFETCH(QSize, size);
        QFETCH(int, barWidth);
        auto s = std::make_unique<DisplaySnapshot>();
        s->satellitesInView = kSnapshotSatellites;
        for (int i = 0; i < kSnapshotSatellites; ++i)
            s->satellites[i] = Sat(1 + i % 32, GnssSystem::Gps, 40, 1);
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(*s);
        const QImage img = RenderPage(page, size);
        const QRect chart = ComputeFrontPanelLayout(size).chart;
        const double pitch = static_cast<double>(chart.width()) / kSnapshotSatellites;
        QCOMPARE(static_cast<int>(pitch) - 2 * SignalBarInset(static_cast<int>(pitch)), barWidth);
        const int f = static_cast<int>(chart.width() * 0.015);
        const int y = chart.top() + chart.height() - 5 - 3 * f - 3;
        int runs = 0;
        bool in = false;
        for (int x = chart.left(); x < chart.left() + chart.width(); ++x) {
            const bool bar = (img.pixel(x, y) & 0xffffff) == (Rgb(0, 180, 0) & 0xffffff);
            runs += bar && !in;
            in = bar;
        }
        QCOMPARE(runs, kSnapshotSatellites);
    }

    // Captures of multi-constellation receivers played back onto the page. With
    // TB_SCREENSHOT_DIR set, the pages are written there as PNG files to look at.
    void capturesPlayedBack_data() {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<int>("inView");
        QTest::addColumn<int>("beidouUsed");
        QTest::newRow("u-blox NEO-M9N") << QStringLiteral("ublox-neo-m9n-nmea.log") << 43 << 5;
        QTest::newRow("Quectel L76K") << QStringLiteral("quectel-l76k-nmea.log") << 25 << 3;
    }

    void capturesPlayedBack() {
        QFETCH(QString, capture);
        QFETCH(int, inView);
        QFETCH(int, beidouUsed);
        QFile file(QDir(QStringLiteral(TB_CORPUS_DIR)).filePath(capture));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("capture not found");
        const QByteArray bytes = file.readAll();
        CFrontPanelStatusWnd page(nullptr);
        auto parser = std::make_unique<PlaybackParser>(page);
        // In the blocks a playback reads.
        for (qsizetype at = 0; at < bytes.size(); at += 2560)
            parser->FeedBytes(reinterpret_cast<const uint8_t*>(bytes.constData()) + at,
                              static_cast<uint32_t>(std::min<qsizetype>(2560, bytes.size() - at)));
        QVERIFY(parser->snapshots > 0);
        QCOMPARE(page.Snapshot().satellitesInView, inView);
        const QSize size(1280, 800);
        const QImage img = RenderPage(page, size);
        const QRect chart = ComputeFrontPanelLayout(size).chart;
        // A frame for every satellite in view; the BeiDou bars used in the solution last but
        // for the unused ones after them.
        QCOMPARE(WhiteRuns(img, chart.top() + 40, chart.left() + 2, chart.right() - 1), 2 * inView);
        int beidou = 0;
        for (int i = 0; i < inView; ++i) {
            const Cell c = ChartCell(chart, inView, i, 0);
            beidou +=
                (img.pixel(c.left + 2, c.bottom - 3) & 0xffffff) == (Rgb(170, 0, 170) & 0xffffff);
        }
        QCOMPARE(beidou, beidouUsed);
        const QByteArray dir = qgetenv("TB_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            const QString name = capture.left(capture.indexOf(QLatin1Char('.'))) + ".png";
            QVERIFY(img.save(QDir(QString::fromLocal8Bit(dir)).filePath(name)));
        }
    }

    void snrLevelsAndLabels() {
        DisplaySnapshot s{};
        s.satellitesInView = 2;
        s.satellites[0] = {5, 0, 0, 60, 1, {}};
        s.satellites[1] = {6, 0, 0, -3, 1, {}};
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(s);
        const QImage img = RenderPage(page, QSize(600, 400));
        const QRect chart = ComputeFrontPanelLayout(QSize(600, 400)).chart;
        const QRgb used = Rgb(0, 180, 0);
        // SNR 60 fills the cell to its top, and its label stands in the bar.
        const Cell full = ChartCell(chart, 2, 0, 60);
        QCOMPARE(full.levelTop, full.top);
        EXPECT_PIXEL(img, full.left + 2, full.top + 2, used);
        EXPECT_PIXEL(img, full.left + 2, full.bottom - 2, used);
        int labelPixels = 0;
        for (int y = full.top + 1; y < full.top + 12; ++y)
            for (int x = full.left + 1; x < full.right - 1; ++x)
                labelPixels += (img.pixel(x, y) & 0xffffff) != used;
        QVERIFY(labelPixels > 0);

        // SNR -3: an empty cell, and no label inside it (the same picture as SNR 0).
        const Cell empty = ChartCell(chart, 2, 1, -3);
        QCOMPARE(empty.levelTop, empty.bottom);
        s.satellites[1].snr = 0;
        page.ShowSnapshot(s);
        const QImage zero = RenderPage(page, QSize(600, 400));
        for (int y = empty.top; y < chart.bottom(); ++y)
            for (int x = empty.left; x < empty.right; ++x)
                QVERIFY2(img.pixel(x, y) == zero.pixel(x, y),
                         qPrintable(QStringLiteral("differs at %1,%2").arg(x).arg(y)));
        EXPECT_PIXEL(img, empty.left + 3, empty.bottom - 3, Rgb(32, 32, 32));
    }

    void barCount_data() {
        QTest::addColumn<int>("inView");
        QTest::addColumn<int>("bars");
        QTest::newRow("none in view: 12 empty bars") << 0 << 12;
        QTest::newRow("negative count: no bars") << -4 << 0;
        QTest::newRow("seven") << 7 << 7;
        QTest::newRow("more than the snapshot holds") << 200 << kSnapshotSatellites;
    }

    void barCount() {
        QFETCH(int, inView);
        QFETCH(int, bars);
        DisplaySnapshot s{};
        s.satellitesInView = inView;
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(s);
        // Wide enough that 128 cells are still visible.
        const QSize size(1920, 1080);
        const QImage img = RenderPage(page, size);
        const QRect chart = ComputeFrontPanelLayout(size).chart;
        const int y = chart.top() + 40;
        // Each cell frame crosses the row twice.
        QCOMPARE(WhiteRuns(img, y, chart.left() + 2, chart.right() - 1), 2 * bars);
    }

    void legendGrowsWithTheFlags_data() {
        QTest::addColumn<int>("sbas");
        QTest::addColumn<int>("glonass");
        QTest::newRow("gps only") << 0 << 0;
        QTest::newRow("waas") << 1 << 0;
        QTest::newRow("glonass") << 0 << 1;
        QTest::newRow("both") << 1 << 1;
    }

    void legendGrowsWithTheFlags() {
        QFETCH(int, sbas);
        QFETCH(int, glonass);
        DisplaySnapshot s{};
        s.sbasSeen = sbas;
        s.glonassSeen = glonass;
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(s);
        const QImage img = RenderPage(page, QSize(600, 400));
        const QRect chart = ComputeFrontPanelLayout(QSize(600, 400)).chart;
        const int f = static_cast<int>(chart.width() * 0.015);
        const int squareTop = chart.top() + chart.height() - 5 - f;
        const int y = squareTop + f / 2;
        const int gps = FirstX(img, y, Rgb(0, 180, 0));
        const int waas = FirstX(img, y, Rgb(0, 0, 32));
        const int glo = FirstX(img, y, Rgb(128, 0, 0));
        // First square: side f at (C.left + f/2, squareTop), white outline, filled inside.
        QCOMPARE(gps, chart.left() + f / 2 + 1);
        EXPECT_PIXEL(img, chart.left() + f / 2, y, Rgb(255, 255, 255));
        QCOMPARE(waas >= 0, sbas == 1);
        QCOMPARE(glo >= 0, glonass == 1);
        if (sbas)
            QVERIFY(waas > gps + f);
        if (glonass)
            QVERIFY(glo > (sbas ? waas : gps) + f);
        if (sbas && glonass) {
            // GLONASS moved on from the WAAS square, not from the GPS one.
            s.sbasSeen = 0;
            page.ShowSnapshot(s);
            const QImage only = RenderPage(page, QSize(600, 400));
            QVERIFY(FirstX(only, y, Rgb(128, 0, 0)) < glo);
        }
    }

    // The chart is filled with the look's background, white under the light looks: its
    // outlines, the satellite labels and the legend names must read on it under every look.
    void chartTextReadsUnderEveryLook_data() {
        QTest::addColumn<unsigned>("look");
        for (unsigned look = AppLook::Plain; look <= AppLook::Windows7; ++look)
            QTest::newRow(QByteArray::number(look).constData()) << look;
    }

    void chartTextReadsUnderEveryLook() {
        QFETCH(unsigned, look);
        SetApplicationLook(look);
        DisplaySnapshot s{};
        s.satellitesInView = 1;
        s.satellites[0].prn = 17;
        s.satellites[0].snr = 40;
        s.satellites[0].used = 1;
        const QSize size(600, 400);
        CFrontPanelStatusWnd page(nullptr);
        page.ShowSnapshot(s);
        const QImage img = RenderPage(page, size);
        const QColor background = LookColours().background;
        const QRect chart = ComputeFrontPanelLayout(size).chart;
        const int f = static_cast<int>(chart.width() * 0.015);
        const int squareTop = chart.top() + chart.height() - 5 - f;
        // The legend square's outline.
        QVERIFY(ContrastRatio(QColor(img.pixel(chart.left() + f / 2, squareTop + f / 2)),
                              background) >= kReadableContrast);
        // Legible ink in the label row under the bar and in the legend name beside the square.
        auto inkPixels = [&](QRect area) {
            int n = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (ContrastRatio(QColor(img.pixel(x, y)), background) >= kReadableContrast)
                        ++n;
            return n;
        };
        const Cell bar = ChartCell(chart, 1, 0, 40);
        QVERIFY(inkPixels(QRect(QPoint(bar.left + 1, bar.bottom + 2),
                                QPoint(bar.right - 1, squareTop - 2))) > 0);
        QVERIFY(inkPixels(QRect(QPoint(chart.left() + f / 2 + f + 3, squareTop),
                                QPoint(chart.left() + 20 * f, squareTop + f))) > 0);
        SetApplicationLook(AppLook::Office2007Black);
    }

    void statusValues() {
        DisplaySnapshot s{};
        s.latitude = 51.1234567;
        s.longitude = -0.5;
        s.altitude = 12.3;
        s.gpsHdop = 1.2;
        s.gpsVdop = 2.3;
        s.gpsPdop = 3.4;
        s.glonassHdop = 0.9;
        s.glonassVdop = 1.8;
        s.glonassPdop = 2.7;
        s.satellitesUsed = 8;
        s.satellitesInView = 14;
        QCOMPARE(StatusValueText(s),
                 QStringLiteral("51.12346\n-0.50000\n12.300 M\n3.4 (2.7)\n1.2 (0.9)\n"
                                "2.3 (1.8)\n8\n14\n"));
    }

    void maskFillIsTranslucentOverTheDisc() {
        CAzimuthElevationWnd plot;
        plot.fillColour = QColor(0, 0, 0);
        plot.gridColour = QColor(255, 255, 255);
        plot.ringColour = QColor(255, 255, 255);
        for (double& e : plot.maskElevation)
            e = 30.0;
        QImage img(181, 181, QImage::Format_RGB32);
        img.fill(QColor(50, 50, 50));
        {
            QPainter p(&img);
            plot.Draw(p, QRect(0, 0, 180, 180)); // one pixel per degree, centre (90, 90)
        }
        // Inside the mask (60 pixels out): 16/255 of white over black.
        const QRgb washed = img.pixel(90 + 20, 90 + 30);
        QVERIFY2(qRed(washed) >= 15 && qRed(washed) <= 17, qPrintable(PixelName(washed)));
        // Outside the mask, still on the disc: the plain fill.
        EXPECT_PIXEL(img, 90 + 55, 90 + 40, Rgb(0, 0, 0));
        // The outline passes through the mapped points, e.g. north-east 60 pixels out.
        EXPECT_PIXEL(img, 90 + 42, 90 - 42, Rgb(255, 255, 255));
        // Outside the disc the caller's background is untouched.
        EXPECT_PIXEL(img, 2, 2, Rgb(50, 50, 50));

        // One recorded azimuth: no visible fill anywhere.
        CAzimuthElevationWnd one;
        one.fillColour = QColor(0, 0, 0);
        one.gridColour = QColor(255, 255, 255);
        one.maskElevation[45] = 20.0;
        CAzimuthElevationWnd none;
        none.fillColour = QColor(0, 0, 0);
        none.gridColour = QColor(255, 255, 255);
        QImage a(181, 181, QImage::Format_RGB32), b(181, 181, QImage::Format_RGB32);
        a.fill(Qt::black);
        b.fill(Qt::black);
        {
            QPainter pa(&a);
            one.Draw(pa, QRect(0, 0, 180, 180));
            QPainter pb(&b);
            none.Draw(pb, QRect(0, 0, 180, 180));
        }
        int differing = 0;
        for (int y = 0; y < 181; ++y)
            for (int x = 0; x < 181; ++x)
                differing += a.pixel(x, y) != b.pixel(x, y);
        QVERIFY(differing <= 1);
    }

    void trailPixelsAndDots() {
        CAzimuthElevationWnd plot;
        plot.fillColour = QColor(0, 0, 0);
        plot.gridColour = QColor(0, 255, 0);
        plot.usedColour = QColor(255, 0, 0);
        plot.inViewColour = QColor(0, 0, 255);
        DisplaySnapshot s{};
        s.satellites[0] = {7, 90, 30, 40, 1, {}};  // east, 60 px out: (150, 90)
        s.satellites[1] = {8, 180, 60, 40, 0, {}}; // south, 30 px out: (90, 120)
        plot.UpdateSatellites(s);
        s.satellites[0] = {7, 270, 30, 40, 1, {}}; // moved west: (30, 90)
        plot.UpdateSatellites(s);
        QImage img(181, 181, QImage::Format_RGB32);
        img.fill(Qt::black);
        {
            QPainter p(&img);
            plot.Draw(p, QRect(0, 0, 180, 180));
        }
        // The earlier place of slot 0 is a trail pixel; the dots cover the current places.
        EXPECT_PIXEL(img, 150, 90, Rgb(0, 255, 0));
        EXPECT_PIXEL(img, 151, 91, Rgb(0, 0, 0));
        EXPECT_PIXEL(img, 30 + 2, 90 + 2, Rgb(255, 0, 0));
        EXPECT_PIXEL(img, 30 - 3, 90 - 3, Rgb(255, 0, 0));
        EXPECT_PIXEL(img, 90 + 3, 120 - 2, Rgb(0, 0, 255));
        // The dot is 10 pixels across.
        EXPECT_PIXEL(img, 30, 90 - 5, Rgb(255, 0, 0));
        EXPECT_PIXEL(img, 30, 90 - 6, Rgb(0, 0, 0));
        // Labels start 10 pixels below the centre.
        bool labelled = false;
        for (int y = 90 + 10; y < 90 + 30 && !labelled; ++y)
            for (int x = 20; x < 40; ++x)
                labelled = labelled || qRed(img.pixel(x, y)) > 100;
        QVERIFY(labelled);
        for (int x = 20; x < 40; ++x)
            EXPECT_PIXEL(img, x, 90 + 8, Rgb(0, 0, 0));
    }

    void iconsLeaveMagentaTransparent() {
        const QImage& used = SatelliteIcon(118);
        const QImage& inView = SatelliteIcon(102);
        QCOMPARE(used.size(), QSize(15, 15));
        QCOMPARE(inView.size(), QSize(15, 15));
        QVERIFY(SatelliteIcon(5).isNull());

        CAzimuthElevationWnd plot;
        plot.usedBitmapId = 118;
        plot.inViewBitmapId = 102;
        plot.fillColour = QColor(0, 64, 0);
        plot.gridColour = QColor(0, 64, 0); // keep cross and rings out of the way
        plot.ringColour = QColor(0, 64, 0);
        DisplaySnapshot s{};
        s.satellites[0] = {7, 90, 30, 40, 1, {}};  // centre (150, 90)
        s.satellites[1] = {8, 270, 30, 40, 0, {}}; // centre (30, 90)
        plot.UpdateSatellites(s);
        QImage img(181, 181, QImage::Format_RGB32);
        img.fill(Qt::black);
        {
            QPainter p(&img);
            plot.Draw(p, QRect(0, 0, 180, 180));
        }
        const QRgb fill = Rgb(0, 64, 0);
        for (int k = 0; k < 2; ++k) {
            const int x0 = (k == 0 ? 150 : 30) - 7, y0 = 90 - 7;
            const QRgb panel = k == 0 ? Rgb(255, 0, 0) : Rgb(192, 192, 192);
            EXPECT_PIXEL(img, x0 + 0, y0 + 0, Rgb(0, 0, 0)); // panel outline
            EXPECT_PIXEL(img, x0 + 2, y0 + 5, panel);        // panel inside
            EXPECT_PIXEL(img, x0 + 12, y0 + 10, panel);
            EXPECT_PIXEL(img, x0 + 7, y0 + 4, Rgb(0, 0, 0)); // body outline
            EXPECT_PIXEL(img, x0 + 7, y0 + 1, fill);         // magenta above the body
            EXPECT_PIXEL(img, x0 + 7, y0 + 12, fill);        // ... and below it
            if (k == 0)
                EXPECT_PIXEL(img, x0 + 7, y0 + 6, Rgb(255, 255, 0));
        }
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                QVERIFY((img.pixel(x, y) & 0xffffff) != 0xff00ff);
    }

    void iconPixelsFollowTheDrawing_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QColor>("panel");
        QTest::newRow("used") << 118 << QColor(255, 0, 0);
        QTest::newRow("in view") << 102 << QColor(192, 192, 192);
    }

    void iconPixelsFollowTheDrawing() {
        // Every pixel of the 15 x 15 icon: two outlined panels, the body between them joined
        // at rows 6 and 7, and transparent (once magenta) everywhere else.
        QFETCH(int, id);
        QFETCH(QColor, panel);
        const QImage icon = SatelliteIcon(id).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(15, 15));
        const QRgb black = qRgb(0, 0, 0), yellow = qRgb(255, 255, 0), grey = qRgb(192, 192, 192);
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 15; ++x) {
                const QRgb px = icon.pixel(x, y);
                const QString at = QStringLiteral("%1,%2 is %3 alpha %4")
                                       .arg(x)
                                       .arg(y)
                                       .arg(PixelName(px))
                                       .arg(qAlpha(px));
                const bool inPanel = y <= 13 && (x <= 4 || x >= 10);
                const bool inBody = x >= 5 && x <= 9 && y >= 4 && y <= 9;
                if (inPanel) {
                    const int x0 = x <= 4 ? 0 : 10;
                    const bool edge = y == 0 || y == 13 || x == x0 || x == x0 + 4;
                    QVERIFY2(qAlpha(px) == 255, qPrintable(at));
                    QVERIFY2((px & 0xffffff) == ((edge ? black : panel.rgb()) & 0xffffff),
                             qPrintable(at));
                } else if (inBody) {
                    QVERIFY2(qAlpha(px) == 255, qPrintable(at));
                    const bool inner = x >= 6 && x <= 8 && y >= 5 && y <= 8;
                    if (id == 118 && inner)
                        QVERIFY2((px & 0xffffff) == (yellow & 0xffffff), qPrintable(at));
                    if (id == 102)
                        QVERIFY2((px & 0xffffff) == (grey & 0xffffff) ||
                                     (px & 0xffffff) == (black & 0xffffff),
                                 qPrintable(at));
                } else {
                    QVERIFY2(qAlpha(px) == 0, qPrintable(at));
                }
            }
        }
        // The body reaches the panels at rows 6 and 7 only: not outlined there.
        for (int y : {6, 7})
            for (int x : {5, 9})
                QVERIFY((icon.pixel(x, y) & 0xffffff) != (black & 0xffffff));
        for (int y : {4, 5, 8, 9})
            for (int x : {5, 9})
                QVERIFY((icon.pixel(x, y) & 0xffffff) == (black & 0xffffff));
    }

    void compassLettersSitAtTheirAnchors() {
        // 180 x 180: one pixel per degree, centre (90, 90); the letters are 88 pixels out and
        // their opaque boxes interrupt the cross lines only where the boxes are.
        CAzimuthElevationWnd plot;
        plot.fillColour = QColor(0, 0, 0);
        plot.ringColour = QColor(0, 0, 0);
        plot.gridColour = QColor(255, 255, 255);
        QImage img(180, 180, QImage::Format_RGB32);
        img.fill(Qt::black);
        {
            QPainter p(&img);
            plot.Draw(p, QRect(0, 0, 180, 180));
        }
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(9); // 5 % of 180, rounded
        const QFontMetrics fm(font, &img);
        const int th = fm.height();
        struct Box {
            const char* letter;
            bool vertical; // along the vertical cross line x = 90, else the horizontal y = 90
            int from, to;  // expected box span along that line, end exclusive
        };
        const Box boxes[] = {
            {"N", true, 2, 2 + th},     // hangs below (90, 2)
            {"S", true, 178 - th, 178}, // stands on (90, 178)
            {"E", false, 178 - fm.horizontalAdvance(QStringLiteral("E")), 178},
            {"W", false, 2, 2 + fm.horizontalAdvance(QStringLiteral("W"))},
        };
        for (const Box& b : boxes) {
            const int lo = b.from < 90 ? 0 : 91, hi = b.from < 90 ? 90 : 180;
            int first = -1, last = -1;
            for (int k = lo; k < hi; ++k) {
                const QRgb px = b.vertical ? img.pixel(90, k) : img.pixel(k, 90);
                if ((px & 0xffffff) != 0xffffff) {
                    if (first < 0)
                        first = k;
                    last = k;
                }
            }
            QVERIFY2(first >= 0, b.letter);
            QVERIFY2(first >= b.from && last < b.to,
                     qPrintable(QStringLiteral("%1: line interrupted at %2..%3, box %4..%5")
                                    .arg(QLatin1String(b.letter))
                                    .arg(first)
                                    .arg(last)
                                    .arg(b.from)
                                    .arg(b.to - 1)));
        }
    }

    void eachPaintSendsTheTestCommandOnce() {
        FakeSender sender;
        CFrontPanelStatusWnd page(&sender);
        page.resize(600, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        sender.lines.clear();
        page.repaint();
        QCOMPARE(sender.lines.size(), size_t(1));
        QCOMPARE(sender.lines[0], std::string("AT+GPSTEST=1\r\n"));
        page.repaint();
        QCOMPARE(sender.lines.size(), size_t(2));
        // Rendering for a caller (tests, previews) sends nothing.
        RenderPage(page, QSize(600, 400));
        QCOMPARE(sender.lines.size(), size_t(2));
    }

    void aShownSnapshotFeedsTheSkyPlotAndPaintOnlyDrawsIt() {
        FakeSender sender;
        CFrontPanelStatusWnd page(&sender);
        QCOMPARE(page.m_skyPlot.usedBitmapId, 118);
        QCOMPARE(page.m_skyPlot.inViewBitmapId, 102);
        page.resize(600, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        sender.lines.clear();

        DisplaySnapshot s{};
        s.latitude = 51.5;
        s.satellitesInView = 1;
        s.satellites[3] = {21, 100, 20, 30, 1, {}};
        page.ShowSnapshot(s);
        QCOMPARE(page.m_skyPlot.satelliteSlots[3].prn, 21);
        QCOMPARE(page.m_skyPlot.maskElevation[100], 20.0);
        QCOMPARE(page.m_skyPlot.trailCount, 1u);
        QCOMPARE(page.Snapshot().latitude, 51.5);
        // The page asked for its repaint: the paint's test command goes out.
        QTRY_COMPARE(sender.lines.size(), size_t(1));

        // Painting draws what the page was handed and changes nothing: the program's snapshot
        // (all zeros here) is not read, and the sky plot neither moves nor grows a trail.
        for (int i = 0; i < 3; ++i)
            page.repaint();
        QCOMPARE(sender.lines.size(), size_t(4));
        QCOMPARE(page.m_skyPlot.satelliteSlots[3].prn, 21);
        QCOMPARE(page.m_skyPlot.trailCount, 1u);
        QCOMPARE(page.Snapshot().latitude, 51.5);
        const QImage before = RenderPage(page, QSize(600, 400));
        page.repaint();
        QCOMPARE(RenderPage(page, QSize(600, 400)), before);
    }

    void contextMenuCommandsReachTheFrame() {
        Frame frame;
        auto* page = new CFrontPanelStatusWnd(nullptr, &frame);
        QMenu* menu = page->ContextMenu();
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QStringLiteral("Clear Satellite Trails"));
        QCOMPARE(items[1]->text(), QStringLiteral("Clear Satellite &Azimuth/Elevation Mask"));
        items[0]->trigger();
        items[1]->trigger();
        QCOMPARE(frame.commands, (std::vector<int>{32809, 32811}));
    }
};

QTEST_MAIN(FrontPanelRenderTest)
#include "FrontPanelRenderTest.moc"
