#pragma once
// Until the NMEA monitor page is built into the program, its tab shows the raw traffic in two
// plain read-only panes, converted as the monitor does (CR dropped, bytes widened with sign).

#include <QPlainTextEdit>
#include <QWidget>

class CMonitorStandIn : public QWidget {
    Q_OBJECT
public:
    explicit CMonitorStandIn(QWidget* parent = nullptr);

    void AppendRx(const char* text);
    void AppendTx(const char* text);

    QPlainTextEdit* m_editRx;
    QPlainTextEdit* m_editTx;

    static QString Widen(const char* text);
};
