#include "app/KeyLockState.h"

#include <QGuiApplication>
#include <dlfcn.h>

namespace {

// libX11 is loaded at run time, so that the program needs no X11 development files and still
// runs where there is no X server at all.
struct X11Indicators {
    using Display = void;
    using Atom = unsigned long;
    using OpenDisplayFn = Display* (*)(const char*);
    using CloseDisplayFn = int (*)(Display*);
    using InternAtomFn = Atom (*)(Display*, const char*, int);
    using GetNamedIndicatorFn = int (*)(Display*, Atom, int*, int*, void*, int*);

    void* lib = nullptr;
    Display* display = nullptr;
    GetNamedIndicatorFn getNamedIndicator = nullptr;
    CloseDisplayFn closeDisplay = nullptr;
    Atom caps = 0, num = 0, scroll = 0;

    X11Indicators() {
        lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!lib)
            return;
        auto open = reinterpret_cast<OpenDisplayFn>(dlsym(lib, "XOpenDisplay"));
        auto intern = reinterpret_cast<InternAtomFn>(dlsym(lib, "XInternAtom"));
        getNamedIndicator =
            reinterpret_cast<GetNamedIndicatorFn>(dlsym(lib, "XkbGetNamedIndicator"));
        closeDisplay = reinterpret_cast<CloseDisplayFn>(dlsym(lib, "XCloseDisplay"));
        if (!open || !intern || !getNamedIndicator || !closeDisplay)
            return;
        display = open(nullptr);
        if (!display)
            return;
        caps = intern(display, "Caps Lock", 0);
        num = intern(display, "Num Lock", 0);
        scroll = intern(display, "Scroll Lock", 0);
    }
    ~X11Indicators() {
        if (display)
            closeDisplay(display);
        // The library stays loaded: Qt's own X11 connection may use it.
    }
    bool State(Atom name, bool& on) const {
        int state = 0;
        if (!getNamedIndicator(display, name, nullptr, &state, nullptr, nullptr))
            return false;
        on = state != 0;
        return true;
    }
};

} // namespace

bool QueryKeyLocks(KeyLocks& locks) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    static X11Indicators x11;
    if (!x11.display)
        return false;
    bool ok = x11.State(x11.caps, locks.caps);
    ok = x11.State(x11.num, locks.num) && ok;
    ok = x11.State(x11.scroll, locks.scroll) && ok;
    return ok;
}
