#include "app/CSetPositionDlg.h"

#include "uisupport/DialogUnits.h"
#include "uisupport/ProfileValues.h"
#include "uisupport/UiHooks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QString FormatField(double value) {
    return QString::asprintf("%.*g", 15, value);
}
} // namespace

CSetPositionDlg::CSetPositionDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Set Position"));
    const DialogUnits du(*this);
    setFixedSize(du.Size(229, 117));

    auto row = [&](const QString& caption, int id, int y) {
        auto* label = new QLabel(caption, this);
        label->setGeometry(du.Rect(7, y + 2, 48, 10));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("edit%1").arg(id));
        edit->setGeometry(du.Rect(57, y, 105, 14));
        label->setBuddy(edit);
        return edit;
    };
    m_editLatitude = row(QStringLiteral("Latitude:"), 1011, 10);
    m_editLongitude = row(QStringLiteral("Longitude:"), 1009, 34);
    m_editAltitude = row(QStringLiteral("Altitude:"), 1010, 58);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(172, 7, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(du.Rect(172, 24, 50, 14));
    connect(ok, &QPushButton::clicked, this, &CSetPositionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CSetPositionDlg::DoModal() {
    m_editLatitude->setText(FormatField(m_dLatitude));
    m_editLongitude->setText(FormatField(m_dLongitude));
    m_editAltitude->setText(FormatField(m_dAltitude));
    m_editLatitude->setFocus();
    return ExecModal(*this);
}

void CSetPositionDlg::accept() {
    struct Field {
        QLineEdit* edit;
        double* member;
    };
    const Field fields[] = {{m_editLatitude, &m_dLatitude},
                            {m_editLongitude, &m_dLongitude},
                            {m_editAltitude, &m_dAltitude}};
    double values[3];
    for (int i = 0; i < 3; ++i) {
        if (!ParseLeadingDouble(fields[i].edit->text(), values[i])) {
            AppMessageBox(this, QMessageBox::Warning, QStringLiteral("Enter a number."));
            fields[i].edit->setFocus();
            fields[i].edit->selectAll();
            return;
        }
    }
    for (int i = 0; i < 3; ++i)
        *fields[i].member = values[i];
    QDialog::accept();
}
