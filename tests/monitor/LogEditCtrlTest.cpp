// The log pane: line limit, colour, caret, clearing and copying, and the menu commands that
// go to the frame.

#include "TempSettingsMain.h"
#include "monitor/CLogEditCtrl.h"
#include "uisupport/FrameEvents.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// A top-level window standing in for the main frame: it records the commands it receives.
class FrameStub : public QWidget {
public:
    QList<int> commands;

protected:
    bool event(QEvent* e) override {
        if (e->type() == WM_COMMAND_EVENT) {
            commands << static_cast<CommandEvent*>(e)->id();
            return true;
        }
        return QWidget::event(e);
    }
};

QString FirstLine(const CLogEditCtrl& pane) {
    return pane.document()->firstBlock().text();
}

QString LastLine(const CLogEditCtrl& pane) {
    return pane.document()->lastBlock().text();
}

} // namespace

class LogEditCtrlTest : public QObject {
    Q_OBJECT

private slots:
    void fullPaneDropsItsOldestLine();
    void lineLimit_data();
    void lineLimit();
    void unbrokenStreamIsBrokenIntoBoundedLines();
    void textIsGreenNotBoldAndCaretEndsAtTheEnd();
    void readingBackWhileTextArrives_data();
    void readingBackWhileTextArrives();
    void copiesOnlyTheSelection();
    void clearEmptiesThePane();
    void menuCommandsReachTheFrame_data();
    void menuCommandsReachTheFrame();
};

void LogEditCtrlTest::fullPaneDropsItsOldestLine() {
    CLogEditCtrl pane;
    QCOMPARE(pane.m_maxLines, 50000);
    QStringList lines;
    for (int i = 0; i < 50000; ++i)
        lines << QStringLiteral("$GPGGA,line %1").arg(i);
    pane.AppendText(lines.join('\n'));
    QCOMPARE(pane.LineCount(), 50000);
    QCOMPARE(FirstLine(pane), QStringLiteral("$GPGGA,line 0"));

    // Text without a line break continues the last line: nothing is dropped.
    pane.AppendText(QStringLiteral(" more"));
    QCOMPARE(pane.LineCount(), 50000);
    QCOMPARE(FirstLine(pane), QStringLiteral("$GPGGA,line 0"));
    QCOMPARE(LastLine(pane), QStringLiteral("$GPGGA,line 49999 more"));

    pane.AppendText(QStringLiteral("\n$GPGGA,line 50000"));
    QCOMPARE(pane.LineCount(), 50000);
    QCOMPARE(FirstLine(pane), QStringLiteral("$GPGGA,line 1"));
    QCOMPARE(LastLine(pane), QStringLiteral("$GPGGA,line 50000"));
}

// Line counting as the limit sees it: the text after the last line break is a line, even
// when it is empty.
void LogEditCtrlTest::lineLimit_data() {
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<QString>("expText");

    QTest::newRow("under the limit") << 3 << QStringList{"a\nb"} << "a\nb";
    QTest::newRow("a trailing line break counts as a line")
        << 3 << QStringList{"a\nb\nc\n"} << "b\nc\n";
    QTest::newRow("lines split across chunks")
        << 3 << QStringList{"a\nb", "b\nc", "c\nd", "d"} << "bb\ncc\ndd";
    QTest::newRow("one chunk over several limits")
        << 2 << QStringList{"1\n2\n3\n4\n5\n6"} << "5\n6";
    QTest::newRow("zero means no limit")
        << 0 << QStringList{"1\n2\n3\n4\n5\n"} << "1\n2\n3\n4\n5\n";
    QTest::newRow("empty chunks change nothing") << 2 << QStringList{"x", "", "y"} << "xy";
}

void LogEditCtrlTest::lineLimit() {
    QFETCH(int, maxLines);
    QFETCH(QStringList, chunks);
    QFETCH(QString, expText);
    CLogEditCtrl pane;
    pane.m_maxLines = maxLines;
    for (const QString& chunk : chunks)
        pane.AppendText(chunk);
    QCOMPARE(pane.toPlainText(), expText);
}

