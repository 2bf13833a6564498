#include "monitor/CHistoryCombo.h"

#include "device/DeviceCommands.h"
#include "device/TypedText.h"
#include "uisupport/CInputLimitValidator.h"
#include "uisupport/Profile.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace {

// A shared device command as the operator would type it.
QString Typed(std::u16string_view command) {
    const std::u16string_view typed = DeviceCommands::TypedForm(command);
    return QString::fromUtf16(typed.data(), static_cast<qsizetype>(typed.size()));
}

// Only blanks are trimmed: tabs or other white space may mean something to the device.
QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

// What the field would hold after text was pasted into it when empty: its first line, no
// longer than the field takes. Stored texts come from earlier runs, which may have kept a
// pasted text with line breaks, or from a hand-edited store.
QString AsOneLine(const QString& text, int maxLength) {
    const std::u16string_view view(reinterpret_cast<const char16_t*>(text.constData()),
                                   static_cast<std::size_t>(text.size()));
    const auto kept = LimitTypedChange({}, view, view.size(),
                                       {static_cast<std::size_t>(std::max(maxLength, 0)), false});
    if (!kept)
        return QString();
    if (kept->text.size() == view.size())
        return text;
    return QString::fromStdU16String(kept->text);
}

QString EntryKey(const QString& prefix, int index) {
    return prefix + QString::number(index);
}

} // namespace

CHistoryCombo::CHistoryCombo(QWidget* parent, bool dropDown)
    : QComboBox(parent), m_bDropDown(dropDown) {
    setEditable(true);
    // The list is ours alone: Qt must neither add texts on Enter nor complete on its own.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setDuplicatesEnabled(true);
    // One line, no longer than the field's maximum length, whatever is pasted or dropped: the
    // field shows one line, and exactly that line is sent and remembered.
    lineEdit()->setValidator(new CInputLimitValidator(lineEdit()));
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CHistoryCombo::OnTextEdited);
}

const QStringList& CHistoryCombo::DefaultCommands() {
    // The number of the fourth command is a placeholder for the bench's own test line.
    static const QStringList commands = {
        Typed(DeviceCommands::kReadParameters),
        QStringLiteral("AT+RELAY=1"),
        QStringLiteral("AT+RELAY=0"),
        QStringLiteral("AT+CALL=13800000000#"),
        QStringLiteral("AT+CALL=#"),
        Typed(DeviceCommands::kGpsTestOutputOn),
        Typed(DeviceCommands::kGpsTestOutputOff),
    };
    return commands;
}

const QString& CHistoryCombo::HistorySection() {
    static const QString section = QStringLiteral("DA1Zozavod History");
    return section;
}

QString CHistoryCombo::LastTextKey() const {
    if (!m_lastKey.isEmpty())
        return m_lastKey;
    if (!m_keyPrefix.isEmpty())
        return m_keyPrefix;
    return QStringLiteral("Last");
}

QString CHistoryCombo::LoadHistory(const QString& prefix) {
    if (prefix.isNull())
        return QString();

    clear();
    m_section = HistorySection();
    m_keyPrefix = prefix;
    m_lastKey.clear();
    m_saveLast = 1;

    auto store = OpenProfile();
    const int maxLength = lineEdit()->maxLength();
    int loaded = 0;
    for (; loaded < m_maxItems; ++loaded) {
        const QString stored =
            store->value(ProfileKey(m_section, EntryKey(m_keyPrefix, loaded))).toString();
        if (stored.isEmpty())
            break;
        // An entry is listed as the field would hold it: a huge one would otherwise be laid
        // out whole each time the list is measured.
        const QString entry = AsOneLine(stored, maxLength);
        if (!entry.isEmpty())
            addItem(entry);
    }
    // Appended whenever the stored list is not full, without comparing: a stored history
    // that already holds them lists them twice.
    if (loaded < m_maxItems)
        addItems(DefaultCommands());

    // Adding items selects the first; the edit field starts empty unless a last text is
    // restored below.
    setCurrentIndex(-1);
    setEditText(QString());

    if (!m_saveLast)
        return QString();
    const QString last =
        AsOneLine(store->value(ProfileKey(m_section, LastTextKey())).toString(), maxLength);
    if (last.isEmpty())
        return last;
    const int index = findText(last, Qt::MatchFixedString); // ignores case
    if (index >= 0)
        SetEditTextKeepingIndex(index);
    else if (m_bDropDown)
        setEditText(last);
    return last;
}

