#pragma once
// The eleven application looks of View › Application Look, as Qt styles and palettes.

#include <QPalette>
#include <QString>

constexpr unsigned kFirstLook = 32775;
constexpr unsigned kLastLook = 32785;
constexpr unsigned kDefaultLook = 32782;

// The look a stored value names; a value outside the eleven looks (an edited or damaged
// settings file) gives the default look.
unsigned ValidApplicationLook(int stored);
// Menu text of a look command.
QString ApplicationLookText(unsigned id);
// The palette of a look (ids outside the range give the style's standard palette).
QPalette ApplicationLookPalette(unsigned id);
// Applies the look to the whole application and tells the drawing pages (LookColours).
void ApplyApplicationLook(unsigned id);
