#pragma once
// The records as rows of a table, one column per field an operator reads; given its rows, it
// only shows them. The sort role gives each column's own order (times as text, numbers as
// numbers).

#include <QAbstractTableModel>
#include <vector>

#include "recordstore/TestRecord.h"

class RecordsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Started,
        Station,
        Operator,
        Imei,
        Firmware,
        Verdict,
        FirstItem, // then one column per item, in test order
        GpsFix = FirstItem + static_cast<int>(kRecordItemCount),
        ParameterCheck,
        VerdictText,
        Finished,
        ParameterFile,
        Source,
        AppVersion,
        ColumnCount
    };
    static constexpr int kSortRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void SetRecords(std::vector<TestRecord> records);
    const std::vector<TestRecord>& Records() const { return m_records; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The item names as the records window shows them (the chart uses them too).
    static QString ItemName(std::size_t item);

private:
    QVariant Display(const TestRecord& record, int column) const;

    std::vector<TestRecord> m_records;
};
