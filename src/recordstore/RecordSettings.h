#pragma once
// The program's "Test Records" settings, read without Qt so that tollbrook-cli uses the same
// store as the program. The program writes them with QSettings (INI format, group
// "TestRecords"); the key names below are shared by both sides.

#include <optional>
#include <string>
#include <string_view>

#include "recordstore/StoreLocation.h"

namespace RecordSettingsKey {
inline constexpr const char* kGroup = "TestRecords";
inline constexpr const char* kBackend = "Backend";       // "sqlite" (default) or "postgresql"
inline constexpr const char* kSqlitePath = "SqlitePath"; // empty: the default file
inline constexpr const char* kHost = "Host";
inline constexpr const char* kPort = "Port";
inline constexpr const char* kDatabase = "Database";
inline constexpr const char* kUser = "User";
// Only when the desktop offers no keyring; the program warns when it writes it here.
inline constexpr const char* kPassword = "Password";
inline constexpr const char* kStation = "Station";   // empty: the host name
inline constexpr const char* kOperator = "Operator"; // empty: none
} // namespace RecordSettingsKey

struct RecordSettings {
    StoreLocation location;
    std::string station;      // as set, or the host name
    std::string operatorName; // as set, possibly empty
};

// $XDG_CONFIG_HOME (or ~/.config) + "/quenhollow/TollbrookY202.ini".
std::string ProgramSettingsPath();
// $XDG_DATA_HOME (or ~/.local/share) + "/quenhollow/TollbrookY202": Qt's AppDataLocation.
std::string ProgramDataFolder();
// ProgramDataFolder() + "/test-records.sqlite" and the spool beside it.
std::string DefaultRecordsPath();
std::string DefaultSpoolPath();
std::string HostName();

// Reads the settings file at `iniPath` (a missing file or group gives the defaults).
RecordSettings ReadRecordSettings(const std::string& iniPath);
// The same from the file's text.
RecordSettings ReadRecordSettingsText(std::string_view iniText);
