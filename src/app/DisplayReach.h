#pragma once
// Whether the windowing system that Qt is about to choose can be reached. Qt ends the program
// with an abort when its platform cannot connect (DISPLAY naming a server that is gone,
// WAYLAND_DISPLAY pointing nowhere); asked before QApplication is constructed, this gives the
// operator one line about it instead.

#include <string>
#include <vector>

// The platforms Qt tries, in its order: QT_QPA_PLATFORM's list when set, otherwise Wayland
// (when WAYLAND_DISPLAY is set or the session is a Wayland one) before X.
std::vector<std::string> PlatformCandidates();

// Empty when one of the candidates can be used (or cannot be checked: such as "offscreen",
// or a system without the X or Wayland client library); otherwise why none can, in one line.
std::string UnreachableDisplayReason();
