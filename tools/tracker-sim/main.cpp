// tracker-sim: a simulated GPS tracker on a pseudo-terminal, for trying Tollbrook and for
// end-to-end tests without hardware.

#include "SimOptions.h"
#include "TrackerSim.h"
#include "version/TollbrookVersion.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = ParseSimOptions(args);
    if (parsed.help) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }
    if (parsed.version) {
        std::printf("tracker-sim (Tollbrook) %s\n", kTollbrookVersion);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "tracker-sim: %s\nTry 'tracker-sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    TrackerSim sim(*parsed.options);
    if (!sim.Open())
        return 1;
    return sim.Run();
}
