#include "app/CKestranoDesktopAlertWnd.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

CKestranoDesktopAlertWnd::CKestranoDesktopAlertWnd(QWidget* owner, const QPixmap& icon,
                                                   const QString& text, const QString& linkText,
                                                   int stackIndex)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_stackIndex(stackIndex) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Update Available"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->setSpacing(0);

    // Small caption: the title and a close button.
    auto* caption = new QWidget(this);
    caption->setObjectName(QStringLiteral("caption"));
    caption->setAutoFillBackground(true);
    QPalette cp = caption->palette();
    cp.setColor(QPalette::Window, palette().color(QPalette::Highlight));
    cp.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
    caption->setPalette(cp);
    auto* captionRow = new QHBoxLayout(caption);
    captionRow->setContentsMargins(6, 2, 2, 2);
    auto* title = new QLabel(windowTitle(), caption);
    captionRow->addWidget(title, 1);
    auto* closeButton = new QToolButton(caption);
    closeButton->setText(QStringLiteral("\u00d7"));
    closeButton->setAutoRaise(true);
    closeButton->setToolTip(QStringLiteral("Close"));
    connect(closeButton, &QToolButton::clicked, this, &QWidget::close);
    captionRow->addWidget(closeButton);
    outer->addWidget(caption);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(10, 10, 10, 10);
    body->setSpacing(10);
    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(icon);
    iconLabel->setAlignment(Qt::AlignTop);
    body->addWidget(iconLabel);
    auto* texts = new QVBoxLayout;
    // The alert always shows some text, a blank at the least.
    const QString shown = text.isEmpty() && linkText.isEmpty() ? QStringLiteral(" ") : text;
    auto* message = new QLabel(shown, this);
    message->setObjectName(QStringLiteral("text"));
    message->setWordWrap(true);
    texts->addWidget(message);
    auto* link =
        new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                       .arg(QString::fromLatin1(kDownloadPageUrl), linkText.toHtmlEscaped()),
                   this);
    link->setObjectName(QStringLiteral("link"));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [this] { OnClickLinkButton(); });
    texts->addWidget(link);
    body->addLayout(texts, 1);
    outer->addLayout(body);

    setFixedWidth(300);
    adjustSize();

    auto* autoClose = new QTimer(this);
    autoClose->setObjectName(QStringLiteral("autoClose"));
    autoClose->setSingleShot(true);
    autoClose->setInterval(kAutoCloseMs);
    connect(autoClose, &QTimer::timeout, this, &QWidget::close);
    autoClose->start();
}

void CKestranoDesktopAlertWnd::OnClickLinkButton() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kDownloadPageUrl)));
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

QPoint CKestranoDesktopAlertWnd::RestingPosition(const QRect& available, const QSize& size,
                                                 int stackIndex) {
    const int margin = 8;
    return QPoint(available.right() + 1 - size.width() - margin,
                  available.bottom() + 1 - (size.height() + margin) * (stackIndex + 1));
}

void CKestranoDesktopAlertWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QPoint rest = RestingPosition(available, size(), m_stackIndex);
    // Slide up from below the bottom edge of the work area.
    const QPoint start(rest.x(), available.bottom() + 1);
    move(start);
    m_slide = new QPropertyAnimation(this, "pos", this);
    m_slide->setDuration(400);
    m_slide->setStartValue(start);
    m_slide->setEndValue(rest);
    m_slide->start();
}

void CKestranoDesktopAlertWnd::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

void CKestranoDesktopAlertWnd::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
