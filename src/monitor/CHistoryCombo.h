#pragma once
// An editable field that remembers the texts entered in it, most recent first, in the
// per-user settings store, and completes typed text from that list. It holds one line: of a
// pasted text with line breaks it keeps the first line, and so do the entries it loads.

#include <QComboBox>
#include <QString>

class QKeyEvent;

class CHistoryCombo : public QComboBox {
    Q_OBJECT
public:
    // dropDown: whether a restored last text that is not in the list still goes into the
    // edit field (the send field) or is left out (the quick fields).
    explicit CHistoryCombo(QWidget* parent = nullptr, bool dropDown = true);

    // Fills the list from the store under prefix0, prefix1, ... and restores the last text,
    // each cut to one line and to the field's maximum length. A null prefix changes nothing.
    // Returns the restored last text.
    QString LoadHistory(const QString& prefix);
    // Puts text (its first line, trimmed of blanks) at the top, dropping one older entry equal to
    // it ignoring case and anything beyond m_maxItems. Returns its index, 0; empty texts are not
    // remembered and give -1.
    int AddToHistory(const QString& text);
    // AddToHistory of the edit text unless it is empty.
    void AddCurrentText();
    // Writes the list and the edit text to the store; does nothing before LoadHistory.
    void SaveHistory();

    // The key under which the edit text is stored.
    QString LastTextKey() const;

    // The seven device commands every history starts out with.
    static const QStringList& DefaultCommands();
    static const QString& HistorySection();

    int m_autoComplete = 1;
    QString m_section;
    QString m_keyPrefix;
    QString m_lastKey;
    int m_saveLast = 1;
    int m_maxItems = 100;
    int m_allowSort = 0;

signals:
    // Enter or Return in the edit field, once per key press.
    void returnPressed();

protected:
    // Keys reach the combo box (its field's focus proxy) in normal use and the field itself
    // only when sent to it directly; both paths go through HandleKey.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter sends, Backspace and Delete switch completion off. True when the key is taken.
    bool HandleKey(const QKeyEvent* event);
    void OnTextEdited(const QString& text);
    void SetEditTextKeepingIndex(int index);

    bool m_bDropDown;
};
