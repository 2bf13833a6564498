#pragma once
// "Customize...": which commands the tool bar shows.

#include <QDialog>
#include <QList>

class QAction;
class QCheckBox;

class CToolBarCustomizeDlg : public QDialog {
    Q_OBJECT
public:
    // available: every command the bar can hold, in bar order; shown: the ids shown now;
    // defaults: what "Reset" brings back.
    CToolBarCustomizeDlg(const QList<QAction*>& available, const QList<int>& shown,
                         const QList<int>& defaults, QWidget* parent = nullptr);

    // The ids checked, in bar order.
    QList<int> ShownCommands() const;
    // The check box of a command (tests and keyboard users alike go by command id).
    QCheckBox* CheckBoxFor(int id) const;

private:
    QList<QCheckBox*> m_boxes;
    QList<int> m_defaults;
};
