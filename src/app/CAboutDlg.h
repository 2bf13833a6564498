#pragma once

#include <QDialog>
#include <QPixmap>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Where the picture goes for a client width: full width, height keeping the aspect.
    static QRect PictureRect(const QSize& picture, int clientWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};