int CHistoryCombo::AddToHistory(const QString& text) {
    const QString entry = TrimBlanks(AsOneLine(text, lineEdit()->maxLength()));
    // An empty entry would end the list at the next load and hide everything after it.
    if (entry.isEmpty())
        return -1;

    insertItem(0, entry);
    for (int i = 1; i < count(); ++i) {
        if (itemText(i).compare(entry, Qt::CaseInsensitive) == 0) {
            removeItem(i);
            break;
        }
    }
    if (m_maxItems >= 0) {
        while (count() > m_maxItems)
            removeItem(m_maxItems);
    }
    if (count() > 0)
        SetEditTextKeepingIndex(0);
    return 0;
}

void CHistoryCombo::AddCurrentText() {
    const QString text = currentText();
    if (!text.isEmpty())
        AddToHistory(text);
}

void CHistoryCombo::SaveHistory() {
    if (m_section.isEmpty())
        return;
    AddCurrentText();

    auto store = OpenProfile();
    const int n = std::min(count(), std::max(m_maxItems, 0) + 1);
    for (int i = 0; i < n; ++i)
        store->setValue(ProfileKey(m_section, EntryKey(m_keyPrefix, i)), itemText(i));
    // Entries left over from a longer list would reappear at the next load; the loader stops
    // at the first gap, so the clean-up may stop there too.
    for (int i = n; i < 1000; ++i) {
        const QString key = ProfileKey(m_section, EntryKey(m_keyPrefix, i));
        if (store->value(key).toString().isEmpty())
            break;
        store->remove(key);
    }
    if (m_saveLast)
        store->setValue(ProfileKey(m_section, LastTextKey()), currentText());
}

void CHistoryCombo::SetEditTextKeepingIndex(int index) {
    // setCurrentIndex leaves the edit text alone when the index does not change, so the
    // entry's text is put in explicitly. Selected as a whole, so that typing replaces it.
    setCurrentIndex(index);
    setEditText(itemText(index));
    lineEdit()->selectAll();
}

bool CHistoryCombo::HandleKey(const QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        emit returnPressed();
        return true;
    }
    // Deleting must not bring back the characters just deleted.
    m_autoComplete = (key == Qt::Key_Backspace || key == Qt::Key_Delete) ? 0 : 1;
    return false;
}

void CHistoryCombo::keyPressEvent(QKeyEvent* event) {
    // The combo box hands the key on to its field's event() directly, past the filter below.
    if (HandleKey(event)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool CHistoryCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress &&
        HandleKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QComboBox::eventFilter(watched, event);
}

void CHistoryCombo::OnTextEdited(const QString& text) {
    if (m_autoComplete != 1 || text.isEmpty())
        return;
    QLineEdit* edit = lineEdit();
    const qsizetype len = text.size();
    const bool hasSelection = edit->hasSelectedText();
    const int selStart = hasSelection ? edit->selectionStart() : edit->cursorPosition();
    const int selEnd = hasSelection ? selStart + int(edit->selectedText().size()) : selStart;

    int match = -1;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            match = i;
            break;
        }
    }
    if (match < 0)
        return; // the typed text and its caret stay as they are

    SetEditTextKeepingIndex(match);
    if (selEnd < len) {
        // Typing inside the text: keep the caret where it was, highlight nothing added.
        edit->setSelection(selStart, selEnd - selStart);
        if (selStart == selEnd)
            edit->setCursorPosition(selStart);
    } else {
        const qsizetype full = edit->text().size();
        edit->setCursorPosition(int(full));
        edit->setSelection(int(len), int(full - len));
    }
}
