#pragma once
// Until the serial link's Connect dialog is built into the program: the same fields in a
// plain dialog, a port path and a baud rate.

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

class CConnectDlg : public QDialog {
public:
    explicit CConnectDlg(QWidget* parent = nullptr) : QDialog(parent) {
        setWindowTitle(QStringLiteral("Connect to GPS"));
        auto* form = new QFormLayout(this);
        m_editPort = new QLineEdit(this);
        m_comboBaud = new QComboBox(this);
        m_comboBaud->setEditable(true);
        m_comboBaud->addItems({QStringLiteral("4800"), QStringLiteral("9600"),
                               QStringLiteral("19200"), QStringLiteral("38400"),
                               QStringLiteral("115200")});
        form->addRow(QStringLiteral("Communication Port:"), m_editPort);
        form->addRow(QStringLiteral("Baud Rate:"), m_comboBaud);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        form->addRow(buttons);
    }
    int exec() override {
        m_editPort->setText(m_strPort);
        m_comboBaud->setEditText(QString::number(m_nBaud));
        return QDialog::exec();
    }
    void accept() override {
        m_strPort = m_editPort->text().trimmed();
        m_nBaud = m_comboBaud->currentText().toInt();
        QDialog::accept();
    }

    QString m_strPort = QStringLiteral("/dev/ttyS0");
    int m_nBaud = 115200;

private:
    QLineEdit* m_editPort;
    QComboBox* m_comboBaud;
};
