#pragma once
// "Connect to GPS": the operator picks a port (listed or typed) and a baud rate (listed or
// typed). The caller presets m_strPort and m_nBaud and reads them back after OK.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

class CConnectDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 119, IDC_PORT = 1000, IDC_BAUD = 1002 };

    explicit CConnectDlg(QWidget* parent = nullptr);

    QString m_strPort = QStringLiteral("/dev/ttyS0");
    int m_nBaud = 115200;

    // Port listing used when the dialog opens; EnumerateSerialPorts unless replaced (tests).
    std::function<bool(std::vector<std::string>&, std::vector<std::string>&)> m_enumeratePorts;

    // "<path> - (<description>)", at most 255 characters.
    static QString FormatPortEntry(const QString& path, const QString& description);
    // The leading decimal number of `text` (after blanks, optional sign); 0 when there is none.
    static int LeadingNumber(const QString& text);
    // The port meant by text that is not one of the list's entries: the path part of an
    // entry-shaped text, a bare device name under /dev, or the typed path itself.
    static QString PortFromTypedText(const QString& text);

    QComboBox* m_comboPort = nullptr;
    QComboBox* m_comboBaud = nullptr;

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void InitDialog();
    void LayOut();

    QLabel* m_labelPort = nullptr;
    QLabel* m_labelBaud = nullptr;
    QPushButton* m_buttonOk = nullptr;
    QPushButton* m_buttonCancel = nullptr;
    bool m_bInitialised = false;
};
