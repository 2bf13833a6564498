// The send field's remembered commands: what a field lists, what the store holds after a
// save, what the next start shows, and the completion while typing.

#include "TempSettingsMain.h"
#include "monitor/CHistoryCombo.h"
#include "uisupport/Profile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

namespace {

const QString kSection = QStringLiteral("DA1Zozavod History");

QStringList Items(const CHistoryCombo& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

// The entries stored under prefix0, prefix1, ... up to the first missing one.
QStringList StoredEntries(const QString& prefix) {
    auto store = OpenProfile();
    QStringList entries;
    for (int i = 0; i < 2000; ++i) {
        const QVariant v = store->value(ProfileKey(kSection, prefix + QString::number(i)));
        if (!v.isValid())
            break;
        entries << v.toString();
    }
    return entries;
}

QStringList Numbered(const QString& stem, int first, int count) {
    QStringList list;
    for (int i = first; i < first + count; ++i)
        list << stem + QString::number(i);
    return list;
}

} // namespace

class HistoryComboTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        auto store = OpenProfile();
        store->clear();
        store->sync();
    }

    void history_data();
    void history();
    void completesFromTheListAndBackspaceDoesNot_data();
    void completesFromTheListAndBackspaceDoesNot();
    void loadWithNullPrefixChangesNothing();
    void storedEntriesAreCutToOneLineOfTheFieldsLimit();
};

// A scenario per row: entries stored beforehand (and extra "key=value" values), the steps
// done on a field loaded with `prefix`, and what the field and the store show afterwards.
// Steps: "edit:T" types T into the field, "add:T" is AddToHistory(T), "save" SaveHistory(),
// "max:N" sets m_maxItems, "reload" loads a fresh field from the store (the next start).
void HistoryComboTest::history_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expItems");
    QTest::addColumn<QString>("expEdit");
    QTest::addColumn<QStringList>("expStored");
    QTest::addColumn<QStringList>("expExtra");

    const QStringList defaults = CHistoryCombo::DefaultCommands();
    QCOMPARE(defaults.size(), 7);
    const QStringList afterRelay = {"AT+RELAY=1", "AT+TEST=1", defaults[2], defaults[3],
                                    defaults[4],  defaults[5], defaults[6]};

    QTest::newRow("nothing stored: the seven defaults, empty edit")
        << "HistoryItem" << QStringList{} << QStringList{} << QStringList{} << defaults << ""
        << QStringList{} << QStringList{};

    QTest::newRow("one send moves the text to the top and stores the list")
        << "HistoryItem" << QStringList{} << QStringList{}
        << QStringList{"edit:AT+RELAY=1", "add:AT+RELAY=1", "save"} << afterRelay << "AT+RELAY=1"
        << afterRelay << QStringList{"HistoryItem=AT+RELAY=1"};

    QTest::newRow("next start lists the stored seven and the defaults again")
        << "HistoryItem" << QStringList{} << QStringList{}
        << QStringList{"edit:AT+RELAY=1", "add:AT+RELAY=1", "save", "reload"}
        << afterRelay + defaults << "AT+RELAY=1" << afterRelay
        << QStringList{"HistoryItem=AT+RELAY=1"};

    QTest::newRow("a text differing only in case replaces the older entry")
        << "HistoryItem" << QStringList{} << QStringList{}
        << QStringList{"add:AT+RELAY=1", "add:at+relay=1"}
        << QStringList{"at+relay=1", "AT+TEST=1", defaults[2], defaults[3],
                       defaults[4],  defaults[5], defaults[6]}
        << "at+relay=1" << QStringList{} << QStringList{};

    QTest::newRow("blanks around a text are trimmed before it is compared")
        << "HistoryItem" << QStringList{} << QStringList{} << QStringList{"add:  AT+TEST=1 "}
        << defaults << "AT+TEST=1" << QStringList{} << QStringList{};

    QTest::newRow("a full list of 100 loads without defaults and drops its last entry")
        << "HistoryItem" << Numbered("E", 0, 100) << QStringList{}
        << QStringList{"edit:NEW", "save"} << QStringList{"NEW"} + Numbered("E", 0, 99) << "NEW"
        << QStringList{"NEW"} + Numbered("E", 0, 99) << QStringList{"HistoryItem=NEW"};

    QTest::newRow("99 stored still get the defaults")
        << "HistoryItem" << Numbered("E", 0, 99) << QStringList{} << QStringList{}
        << Numbered("E", 0, 99) + defaults << "" << Numbered("E", 0, 99) << QStringList{};

    // Nine stored entries, a gap at 9 and a value behind it: a save of five entries removes
    // keys 5 to 8 and leaves what is behind the gap.
    QTest::newRow("stale keys are removed up to the first gap")
        << "HistoryItem" << Numbered("S", 0, 9) << QStringList{"HistoryItem10=behind the gap"}
        << QStringList{"max:4", "save"} << Numbered("S", 0, 9) + defaults << ""
        << Numbered("S", 0, 5) << QStringList{"HistoryItem10=behind the gap", "HistoryItem="};

    // An empty entry would end the list at the next load; it is not remembered at all.
    QTest::newRow("an empty send does not enter the history")
        << "HistoryItem" << QStringList{} << QStringList{}
        << QStringList{"edit:", "add:", "save", "reload"} << defaults + defaults << "" << defaults
        << QStringList{"HistoryItem="};

    QTest::newRow("each quick field keeps its own keys")
        << "cmd3" << QStringList{} << QStringList{} << QStringList{"edit:AT+GPSTEST=0", "save"}
        << QStringList{"AT+GPSTEST=0"} + defaults.mid(0, 6) << "AT+GPSTEST=0"
        << QStringList{"AT+GPSTEST=0"} + defaults.mid(0, 6) << QStringList{"cmd3=AT+GPSTEST=0"};

    QTest::newRow("the last text is restored by selecting its entry, ignoring case")
        << "HistoryItem" << QStringList{"AT+TEST=1", "AT+RELAY=0"}
        << QStringList{"HistoryItem=at+relay=0"} << QStringList{}
        << QStringList{"AT+TEST=1", "AT+RELAY=0"} + defaults << "AT+RELAY=0"
        << QStringList{"AT+TEST=1", "AT+RELAY=0"} << QStringList{"HistoryItem=at+relay=0"};

    QTest::newRow("a last text not in the list still fills the send field")
        << "HistoryItem" << QStringList{} << QStringList{"HistoryItem=AT+OTHER"} << QStringList{}
        << defaults << "AT+OTHER" << QStringList{} << QStringList{"HistoryItem=AT+OTHER"};
}

