#pragma once
// A read-only log pane: text is appended at the end in green on black, the oldest lines go
// when there are more than m_maxLines, and a right-click offers the pane's menu, whose
// commands go to the main frame.

#include <QPlainTextEdit>
#include <QString>
#include <QTextCharFormat>

class QMenu;

class CLogEditCtrl : public QPlainTextEdit {
    Q_OBJECT
public:
    // Receive and transmit pane menus.
    static constexpr int kMenuReceive = 106;
    static constexpr int kMenuTransmit = 121;

    explicit CLogEditCtrl(QWidget* parent = nullptr);

    // Appends text at the end (a line may be continued by the next call) and trims the oldest
    // lines beyond m_maxLines. A view at the newest line follows the text (the caret goes to
    // the end unless text is selected); a view scrolled back stays on the lines it shows; a
    // selection stays on its text. Null or empty: nothing.
    void AppendText(const QString& text);
    // Empties the pane.
    void Clear();
    // Copies the operator's selection to the clipboard; nothing when nothing is selected.
    void CopySelection();
    // Shows the leftmost column of the newest text.
    void ScrollToNewest();
    // Lines as the limit counts them: a text ending in a line break has an empty last line.
    int LineCount() const;

    // The items of pane menu menuId (106 or 121), each with its command id as data, or
    // nullptr for an unknown id. Commands are sent to the frame of `from`.
    static QMenu* CreatePaneMenu(int menuId, QWidget* from);

    // Longest line the pane holds: a stream without line breaks is broken into lines of this
    // length, so that neither an append nor the line limit depends on how long it has run.
    static constexpr int kMaxLineLength = 1024;

    int m_maxLines = 50000;
    int m_menuId = 0;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QTextCharFormat m_format;
};
