#include "app/CAboutDlg.h"

#include "uisupport/DialogUnits.h"
#include "version/TollbrookVersion.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent), m_picture(QStringLiteral(":/bitmaps/143.png")) {
    setWindowTitle(QStringLiteral("About Tollbrook"));
    const DialogUnits du(*this);
    setFixedSize(du.Size(301, 151));

    auto* version = new QLabel(QStringLiteral("Tollbrook, Version %1 Build 2030")
                                   .arg(QString::fromLatin1(kTollbrookVersion)),
                               this);
    version->setGeometry(du.Rect(1, 124, 238, 10));
    auto* line2 = new QLabel(QStringLiteral("Bench tool for GPS trackers"), this);
    line2->setGeometry(du.Rect(1, 136, 238, 10));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(244, 130, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QRect CAboutDlg::PictureRect(const QSize& picture, int clientWidth) {
    if (picture.width() <= 0)
        return QRect();
    const double h = static_cast<double>(picture.height()) * clientWidth / picture.width();
    return QRect(0, 0, clientWidth, static_cast<int>(h));
}

void CAboutDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    const QRect target = PictureRect(m_picture.size(), width());
    if (target.isEmpty())
        return;
    QPainter p(this);
    p.drawPixmap(target, m_picture);
}
