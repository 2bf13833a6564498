#include "trackerconfig/CSettingEdit.h"

#include <QFocusEvent>

CSettingEdit::CSettingEdit(QWidget* parent) : QLineEdit(parent) {}

void CSettingEdit::focusOutEvent(QFocusEvent* event) {
    const bool selected = hasSelectedText();
    const int start = selectionStart();
    const int end = selectionEnd();
    const bool caretAtStart = cursorPosition() == start;
    QLineEdit::focusOutEvent(event); // deselects
    if (!selected || hasSelectedText())
        return;
    // Selected again from the same end, so that the caret is where the operator left it.
    if (caretAtStart)
        setSelection(end, start - end);
    else
        setSelection(start, end - start);
}
