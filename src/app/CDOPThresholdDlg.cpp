#include "app/CDOPThresholdDlg.h"

#include "uisupport/DialogUnits.h"
#include "uisupport/UiHooks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CDOPThresholdDlg::CDOPThresholdDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Dilution of Precision Threshold"));
    const DialogUnits du(*this);
    setFixedSize(du.Size(235, 63));

    auto* label = new QLabel(QStringLiteral("Dilution of Precision Threshold:"), this);
    label->setGeometry(du.Rect(7, 7, 160, 10));
    m_editThreshold = new QLineEdit(this);
    m_editThreshold->setObjectName(QStringLiteral("edit1008"));
    m_editThreshold->setGeometry(du.Rect(7, 20, 160, 14));
    label->setBuddy(m_editThreshold);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(178, 7, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(du.Rect(178, 24, 50, 14));
    connect(ok, &QPushButton::clicked, this, &CDOPThresholdDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CDOPThresholdDlg::DoModal() {
    m_editThreshold->setText(m_strThreshold);
    m_editThreshold->setFocus();
    m_editThreshold->selectAll();
    return ExecModal(*this);
}

void CDOPThresholdDlg::accept() {
    // Plain text: the caller takes the leading number, so nothing is rejected here.
    m_strThreshold = m_editThreshold->text();
    QDialog::accept();
}
