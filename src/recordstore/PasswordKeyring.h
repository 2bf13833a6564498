#pragma once
// The test records server's password in the desktop's keyring (the Secret Service, through
// libsecret), so that it need not stand in the settings file in plain text. One entry per
// host, port, database and user, labelled "Tollbrook test records"; the program stores it from
// its settings dialog, the program and tollbrook-cli look it up. Built without libsecret, or
// without a keyring running, every call finds nothing and stores nothing.

#include <optional>
#include <string>

#include "recordstore/StoreLocation.h"

namespace PasswordKeyring {

// A keyring can be asked at all: libsecret is built in and a session bus is there.
bool Available();
// Keeps the password for the location's host, port, database and user; false with the reason
// in `error` when no keyring took it.
bool Store(const StoreLocation& location, const std::string& password,
           std::string* error = nullptr);
// The password kept for the location, none when there is no keyring or no entry.
std::optional<std::string> Lookup(const StoreLocation& location);
// Forgets it; true when there was none or it is gone.
bool Remove(const StoreLocation& location);

} // namespace PasswordKeyring
