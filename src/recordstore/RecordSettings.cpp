#include "recordstore/RecordSettings.h"

#include "recordstore/QSettingsIni.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return ".";
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback.
std::string XdgFolder(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return HomeFolder() + "/" + fallback;
}

constexpr const char* kProgramPath = "/quenhollow/TollbrookY202";

} // namespace

std::string ProgramSettingsPath() {
    return XdgFolder("XDG_CONFIG_HOME", ".config") + kProgramPath + ".ini";
}

std::string ProgramDataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share") + kProgramPath;
}

std::string DefaultRecordsPath() {
    return ProgramDataFolder() + "/test-records.sqlite";
}

std::string DefaultSpoolPath() {
    return ProgramDataFolder() + "/test-records-spool.sqlite";
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "bench";
    return name;
}

RecordSettings ReadRecordSettingsText(std::string_view iniText) {
    const std::map<std::string, std::string> values = ParseQSettingsIni(iniText);
    auto value = [&](const char* key) {
        const auto found = values.find(std::string(RecordSettingsKey::kGroup) + "/" + key);
        return found == values.end() ? std::string() : found->second;
    };
    RecordSettings settings;
    if (value(RecordSettingsKey::kBackend) == "postgresql") {
        StoreLocation& location = settings.location;
        location.kind = StoreLocation::Kind::Postgres;
        location.host = value(RecordSettingsKey::kHost);
        const std::string port = value(RecordSettingsKey::kPort);
        int number = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (error == std::errc() && end == port.data() + port.size() && number >= 1 &&
            number <= 65535)
            location.port = number;
        location.database = value(RecordSettingsKey::kDatabase);
        location.user = value(RecordSettingsKey::kUser);
        location.password = value(RecordSettingsKey::kPassword);
    } else {
        settings.location.kind = StoreLocation::Kind::Sqlite;
        settings.location.sqlitePath = value(RecordSettingsKey::kSqlitePath);
        if (settings.location.sqlitePath.empty())
            settings.location.sqlitePath = DefaultRecordsPath();
    }
    settings.station = value(RecordSettingsKey::kStation);
    if (settings.station.empty())
        settings.station = HostName();
    settings.operatorName = value(RecordSettingsKey::kOperator);
    return settings;
}

RecordSettings ReadRecordSettings(const std::string& iniPath) {
    std::ifstream file(iniPath, std::ios::binary);
    std::ostringstream text;
    if (file)
        text << file.rdbuf();
    return ReadRecordSettingsText(text.str());
}