// A stream without line breaks must not grow one line for ever: it is shown in lines of at
// most kMaxLineLength, which the line limit then trims like any others.
void LogEditCtrlTest::unbrokenStreamIsBrokenIntoBoundedLines() {
    constexpr int n = CLogEditCtrl::kMaxLineLength;
    CLogEditCtrl pane;
    pane.m_maxLines = 4;
    QString sent = QStringLiteral("$GPGGA\n") + QString(n - 10, QLatin1Char('a'));
    pane.AppendText(sent);
    // Continues the open line across appends, then breaks it where it reaches the limit.
    const QString more = QString(15, QLatin1Char('b')) + QString(2 * n, QLatin1Char('c'));
    pane.AppendText(more);
    sent += more;

    // Five lines, the oldest trimmed by the line limit.
    const QStringList expected = {QString(n - 10, QLatin1Char('a')) + QString(10, QLatin1Char('b')),
                                  QString(5, QLatin1Char('b')) + QString(n - 5, QLatin1Char('c')),
                                  QString(n, QLatin1Char('c')), QString(5, QLatin1Char('c'))};
    QCOMPARE(pane.toPlainText().split(QLatin1Char('\n')), expected);
    // Nothing received is lost or changed, only broken into lines.
    QVERIFY(sent.endsWith(pane.toPlainText().remove(QLatin1Char('\n'))));

    // A line break in the text starts the count again.
    CLogEditCtrl fresh;
    fresh.AppendText(QString(n, QLatin1Char('x')) + QStringLiteral("\n") +
                     QString(n, QLatin1Char('y')));
    QCOMPARE(fresh.LineCount(), 2);
    fresh.AppendText(QStringLiteral("z"));
    QCOMPARE(fresh.LineCount(), 3);
    QCOMPARE(LastLine(fresh), QStringLiteral("z"));
}

void LogEditCtrlTest::textIsGreenNotBoldAndCaretEndsAtTheEnd() {
    CLogEditCtrl pane;
    QFont bold = pane.font();
    bold.setBold(true);
    pane.setFont(bold); // a bold widget font must not make the text bold
    pane.AppendText(QStringLiteral("first\nsecond"));

    // The operator's selection stays with its text; without one the caret goes to the end.
    QTextCursor sel(pane.document());
    sel.setPosition(0);
    sel.setPosition(5, QTextCursor::KeepAnchor);
    pane.setTextCursor(sel);
    pane.AppendText(QStringLiteral(" line\nthird"));
    QCOMPARE(pane.textCursor().selectedText(), QStringLiteral("first"));

    QTextCursor plain = pane.textCursor();
    plain.clearSelection();
    pane.setTextCursor(plain);
    pane.ScrollToNewest();
    pane.AppendText(QStringLiteral("\nfourth"));
    QVERIFY(!pane.textCursor().hasSelection());
    QCOMPARE(pane.textCursor().position(), pane.document()->characterCount() - 1);
    QCOMPARE(pane.palette().color(QPalette::Base), QColor(0, 0, 0));

    for (QTextBlock b = pane.document()->firstBlock(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QCOMPARE(f.foreground().color(), QColor(0, 255, 0));
            QCOMPARE(f.fontWeight(), int(QFont::Normal));
        }
    }
}

// A device streams at 10 Hz while the operator reads back: a view scrolled back stays on its
// lines, also when the line limit trims older ones, and a selection stays on its text so that
// Copy copies what was selected. A view at the newest line follows.
void LogEditCtrlTest::readingBackWhileTextArrives_data() {
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<bool>("scrollBack");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("expTop"); // first line in view; empty: following the newest
    QTest::addColumn<QString>("expCopied");

    const QString selected = QStringLiteral("line 52\nline 53");
    QTest::newRow("at the bottom it follows") << 0 << false << false << ""
                                              << "";
    QTest::newRow("at the bottom it follows and keeps a selection")
        << 0 << false << true << "" << selected;
    QTest::newRow("scrolled back the view stays put") << 0 << true << false << "line 50"
                                                      << "";
    QTest::newRow("scrolled back Copy copies the selection")
        << 0 << true << true << "line 50" << selected;
    // 201 lines and 50 more against a limit of 220: the 31 oldest go, above the view.
    QTest::newRow("trimmed above the view: view and selection move with their text")
        << 220 << true << true << "line 50" << selected;
    // A limit of 120 trims the lines in view and the selection: the view shows the oldest
    // line kept, and nothing is left to copy.
    QTest::newRow("trimmed in view: the oldest kept line") << 120 << true << true << "line 131"
                                                           << "";
}

