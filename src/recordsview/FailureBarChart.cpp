#include "recordsview/FailureBarChart.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr int kMargin = 8;
constexpr int kBarGap = 6;

} // namespace

FailureBarChart::FailureBarChart(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Failures per item"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void FailureBarChart::SetBars(std::vector<Bar> bars, int runs) {
    m_bars = std::move(bars);
    m_runs = runs;
    setAccessibleDescription(Caption());
    updateGeometry();
    update();
}

QString FailureBarChart::Caption() const {
    QString text = QStringLiteral("Failures per item (%1 run%2)")
                       .arg(m_runs)
                       .arg(m_runs == 1 ? QString() : QStringLiteral("s"));
    for (const Bar& bar : m_bars)
        text += QStringLiteral("; %1: %2").arg(bar.name).arg(bar.count);
    return text;
}

QSize FailureBarChart::sizeHint() const {
    const int line = fontMetrics().height();
    const int rows = std::max<int>(static_cast<int>(m_bars.size()), 1);
    return {320, 2 * kMargin + line + kBarGap + rows * (line + kBarGap + 4)};
}

QSize FailureBarChart::minimumSizeHint() const {
    return {200, sizeHint().height()};
}

void FailureBarChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height();

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::Text));
    const QString title = Caption().section(QLatin1Char(';'), 0, 0);
    painter.drawText(QRect(kMargin, kMargin, width() - 2 * kMargin, line),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(font());

    int nameWidth = 0;
    int largest = 0;
    for (const Bar& bar : m_bars) {
        nameWidth = std::max(nameWidth, fm.horizontalAdvance(bar.name));
        largest = std::max(largest, bar.count);
    }
    const int countWidth = fm.horizontalAdvance(QString::number(std::max(largest, 0))) + 8;
    const int barLeft = kMargin + nameWidth + 10;
    const int barRoom = std::max(width() - barLeft - kMargin - countWidth, 10);
    const int rowHeight = line + 4;
    int y = kMargin + line + kBarGap;
    for (const Bar& bar : m_bars) {
        const QRect nameRect(kMargin, y, nameWidth, rowHeight);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(nameRect, Qt::AlignRight | Qt::AlignVCenter, bar.name);
        // A faint track shows the full length, so a short bar still reads as a share.
        const QRect track(barLeft, y, barRoom, rowHeight);
        painter.fillRect(track, QColor(236, 236, 236));
        const int length = largest > 0 ? barRoom * bar.count / largest : 0;
        const QRect filled(barLeft, y, length, rowHeight);
        painter.fillRect(filled, bar.count > 0 ? QColor(200, 40, 40) : QColor(200, 200, 200));
        const QString count = QString::number(bar.count);
        const int countText = fm.horizontalAdvance(count);
        if (length >= countText + 8) {
            painter.setPen(Qt::white);
            painter.drawText(filled.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                             count);
        } else {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(QRect(barLeft + length + 4, y, countWidth + 40, rowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, count);
        }
        y += rowHeight + kBarGap;
    }
    if (m_bars.empty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(QRect(kMargin, y, width() - 2 * kMargin, line),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("No runs."));
    }
}
