#include "recordstore/StoreLocation.h"

#include "recordstore/HexDigit.h"

#include <charconv>

namespace {

std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = HexDigitValue(text[i + 1]);
        const int low = HexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           (u >= '0' && u <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    return out;
}

std::optional<int> Port(std::string_view text) {
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value < 1 ||
        value > 65535)
        return std::nullopt;
    return value;
}

StoreLocationParse Refuse(std::string error) {
    return StoreLocationParse{std::nullopt, std::move(error)};
}

StoreLocationParse ParsePostgres(std::string_view rest) {
    const std::string_view form = " (postgresql://USER@HOST:PORT/DB)";
    StoreLocation location;
    location.kind = StoreLocation::Kind::Postgres;
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos)
        return Refuse("the address names no database" + std::string(form));
    const std::string_view authority = rest.substr(0, slash);
    std::string_view database = rest.substr(slash + 1);
    if (database.find_first_of("?#") != std::string_view::npos)
        return Refuse("the address takes no parameters after the database name");
    std::string_view hostPort = authority;
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        std::string_view userInfo = authority.substr(0, at);
        hostPort = authority.substr(at + 1);
        std::string_view user = userInfo;
        if (const auto colon = userInfo.find(':'); colon != std::string_view::npos) {
            user = userInfo.substr(0, colon);
            const auto password = PercentDecoded(userInfo.substr(colon + 1));
            if (!password)
                return Refuse("the password has a bad %-escape");
            location.password = *password;
        }
        const auto decodedUser = PercentDecoded(user);
        if (!decodedUser)
            return Refuse("the user name has a bad %-escape");
        location.user = *decodedUser;
    }
    std::string_view host = hostPort;
    if (!hostPort.empty() && hostPort.front() == '[') {
        const auto close = hostPort.find(']');
        if (close == std::string_view::npos)
            return Refuse("the address has an unclosed '['");
        host = hostPort.substr(1, close - 1);
        std::string_view after = hostPort.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return Refuse("unexpected text after the host address");
        if (!after.empty()) {
            const auto port = Port(after.substr(1));
            if (!port)
                return Refuse("the port must be a number from 1 to 65535");
            location.port = *port;
        }
    } else if (const auto colon = hostPort.rfind(':'); colon != std::string_view::npos) {
        host = hostPort.substr(0, colon);
        const auto port = Port(hostPort.substr(colon + 1));
        if (!port)
            return Refuse("the port must be a number from 1 to 65535");
        location.port = *port;
    }
    const auto decodedHost = PercentDecoded(host);
    if (!decodedHost)
        return Refuse("the host has a bad %-escape");
    location.host = *decodedHost;
    if (location.host.empty())
        return Refuse("the address names no host" + std::string(form));
    const auto decodedDatabase = PercentDecoded(database);
    if (!decodedDatabase)
        return Refuse("the database name has a bad %-escape");
    location.database = *decodedDatabase;
    if (location.database.empty())
        return Refuse("the address names no database" + std::string(form));
    for (const std::string* part : {&location.host, &location.database, &location.user}) {
        if (part->find('\0') != std::string::npos)
            return Refuse("the address holds a NUL character");
    }
    return StoreLocationParse{location, {}};
}

} // namespace

StoreLocationParse ParseStoreLocation(std::string_view text) {
    if (text.starts_with("sqlite:")) {
        // "sqlite:///var/x" names "///var/x", which is "/var/x" to the system as well.
        const std::string_view path = text.substr(7);
        if (path.empty())
            return Refuse("sqlite: needs a file path (sqlite:PATH)");
        if (path.find('\0') != std::string_view::npos)
            return Refuse("the file path holds a NUL character");
        StoreLocation location;
        location.kind = StoreLocation::Kind::Sqlite;
        location.sqlitePath = std::string(path);
        return StoreLocationParse{location, {}};
    }
    for (const std::string_view scheme : {"postgresql://", "postgres://"}) {
        if (text.starts_with(scheme))
            return ParsePostgres(text.substr(scheme.size()));
    }
    return Refuse("unknown store '" + std::string(text) +
                  "' (sqlite:PATH or postgresql://USER@HOST:PORT/DB)");
}

std::string DescribeStoreLocation(const StoreLocation& location) {
    if (location.kind == StoreLocation::Kind::Sqlite)
        return "sqlite:" + location.sqlitePath;
    std::string text = "postgresql://";
    if (!location.user.empty())
        text += PercentEncoded(location.user) + "@";
    const bool ipv6 =
        location.host.find(':') != std::string::npos &&
        location.host.find_first_not_of("0123456789abcdefABCDEF:.") == std::string::npos;
    text += ipv6 ? "[" + location.host + "]" : PercentEncoded(location.host);
    text += ":" + std::to_string(location.port) + "/" + PercentEncoded(location.database);
    return text;
}
