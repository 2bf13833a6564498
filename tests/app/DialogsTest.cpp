// The About box, the DOP threshold and the Set Position dialogs with the settings they keep.

#include "AppTestSupport.h"

#include "app/CAboutDlg.h"
#include "app/CChildView.h"
#include "app/CDOPThresholdDlg.h"
#include "app/CMainFrame.h"
#include "app/CSetPositionDlg.h"
#include "displays/CScatterPlotWnd.h"
#include "serial/CSio.h"
#include "uisupport/CommandIds.h"
#include "uisupport/ProfileValues.h"

#include <QLabel>
#include <QLineEdit>
#include <QtEndian>
#include <QtTest>
#include <cstring>
#include <memory>

namespace {

QByteArray Block(double v) {
    QByteArray b(8, '\0');
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    qToLittleEndian(bits, b.data());
    return b;
}

double StoredDouble(const char* key) {
    QByteArray b;
    if (!GetProfileBinary(QStringLiteral("Settings"), QString::fromLatin1(key), b) || b.size() != 8)
        return -999.0;
    const quint64 bits = qFromLittleEndian<quint64>(b.constData());
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

// The scatter plot the view keeps for the position updates; no page shows it.
CScatterPlotWnd& ScatterPlotOf(CMainFrame* f) {
    return *f->View()->ScatterPlot();
}

QLineEdit* Edit(QDialog& d, int id) {
    return d.findChild<QLineEdit*>(QStringLiteral("edit%1").arg(id));
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CMainFrame> m_frame;

    CMainFrame* MakeFrame() {
        m_frame = std::make_unique<CMainFrame>();
        m_frame->Create();
        return m_frame.get();
    }

private slots:
    void init() { ClearProfile(); }
    void cleanup() {
        m_frame.reset();
        theSerialPort.Close();
    }

    void dopThreshold_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("x100");
        QTest::addColumn<QString>("shownNext");
        QTest::newRow("2.5") << "2.5" << 2.5 << 250 << "2.50";
        QTest::newRow("1.234") << "1.234" << 1.234 << 123 << "1.23";
        QTest::newRow("leading number") << " 4.75 m" << 4.75 << 475 << "4.75";
        QTest::newRow("not a number") << "abc" << 0.0 << 0 << "0.00";
        QTest::newRow("zero") << "0" << 0.0 << 0 << "0.00";
    }

    void dopThreshold() {
        QFETCH(QString, entered);
        QFETCH(double, stored);
        QFETCH(int, x100);
        QFETCH(QString, shownNext);
        CMainFrame* f = MakeFrame();
        QString shown;
        QString toEnter = entered;
        bool accept = true;
        ModalAnswer answer([&](QDialog& d) {
            shown = Edit(d, 1008)->text();
            Edit(d, 1008)->setText(toEnter);
            if (!accept)
                return int(QDialog::Rejected);
            d.accept();
            return d.result();
        });
        f->OnCommand(Cmd::SetDopThreshold);
        QCOMPARE(shown, QStringLiteral("3.00"));
        QCOMPARE(StoredDouble("DOP Threshold"), stored);
        QCOMPARE(ScatterPlotOf(f).dopThresholdX100, x100);

        // Reopened: the stored value with two decimals; Cancel changes nothing.
        accept = false;
        toEnter = QStringLiteral("9.99");
        f->OnCommand(Cmd::SetDopThreshold);
        QCOMPARE(shown, shownNext);
        QCOMPARE(StoredDouble("DOP Threshold"), stored);
        QCOMPARE(ScatterPlotOf(f).dopThresholdX100, x100);
    }

    void dopThresholdBlockSizes() {
        // The first 8 bytes of a longer block count; a shorter block is ignored.
        WriteProfileBinary("Settings", "DOP Threshold", Block(1.5) + QByteArray("tail"));
        QCOMPARE(ScatterPlotOf(MakeFrame()).dopThresholdX100, 150);
        m_frame.reset();
        WriteProfileBinary("Settings", "DOP Threshold", QByteArray("1234"));
        QCOMPARE(ScatterPlotOf(MakeFrame()).dopThresholdX100, 300);
    }

    void setPosition_data() {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<int>("microLatitude");
        QTest::newRow("north") << "22.5432109" << 22543210;
        QTest::newRow("south truncates toward zero") << "-22.5432109" << -22543210;
    }

    void setPosition() {
        QFETCH(QString, latitude);
        QFETCH(int, microLatitude);
        CMainFrame* f = MakeFrame();
        QStringList shown;
        ModalAnswer answer([&](QDialog& d) {
            shown = {Edit(d, 1011)->text(), Edit(d, 1009)->text(), Edit(d, 1010)->text()};
            Edit(d, 1011)->setText(latitude);
            Edit(d, 1009)->setText(QStringLiteral("113.9"));
            Edit(d, 1010)->setText(QStringLiteral("12.3456"));
            d.accept();
            return d.result();
        });
        f->OnCommand(Cmd::SetUserPosition);
        QCOMPARE(shown, (QStringList{"0", "0", "0"}));
        const CScatterPlotWnd& s = ScatterPlotOf(f);
        QCOMPARE(s.userCentre.latitude, microLatitude);
        QCOMPARE(s.userCentre.longitude, 113900000);
        QCOMPARE(s.userCentre.altitude, 12345);
        QCOMPARE(StoredDouble("User Latitude"), latitude.toDouble());
        QCOMPARE(StoredDouble("User Altitude"), 12.3456);

        // Shown again with 15 significant digits.
        f->OnCommand(Cmd::SetUserPosition);
        QCOMPARE(shown.value(0), latitude);
    }

    void setPositionRejectsAFieldWithoutANumber() {
        CMainFrame* f = MakeFrame();
        MessageBoxRecorder boxes;
        bool firstAccepted = true;
        QString focused;
        ModalAnswer answer([&](QDialog& d) {
            d.show();
            Edit(d, 1011)->setText(QStringLiteral("10"));
            Edit(d, 1009)->setText(QStringLiteral("east"));
            Edit(d, 1010)->setText(QString());
            d.accept();
            firstAccepted = d.isVisible() == false;
            focused = d.focusWidget() ? d.focusWidget()->objectName() : QString();
            // The operator corrects the field and presses OK again.
            Edit(d, 1009)->setText(QStringLiteral("20"));
            Edit(d, 1010)->setText(QStringLiteral("30"));
            d.accept();
            return d.result();
        });
        f->OnCommand(Cmd::SetUserPosition);
        QVERIFY(!firstAccepted);
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Enter a number."));
        QCOMPARE(focused, QStringLiteral("edit1009"));
        QCOMPARE(ScatterPlotOf(f).userCentre.longitude, 20000000);
        QCOMPARE(StoredDouble("User Altitude"), 30.0);
    }

    void setPositionCancelReloadsTheStoredPosition() {
        CMainFrame* f = MakeFrame();
        WriteProfileBinary("Settings", "User Latitude", Block(51.5));
        // A block of another size is ignored: 0.0 applies.
        WriteProfileBinary("Settings", "User Longitude", QByteArray("1234"));
        const int repaints = ScatterPlotOf(f).RepaintRequests();
        QStringList shown;
        ModalAnswer answer([&](QDialog& d) {
            shown = {Edit(d, 1011)->text(), Edit(d, 1009)->text()};
            Edit(d, 1011)->setText(QStringLiteral("1"));
            return int(QDialog::Rejected);
        });
        f->OnCommand(Cmd::SetUserPosition);
        QCOMPARE(shown, (QStringList{"51.5", "0"}));
        QCOMPARE(ScatterPlotOf(f).userCentre.latitude, 51500000);
        QCOMPARE(ScatterPlotOf(f).userCentre.longitude, 0);
        QCOMPARE(ScatterPlotOf(f).RepaintRequests(), repaints + 1);
        QCOMPARE(StoredDouble("User Latitude"), 51.5);
    }

    void leadingNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "3.25" << true << 3.25;
        QTest::newRow("blanks and a tail") << "  -7.5xyz" << true << -7.5;
        QTest::newRow("exponent") << "1e2" << true << 100.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("word") << "north" << false << 0.0;
        QTest::newRow("comma is not a decimal point") << "2,5" << true << 2.0;
    }

    void leadingNumbers() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        double parsed = 0.0;
        QCOMPARE(ParseLeadingDouble(text, parsed), ok);
        if (ok)
            QCOMPARE(parsed, value);
    }

    void aboutPictureKeepsItsAspect() {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Tollbrook"));
        QVERIFY(dlg.findChild<QLabel*>() != nullptr);
        bool versionShown = false;
        for (auto* l : dlg.findChildren<QLabel*>())
            versionShown |= l->text() == QStringLiteral("Tollbrook, Version 3.0 Build 2030");
        QVERIFY(versionShown);
        QCOMPARE(CAboutDlg::PictureRect(QSize(301, 120), 602), QRect(0, 0, 602, 240));
        QCOMPARE(CAboutDlg::PictureRect(QSize(300, 100), 451), QRect(0, 0, 451, 150));
        QVERIFY(CAboutDlg::PictureRect(QSize(0, 100), 451).isEmpty());
    }
};

TB_REGISTER_TEST(DialogsTest);
#include "DialogsTest.moc"
