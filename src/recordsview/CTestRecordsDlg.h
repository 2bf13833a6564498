#pragma once
// Settings › "Test Records...": where the records go (an SQLite file on this bench, or a
// PostgreSQL server shared by the line), the station's name and the operator. The values live
// in the settings file's group "TestRecords" under the keys tollbrook-cli reads too; a server's
// password goes to the desktop keyring where there is one, else to the settings file with a
// visible warning.

#include <QDialog>
#include <QString>

#include "recordstore/StoreLocation.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

class CTestRecordsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTestRecordsDlg(QWidget* parent = nullptr);

    // From and to the settings store.
    void Load();
    void Save() const;

    // The location the fields describe (the default SQLite file when its field is empty).
    StoreLocation Location() const;
    // "Test connection": opens the store off the UI thread; the result shows in the dialog.
    void TestConnection();
    QString ConnectionResult() const;

    void accept() override;

    QRadioButton* sqlite = nullptr;
    QRadioButton* postgres = nullptr;
    QLineEdit* sqlitePath = nullptr;
    QPushButton* browse = nullptr;
    QLineEdit* host = nullptr;
    QSpinBox* port = nullptr;
    QLineEdit* database = nullptr;
    QLineEdit* user = nullptr;
    QLineEdit* password = nullptr;
    QLineEdit* station = nullptr;
    QLineEdit* operatorName = nullptr;
    QPushButton* testConnection = nullptr;

signals:
    void connectionTested(const QString& result);

private:
    void BuildControls();
    void BackendChanged();
    void Browse();

    QWidget* m_sqliteGroup = nullptr;
    QWidget* m_postgresGroup = nullptr;
    QLabel* m_passwordWarning = nullptr;
    QLabel* m_result = nullptr;
    int m_probes = 0;       // connection tests under way
    bool m_keyring = false; // the desktop offers a keyring for the password
};
