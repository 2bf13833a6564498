#pragma once
// Template pages place their controls in dialog units of the dialog font, but the font that
// draws the captions is whatever the system substitutes for the template's face, often wider
// than the one the template was drawn with. These helpers measure a caption against the room
// its control's style leaves for the text, and narrow or shrink the fonts of the controls
// whose caption would otherwise be cut off.

#include <QFont>
#include <QList>
#include <QSize>

class QWidget;

// Pixels the caption of a button, check box, radio button, label or group box lacks in the
// room its style gives the text (0 when it fits, and for controls without a caption).
int CaptionShortfall(const QWidget& control);

// Gives every control of `controls` whose caption does not fit in its own font the widest of
// narrower stretches, then smaller pixel sizes (down to smallestPixelSize), with which it does.
// Controls that fit keep their font, so the page reads in one size wherever it can.
void FitCaptions(const QList<QWidget*>& controls, int smallestPixelSize = 8);

// The dialog font at its own size when a template of templateUnits dialog units fits into
// room pixels, otherwise at the largest pixel size (down to smallestPixelSize) with which it
// does: a page must fit the window it is shown in rather than hide its lower rows.
QFont DialogFontForRoom(const QFont& font, QSize templateUnits, QSize room,
                        int smallestPixelSize = 9);
