#pragma once
// Caps, Num and Scroll Lock as the windowing system reports them. Only X11 tells; elsewhere
// (Wayland, offscreen) the answer is "unknown" and the panes stay dim.

struct KeyLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// False when the platform does not report lock states.
bool QueryKeyLocks(KeyLocks& locks);
