#include "serial/CConnectDlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

bool TwoPorts(std::vector<std::string>& ports, std::vector<std::string>& descriptions) {
    ports = {"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyS2"};
    descriptions = {"FT232R USB UART, FTDI", "", "16550A"};
    return true;
}

} // namespace

class CConnectDlgTest : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("listed") << "115200" << 115200;
        QTest::newRow("typed with unit") << "57600 baud" << 57600;
        QTest::newRow("leading blanks") << "  9600" << 9600;
        QTest::newRow("signed") << "-4800" << -4800;
        QTest::newRow("no number") << "fast" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("too large saturates") << "99999999999" << 2147483647;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(CConnectDlg::LeadingNumber(text), number);
    }

    void portFromTypedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("port");
        QTest::newRow("bare name") << "ttyUSB0"
                                   << "/dev/ttyUSB0";
        QTest::newRow("path") << "/dev/ttyACM1"
                              << "/dev/ttyACM1";
        QTest::newRow("pty path") << "/dev/pts/7"
                                  << "/dev/pts/7";
        QTest::newRow("blanks") << "  ttyS0 "
                                << "/dev/ttyS0";
        QTest::newRow("entry shape") << "/dev/ttyUSB3 - (CP2102)"
                                     << "/dev/ttyUSB3";
        QTest::newRow("entry, no description") << "/dev/ttyS1 - ()"
                                               << "/dev/ttyS1";
        QTest::newRow("empty") << ""
                               << "";
    }
    void portFromTypedText() {
        QFETCH(QString, text);
        QFETCH(QString, port);
        QCOMPARE(CConnectDlg::PortFromTypedText(text), port);
    }

    void formatsEntries() {
        QCOMPARE(CConnectDlg::FormatPortEntry("/dev/ttyUSB0", "FTDI"),
                 QStringLiteral("/dev/ttyUSB0 - (FTDI)"));
        QCOMPARE(CConnectDlg::FormatPortEntry("/dev/ttyS0", ""), QStringLiteral("/dev/ttyS0 - ()"));
        QCOMPARE(CConnectDlg::FormatPortEntry("/dev/x", QString(400, 'd')).size(), 255);
    }

    void showsTitleCaptionsAndLists() {
        CConnectDlg dlg;
        dlg.m_enumeratePorts = TwoPorts;
        dlg.m_strPort = "/dev/ttyS2";
        dlg.m_nBaud = 9600;
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Connect to GPS"));
        QStringList captions;
        for (QLabel* label : dlg.findChildren<QLabel*>())
            captions << label->text();
        QVERIFY(captions.contains("Communication Port:"));
        QVERIFY(captions.contains("Baud Rate:"));
        QStringList bauds;
        for (int i = 0; i < dlg.m_comboBaud->count(); ++i)
            bauds << dlg.m_comboBaud->itemText(i);
        QCOMPARE(bauds, QStringList({"4800", "9600", "19200", "38400", "115200"}));
        QVERIFY(dlg.m_comboBaud->isEditable());
        QCOMPARE(dlg.m_comboBaud->currentText(), QStringLiteral("9600"));
        QStringList ports;
        for (int i = 0; i < dlg.m_comboPort->count(); ++i)
            ports << dlg.m_comboPort->itemText(i);
        // Sorted as text.
        QCOMPARE(ports, QStringList({"/dev/ttyS10 - ()", "/dev/ttyS2 - (16550A)",
                                     "/dev/ttyUSB0 - (FT232R USB UART, FTDI)"}));
        QVERIFY(dlg.m_comboPort->isEditable());
        QCOMPARE(dlg.m_comboPort->currentText(), QStringLiteral("/dev/ttyS2 - (16550A)"));
    }

    void baudListMarksThePresetRate_data() {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("marked"); // -1: no entry marked
        QTest::newRow("first entry") << 4800 << 0;
        QTest::newRow("default") << 115200 << 4;
        QTest::newRow("start-up rate") << 9600 << 1;
        QTest::newRow("not listed") << 57600 << -1;
        QTest::newRow("prefix of an entry") << 38 << -1;
    }

    void baudListMarksThePresetRate() {
        QFETCH(int, preset);
        QFETCH(int, marked);
        CConnectDlg dlg;
        dlg.m_enumeratePorts = TwoPorts;
        dlg.m_nBaud = preset;
        dlg.show();
        QCOMPARE(dlg.m_comboBaud->currentText(), QString::number(preset));
        QCOMPARE(dlg.m_comboBaud->currentIndex(), marked);
        // The open list highlights the same entry.
        dlg.m_comboBaud->showPopup();
        QTRY_VERIFY(dlg.m_comboBaud->view()->isVisible());
        QCOMPARE(dlg.m_comboBaud->view()->currentIndex().row(), marked);
        dlg.m_comboBaud->hidePopup();
        // OK still reads what the field shows.
        dlg.accept();
        QCOMPARE(dlg.m_nBaud, preset);
    }

    void okReadsTheChoice_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typedPort"); // empty: leave what the dialog shows
        QTest::addColumn<QString>("typedBaud");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("baud");
        QTest::newRow("listed port kept") << "/dev/ttyUSB0"
                                          << "/dev/ttyUSB0 - (FT232R USB UART, FTDI)"
                                          << ""
                                          << ""
                                          << "/dev/ttyUSB0" << 115200;
        QTest::newRow("stored bare name selects its entry") << "ttyS10"
                                                            << "/dev/ttyS10 - ()"
                                                            << ""
                                                            << ""
                                                            << "/dev/ttyS10" << 115200;
        QTest::newRow("absent port stays typed") << "/dev/ttyACM0"
                                                 << "/dev/ttyACM0"
                                                 << ""
                                                 << ""
                                                 << "/dev/ttyACM0" << 115200;
        QTest::newRow("typed bare name") << "/dev/ttyS0"
                                         << "/dev/ttyS0"
                                         << "ttyUSB7"
                                         << "38400"
                                         << "/dev/ttyUSB7" << 38400;
        QTest::newRow("entry picked, any baud typed") << "/dev/ttyS0"
                                                      << "/dev/ttyS0"
                                                      << "/dev/ttyS2 - (16550A)"
                                                      << "250000 bd"
                                                      << "/dev/ttyS2" << 250000;
    }
    void okReadsTheChoice() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typedPort);
        QFETCH(QString, typedBaud);
        QFETCH(QString, port);
        QFETCH(int, baud);
        CConnectDlg dlg;
        dlg.m_enumeratePorts = TwoPorts;
        dlg.m_strPort = stored;
        dlg.show();
        QCOMPARE(dlg.m_comboPort->currentText(), shown);
        if (!typedPort.isEmpty())
            dlg.m_comboPort->setEditText(typedPort);
        if (!typedBaud.isEmpty())
            dlg.m_comboBaud->setEditText(typedBaud);
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_strPort, port);
        QCOMPARE(dlg.m_nBaud, baud);
        // Typing does not add to the lists.
        QCOMPARE(dlg.m_comboPort->count(), 3);
        QCOMPARE(dlg.m_comboBaud->count(), 5);
    }

    // Typed key by key, as the operator does: a prefix of a listed entry or rate is not
    // completed into that entry.
    void keysTypedAreTakenAsTyped_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("bauds");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("baud");
        QTest::newRow("prefix of a listed path") << "/dev/ttyS1"
                                                 << "1"
                                                 << "/dev/ttyS1" << 1;
        QTest::newRow("prefix of another listed path") << "/dev/ttyUSB"
                                                       << "384"
                                                       << "/dev/ttyUSB" << 384;
    }
    void keysTypedAreTakenAsTyped() {
        QFETCH(QString, keys);
        QFETCH(QString, bauds);
        QFETCH(QString, port);
        QFETCH(int, baud);
        CConnectDlg dlg;
        dlg.m_enumeratePorts = TwoPorts;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (auto [combo, text] :
             {std::pair{dlg.m_comboPort, keys}, std::pair{dlg.m_comboBaud, bauds}}) {
            combo->setFocus();
            combo->lineEdit()->clear();
            QTest::keyClicks(combo->lineEdit(), text);
            QCOMPARE(combo->currentText(), text);
        }
        dlg.accept();
        QCOMPARE(dlg.m_strPort, port);
        QCOMPARE(dlg.m_nBaud, baud);
    }

    void cancelKeepsTheFields() {
        CConnectDlg dlg;
        dlg.m_enumeratePorts = TwoPorts;
        QCOMPARE(dlg.m_strPort, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(dlg.m_nBaud, 115200);
        dlg.show();
        dlg.m_comboPort->setEditText("ttyUSB9");
        dlg.m_comboBaud->setEditText("4800");
        dlg.reject();
        QCOMPARE(dlg.m_strPort, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(dlg.m_nBaud, 115200);
    }
};

QTEST_MAIN(CConnectDlgTest)
#include "CConnectDlgTest.moc"