void HistoryComboTest::history() {
    QFETCH(QString, prefix);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, extra);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expItems);
    QFETCH(QString, expEdit);
    QFETCH(QStringList, expStored);
    QFETCH(QStringList, expExtra);

    {
        auto store = OpenProfile();
        for (int i = 0; i < stored.size(); ++i)
            store->setValue(ProfileKey(kSection, prefix + QString::number(i)), stored[i]);
        for (const QString& kv : extra) {
            const qsizetype eq = kv.indexOf('=');
            store->setValue(ProfileKey(kSection, kv.left(eq)), kv.mid(eq + 1));
        }
    }

    auto combo = std::make_unique<CHistoryCombo>();
    combo->LoadHistory(prefix);
    for (const QString& step : steps) {
        const qsizetype colon = step.indexOf(':');
        const QString verb = colon < 0 ? step : step.left(colon);
        const QString arg = colon < 0 ? QString() : step.mid(colon + 1);
        if (verb == "edit")
            combo->setEditText(arg);
        else if (verb == "add")
            QCOMPARE(combo->AddToHistory(arg), arg.trimmed().isEmpty() ? -1 : 0);
        else if (verb == "save")
            combo->SaveHistory();
        else if (verb == "max")
            combo->m_maxItems = arg.toInt();
        else if (verb == "reload") {
            combo = std::make_unique<CHistoryCombo>();
            combo->LoadHistory(prefix);
        } else
            QFAIL(qPrintable("unknown step " + step));
    }

    QCOMPARE(Items(*combo), expItems);
    QCOMPARE(combo->currentText(), expEdit);
    QCOMPARE(StoredEntries(prefix), expStored);
    auto store = OpenProfile();
    for (const QString& kv : expExtra) {
        const qsizetype eq = kv.indexOf('=');
        const QVariant v = store->value(ProfileKey(kSection, kv.left(eq)));
        QVERIFY2(v.isValid(), qPrintable(kv.left(eq) + " missing"));
        QCOMPARE(v.toString(), kv.mid(eq + 1));
    }
}

// The application delivers keys to the combo box, the focus proxy of its field; a key sent
// to the field itself must behave the same.
void HistoryComboTest::completesFromTheListAndBackspaceDoesNot_data() {
    QTest::addColumn<bool>("toField");
    QTest::newRow("keys to the focus widget") << false;
    QTest::newRow("keys to the field") << true;
}

