#pragma once
// main() for the monitor's Qt tests: the settings store lives in a fresh temporary folder,
// chosen before anything touches QSettings, so that no test reads or changes a real one.

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#define TB_TEMP_SETTINGS_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        QTemporaryDir configHome;                                                                  \
        if (!configHome.isValid())                                                                 \
            return 2;                                                                              \
        setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);                 \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
