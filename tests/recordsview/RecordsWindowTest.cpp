// The "Test Records" window over a fixture of records: the filters, the figures (units, runs,
// first-pass yield, retests), the failure chart's bars, the table's order and the CSV export;
// and a store that does not answer shows its problem without holding up the window.

#include "AppTestSupport.h"
#include "RecordsFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "recordsview/CTestRecordsWnd.h"
#include "recordsview/FailureBarChart.h"
#include "recordsview/RecordKeeper.h"
#include "recordsview/RecordsTableModel.h"

namespace {

std::vector<std::string> Imeis(const std::vector<TestRecord>& rows) {
    std::vector<std::string> out;
    for (const TestRecord& r : rows)
        out.push_back(r.imei.empty()
                          ? "-"
                          : r.imei.substr(r.imei.size() - 1) + "@" + r.startedAt.substr(8, 2));
    return out;
}

} // namespace

class RecordsWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<RecordKeeper> keeper;
    std::unique_ptr<CTestRecordsWnd> window;

    template <class W> W* Control(const char* name) {
        return window->findChild<W*>(QString::fromLatin1(name));
    }
    void Settle() {
        window->Refresh();
        QTRY_VERIFY(!window->Loading());
    }

private slots:
    void init() {
        const QString file = dir.filePath(QStringLiteral("fixture.sqlite"));
        QFile::remove(file);
        QVERIFY(WriteAll(file.toStdString(), FixtureRecords()));
        UseSqliteSettings(file);
        RecordKeeper::Options options;
        options.spoolPath = dir.filePath(QStringLiteral("spool.sqlite")).toStdString();
        keeper = std::make_unique<RecordKeeper>(options);
        window = std::make_unique<CTestRecordsWnd>(keeper.get());
        window->resize(1280, 640);
        window->show();
        QTRY_VERIFY(!window->Loading());
    }
    void cleanup() {
        window.reset();
        keeper.reset();
    }

    void everyControlHasAnAccessibleName() {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const bool control =
                qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                qobject_cast<QAbstractItemView*>(w) || qobject_cast<FailureBarChart*>(w);
            // The parts that Qt's own controls are made of are named by them.
            bool part = false;
            for (QWidget* up = w->parentWidget(); up && up != window.get(); up = up->parentWidget())
                part = part || qobject_cast<QComboBox*>(up) || qobject_cast<QLineEdit*>(up) ||
                       qobject_cast<QAbstractSpinBox*>(up) || qobject_cast<QAbstractItemView*>(up);
            if (control && !part)
                QVERIFY2(!w->accessibleName().isEmpty(), w->metaObject()->className());
        }
    }

    void figuresOfAllRecords() {
        QCOMPARE(window->Rows().size(), 7u);
        QCOMPARE(window->FiguresText(),
                 QStringLiteral("Units: 3; Runs: 7; First-pass yield: 33.3 % (1 of 3 units); "
                                "Retests: 3"));
        // Runs whose item did not pass, interrupted and unidentified runs included.
        const std::vector<FailureBarChart::Bar> bars{
            {QStringLiteral("SIM"), 2}, {QStringLiteral("GSM"), 1},
            {QStringLiteral("GPS"), 3}, {QStringLiteral("G-sensor"), 2},
            {QStringLiteral("ACC"), 3}, {QStringLiteral("Ext. power"), 2}};
        QCOMPARE(window->Chart()->Bars(), bars);
        QVERIFY(
            window->Chart()->Caption().startsWith(QStringLiteral("Failures per item (7 runs)")));
        // Most retested first; every unit has its row.
        QTableWidget* retests = window->RetestTable();
        QCOMPARE(retests->rowCount(), 3);
        const QStringList expected{QStringLiteral("864209050000003 3 2"),
                                   QStringLiteral("864209050000002 2 1"),
                                   QStringLiteral("864209050000001 1 0")};
        for (int row = 0; row < 3; ++row)
            QCOMPARE(QStringLiteral("%1 %2 %3")
                         .arg(retests->item(row, 0)->text(), retests->item(row, 1)->text(),
                              retests->item(row, 2)->text()),
                     expected[row]);
        // Newest first, as the table shows it.
        QAbstractItemModel* shown = window->Table()->model();
        QCOMPARE(shown->index(0, RecordsTableModel::Started).data().toString(),
                 QStringLiteral("2026-12-04 09:00:00"));
        QCOMPARE(shown->index(6, RecordsTableModel::Started).data().toString(),
                 QStringLiteral("2026-12-01 08:00:00"));
        QCOMPARE(shown->index(0, RecordsTableModel::Verdict).data().toString(),
                 QStringLiteral("FAIL"));
        QVERIFY(window->StatusText().contains(QStringLiteral("7 runs shown")));
    }

    void filtersNarrowTheRowsAndTheFigures() {
        struct Case {
            const char* name;
            std::function<void(RecordsWindowTest&)> set;
            std::vector<std::string> rows; // last IMEI digit @ day, newest first
            QString figures;
        };
        const Case cases[] = {
            {"IMEI part",
             [](RecordsWindowTest& t) {
                 t.Control<QLineEdit>("IMEI contains")->setText(QStringLiteral("0003"));
             },
             {"3@04", "3@03", "3@03"},
             QStringLiteral("Units: 1; Runs: 3; First-pass yield: 0.0 % (0 of 1 units); "
                            "Retests: 2")},
            {"verdict",
             [](RecordsWindowTest& t) {
                 t.Control<QComboBox>("Verdict")->setCurrentText(QStringLiteral("FAIL"));
             },
             {"-", "3@03", "2@01"},
             QStringLiteral("Units: 2; Runs: 3; First-pass yield: 0.0 % (0 of 2 units); "
                            "Retests: 0")},
            {"interrupted",
             [](RecordsWindowTest& t) {
                 t.Control<QComboBox>("Verdict")->setCurrentText(QStringLiteral("INTERRUPTED"));
             },
             {"3@03"},
             QStringLiteral("Units: 1; Runs: 1; First-pass yield: 0.0 % (0 of 1 units); "
                            "Retests: 0")},
            {"station",
             [](RecordsWindowTest& t) {
                 t.Control<QComboBox>("Station")->setEditText(QStringLiteral("bench-2"));
             },
             {"3@03", "3@03", "2@02"},
             QStringLiteral("Units: 2; Runs: 3; First-pass yield: 50.0 % (1 of 2 units); "
                            "Retests: 1")},
            {"from date",
             [](RecordsWindowTest& t) {
                 t.Control<QCheckBox>("Use from date")->setChecked(true);
                 t.Control<QDateEdit>("From date")->setDate(QDate(2026, 12, 3));
             },
             {"-", "3@04", "3@03", "3@03"},
             QStringLiteral("Units: 1; Runs: 4; First-pass yield: 0.0 % (0 of 1 units); "
                            "Retests: 2")},
            {"to date, both days inclusive",
             [](RecordsWindowTest& t) {
                 t.Control<QCheckBox>("Use from date")->setChecked(true);
                 t.Control<QDateEdit>("From date")->setDate(QDate(2026, 12, 2));
                 t.Control<QCheckBox>("Use to date")->setChecked(true);
                 t.Control<QDateEdit>("To date")->setDate(QDate(2026, 12, 3));
             },
             {"3@03", "3@03", "2@02"},
             QStringLiteral("Units: 2; Runs: 3; First-pass yield: 50.0 % (1 of 2 units); "
                            "Retests: 1")},
            {"IMEI and verdict",
             [](RecordsWindowTest& t) {
                 t.Control<QLineEdit>("IMEI contains")->setText(QStringLiteral("86420905"));
                 t.Control<QComboBox>("Verdict")->setCurrentText(QStringLiteral("PASS"));
             },
             {"3@04", "2@02", "1@01"},
             QStringLiteral("Units: 3; Runs: 3; First-pass yield: 100.0 % (3 of 3 units); "
                            "Retests: 0")},
            {"nothing matches",
             [](RecordsWindowTest& t) {
                 t.Control<QLineEdit>("IMEI contains")->setText(QStringLiteral("999"));
             },
             {},
             QStringLiteral("Units: 0; Runs: 0; First-pass yield: –; Retests: 0")},
        };
        for (const Case& c : cases) {
            cleanup();
            init();
            c.set(*this);
            // The filter applies by itself shortly after the last change.
            QTRY_COMPARE(Imeis(window->Rows()), c.rows);
            QTRY_VERIFY(!window->Loading());
            QVERIFY2(window->FiguresText() == c.figures, qPrintable(window->FiguresText()));
        }
    }

    void exportWritesTheRowsShownAsCsv() {
        Control<QComboBox>("Verdict")->setCurrentText(QStringLiteral("PASS"));
        QTRY_COMPARE(window->Rows().size(), 3u);
        const QString path = dir.filePath(QStringLiteral("out/export.csv"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("out")));
        {
            FileDialogAnswer answer(path);
            MessageBoxRecorder boxes;
            Control<QPushButton>("Export CSV")->click();
            QVERIFY(boxes.boxes.isEmpty());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.takeLast(), QString()); // CRLF after the last row too
        QCOMPARE(lines.size(), 4);
        QVERIFY2(
            lines[0].startsWith(QStringLiteral("id,started_at,finished_at,station,operator,imei")),
            qPrintable(lines[0]));
        for (int i = 1; i < lines.size(); ++i) {
            QVERIFY(lines[i].contains(QStringLiteral(",PASS,")));
            QVERIFY(lines[i].contains(QStringLiteral("王工")));
            QVERIFY(lines[i].contains(QStringLiteral("\"/srv/params/line 3.txt\"")) ||
                    lines[i].contains(QStringLiteral("/srv/params/line 3.txt")));
        }
        QVERIFY(lines[1].contains(QStringLiteral("2026-12-04T08:00:00Z")));

        // A folder that is not there: the operator is told, nothing pretends to be written.
        const QString nowhere = dir.filePath(QStringLiteral("missing/export.csv"));
        FileDialogAnswer answer(nowhere);
        MessageBoxRecorder boxes;
        Control<QPushButton>("Export CSV")->click();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QVERIFY(boxes.boxes[0].text.contains(nowhere));
        QVERIFY(!QFile::exists(nowhere));
    }

    void aRecordWrittenShowsUp() {
        TestRecord fresh = FixtureRecord("864209050000009", "bench-3", "2026-12-05T08:00:00Z",
                                         RecordVerdict::Pass, 63);
        keeper->Submit(fresh);
        QTRY_COMPARE(window->Rows().size(), 8u);
        QCOMPARE(window->Rows().front().imei, fresh.imei);
    }

    // A server that does not answer: the window stays responsive and names the problem.
    void anUnreachableStoreIsReportedNotWaitedFor() {
        cleanup();
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("nosocket")));
        UseAbsentServerSettings(dir.filePath(QStringLiteral("nosocket")));
        RecordKeeper::Options options;
        options.spoolPath = dir.filePath(QStringLiteral("spool2.sqlite")).toStdString();
        keeper = std::make_unique<RecordKeeper>(options);
        QElapsedTimer shown;
        shown.start();
        window = std::make_unique<CTestRecordsWnd>(keeper.get());
        window->show();
        window->Refresh();
        QVERIFY(shown.elapsed() < 500);
        QTRY_VERIFY_WITH_TIMEOUT(!window->Loading(), 15000);
        QVERIFY2(window->StatusText().startsWith(QStringLiteral("The records could not be read:")),
                 qPrintable(window->StatusText()));
        QVERIFY(window->Rows().empty());
    }

    // For a person to look at: TB_RECORDS_SHOT=/path/to.png saves the window with the fixture.
    void screenshot() {
        const QString path = qEnvironmentVariable("TB_RECORDS_SHOT");
        if (path.isEmpty())
            QSKIP("TB_RECORDS_SHOT not set");
        QTest::qWait(200);
        QVERIFY(window->grab().save(path));
    }
};

TB_REGISTER_TEST(RecordsWindowTest);

#include "RecordsWindowTest.moc"
