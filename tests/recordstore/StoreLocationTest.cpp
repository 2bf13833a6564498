// tollbrook-cli's --db texts and the way a location is shown.

#include "recordstore/StoreLocation.h"
#include "recordstore/RecordFilter.h"

#include <gtest/gtest.h>

namespace {

StoreLocation Pg(std::string host, int port, std::string database, std::string user,
                 std::string password = "") {
    StoreLocation l;
    l.kind = StoreLocation::Kind::Postgres;
    l.host = std::move(host);
    l.port = port;
    l.database = std::move(database);
    l.user = std::move(user);
    l.password = std::move(password);
    return l;
}

StoreLocation Sqlite(std::string path) {
    StoreLocation l;
    l.sqlitePath = std::move(path);
    return l;
}

TEST(StoreLocation, ParseTable) {
    struct Case {
        std::string text;
        std::optional<StoreLocation> expected; // none: refused
        std::string says;                      // part of the refusal
    };
    const std::vector<Case> cases = {
        {"sqlite:/var/lib/records.sqlite", Sqlite("/var/lib/records.sqlite"), ""},
        {"sqlite:relative/测试.sqlite", Sqlite("relative/测试.sqlite"), ""},
        {"sqlite:", std::nullopt, "needs a file path"},
        {"postgresql://line@db.factory:5433/records", Pg("db.factory", 5433, "records", "line"),
         ""},
        {"postgresql://line@db.factory/records", Pg("db.factory", 5432, "records", "line"), ""},
        {"postgres://line@10.0.0.5:6543/records", Pg("10.0.0.5", 6543, "records", "line"), ""},
        {"postgresql://line:s%40cret@db:5432/records", Pg("db", 5432, "records", "line", "s@cret"),
         ""},
        {"postgresql://line@%2Ftmp%2Ftb-pg.x:41234/records",
         Pg("/tmp/tb-pg.x", 41234, "records", "line"), ""},
        {"postgresql://line@[::1]:5444/records", Pg("::1", 5444, "records", "line"), ""},
        {"postgresql://db:5432/records", Pg("db", 5432, "records", ""), ""},
        {"postgresql://line@db:0/records", std::nullopt, "port"},
        {"postgresql://line@db:65536/records", std::nullopt, "port"},
        {"postgresql://line@db:54x/records", std::nullopt, "port"},
        {"postgresql://line@db:5432", std::nullopt, "no database"},
        {"postgresql://line@db:5432/", std::nullopt, "no database"},
        {"postgresql://line@:5432/records", std::nullopt, "no host"},
        {"postgresql://line@db/records?sslmode=disable", std::nullopt, "no parameters"},
        {"postgresql://line@db/rec%zzords", std::nullopt, "%-escape"},
        {"postgresql://line@db/rec%00ords", std::nullopt, "NUL"},
        {"mysql://line@db/records", std::nullopt, "unknown store"},
        {"", std::nullopt, "unknown store"},
    };
    for (const Case& c : cases) {
        const StoreLocationParse parsed = ParseStoreLocation(c.text);
        EXPECT_EQ(parsed.location, c.expected) << c.text << ": " << parsed.error;
        if (!c.expected) {
            EXPECT_NE(parsed.error.find(c.says), std::string::npos)
                << c.text << ": " << parsed.error;
        }
        // What is shown parses back to the same place, without the password.
        if (parsed.location) {
            const std::string shown = DescribeStoreLocation(*parsed.location);
            EXPECT_EQ(shown.find("cret"), std::string::npos) << shown;
            StoreLocation withoutPassword = *parsed.location;
            withoutPassword.password.clear();
            EXPECT_EQ(ParseStoreLocation(shown).location, withoutPassword) << shown;
        }
    }
}

TEST(RecordFilter, DatesAreDaysOfTheCalendar) {
    EXPECT_TRUE(IsRecordDate("2026-12-10"));
    EXPECT_TRUE(IsRecordDate("2028-02-29"));
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-12-1", "2026/12/10", "", "x"})
        EXPECT_FALSE(IsRecordDate(bad)) << bad;
    RecordFilter filter;
    filter.sinceDate = "2026-12-31";
    filter.untilDate = "2026-12-31";
    EXPECT_EQ(StartedFrom(filter), "2026-12-31T00:00:00Z");
    EXPECT_EQ(StartedBefore(filter), "2027-01-01T00:00:00Z");
    EXPECT_EQ(FilterError(filter), "");
    filter.untilDate = "2026-11-31";
    EXPECT_NE(FilterError(filter).find("2026-11-31"), std::string::npos);
}

} // namespace
