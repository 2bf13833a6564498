#pragma once
// Colours and page background that follow the application look chosen in the View menu.
// The frame sets the look; every page that draws itself asks here at paint time.

#include <QColor>
#include <QRect>

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
