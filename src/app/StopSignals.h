#pragma once
// SIGINT, SIGTERM and SIGHUP end the program the way closing its window does: the event loop
// quits, acquisition stops and the port is closed. Killed outright instead, the program would
// leave a pseudo-terminal marked exclusive for as long as its other end stays open.

// Call once, after the QCoreApplication exists.
void QuitOnStopSignals();
