#pragma once
// The update notice: a small frameless window that slides in at the bottom right of the
// screen, offers the download page and closes itself after 15 s.

#include <QPixmap>
#include <QString>
#include <QWidget>

class QPropertyAnimation;

// The maker's download page, opened by "Download now".
inline constexpr const char* kDownloadPageUrl = "https://www.quenhollow.com/tollbrook/download";

class CKestranoDesktopAlertWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kAutoCloseMs = 15000;
    static constexpr int kLinkCommandId = 101;

    // stackIndex: the free place, counted from the bottom, that the new alert takes.
    CKestranoDesktopAlertWnd(QWidget* owner, const QPixmap& icon, const QString& text,
                             const QString& linkText, int stackIndex = 0);

    // The reaction to the link: open the page, then close.
    virtual void OnClickLinkButton();

    // Its place in the stack of alerts, 0 at the bottom.
    int StackIndex() const { return m_stackIndex; }
    // Where the window comes to rest on a screen's available area.
    static QPoint RestingPosition(const QRect& available, const QSize& size, int stackIndex);

signals:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_stackIndex;
    QPropertyAnimation* m_slide = nullptr;
};
