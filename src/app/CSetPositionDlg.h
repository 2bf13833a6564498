#pragma once

#include <QDialog>

class QLineEdit;

class CSetPositionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetPositionDlg(QWidget* parent = nullptr);

    // Shows the three members with 15 significant digits, runs the dialog; on OK each field
    // must begin with a number ("Enter a number." otherwise, the dialog stays open).
    int DoModal();

    double m_dLatitude = 0.0;
    double m_dLongitude = 0.0;
    double m_dAltitude = 0.0;

    void accept() override;

private:
    QLineEdit* m_editLatitude;
    QLineEdit* m_editLongitude;
    QLineEdit* m_editAltitude;
};