void HistoryComboTest::completesFromTheListAndBackspaceDoesNot() {
    QFETCH(bool, toField);
    CHistoryCombo combo;
    combo.LoadHistory(QStringLiteral("HistoryItem"));
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    QLineEdit* edit = combo.lineEdit();
    edit->setFocus();
    QWidget* keys = toField ? static_cast<QWidget*>(edit) : &combo;
    if (!toField)
        QCOMPARE(QApplication::focusWidget(), keys);
    int returns = 0;
    connect(&combo, &CHistoryCombo::returnPressed, &combo, [&returns] { ++returns; });

    QTest::keyClicks(keys, "AT+G");
    QCOMPARE(edit->text(), QStringLiteral("AT+GPSTEST=1"));
    QCOMPARE(edit->selectedText(), QStringLiteral("PSTEST=1"));

    // Backspace removes the highlighted part and does not complete again.
    QTest::keyClick(keys, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("AT+G"));
    QVERIFY(!edit->hasSelectedText());

    // The next typed character completes again; the match ignores case.
    QTest::keyClick(keys, 'p');
    QCOMPARE(edit->text(), QStringLiteral("AT+GPSTEST=1"));
    QCOMPARE(edit->selectedText(), QStringLiteral("STEST=1"));

    // Typing over the highlight with a character no entry continues leaves the text alone.
    QTest::keyClick(keys, 'X');
    QCOMPARE(edit->text(), QStringLiteral("AT+GPX"));
    QCOMPARE(edit->cursorPosition(), 6);

    // Delete switches completion off as well: what is left is not completed again.
    edit->setText(QStringLiteral("AT+RELAYX"));
    edit->setCursorPosition(8);
    QTest::keyClick(keys, Qt::Key_Delete);
    QCOMPARE(edit->text(), QStringLiteral("AT+RELAY"));
    QVERIFY(!edit->hasSelectedText());

    // Typing in the middle completes the text but keeps the caret where it was.
    edit->setText(QStringLiteral("AT+CALL"));
    edit->setCursorPosition(3);
    QTest::keyClick(keys, 'R');
    QCOMPARE(edit->text(), QStringLiteral("AT+RCALL"));
    edit->setText(QStringLiteral("ATRELAY=0"));
    edit->setCursorPosition(2);
    QTest::keyClick(keys, '+');
    QCOMPARE(edit->text(), QStringLiteral("AT+RELAY=0"));
    QCOMPARE(edit->cursorPosition(), 3);
    QVERIFY(!edit->hasSelectedText());

    // Enter is reported once and leaves the text alone.
    QTest::keyClick(keys, Qt::Key_Return);
    QCOMPARE(returns, 1);
    QCOMPARE(edit->text(), QStringLiteral("AT+RELAY=0"));
}

void HistoryComboTest::loadWithNullPrefixChangesNothing() {
    CHistoryCombo combo;
    combo.addItem(QStringLiteral("kept"));
    QVERIFY(combo.LoadHistory(QString()).isNull());
    QCOMPARE(combo.count(), 1);
    QVERIFY(combo.m_section.isEmpty());
    // Inert until loaded: a save writes nothing.
    combo.SaveHistory();
    QVERIFY(OpenProfile()->allKeys().isEmpty());
}

// Entries from an earlier run may hold line breaks or be far longer than the field; a 10 MB
// entry delayed the start by seconds. The field lists them as it would hold them.
void HistoryComboTest::storedEntriesAreCutToOneLineOfTheFieldsLimit() {
    {
        auto store = OpenProfile();
        store->setValue(ProfileKey(kSection, "HistoryItem0"),
                        QString(10 * 1024 * 1024, QLatin1Char('A')));
        store->setValue(ProfileKey(kSection, "HistoryItem1"),
                        QStringLiteral("AT+RELAY=1\nAT+SMS=PASSWORD,864209,000000#"));
        store->setValue(ProfileKey(kSection, "HistoryItem2"), QStringLiteral("\r\n"));
        store->setValue(ProfileKey(kSection, "HistoryItem3"), QStringLiteral("AT+TEST=1"));
        store->setValue(ProfileKey(kSection, "HistoryItem"), QStringLiteral("\r\nAT+X\r\nAT+Y"));
        store->sync();
    }
    // Set up as the monitor's send field is: its limit, then the load, then its font, which
    // has every entry measured again.
    CHistoryCombo combo;
    combo.lineEdit()->setMaxLength(254);
    QElapsedTimer timer;
    timer.start();
    combo.LoadHistory(QStringLiteral("HistoryItem"));
    combo.setFont(QFont(QStringLiteral("Arial"), 11));
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    const qint64 elapsed = timer.elapsed();

    QCOMPARE(Items(combo).mid(0, 3),
             (QStringList{QString(254, QLatin1Char('A')), "AT+RELAY=1", "AT+TEST=1"}));
    QCOMPARE(combo.count(), 3 + 7);
    QCOMPARE(combo.currentText(), QStringLiteral("AT+X"));
    // Uncut, the 10 MB entry alone takes over 20 s here; cut, well under a second.
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed) + " ms"));
}

TB_TEMP_SETTINGS_MAIN(HistoryComboTest)
#include "HistoryComboTest.moc"
