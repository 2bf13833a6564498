#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

class CDOPThresholdDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDOPThresholdDlg(QWidget* parent = nullptr);

    // Shows m_strThreshold in the field, runs the dialog and reads the field back on OK.
    int DoModal();

    QString m_strThreshold;

    void accept() override;

private:
    QLineEdit* m_editThreshold;
};
