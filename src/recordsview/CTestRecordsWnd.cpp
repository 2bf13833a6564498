#include "recordsview/CTestRecordsWnd.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "recordstore/RecordsCsv.h"
#include "recordstore/StoreLocation.h"
#include "recordsview/FailureBarChart.h"
#include "recordsview/RecordKeeper.h"
#include "recordsview/RecordsTableModel.h"
#include "uisupport/UiHooks.h"

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string DateText(const QDate& date) {
    return date.toString(Qt::ISODate).toStdString();
}

template <class W> W* Named(W* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}

} // namespace

CTestRecordsWnd::CTestRecordsWnd(RecordKeeper* keeper, QWidget* parent)
    : QWidget(parent, Qt::Window), m_keeper(keeper) {
    setWindowTitle(QStringLiteral("Test Records"));
    setObjectName(QStringLiteral("Test Records"));
    setAccessibleName(QStringLiteral("Test Records"));
    BuildControls();
    resize(1180, 640);
    connect(m_keeper, &RecordKeeper::queryFinished, this, &CTestRecordsWnd::OnQueryFinished);
    // A record just written belongs in the list; so does one delivered from the spool.
    connect(m_keeper, &RecordKeeper::recordStored, this, [this] {
        if (isVisible())
            Refresh();
    });
    connect(m_keeper, &RecordKeeper::statusChanged, this, &CTestRecordsWnd::ShowStatus);
    Refresh();
}