void LogEditCtrlTest::readingBackWhileTextArrives() {
    QFETCH(int, maxLines);
    QFETCH(bool, scrollBack);
    QFETCH(bool, select);
    QFETCH(QString, expTop);
    QFETCH(QString, expCopied);

    CLogEditCtrl pane;
    pane.resize(400, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1").arg(i);
    pane.AppendText(lines.join('\n') + '\n');
    QScrollBar* v = pane.verticalScrollBar();
    QTRY_VERIFY(v->maximum() > 60);
    QCOMPARE(v->value(), v->maximum());
    pane.m_maxLines = maxLines;

    if (select) {
        QTextCursor sel(pane.document()->findBlockByNumber(52));
        sel.setPosition(pane.document()->findBlockByNumber(53).position() + 7,
                        QTextCursor::KeepAnchor);
        pane.setTextCursor(sel);
    }
    v->setValue(scrollBack ? 50 : v->maximum());
    const auto topLine = [&pane] { return pane.cursorForPosition(QPoint(0, 0)).block().text(); };
    QCOMPARE(topLine(), scrollBack ? QStringLiteral("line 50") : topLine());

    for (int chunk = 0; chunk < 5; ++chunk) {
        QString text;
        for (int i = 0; i < 10; ++i)
            text += QStringLiteral("more %1\n").arg(chunk * 10 + i);
        pane.AppendText(text);
        QTest::qWait(100);
    }
    QCOMPARE(LastLine(pane), QString());
    QCOMPARE(pane.document()->lastBlock().previous().text(), QStringLiteral("more 49"));

    if (expTop.isEmpty()) {
        QCOMPARE(v->value(), v->maximum());
        QCOMPARE(topLine(), pane.document()->findBlockByNumber(v->value()).text());
    } else {
        QCOMPARE(topLine(), expTop);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    pane.CopySelection();
    QCOMPARE(clipboard->text(), expCopied.isEmpty() ? QStringLiteral("before") : expCopied);
}

void LogEditCtrlTest::copiesOnlyTheSelection() {
    CLogEditCtrl pane;
    pane.AppendText(QStringLiteral("$GPGGA,1\n$GPGSA,2\n"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    pane.CopySelection(); // nothing selected: the clipboard keeps what it had
    QCOMPARE(clipboard->text(), QStringLiteral("before"));

    QTextCursor sel(pane.document());
    sel.setPosition(3);
    sel.setPosition(14, QTextCursor::KeepAnchor);
    pane.setTextCursor(sel);
    pane.CopySelection();
    QCOMPARE(clipboard->text(), QStringLiteral("GGA,1\n$GPGS"));
}

void LogEditCtrlTest::clearEmptiesThePane() {
    CLogEditCtrl pane;
    pane.AppendText(QStringLiteral("a\nb\n"));
    pane.Clear();
    QCOMPARE(pane.toPlainText(), QString());
    QVERIFY(pane.isReadOnly());
    pane.AppendText(QStringLiteral("c"));
    QCOMPARE(pane.toPlainText(), QStringLiteral("c"));
    QCOMPARE(pane.document()->firstBlock().begin().fragment().charFormat().foreground().color(),
             QColor(0, 255, 0));
}

void LogEditCtrlTest::menuCommandsReachTheFrame_data() {
    QTest::addColumn<int>("menuId");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("ids");
    QTest::newRow("receive") << 106 << QStringList{"Clear &Receive Screen", "Copy Receive Screen"}
                             << QList<int>{32798, 32840};
    QTest::newRow("transmit") << 121
                              << QStringList{"Clear &Transmit Screen", "Copy Transmit Screen"}
                              << QList<int>{32797, 32842};
}

void LogEditCtrlTest::menuCommandsReachTheFrame() {
    QFETCH(int, menuId);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, ids);

    FrameStub frame;
    auto* holder = new QWidget(&frame);
    auto* pane = new CLogEditCtrl(holder);
    pane->m_menuId = menuId;

    std::unique_ptr<QMenu> menu(CLogEditCtrl::CreatePaneMenu(menuId, pane));
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        QAction* action = menu->actions().at(i);
        QCOMPARE(action->text(), texts[i]);
        QCOMPARE(action->data().toInt(), ids[i]);
        action->trigger();
    }
    QCOMPARE(frame.commands, ids);
    QVERIFY(!CLogEditCtrl::CreatePaneMenu(0, pane));
}

TB_TEMP_SETTINGS_MAIN(LogEditCtrlTest)
#include "LogEditCtrlTest.moc"
