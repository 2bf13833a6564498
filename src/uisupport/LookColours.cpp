#include "uisupport/LookColours.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::atomic<unsigned> g_look{AppLook::Office2007Black};

// The style families a look belongs to. Visual Studio 2008 derives from Visual Studio 2005,
// which derives from Office 2003, which derives from Office XP; Windows 7 derives from
// Windows. The Office 2007 styles are told apart by their own rows, so their ancestry does
// not matter here.
struct LookTraits {
    bool office2007BlueOrSilver = false;
    bool office2007Black = false;
    bool office2007Aqua = false;
    bool vs2005OrOffice2003 = false;
    bool officeXp = false;
    bool windows = false;
};

LookTraits TraitsOf(unsigned id) {
    LookTraits t;
    switch (id) {
    case AppLook::OfficeXp:
        t.officeXp = true;
        break;
    case AppLook::Windows:
    case AppLook::Windows7:
        t.windows = true;
        break;
    case AppLook::Office2003:
    case AppLook::VS2005:
    case AppLook::VS2008:
        t.vs2005OrOffice2003 = true;
        t.officeXp = true;
        break;
    case AppLook::Office2007Blue:
    case AppLook::Office2007Silver:
        t.office2007BlueOrSilver = true;
        break;
    case AppLook::Office2007Black:
        t.office2007Black = true;
        break;
    case AppLook::Office2007Aqua:
        t.office2007Aqua = true;
        break;
    default:
        break;
    }
    return t;
}

QPalette AppPalette() {
    return qApp ? QApplication::palette() : QPalette();
}

void FillGreyGradient(QPainter& p, const QRect& r) {
    const int h = r.height();
    for (int i = 0; i < 255; ++i) {
        // Single-precision band edges, truncated, as the bands have always been drawn.
        const int y0 = r.top() + static_cast<int>(static_cast<float>(i) * h / 255.0f);
        const int y1 = r.top() + static_cast<int>(static_cast<float>(i + 1) * h / 255.0f);
        if (y1 <= y0)
            continue;
        const int g = LookGradientGrey(i);
        p.fillRect(QRect(r.left(), y0, r.width(), y1 - y0), QColor(g, g, g));
    }
}

} // namespace

void SetApplicationLook(unsigned id) {
    g_look.store(id);
}

unsigned ApplicationLook() {
    return g_look.load();
}

int LookGradientGrey(int band) {
    return static_cast<int>(96.0f - static_cast<float>(band) * 80.0f / 255.0f);
}

LookColourPair LookColours() {
    const LookTraits t = TraitsOf(ApplicationLook());
    if (t.office2007BlueOrSilver)
        return {QColor(0, 0, 0), QColor(0, 255, 0)};
    if (t.office2007Black)
        return {QColor(32, 32, 32), QColor(192, 192, 192)};
    if (t.office2007Aqua)
        return {QColor(181, 182, 206), QColor(0, 0, 128)};
    if (t.vs2005OrOffice2003)
        return {QColor(255, 255, 255), QColor(0, 0, 128)};
    if (t.officeXp)
        return {QColor(0, 0, 0), QColor(255, 255, 255)};
    if (t.windows)
        return {QColor(96, 96, 96), QColor(192, 192, 192)};
    const QPalette pal = AppPalette();
    return {pal.color(QPalette::Button), pal.color(QPalette::WindowText)};
}

QColor CaptionFillColour() {
    // Flat stand-ins for each look's caption-bar drawing, in the look's own caption tone.
    switch (ApplicationLook()) {
    case AppLook::OfficeXp:
        return QColor(212, 208, 200);
    case AppLook::Windows:
        return QColor(236, 233, 216);
    case AppLook::Office2003:
        return QColor(196, 218, 250);
    case AppLook::VS2005:
        return QColor(219, 216, 209);
    case AppLook::VS2008:
        return QColor(233, 236, 250);
    case AppLook::Office2007Blue:
        return QColor(191, 219, 255);
    case AppLook::Office2007Black:
        return QColor(83, 83, 83);
    case AppLook::Office2007Silver:
        return QColor(208, 212, 221);
    case AppLook::Office2007Aqua:
        return QColor(196, 202, 217);
    case AppLook::Windows7:
        return QColor(219, 229, 241);
    default:
        return AppPalette().color(QPalette::Button);
    }
}

namespace {

struct BackgroundFill {
    bool caption = false;
    bool gradient = false;
};

BackgroundFill BackgroundFillOf(unsigned id) {
    const LookTraits t = TraitsOf(id);
    BackgroundFill fill;
    if (t.office2007BlueOrSilver) {
        fill.caption = fill.gradient = true;
    } else if (t.office2007Black) {
        fill.gradient = true;
    } else if (t.office2007Aqua || t.vs2005OrOffice2003) {
        fill.caption = true;
    } else if (t.officeXp) {
        fill.caption = fill.gradient = true;
    } else if (t.windows) {
        fill.caption = true;
    }
    return fill;
}

} // namespace

bool LookPaintsBackground() {
    const BackgroundFill fill = BackgroundFillOf(ApplicationLook());
    return fill.caption || fill.gradient;
}

void FillLookBackground(QPainter& p, const QRect& r) {
    if (r.isEmpty())
        return;
    const BackgroundFill fill = BackgroundFillOf(ApplicationLook());
    const bool caption = fill.caption;
    const bool gradient = fill.gradient;
    if (caption)
        p.fillRect(r, CaptionFillColour());
    if (gradient)
        FillGreyGradient(p, r);
}

namespace {

double Channel(int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * Channel(rgb.red()) + 0.7152 * Channel(rgb.green()) +
           0.0722 * Channel(rgb.blue());
}

double WorstContrast(const QColor& text, const std::vector<QColor>& tones) {
    double worst = 21.0;
    for (const QColor& tone : tones)
        worst = std::min(worst, ContrastRatio(text, tone));
    return worst;
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<QColor> LookPageTones() {
    const BackgroundFill fill = BackgroundFillOf(ApplicationLook());
    // The gradient covers the whole rectangle, so over a caption fill only it shows.
    if (fill.gradient) {
        const int lightest = LookGradientGrey(0), darkest = LookGradientGrey(254);
        return {QColor(lightest, lightest, lightest), QColor(darkest, darkest, darkest)};
    }
    if (fill.caption)
        return {CaptionFillColour()};
    return {LookColours().background};
}

QColor InkOn(const QColor& background) {
    const QColor black(0, 0, 0), white(255, 255, 255);
    return ContrastRatio(black, background) > ContrastRatio(white, background) ? black : white;
}

QColor LookPageTextColour() {
    const std::vector<QColor> tones = LookPageTones();
    const QColor foreground = LookColours().foreground;
    if (WorstContrast(foreground, tones) >= kReadableContrast)
        return foreground;
    const QColor black(0, 0, 0), white(255, 255, 255);
    return WorstContrast(black, tones) >= WorstContrast(white, tones) ? black : white;
}
