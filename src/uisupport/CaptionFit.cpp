#include "uisupport/CaptionFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QWidget>
#include <algorithm>

#include "uisupport/DialogUnits.h"

namespace {

int TextWidth(const QWidget& control, const QString& text) {
    return QFontMetrics(control.font()).horizontalAdvance(text);
}

int ButtonShortfall(const QAbstractButton& button) {
    if (button.text().isEmpty())
        return 0;
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.rect = button.rect();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(&button))
        contents = QStyle::SE_RadioButtonContents;
    else if (const auto* push = qobject_cast<const QPushButton*>(&button);
             push && (push->autoDefault() || push->isDefault()))
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect room = button.style()->subElementRect(contents, &option, &button);
    return TextWidth(button, button.text()) - room.width();
}

int GroupBoxShortfall(const QGroupBox& box) {
    if (box.title().isEmpty())
        return 0;
    QStyleOptionGroupBox option;
    option.initFrom(&box);
    option.text = box.title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box.alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box.isFlat())
        option.features |= QStyleOptionFrame::Flat;
    const QRect label =
        box.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
    // The style sizes the label to the text; what lies past the box is cut off.
    const int overLabel = TextWidth(box, box.title()) - label.width();
    const int pastBox = label.right() - box.rect().right();
    return std::max(overLabel, pastBox);
}

int LabelShortfall(const QLabel& label) {
    if (label.text().isEmpty() || label.wordWrap())
        return 0;
    // Frameless, as the template labels are: the text may take the whole control.
    return TextWidth(label, label.text()) - label.contentsRect().width() +
           std::max(0, label.indent());
}

} // namespace

int CaptionShortfall(const QWidget& control) {
    int shortfall = 0;
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        shortfall = ButtonShortfall(*button);
    else if (const auto* box = qobject_cast<const QGroupBox*>(&control))
        shortfall = GroupBoxShortfall(*box);
    else if (const auto* label = qobject_cast<const QLabel*>(&control))
        shortfall = LabelShortfall(*label);
    return std::max(0, shortfall);
}

void FitCaptions(const QList<QWidget*>& controls, int smallestPixelSize) {
    for (QWidget* control : controls) {
        if (CaptionShortfall(*control) == 0)
            continue;
        QFont font = control->font();
        int pixels = QFontInfo(font).pixelSize();
        // Narrower letters first: the caption keeps its height as long as it can.
        for (const int stretch : {int(QFont::SemiCondensed), int(QFont::Condensed)}) {
            font.setStretch(stretch);
            control->setFont(font);
            if (CaptionShortfall(*control) == 0)
                break;
        }
        while (CaptionShortfall(*control) > 0 && pixels > smallestPixelSize) {
            font.setPixelSize(--pixels);
            control->setFont(font);
        }
    }
}

QFont DialogFontForRoom(const QFont& font, QSize templateUnits, QSize room, int smallestPixelSize) {
    const auto fits = [&](const QFont& f) {
        const DialogUnits du(f);
        const QSize size = du.Size(templateUnits.width(), templateUnits.height());
        return size.width() <= room.width() && size.height() <= room.height();
    };
    if (fits(font))
        return font;
    QFont smaller = font;
    for (int pixels = QFontInfo(font).pixelSize() - 1; pixels >= smallestPixelSize; --pixels) {
        smaller.setPixelSize(pixels);
        if (fits(smaller))
            return smaller;
    }
    return smaller;
}