void CTestRecordsWnd::BuildControls() {
    auto* filters = Named(new QGroupBox(QStringLiteral("Filter"), this), QStringLiteral("Filter"));
    auto* filterRow = new QHBoxLayout(filters);
    const auto label = [filters](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, filters);
        l->setBuddy(buddy);
        return l;
    };

    m_imei = Named(new QLineEdit(filters), QStringLiteral("IMEI contains"));
    m_imei->setPlaceholderText(QStringLiteral("any"));
    m_imei->setClearButtonEnabled(true);
    m_imei->setMinimumWidth(150);
    filterRow->addWidget(label(QStringLiteral("&IMEI:"), m_imei));
    filterRow->addWidget(m_imei);

    m_verdict = Named(new QComboBox(filters), QStringLiteral("Verdict"));
    m_verdict->addItem(QStringLiteral("All"));
    for (RecordVerdict v : {RecordVerdict::Pass, RecordVerdict::Fail, RecordVerdict::Interrupted})
        m_verdict->addItem(QString::fromLatin1(VerdictColumnText(v).data(),
                                               static_cast<qsizetype>(VerdictColumnText(v).size())),
                           static_cast<int>(v));
    filterRow->addWidget(label(QStringLiteral("&Verdict:"), m_verdict));
    filterRow->addWidget(m_verdict);

    m_station = Named(new QComboBox(filters), QStringLiteral("Station"));
    m_station->setEditable(true);
    m_station->setInsertPolicy(QComboBox::NoInsert);
    m_station->lineEdit()->setPlaceholderText(QStringLiteral("all stations"));
    m_station->setMinimumWidth(140);
    filterRow->addWidget(label(QStringLiteral("&Station:"), m_station));
    filterRow->addWidget(m_station);

    const QDate today = QDate::currentDate();
    m_useFrom =
        Named(new QCheckBox(QStringLiteral("&From"), filters), QStringLiteral("Use from date"));
    m_from = Named(new QDateEdit(today.addDays(-30), filters), QStringLiteral("From date"));
    m_useTo = Named(new QCheckBox(QStringLiteral("&To"), filters), QStringLiteral("Use to date"));
    m_to = Named(new QDateEdit(today, filters), QStringLiteral("To date"));
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setEnabled(false);
    }
    filterRow->addSpacing(8);
    filterRow->addWidget(m_useFrom);
    filterRow->addWidget(m_from);
    filterRow->addWidget(m_useTo);
    filterRow->addWidget(m_to);
    filterRow->addStretch(1);

    m_refresh = Named(new QPushButton(QStringLiteral("&Refresh"), this), QStringLiteral("Refresh"));
    m_export = Named(new QPushButton(QStringLiteral("&Export CSV..."), this),
                     QStringLiteral("Export CSV"));
    filterRow->addWidget(m_refresh);
    filterRow->addWidget(m_export);

    // The figures, large enough to be read from the line.
    auto* figures = new QHBoxLayout;
    const auto figure = [this, figures](const QString& name) {
        auto* l = Named(new QLabel(this), name);
        QFont f = l->font();
        f.setPointSizeF(f.pointSizeF() * 1.25);
        l->setFont(f);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figures->addWidget(l);
        figures->addSpacing(24);
        return l;
    };
    m_units = figure(QStringLiteral("Units"));
    m_runs = figure(QStringLiteral("Runs"));
    m_yield = figure(QStringLiteral("First-pass yield"));
    m_retestCount = figure(QStringLiteral("Retests"));
    figures->addStretch(1);

    m_model = new RecordsTableModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(RecordsTableModel::kSortRole);
    m_table = Named(new QTableView(this), QStringLiteral("Records"));
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(RecordsTableModel::Started, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (int c = RecordsTableModel::FirstItem; c <= RecordsTableModel::GpsFix; ++c)
        m_table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);

    m_chart = new FailureBarChart(this);
    m_chart->setObjectName(QStringLiteral("Failures per item"));

    m_retests = Named(new QTableWidget(0, 3, this), QStringLiteral("Retests per unit"));
    m_retests->setHorizontalHeaderLabels(
        {QStringLiteral("IMEI"), QStringLiteral("Runs"), QStringLiteral("Retests")});
    m_retests->verticalHeader()->setVisible(false);
    m_retests->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_retests->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_retests->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_retests->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_retests->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_retests->verticalHeader()->setDefaultSectionSize(m_retests->fontMetrics().height() + 6);

    auto* side = new QWidget(this);
    auto* sideColumn = new QVBoxLayout(side);
    sideColumn->setContentsMargins(0, 0, 0, 0);
    sideColumn->addWidget(m_chart);
    auto* retestTitle = new QLabel(QStringLiteral("<b>Retests per unit</b>"), side);
    sideColumn->addWidget(retestTitle);
    sideColumn->addWidget(m_retests, 1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_table);
    split->addWidget(side);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setSizes({820, 340});

    m_status = Named(new QLabel(this), QStringLiteral("Status"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* column = new QVBoxLayout(this);
    column->addWidget(filters);
    column->addLayout(figures);
    column->addWidget(split, 1);
    column->addWidget(m_status);

    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(300);
    connect(m_filterDelay, &QTimer::timeout, this, &CTestRecordsWnd::Refresh);
    connect(m_imei, &QLineEdit::textChanged, this, &CTestRecordsWnd::FilterChanged);
    connect(m_station, &QComboBox::currentTextChanged, this, &CTestRecordsWnd::FilterChanged);
    connect(m_verdict, &QComboBox::currentIndexChanged, this, &CTestRecordsWnd::FilterChanged);
    connect(m_useFrom, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_useTo, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
    for (QCheckBox* box : {m_useFrom, m_useTo})
        connect(box, &QCheckBox::toggled, this, &CTestRecordsWnd::FilterChanged);
    for (QDateEdit* edit : {m_from, m_to})
        connect(edit, &QDateEdit::dateChanged, this, &CTestRecordsWnd::FilterChanged);
    connect(m_refresh, &QPushButton::clicked, this, &CTestRecordsWnd::Refresh);
    connect(m_export, &QPushButton::clicked, this, &CTestRecordsWnd::ExportCsv);
}

RecordFilter CTestRecordsWnd::Filter() const {
    RecordFilter filter;
    filter.imeiPart = m_imei->text().trimmed().toStdString();
    if (m_verdict->currentIndex() > 0)
        filter.verdict = static_cast<RecordVerdict>(m_verdict->currentData().toInt());
    filter.station = m_station->currentText().trimmed().toStdString();
    if (m_useFrom->isChecked())
        filter.sinceDate = DateText(m_from->date());
    if (m_useTo->isChecked())
        filter.untilDate = DateText(m_to->date());
    return filter;
}

void CTestRecordsWnd::FilterChanged() {
    m_filterDelay->start();
}

void CTestRecordsWnd::Refresh() {
    m_filterDelay->stop();
    // Only the answer to the latest question is shown; earlier ones are dropped.
    m_pending = m_keeper->Query(Filter());
    ShowStatus();
}

const std::vector<TestRecord>& CTestRecordsWnd::Rows() const {
    return m_model->Records();
}

void CTestRecordsWnd::OnQueryFinished(quint64 ticket, const std::vector<TestRecord>& records,
                                      const QString& problem) {
    if (ticket != m_pending)
        return;
    m_pending = 0;
    m_problem = problem;
    // An unreachable store keeps the rows shown before; the status line says why.
    if (problem.isEmpty() || !records.empty()) {
        m_model->SetRecords(records);
        m_statistics = ComputeRecordStatistics(records);
        // Whole times and IMEIs; long texts (verdicts, paths) get a width that still leaves
        // the other columns in view.
        m_table->resizeColumnsToContents();
        for (int c = 0; c < RecordsTableModel::ColumnCount; ++c)
            m_table->setColumnWidth(c, std::min(m_table->columnWidth(c), 280));
    }
    // Stations seen so far, for the station filter's list.
    QStringList stations;
    for (int i = 0; i < m_station->count(); ++i)
        stations << m_station->itemText(i);
    for (const TestRecord& r : records) {
        const QString s = FromUtf8(r.station);
        if (!s.isEmpty() && !stations.contains(s))
            stations << s;
    }
    stations.sort();
    if (stations.size() != m_station->count()) {
        const QString current = m_station->currentText();
        const QSignalBlocker block(m_station);
        m_station->clear();
        m_station->addItems(stations);
        m_station->setCurrentIndex(-1);
        m_station->setEditText(current);
    }
    ShowFigures();
    ShowStatus();
}

void CTestRecordsWnd::ShowFigures() {
    const RecordStatistics& s = m_statistics;
    m_units->setText(QStringLiteral("Units: <b>%1</b>").arg(s.units));
    m_runs->setText(QStringLiteral("Runs: <b>%1</b>").arg(s.runs));
    if (s.units > 0)
        m_yield->setText(QStringLiteral("First-pass yield: <b>%1 %</b> (%2 of %3 units)")
                             .arg(100.0 * s.firstPassYield, 0, 'f', 1)
                             .arg(s.unitsPassedFirst)
                             .arg(s.units));
    else
        m_yield->setText(QStringLiteral("First-pass yield: <b>–</b>"));
    std::size_t retests = 0;
    for (const auto& [imei, count] : s.retestsByImei)
        retests += count;
    m_retestCount->setText(QStringLiteral("Retests: <b>%1</b>").arg(retests));

    std::vector<FailureBarChart::Bar> bars;
    for (std::size_t i = 0; i < kRecordItemCount; ++i)
        bars.push_back({RecordsTableModel::ItemName(i), static_cast<int>(s.failuresByItem[i])});
    m_chart->SetBars(std::move(bars), static_cast<int>(s.runs));

    // Most retested units first; units tested once follow, so every unit has its count.
    std::vector<std::pair<std::string, std::size_t>> units(s.retestsByImei.begin(),
                                                           s.retestsByImei.end());
    std::stable_sort(units.begin(), units.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    m_retests->setSortingEnabled(false);
    m_retests->setRowCount(static_cast<int>(units.size()));
    for (int row = 0; row < static_cast<int>(units.size()); ++row) {
        const auto& [imei, count] = units[static_cast<std::size_t>(row)];
        auto* runs = new QTableWidgetItem;
        runs->setData(Qt::DisplayRole, static_cast<int>(count + 1));
        auto* retested = new QTableWidgetItem;
        retested->setData(Qt::DisplayRole, static_cast<int>(count));
        for (QTableWidgetItem* item : {runs, retested})
            item->setTextAlignment(Qt::AlignCenter);
        m_retests->setItem(row, 0, new QTableWidgetItem(FromUtf8(imei)));
        m_retests->setItem(row, 1, runs);
        m_retests->setItem(row, 2, retested);
    }
}

QString CTestRecordsWnd::FiguresText() const {
    QString text;
    for (QLabel* l : {m_units, m_runs, m_yield, m_retestCount}) {
        QString plain = l->text();
        plain.remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>"));
        text += (text.isEmpty() ? QString() : QStringLiteral("; ")) + plain;
    }
    return text;
}

void CTestRecordsWnd::ShowStatus() {
    QStringList parts;
    QString colour;
    if (m_pending != 0) {
        parts << QStringLiteral("Loading...");
    } else if (!m_problem.isEmpty()) {
        parts << QStringLiteral("The records could not be read: %1").arg(m_problem);
        colour = QStringLiteral("#b00000");
    } else {
        parts << QStringLiteral("%1 run%2 shown from %3.")
                     .arg(Rows().size())
                     .arg(Rows().size() == 1 ? QString() : QStringLiteral("s"))
                     .arg(FromUtf8(DescribeStoreLocation(m_keeper->Settings().location)));
    }
    if (const std::size_t waiting = m_keeper->WaitingCount()) {
        parts << QStringLiteral("%1 record%2 waiting for delivery %3 not listed yet.")
                     .arg(waiting)
                     .arg(waiting == 1 ? QString() : QStringLiteral("s"))
                     .arg(waiting == 1 ? QStringLiteral("is") : QStringLiteral("are"));
        if (colour.isEmpty())
            colour = QStringLiteral("#8a5a00");
    }
    m_status->setStyleSheet(colour.isEmpty() ? QString()
                                             : QStringLiteral("QLabel { color: %1; }").arg(colour));
    m_status->setText(parts.join(QLatin1Char(' ')));
}

QString CTestRecordsWnd::StatusText() const {
    return m_status->text();
}

bool CTestRecordsWnd::WriteCsv(const QString& path, QString& error) const {
    const std::string csv = RecordsCsv(Rows());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    if (file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.commit()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

void CTestRecordsWnd::ExportCsv() {
    QFileDialog dialog(this, QStringLiteral("Export CSV"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilters({QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")});
    dialog.selectFile(QStringLiteral("test-records-%1.csv")
                          .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    QString error;
    if (!WriteCsv(path, error))
        AppMessageBox(
            this, QMessageBox::Critical,
            QStringLiteral("The records could not be written to\n%1\n%2").arg(path, error));
}
