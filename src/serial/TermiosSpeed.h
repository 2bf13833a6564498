#pragma once
// Line speed on a terminal descriptor by number, including rates that have no B-constant.
// Kept apart from <termios.h> users because the kernel's termios2 header clashes with it.

namespace serial_detail {

// Sets input and output speed to `baud` through the kernel's arbitrary-rate interface.
// Returns 0, or the errno value of the failing call.
int SetArbitrarySpeed(int fd, int baud);

// The output speed the kernel holds for `fd` in bits per second, or -1.
int CurrentSpeed(int fd);

} // namespace serial_detail
