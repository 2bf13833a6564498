#include "app/CKestranoApp.h"
#include "app/StopSignals.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    // Qt aborts when it cannot reach a display; say what is missing instead.
    if (!HaveDisplay()) {
        std::fprintf(stderr, "tollbrook: no display found (neither DISPLAY nor WAYLAND_DISPLAY "
                             "is set); start it on a desktop or under Xvfb\n");
        return 1;
    }
    QApplication qtApp(argc, argv);
    QuitOnStopSignals();
    CKestranoApp app;
    return app.Run();
}
