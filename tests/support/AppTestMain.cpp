// The shell's test programs: the settings store and the data folder (test records) live in
// temporary folders set up before the application object exists, so no test ever reads or
// writes the user's own.

#include "AppTestSupport.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

namespace {
std::vector<QObject* (*)()>& Factories() {
    static std::vector<QObject* (*)()> factories;
    return factories;
}
} // namespace

void RegisterTest(QObject* (*factory)()) {
    Factories().push_back(factory);
}

int main(int argc, char** argv) {
    QTemporaryDir config;
    QTemporaryDir data; // the test records' default file and spool
    if (!config.isValid() || !data.isValid())
        return 2;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failures = 0;
    for (auto factory : Factories()) {
        std::unique_ptr<QObject> test(factory());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
