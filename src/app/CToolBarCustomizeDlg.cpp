#include "app/CToolBarCustomizeDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CToolBarCustomizeDlg::CToolBarCustomizeDlg(const QList<QAction*>& available,
                                           const QList<int>& shown, const QList<int>& defaults,
                                           QWidget* parent)
    : QDialog(parent), m_defaults(defaults) {
    setWindowTitle(QStringLiteral("Customize"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Commands shown on the Standard tool bar:"), this));
    for (QAction* a : available) {
        QString text = a->text();
        text.remove(QLatin1Char('&'));
        if (text.isEmpty())
            text = a->toolTip();
        auto* box = new QCheckBox(text, this);
        box->setIcon(a->icon());
        box->setProperty("commandId", a->data());
        box->setChecked(shown.contains(a->data().toInt()));
        layout->addWidget(box);
        m_boxes.append(box);
    }
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            [this] {
                for (QCheckBox* b : m_boxes)
                    b->setChecked(m_defaults.contains(b->property("commandId").toInt()));
            });
    layout->addWidget(buttons);
}

QList<int> CToolBarCustomizeDlg::ShownCommands() const {
    QList<int> ids;
    for (QCheckBox* b : m_boxes)
        if (b->isChecked())
            ids.append(b->property("commandId").toInt());
    return ids;
}

QCheckBox* CToolBarCustomizeDlg::CheckBoxFor(int id) const {
    for (QCheckBox* b : m_boxes)
        if (b->property("commandId").toInt() == id)
            return b;
    return nullptr;
}
