#pragma once
// The "Test Records" window: the stored runs as a sortable table (newest first) under filters
// for IMEI, verdict, station and dates, with the figures of the filtered rows (units, runs,
// first-pass yield, retests per unit) and a bar chart of failures per item. The rows come from
// the record keeper's worker: a slow or unreachable server never freezes the window, it shows
// the problem instead. "Export CSV..." writes the rows shown.

#include <QWidget>
#include <cstdint>
#include <vector>

#include "recordstore/RecordFilter.h"
#include "recordstore/RecordStatistics.h"

class FailureBarChart;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;
class QTimer;
class RecordKeeper;
class RecordsTableModel;

class CTestRecordsWnd : public QWidget {
    Q_OBJECT
public:
    explicit CTestRecordsWnd(RecordKeeper* keeper, QWidget* parent = nullptr);

    // The filter the controls set.
    RecordFilter Filter() const;
    // Asks for the rows again (the Refresh button, a changed filter, a record written).
    void Refresh();
    // "Export CSV...": the rows shown, through a file dialog.
    void ExportCsv();
    // Writes the rows shown to `path`; false with the reason when it could not.
    bool WriteCsv(const QString& path, QString& error) const;

    // What is shown, for the tests.
    bool Loading() const { return m_pending != 0; }
    const std::vector<TestRecord>& Rows() const;
    const RecordStatistics& Statistics() const { return m_statistics; }
    QString FiguresText() const;
    QString StatusText() const;
    FailureBarChart* Chart() const { return m_chart; }
    QTableView* Table() const { return m_table; }
    QTableWidget* RetestTable() const { return m_retests; }

private:
    void BuildControls();
    void FilterChanged();
    void OnQueryFinished(quint64 ticket, const std::vector<TestRecord>& records,
                         const QString& problem);
    void ShowFigures();
    void ShowStatus();

    RecordKeeper* m_keeper;
    RecordsTableModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    RecordStatistics m_statistics;
    std::uint64_t m_pending = 0; // ticket of the query under way, 0 when none
    QString m_problem;           // of the last query
    QTimer* m_filterDelay = nullptr;

    QLineEdit* m_imei = nullptr;
    QComboBox* m_verdict = nullptr;
    QComboBox* m_station = nullptr;
    QCheckBox* m_useFrom = nullptr;
    QDateEdit* m_from = nullptr;
    QCheckBox* m_useTo = nullptr;
    QDateEdit* m_to = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_export = nullptr;
    QLabel* m_units = nullptr;
    QLabel* m_runs = nullptr;
    QLabel* m_yield = nullptr;
    QLabel* m_retestCount = nullptr;
    QLabel* m_status = nullptr;
    QTableView* m_table = nullptr;
    QTableWidget* m_retests = nullptr;
    FailureBarChart* m_chart = nullptr;
};
