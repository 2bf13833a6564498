// The "Test Records" settings dialog: what it writes is what the settings reader of
// tollbrook-cli reads from the same file, and what it reads back; the connection test runs off
// the UI thread.

#include "AppTestSupport.h"
#include "RecordsFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "recordstore/PasswordKeyring.h"
#include "recordsview/CTestRecordsDlg.h"

class RecordsSettingsDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearProfile(); }

    void everyControlHasAnAccessibleName() {
        CTestRecordsDlg dlg;
        for (QWidget* w : dlg.findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                qobject_cast<QSpinBox*>(w))
                if (!qobject_cast<QAbstractSpinBox*>(w->parent())) // the spin box's own edit
                    QVERIFY2(!w->accessibleName().isEmpty(), w->metaObject()->className());
        }
    }

    void writesWhatTheSettingsReaderReads() {
        struct Case {
            const char* name;
            std::function<void(CTestRecordsDlg&)> fill;
            std::function<void(const RecordSettings&)> check;
        };
        const Case cases[] = {
            {"server, with commas, spaces and a password",
             [](CTestRecordsDlg& d) {
                 d.postgres->setChecked(true);
                 d.host->setText(QStringLiteral("/run/pg sock"));
                 d.port->setValue(5433);
                 d.database->setText(QStringLiteral("line_records"));
                 d.user->setText(QStringLiteral("bench"));
                 d.password->setText(QStringLiteral("s3cr,et \"x\""));
                 d.station->setText(QStringLiteral("bench 7, hall B"));
                 d.operatorName->setText(QStringLiteral("王工"));
             },
             [](const RecordSettings& s) {
                 QVERIFY(s.location.kind == StoreLocation::Kind::Postgres);
                 QCOMPARE(s.location.host, std::string("/run/pg sock"));
                 QCOMPARE(s.location.port, 5433);
                 QCOMPARE(s.location.database, std::string("line_records"));
                 QCOMPARE(s.location.user, std::string("bench"));
                 // In the keyring where the desktop has one, else in the file.
                 const std::string kept =
                     PasswordKeyring::Available()
                         ? PasswordKeyring::Lookup(s.location).value_or(std::string())
                         : s.location.password;
                 QCOMPARE(kept, std::string("s3cr,et \"x\""));
                 QCOMPARE(s.station, std::string("bench 7, hall B"));
                 QCOMPARE(s.operatorName, std::string("王工"));
             }},
            {"a file of the user's",
             [](CTestRecordsDlg& d) {
                 d.sqlite->setChecked(true);
                 d.sqlitePath->setText(QStringLiteral("/srv/records dir/测试 #1.sqlite"));
                 d.station->setText(QStringLiteral("bench-1"));
             },
             [](const RecordSettings& s) {
                 QVERIFY(s.location.kind == StoreLocation::Kind::Sqlite);
                 QCOMPARE(s.location.sqlitePath, std::string("/srv/records dir/测试 #1.sqlite"));
                 QCOMPARE(s.station, std::string("bench-1"));
                 QCOMPARE(s.operatorName, std::string());
             }},
            {"the defaults", [](CTestRecordsDlg& d) { d.sqlite->setChecked(true); },
             [](const RecordSettings& s) {
                 QVERIFY(s.location.kind == StoreLocation::Kind::Sqlite);
                 QCOMPARE(s.location.sqlitePath, DefaultRecordsPath());
                 QCOMPARE(s.station, HostName());
                 QVERIFY(!s.station.empty());
             }},
        };
        for (const Case& c : cases) {
            ClearProfile();
            CTestRecordsDlg dlg;
            c.fill(dlg);
            dlg.accept();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            c.check(ReadRecordSettings(ProgramSettingsPath()));
            if (QTest::currentTestFailed())
                QFAIL(c.name);
            // A fresh dialog shows what was saved.
            CTestRecordsDlg again;
            QCOMPARE(again.postgres->isChecked(), dlg.postgres->isChecked());
            const auto same = [&](QLineEdit* CTestRecordsDlg::*member) {
                return (again.*member)->text() == (dlg.*member)->text().trimmed();
            };
            QVERIFY2(same(&CTestRecordsDlg::sqlitePath) && same(&CTestRecordsDlg::host) &&
                         same(&CTestRecordsDlg::database) && same(&CTestRecordsDlg::user) &&
                         same(&CTestRecordsDlg::station) && same(&CTestRecordsDlg::operatorName),
                     c.name);
            QCOMPARE(again.password->text(), dlg.password->text());
            QCOMPARE(again.port->value(), dlg.port->value());
        }
    }

    void aServerNeedsAHostAndADatabase() {
        MessageBoxRecorder boxes;
        CTestRecordsDlg dlg;
        dlg.postgres->setChecked(true);
        dlg.database->setText(QStringLiteral("records"));
        dlg.accept();
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY(dlg.result() != int(QDialog::Accepted));
        QVERIFY(!OpenProfile()->contains(RecordsKey(RecordSettingsKey::kBackend)));
    }

    void thePasswordWarningIsShownWithTheServerFields() {
        CTestRecordsDlg dlg;
        dlg.show();
        auto* warning = dlg.findChild<QLabel*>(QStringLiteral("Password warning"));
        QVERIFY(warning);
        QVERIFY(warning->isVisible());
        QVERIFY(warning->text().contains(PasswordKeyring::Available()
                                             ? QStringLiteral("keyring")
                                             : QStringLiteral("plain text")));
    }

    void testConnectionAnswersOffTheUiThread() {
        QTemporaryDir dir;
        CTestRecordsDlg dlg;
        QSignalSpy tested(&dlg, &CTestRecordsDlg::connectionTested);
        dlg.sqlite->setChecked(true);
        dlg.sqlitePath->setText(dir.filePath(QStringLiteral("probe.sqlite")));
        dlg.testConnection->click();
        QTRY_COMPARE(tested.size(), 1);
        QVERIFY2(dlg.ConnectionResult().startsWith(QStringLiteral("Connected to")),
                 qPrintable(dlg.ConnectionResult()));

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("nosocket")));
        dlg.postgres->setChecked(true);
        dlg.host->setText(dir.filePath(QStringLiteral("nosocket")));
        dlg.database->setText(QStringLiteral("records"));
        QElapsedTimer click;
        click.start();
        dlg.testConnection->click();
        QVERIFY(click.elapsed() < 200);
        QVERIFY(dlg.ConnectionResult().startsWith(QStringLiteral("Connecting to")));
        QTRY_COMPARE_WITH_TIMEOUT(tested.size(), 2, 15000);
        QVERIFY2(dlg.ConnectionResult().startsWith(QStringLiteral("Could not open")),
                 qPrintable(dlg.ConnectionResult()));
    }
};

TB_REGISTER_TEST(RecordsSettingsDlgTest);

#include "RecordsSettingsDlgTest.moc"
