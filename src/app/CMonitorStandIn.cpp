#include "app/CMonitorStandIn.h"

#include <QHBoxLayout>
#include <QTextCursor>

CMonitorStandIn::CMonitorStandIn(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_editRx = new QPlainTextEdit(this);
    m_editTx = new QPlainTextEdit(this);
    for (auto* e : {m_editRx, m_editTx}) {
        e->setReadOnly(true);
        e->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    row->addWidget(m_editRx, 3);
    row->addWidget(m_editTx, 1);
}

QString CMonitorStandIn::Widen(const char* text) {
    QString out;
    for (const char* p = text; p && *p; ++p) {
        if (*p == '\r')
            continue;
        out.append(
            QChar(static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(*p)))));
    }
    return out;
}

namespace {
void AppendAtEnd(QPlainTextEdit* edit, const QString& text) {
    QTextCursor c(edit->document());
    c.movePosition(QTextCursor::End);
    c.insertText(text);
}
} // namespace

void CMonitorStandIn::AppendRx(const char* text) {
    AppendAtEnd(m_editRx, Widen(text));
}
void CMonitorStandIn::AppendTx(const char* text) {
    AppendAtEnd(m_editTx, Widen(text));
}
