#pragma once
// Reads an INI file as Qt's QSettings writes it (IniFormat), without Qt: sections, %-escaped
// keys, quoted values with C escapes, line continuations and comments. Values come as
// QSettings::value(...).toString() would give them, in UTF-8.

#include <map>
#include <string>
#include <string_view>

// Every value by its full key: "Group/Key" ("Key" for the [General] section).
std::map<std::string, std::string> ParseQSettingsIni(std::string_view text);
