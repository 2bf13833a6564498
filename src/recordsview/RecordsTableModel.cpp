#include "recordsview/RecordsTableModel.h"

#include <QBrush>
#include <QColor>
#include <array>

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "2026-12-10T23:30:20Z" reads better as "2026-12-10 23:30:20" under a "(UTC)" heading.
QString ShownTime(const std::string& iso) {
    QString text = FromUtf8(iso);
    text.replace(QLatin1Char('T'), QLatin1Char(' '));
    if (text.endsWith(QLatin1Char('Z')))
        text.chop(1);
    return text;
}

// Verdict texts end with line breaks and may hold several lines: one line in a cell.
QString OneLine(const std::string& text) {
    QString line = FromUtf8(text).trimmed();
    line.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    line.replace(QLatin1Char('\n'), QStringLiteral("  "));
    return line;
}

} // namespace

QString RecordsTableModel::ItemName(std::size_t item) {
    static const std::array<QString, kRecordItemCount> kNames{
        QStringLiteral("SIM"),      QStringLiteral("GSM"), QStringLiteral("GPS"),
        QStringLiteral("G-sensor"), QStringLiteral("ACC"), QStringLiteral("Ext. power")};
    return item < kNames.size() ? kNames[item] : QString();
}

void RecordsTableModel::SetRecords(std::vector<TestRecord> records) {
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

int RecordsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int RecordsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordsTableModel::Display(const TestRecord& r, int column) const {
    if (column >= FirstItem && column < GpsFix)
        return r.items[static_cast<std::size_t>(column - FirstItem)] ? QStringLiteral("✓")
                                                                     : QStringLiteral("✗");
    switch (column) {
    case Started:
        return ShownTime(r.startedAt);
    case Finished:
        return ShownTime(r.finishedAt);
    case Station:
        return FromUtf8(r.station);
    case Operator:
        return FromUtf8(r.operatorName);
    case Imei:
        return FromUtf8(r.imei);
    case Firmware:
        return FromUtf8(r.firmware);
    case Verdict:
        return QString::fromLatin1(VerdictColumnText(r.verdict).data(),
                                   static_cast<qsizetype>(VerdictColumnText(r.verdict).size()));
    case GpsFix:
        return r.gpsFixSeconds ? QVariant(QString::number(*r.gpsFixSeconds)) : QVariant();
    case ParameterCheck:
        return FromUtf8(r.parameterCheck);
    case VerdictText:
        return OneLine(r.verdictText);
    case ParameterFile:
        return FromUtf8(r.parameterFile);
    case Source:
        return QString::fromLatin1(SourceColumnText(r.source).data(),
                                   static_cast<qsizetype>(SourceColumnText(r.source).size()));
    case AppVersion:
        return FromUtf8(r.appVersion);
    default:
        return {};
    }
}

QVariant RecordsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};
    const TestRecord& r = m_records[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return Display(r, column);
    case Qt::ToolTipRole:
        if (column == VerdictText || column == ParameterCheck)
            return FromUtf8(r.mismatches.empty() ? r.verdictText : r.mismatches).trimmed();
        return {};
    case kSortRole:
        if (column == GpsFix)
            return r.gpsFixSeconds ? QVariant(qlonglong(*r.gpsFixSeconds)) : QVariant(-1LL);
        if (column == Started) // ties in the same second keep the store's order
            return QStringLiteral("%1 %2")
                .arg(ShownTime(r.startedAt))
                .arg(r.id, 12, 10, QLatin1Char('0'));
        return Display(r, column);
    case Qt::TextAlignmentRole:
        if ((column >= FirstItem && column <= GpsFix) || column == Verdict)
            return int(Qt::AlignCenter);
        return {};
    case Qt::ForegroundRole:
        if (column >= FirstItem && column < GpsFix)
            return QBrush(r.items[static_cast<std::size_t>(column - FirstItem)]
                              ? QColor(0, 128, 0)
                              : QColor(192, 0, 0));
        return {};
    case Qt::BackgroundRole:
        if (column != Verdict)
            return {};
        switch (r.verdict) {
        case RecordVerdict::Pass:
            return QBrush(QColor(198, 239, 206));
        case RecordVerdict::Fail:
            return QBrush(QColor(255, 199, 206));
        case RecordVerdict::Interrupted:
            return QBrush(QColor(255, 235, 156));
        }
        return {};
    default:
        return {};
    }
}

QVariant RecordsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section >= FirstItem && section < GpsFix)
        return ItemName(static_cast<std::size_t>(section - FirstItem));
    switch (section) {
    case Started:
        return QStringLiteral("Started (UTC)");
    case Station:
        return QStringLiteral("Station");
    case Operator:
        return QStringLiteral("Operator");
    case Imei:
        return QStringLiteral("IMEI");
    case Firmware:
        return QStringLiteral("Firmware");
    case Verdict:
        return QStringLiteral("Verdict");
    case GpsFix:
        return QStringLiteral("GPS fix (s)");
    case ParameterCheck:
        return QStringLiteral("Parameters");
    case VerdictText:
        return QStringLiteral("Verdict text");
    case Finished:
        return QStringLiteral("Finished (UTC)");
    case ParameterFile:
        return QStringLiteral("Parameter file");
    case Source:
        return QStringLiteral("Source");
    case AppVersion:
        return QStringLiteral("Version");
    default:
        return {};
    }
}
