#include "app/DisplayReach.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// The plugin's name without its arguments ("xcb:foo" is "xcb").
std::string BaseName(const std::string& platform) {
    return platform.substr(0, platform.find(':'));
}

enum class Reach { Yes, No, Unknown };

// The same connection the platform plugin opens, through the client library it uses; loaded
// at run time so that the program does not depend on it.
Reach ReachX() {
    void* lib = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return Reach::Unknown;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(::dlsym(lib, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(::dlsym(lib, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(::dlsym(lib, "xcb_disconnect"));
    Reach reach = Reach::Unknown;
    if (connect && hasError && disconnect) {
        void* c = connect(nullptr, nullptr);
        reach = c && hasError(c) == 0 ? Reach::Yes : Reach::No;
        if (c)
            disconnect(c); // frees even a connection that failed
    }
    ::dlclose(lib);
    return reach;
}

bool WaylandPluginInstalled() {
    QStringList dirs = QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH"))
                           .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    dirs.append(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    for (const QString& dir : dirs) {
        const QDir platforms(dir + QStringLiteral("/platforms"));
        if (!platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

Reach ReachWayland() {
    if (!WaylandPluginInstalled())
        return Reach::No; // Qt passes over it, so it does not count as a way to show the window
    void* lib = ::dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return Reach::Unknown;
    using Connect = void* (*)(const char*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(::dlsym(lib, "wl_display_connect"));
    auto disconnect = reinterpret_cast<Disconnect>(::dlsym(lib, "wl_display_disconnect"));
    Reach reach = Reach::Unknown;
    if (connect && disconnect) {
        void* d = connect(nullptr);
        reach = d ? Reach::Yes : Reach::No;
        if (d)
            disconnect(d);
    }
    ::dlclose(lib);
    return reach;
}

} // namespace

std::vector<std::string> PlatformCandidates() {
    std::vector<std::string> out;
    const std::string chosen = Env("QT_QPA_PLATFORM");
    if (!chosen.empty()) {
        std::size_t start = 0;
        while (start <= chosen.size()) {
            const std::size_t end = std::min(chosen.find(';', start), chosen.size());
            if (end > start)
                out.push_back(chosen.substr(start, end - start));
            start = end + 1;
        }
        return out;
    }
    if (!Env("WAYLAND_DISPLAY").empty() || Env("XDG_SESSION_TYPE") == "wayland")
        out.push_back("wayland");
    out.push_back("xcb");
    return out;
}

std::string UnreachableDisplayReason() {
    const std::vector<std::string> candidates = PlatformCandidates();
    std::string tried;
    for (const std::string& candidate : candidates) {
        const std::string base = BaseName(candidate);
        Reach reach = Reach::Unknown;
        if (base == "xcb")
            reach = ReachX();
        else if (base.rfind("wayland", 0) == 0)
            reach = ReachWayland();
        if (reach != Reach::No)
            return {};
        if (base == "xcb") {
            const std::string display = Env("DISPLAY");
            tried += tried.empty() ? "" : ", ";
            tried += display.empty() ? "DISPLAY is not set" : "DISPLAY=" + display;
        } else {
            const std::string display = Env("WAYLAND_DISPLAY");
            tried += tried.empty() ? "" : ", ";
            tried += "WAYLAND_DISPLAY=" + (display.empty() ? std::string("wayland-0") : display);
        }
    }
    if (tried.empty())
        return {};
    return "cannot connect to the display (" + tried +
           "); start it on a desktop or under Xvfb, or check that the display server runs";
}
