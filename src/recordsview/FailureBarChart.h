#pragma once
// Failures per test item as horizontal bars, for a line manager to read at a glance: the item's
// name on the left, a bar as long as its share of the largest count, and the count on the bar.
// It is given its bars and only paints them.

#include <QString>
#include <QWidget>
#include <vector>

class FailureBarChart : public QWidget {
    Q_OBJECT
public:
    struct Bar {
        QString name;
        int count = 0;
        bool operator==(const Bar&) const = default;
    };

    explicit FailureBarChart(QWidget* parent = nullptr);

    // `runs`: how many runs the bars count over, for the caption.
    void SetBars(std::vector<Bar> bars, int runs);
    const std::vector<Bar>& Bars() const { return m_bars; }
    QString Caption() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Bar> m_bars;
    int m_runs = 0;
};
