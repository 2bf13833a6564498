#include "app/CKestranoApp.h"
#include "app/DisplayReach.h"
#include "app/StopSignals.h"
#include "version/TollbrookVersion.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage =
    "Usage: tollbrook [--help | --version]\n"
    "The bench tool for building and setting up GPS trackers. Over one serial port it\n"
    "watches the tracker's GPS receiver (NMEA), runs the factory test with a pass/fail\n"
    "verdict and reads and writes the tracker's settings.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "The port is chosen in the program (\"Connect to GPS...\"). To open a USB serial adapter\n"
    "without root, your user must be in the group that owns the device, usually dialout:\n"
    "  sudo usermod -aG dialout $USER\n"
    "then log out and in again.\n";

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tollbrook (Tollbrook) %s\n", kTollbrookVersion);
            return 0;
        }
    }
    // Qt aborts when it cannot reach a display; say what is missing instead.
    if (!HaveDisplay()) {
        std::fprintf(stderr, "tollbrook: no display found (neither DISPLAY nor WAYLAND_DISPLAY "
                             "is set); start it on a desktop or under Xvfb\n");
        return 1;
    }
    // "-platform" on the command line is Qt's choice to make.
    bool platformArgument = false;
    for (int i = 1; i < argc; ++i)
        platformArgument = platformArgument || std::strcmp(argv[i], "-platform") == 0;
    if (!platformArgument) {
        if (const std::string reason = UnreachableDisplayReason(); !reason.empty()) {
            std::fprintf(stderr, "tollbrook: %s\n", reason.c_str());
            return 1;
        }
    }
    IgnoreWriteFailureSignals();
    QApplication qtApp(argc, argv);
    QuitOnStopSignals();
    CKestranoApp app;
    return app.Run();
}
