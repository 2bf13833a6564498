#pragma once
// An edit of a setting row. It keeps its selection, still shown, when the focus leaves it: the
// row's Read button takes the focus when clicked and then deletes the selected text of the
// edits the reply will fill, so that a missing answer leaves a gap the operator notices.

#include <QLineEdit>

class CSettingEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CSettingEdit(QWidget* parent = nullptr);

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
