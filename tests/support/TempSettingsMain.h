#pragma once
// main() for the Qt tests: the settings store and the data folder live in fresh temporary
// folders, chosen before anything touches them, so that no test reads or changes a real one.

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#define TB_TEMP_SETTINGS_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        QTemporaryDir configHome;                                                                  \
        QTemporaryDir dataHome;                                                                    \
        if (!configHome.isValid() || !dataHome.isValid())                                          \
            return 2;                                                                              \
        setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);                 \
        setenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit().constData(), 1);                     \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
