#pragma once
// Where the test records go: an SQLite file on this bench, or a PostgreSQL server shared by a
// line. Parsed from tollbrook-cli's --db and made from the program's settings.

#include <optional>
#include <string>
#include <string_view>

struct StoreLocation {
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    std::string sqlitePath; // Sqlite: the database file
    // Postgres: host name, address or Unix socket folder (a path starting with '/').
    std::string host;
    int port = 5432;
    std::string database;
    std::string user;
    std::string password; // empty: libpq's own sources (PGPASSWORD, ~/.pgpass)

    bool operator==(const StoreLocation&) const = default;
};

struct StoreLocationParse {
    std::optional<StoreLocation> location;
    std::string error; // why the text was refused
};

// "sqlite:PATH" or "postgresql://USER@HOST:PORT/DB" (port optional, 5432; a password after
// "USER:" is taken but discouraged; a host that is a socket folder may be percent-encoded).
StoreLocationParse ParseStoreLocation(std::string_view text);

// The location as an operator reads it, never with the password.
std::string DescribeStoreLocation(const StoreLocation& location);
