#include "recordsview/CTestRecordsDlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

#include "recordstore/PasswordKeyring.h"
#include "recordstore/RecordSettings.h"
#include "recordstore/RecordStore.h"
#include "uisupport/Profile.h"
#include "uisupport/UiHooks.h"

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Key(const char* key) {
    return QString::fromLatin1(RecordSettingsKey::kGroup) + QLatin1Char('/') +
           QString::fromLatin1(key);
}

template <class W> W* Named(W* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}

} // namespace

CTestRecordsDlg::CTestRecordsDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Test Records"));
    setAccessibleName(QStringLiteral("Test Records settings"));
    BuildControls();
    Load();
}

void CTestRecordsDlg::BuildControls() {
    auto* where = new QGroupBox(QStringLiteral("Where the test records are kept"), this);
    auto* whereColumn = new QVBoxLayout(where);

    sqlite = Named(new QRadioButton(QStringLiteral("&SQLite file on this computer"), where),
                   QStringLiteral("SQLite file"));
    whereColumn->addWidget(sqlite);
    m_sqliteGroup = new QWidget(where);
    auto* sqliteRow = new QHBoxLayout(m_sqliteGroup);
    sqliteRow->setContentsMargins(24, 0, 0, 0);
    sqlitePath = Named(new QLineEdit(m_sqliteGroup), QStringLiteral("SQLite file path"));
    sqlitePath->setPlaceholderText(FromUtf8(DefaultRecordsPath()));
    sqlitePath->setMinimumWidth(360);
    sqlitePath->setToolTip(QStringLiteral("Leave empty for the default file:\n%1")
                               .arg(FromUtf8(DefaultRecordsPath())));
    browse = Named(new QPushButton(QStringLiteral("&Browse..."), m_sqliteGroup),
                   QStringLiteral("Browse for the SQLite file"));
    sqliteRow->addWidget(sqlitePath, 1);
    sqliteRow->addWidget(browse);
    whereColumn->addWidget(m_sqliteGroup);
    auto* defaultNote = new QLabel(
        QStringLiteral("Empty: the default file %1").arg(FromUtf8(DefaultRecordsPath())), where);
    defaultNote->setContentsMargins(24, 0, 0, 0);
    defaultNote->setWordWrap(true);
    defaultNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    whereColumn->addWidget(defaultNote);

    postgres = Named(
        new QRadioButton(QStringLiteral("&PostgreSQL server (one store for the line)"), where),
        QStringLiteral("PostgreSQL server"));
    whereColumn->addWidget(postgres);
    m_postgresGroup = new QWidget(where);
    auto* form = new QFormLayout(m_postgresGroup);
    form->setContentsMargins(24, 0, 0, 0);
    host = Named(new QLineEdit(m_postgresGroup), QStringLiteral("Host"));
    host->setPlaceholderText(QStringLiteral("host name, address or socket folder"));
    port = Named(new QSpinBox(m_postgresGroup), QStringLiteral("Port"));
    port->setRange(1, 65535);
    port->setValue(5432);
    database = Named(new QLineEdit(m_postgresGroup), QStringLiteral("Database"));
    user = Named(new QLineEdit(m_postgresGroup), QStringLiteral("User"));
    password = Named(new QLineEdit(m_postgresGroup), QStringLiteral("Password"));
    password->setEchoMode(QLineEdit::Password);
    password->setPlaceholderText(QStringLiteral("empty: ~/.pgpass or PGPASSWORD"));
    form->addRow(QStringLiteral("&Host:"), host);
    form->addRow(QStringLiteral("P&ort:"), port);
    form->addRow(QStringLiteral("&Database:"), database);
    form->addRow(QStringLiteral("&User:"), user);
    form->addRow(QStringLiteral("Pass&word:"), password);
    m_passwordWarning = Named(new QLabel(m_postgresGroup), QStringLiteral("Password warning"));
    m_passwordWarning->setWordWrap(true);
    m_passwordWarning->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    m_keyring = PasswordKeyring::Available();
    if (m_keyring) {
        m_passwordWarning->setStyleSheet(QString());
        m_passwordWarning->setText(
            QStringLiteral("The password is kept in the desktop keyring, not in the settings "
                           "file."));
    } else {
        m_passwordWarning->setText(
            QStringLiteral("Warning: there is no desktop keyring, so a password entered here is "
                           "kept in plain text in the settings file (%1), where anyone who can "
                           "read that file can read it. Leave it empty to use ~/.pgpass or "
                           "PGPASSWORD instead.")
                .arg(FromUtf8(ProgramSettingsPath())));
    }
    form->addRow(m_passwordWarning);
    whereColumn->addWidget(m_postgresGroup);

    auto* bench = new QGroupBox(QStringLiteral("This bench"), this);
    auto* benchForm = new QFormLayout(bench);
    station = Named(new QLineEdit(bench), QStringLiteral("Station"));
    station->setPlaceholderText(FromUtf8(HostName()));
    station->setToolTip(QStringLiteral("Empty: the host name, %1").arg(FromUtf8(HostName())));
    operatorName = Named(new QLineEdit(bench), QStringLiteral("Operator"));
    operatorName->setPlaceholderText(QStringLiteral("optional"));
    benchForm->addRow(QStringLiteral("S&tation:"), station);
    benchForm->addRow(QStringLiteral("Op&erator:"), operatorName);

    testConnection = Named(new QPushButton(QStringLiteral("Test &connection"), this),
                           QStringLiteral("Test connection"));
    m_result = Named(new QLabel(this), QStringLiteral("Connection result"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(testConnection);
    testRow->addWidget(m_result, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));

    auto* column = new QVBoxLayout(this);
    column->addWidget(where);
    column->addWidget(bench);
    column->addLayout(testRow);
    column->addWidget(buttons);

    connect(sqlite, &QRadioButton::toggled, this, &CTestRecordsDlg::BackendChanged);
    connect(postgres, &QRadioButton::toggled, this, &CTestRecordsDlg::BackendChanged);
    connect(browse, &QPushButton::clicked, this, &CTestRecordsDlg::Browse);
    connect(testConnection, &QPushButton::clicked, this, &CTestRecordsDlg::TestConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTestRecordsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTestRecordsDlg::reject);
}

void CTestRecordsDlg::BackendChanged() {
    m_sqliteGroup->setEnabled(sqlite->isChecked());
    m_postgresGroup->setEnabled(postgres->isChecked());
}

void CTestRecordsDlg::Browse() {
    QFileDialog dialog(this, QStringLiteral("Test Records File"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // An existing records file is opened, not replaced.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("sqlite"));
    dialog.setNameFilters(
        {QStringLiteral("SQLite Files (*.sqlite *.db)"), QStringLiteral("All Files (*)")});
    const QString current =
        sqlitePath->text().isEmpty() ? FromUtf8(DefaultRecordsPath()) : sqlitePath->text();
    dialog.setDirectory(QFileInfo(current).absolutePath());
    dialog.selectFile(current);
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    sqlitePath->setText(dialog.selectedFiles().constFirst());
}

void CTestRecordsDlg::Load() {
    const auto settings = OpenProfile();
    const QString backend = settings->value(Key(RecordSettingsKey::kBackend)).toString();
    (backend == QStringLiteral("postgresql") ? postgres : sqlite)->setChecked(true);
    sqlitePath->setText(settings->value(Key(RecordSettingsKey::kSqlitePath)).toString());
    host->setText(settings->value(Key(RecordSettingsKey::kHost)).toString());
    bool ok = false;
    const int p = settings->value(Key(RecordSettingsKey::kPort)).toInt(&ok);
    port->setValue(ok && p > 0 && p <= 65535 ? p : 5432);
    database->setText(settings->value(Key(RecordSettingsKey::kDatabase)).toString());
    user->setText(settings->value(Key(RecordSettingsKey::kUser)).toString());
    password->setText(settings->value(Key(RecordSettingsKey::kPassword)).toString());
    if (password->text().isEmpty() && m_keyring && postgres->isChecked()) {
        const std::optional<std::string> kept = PasswordKeyring::Lookup(Location());
        password->setText(FromUtf8(kept.value_or(std::string())));
    }
    station->setText(settings->value(Key(RecordSettingsKey::kStation)).toString());
    operatorName->setText(settings->value(Key(RecordSettingsKey::kOperator)).toString());
    BackendChanged();
}

void CTestRecordsDlg::Save() const {
    const auto settings = OpenProfile();
    settings->setValue(Key(RecordSettingsKey::kBackend), postgres->isChecked()
                                                             ? QStringLiteral("postgresql")
                                                             : QStringLiteral("sqlite"));
    settings->setValue(Key(RecordSettingsKey::kSqlitePath), sqlitePath->text().trimmed());
    settings->setValue(Key(RecordSettingsKey::kHost), host->text().trimmed());
    settings->setValue(Key(RecordSettingsKey::kPort), port->value());
    settings->setValue(Key(RecordSettingsKey::kDatabase), database->text().trimmed());
    settings->setValue(Key(RecordSettingsKey::kUser), user->text().trimmed());
    // The password goes to the keyring where there is one, else (with the dialog's warning)
    // to the settings file; never an empty one: libpq then looks in its own places.
    const std::string secret = password->text().toStdString();
    bool inKeyring = false;
    if (postgres->isChecked() && m_keyring) {
        if (secret.empty())
            PasswordKeyring::Remove(Location());
        else
            inKeyring = PasswordKeyring::Store(Location(), secret);
    }
    if (secret.empty() || inKeyring)
        settings->remove(Key(RecordSettingsKey::kPassword));
    else
        settings->setValue(Key(RecordSettingsKey::kPassword), password->text());
    settings->setValue(Key(RecordSettingsKey::kStation), station->text().trimmed());
    settings->setValue(Key(RecordSettingsKey::kOperator), operatorName->text().trimmed());
    // tollbrook-cli and the record keeper read the file itself.
    settings->sync();
}

StoreLocation CTestRecordsDlg::Location() const {
    StoreLocation location;
    if (sqlite->isChecked()) {
        location.kind = StoreLocation::Kind::Sqlite;
        const QString path = sqlitePath->text().trimmed();
        location.sqlitePath = path.isEmpty() ? DefaultRecordsPath() : path.toStdString();
        return location;
    }
    location.kind = StoreLocation::Kind::Postgres;
    location.host = host->text().trimmed().toStdString();
    location.port = port->value();
    location.database = database->text().trimmed().toStdString();
    location.user = user->text().trimmed().toStdString();
    location.password = password->text().toStdString();
    return location;
}

void CTestRecordsDlg::TestConnection() {
    const StoreLocation location = Location();
    const QString where = FromUtf8(DescribeStoreLocation(location));
    auto status = std::make_shared<StoreStatus>();
    auto schema = std::make_shared<int>(0);
    // The probe owns copies of everything it needs: the dialog may be closed before a server
    // answers, and then nobody waits for the answer.
    QThread* probe = QThread::create([location, status, schema] {
        const std::unique_ptr<RecordStore> store = MakeRecordStore(location);
        *status = store->Open();
        *schema = store->SchemaVersion();
    });
    ++m_probes;
    testConnection->setEnabled(false);
    m_result->setStyleSheet(QString());
    m_result->setText(QStringLiteral("Connecting to %1...").arg(where));
    connect(probe, &QThread::finished, this, [this, status, schema, where] {
        --m_probes;
        testConnection->setEnabled(m_probes == 0);
        QString text;
        if (status->Ok()) {
            text = QStringLiteral("Connected to %1 (schema version %2).").arg(where).arg(*schema);
            if (!status->message.empty())
                text += QLatin1Char(' ') + FromUtf8(status->message);
            m_result->setStyleSheet(QStringLiteral("QLabel { color: #006000; }"));
        } else {
            text = QStringLiteral("Could not open %1: %2").arg(where, FromUtf8(status->message));
            m_result->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
        }
        m_result->setText(text);
        emit connectionTested(text);
    });
    connect(probe, &QThread::finished, probe, &QObject::deleteLater);
    probe->start();
}

QString CTestRecordsDlg::ConnectionResult() const {
    return m_result->text();
}

void CTestRecordsDlg::accept() {
    if (postgres->isChecked() &&
        (host->text().trimmed().isEmpty() || database->text().trimmed().isEmpty())) {
        AppMessageBox(this, QMessageBox::Warning,
                      QStringLiteral("A PostgreSQL server needs at least a host and a database."));
        return;
    }
    Save();
    QDialog::accept();
}
