#pragma once
// Colours and page background that follow the application look chosen in the View menu.
// The frame sets the look; every page that draws itself asks here at paint time.

#include <QColor>
#include <QRect>
#include <vector>

class QPainter;

// Look command ids of the View › Application Look menu.
namespace AppLook {
constexpr unsigned Plain = 32775;
constexpr unsigned OfficeXp = 32776;
constexpr unsigned Windows = 32777;
constexpr unsigned Office2003 = 32778;
constexpr unsigned VS2005 = 32779;
constexpr unsigned VS2008 = 32780;
constexpr unsigned Office2007Blue = 32781;
constexpr unsigned Office2007Black = 32782;
constexpr unsigned Office2007Silver = 32783;
constexpr unsigned Office2007Aqua = 32784;
constexpr unsigned Windows7 = 32785;
} // namespace AppLook

// The look in effect; 32782 (Office 2007 black) until the frame sets another. Any id outside
// 32775..32785 is kept as given and treated as a look of no known style.
void SetApplicationLook(unsigned id);
unsigned ApplicationLook();

struct LookColourPair {
    QColor background, foreground;
};

// (background, foreground) of the pages for the current look.
LookColourPair LookColours();

// Paints a page background for the current look over r (caption fill, grey gradient, both or
// nothing).
void FillLookBackground(QPainter& p, const QRect& r);

// False for the looks whose FillLookBackground paints nothing: a page must then clear its
// off-screen image itself, or it shows whatever the image held before.
bool LookPaintsBackground();

// The look's caption-bar fill colour (also the send row of the monitor page).
QColor CaptionFillColour();

// Grey level of gradient band i (0..254): 96 at the top down to 16 at the bottom.
int LookGradientGrey(int band);

// WCAG 2 contrast ratio of two colours: 1 (same luminance) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The extreme tones of the page background of the current look, that text drawn straight on
// the page may stand on: the caption fill, the lightest and darkest band of the grey gradient,
// or LookColours().background for a look that paints none (the pages fill with it then).
std::vector<QColor> LookPageTones();

// Contrast that text on the page must reach against every page tone (WCAG AA, normal text).
constexpr double kReadableContrast = 4.5;

// The colour of text, ticks and rings drawn straight on the page background: the look's
// foreground where it reaches kReadableContrast against every page tone, else black or white,
// whichever reads better. (The foreground is chosen for the look's background colour, which
// under some looks is not the page's: light grey on a light caption fill.)
QColor LookPageTextColour();

// Black or white, whichever reads better on `background` (white on a tie): outlines and names
// drawn inside a box the page filled with its look background.
QColor InkOn(const QColor& background);
