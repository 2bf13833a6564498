#include "monitor/CLogEditCtrl.h"

#include "uisupport/FrameEvents.h"

#include "uisupport/CommandIds.h"
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

CLogEditCtrl::CLogEditCtrl(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    // Lines are as long as the device sends them; the pane scrolls sideways instead.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFrameShape(QFrame::NoFrame);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(8);
    font.setBold(false);
    setFont(font);

    QPalette pal = palette();
    pal.setColor(QPalette::Base, QColor(0, 0, 0));
    pal.setColor(QPalette::Text, QColor(0, 255, 0));
    setPalette(pal);
    setBackgroundVisible(false);

    // Tab stops every fifth of an inch.
    setTabStopDistance(logicalDpiX() / 5.0);

    // Every piece of text is inserted in this one format, so the whole pane is green and not
    // bold without ever re-colouring what is already there.
    m_format.setForeground(QColor(0, 255, 0));
    m_format.setFontWeight(QFont::Normal);
    m_format.setFontItalic(false);
    m_format.setFontUnderline(false);
    m_format.setFontStrikeOut(false);
    setCurrentCharFormat(m_format);

    document()->setMaximumBlockCount(m_maxLines > 0 ? m_maxLines : 0);
    moveCursor(QTextCursor::End);
}

void CLogEditCtrl::AppendText(const QString& text) {
    if (text.isEmpty())
        return;
    // The operator may be reading or copying older text while the device streams: the view
    // follows the new text only while it shows the newest line, and a selection stays on the
    // text it was made on, also when the oldest lines go.
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    const bool following = vertical->value() >= vertical->maximum();
    const int horizontalBefore = horizontal->value();
    const QTextCursor selection = textCursor();
    const int anchor = selection.anchor();
    const int position = selection.position();
    // Moves with the text above it and falls to the start when its line is trimmed.
    const QTextCursor top(firstVisibleBlock());
    const int charactersBefore = document()->characterCount();

    // The document drops its oldest blocks itself once an edit leaves more than the limit;
    // a block is exactly a line as counted here (the text after the last line break is one).
    const int limit = m_maxLines > 0 ? m_maxLines : 0;
    if (document()->maximumBlockCount() != limit)
        document()->setMaximumBlockCount(limit);

    // Every append lays out the last line again and the limit counts lines: an unbroken
    // stream (binary noise, a played-back file without line breaks) would grow one line
    // without bound and each append would take longer than the last.
    qsizetype lineLength = document()->lastBlock().length() - 1;
    QString broken;
    const QString* insert = &text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n')) {
            lineLength = 0;
        } else if (++lineLength > kMaxLineLength) {
            if (insert == &text) {
                broken = text.left(i);
                broken.reserve(text.size() + text.size() / kMaxLineLength + 1);
                insert = &broken;
            }
            broken += QLatin1Char('\n');
            lineLength = 1;
        }
        if (insert != &text)
            broken += text.at(i);
    }

    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(*insert, m_format);

    const int trimmed = charactersBefore + int(insert->size()) - document()->characterCount();
    const int keptAnchor = std::max(anchor - trimmed, 0);
    const int keptPosition = std::max(position - trimmed, 0);
    const bool selected = keptAnchor != keptPosition; // not when its text was trimmed
    if (selected) {
        if (keptAnchor != textCursor().anchor() || keptPosition != textCursor().position()) {
            QTextCursor kept(document());
            kept.setPosition(keptAnchor);
            kept.setPosition(keptPosition, QTextCursor::KeepAnchor);
            setTextCursor(kept);
        }
    } else if (following) {
        cursor.movePosition(QTextCursor::End);
        setTextCursor(cursor);
    }

    if (following) {
        vertical->setValue(vertical->maximum());
        if (selected)
            horizontal->setValue(horizontalBefore);
    } else {
        // Lines are not wrapped: the vertical scroll position is a line number.
        vertical->setValue(top.blockNumber());
        horizontal->setValue(horizontalBefore);
    }
}

void CLogEditCtrl::Clear() {
    clear();
    setCurrentCharFormat(m_format);
}

void CLogEditCtrl::CopySelection() {
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QGuiApplication::clipboard()->setText(text);
}

void CLogEditCtrl::ScrollToNewest() {
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

int CLogEditCtrl::LineCount() const {
    return document()->blockCount();
}

QMenu* CLogEditCtrl::CreatePaneMenu(int menuId, QWidget* from) {
    struct Item {
        const char* text;
        int id;
    };
    const Item* items = nullptr;
    static const Item receive[] = {{"Clear &Receive Screen", Cmd::ClearReceiveScreen},
                                   {"Copy Receive Screen", Cmd::CopyReceiveScreen}};
    static const Item transmit[] = {{"Clear &Transmit Screen", Cmd::ClearTransmitScreen},
                                    {"Copy Transmit Screen", Cmd::CopyTransmitScreen}};
    if (menuId == kMenuReceive)
        items = receive;
    else if (menuId == kMenuTransmit)
        items = transmit;
    else
        return nullptr;

    auto* menu = new QMenu(from ? from->window() : nullptr);
    for (int i = 0; i < 2; ++i) {
        QAction* action = menu->addAction(QString::fromLatin1(items[i].text));
        action->setData(items[i].id);
    }
    QPointer<QWidget> source(from);
    QObject::connect(menu, &QMenu::triggered, menu, [source](QAction* action) {
        if (source)
            SendCommandToFrame(source, action->data().toInt());
    });
    return menu;
}

void CLogEditCtrl::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    QMenu* menu = CreatePaneMenu(m_menuId, this);
    if (!menu)
        return;
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(5, 5))
                                                                     : event->globalPos();
    menu->exec(at);
    menu->deleteLater();
}
