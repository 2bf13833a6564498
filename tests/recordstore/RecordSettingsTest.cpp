// The program's settings file as QSettings writes it, read without Qt.

#include "recordstore/RecordSettings.h"
#include "recordstore/PasswordKeyring.h"
#include "recordstore/QSettingsIni.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(QSettingsIni, ValuesAsQSettingsWritesThem) {
    struct Case {
        const char* name;
        std::string line; // under [TestRecords]
        std::string value;
    };
    const std::vector<Case> cases = {
        {"plain", "Host=db.factory", "db.factory"},
        {"spaces around are trimmed", "Host =  db.factory  ", "db.factory"},
        {"quoted keeps its spaces", "Station=\" bench 1 \"", " bench 1 "},
        {"quoted comma", "Station=\"line 2, left\"", "line 2, left"},
        {"escapes", "Operator=a\\\"b\\\\c\\td\\n", "a\"b\\c\td\n"},
        {"UTF-8 as written by Qt 6", "Station=线体2", "线体2"},
        {"hex escapes", "Station=\\x7ebf\\x4f53 2", "线体 2"},
        {"hex escape that ends at a non-digit", "Station=\\x41zz", "Azz"},
        {"octal escape", "Station=\\101B", "AB"},
        {"comment after the value", "Host=db ; the server", "db"},
        {"semicolon inside quotes", "Host=\"a;b\"", "a;b"},
        {"an @ kept by doubling", "User=@@admin", "@admin"},
        {"a byte array", "Password=@ByteArray(s3cret)", "s3cret"},
        {"a list is no string", "Host=a, b", ""},
        {"a continued line", "SqlitePath=/var/\\\nrecords.sqlite", "/var/records.sqlite"},
        {"empty", "Host=", ""},
    };
    for (const Case& c : cases) {
        const auto values = ParseQSettingsIni("[TestRecords]\n" + c.line + "\nPort=1\n");
        const std::string key = "TestRecords/" + c.line.substr(0, c.line.find_first_of(" ="));
        ASSERT_TRUE(values.contains(key)) << c.name;
        EXPECT_EQ(values.at(key), c.value) << c.name;
        EXPECT_EQ(values.at("TestRecords/Port"), "1") << c.name << ": the next line is read";
    }
}

TEST(QSettingsIni, SectionsAndKeys) {
    const auto values = ParseQSettingsIni("\xEF\xBB\xBF; a comment\r\n"
                                          "top=1\r\n"
                                          "[General]\r\n"
                                          "also=2\r\n"
                                          "[%General]\r\n"
                                          "literal=3\r\n"
                                          "[Serial]\r\n"
                                          "Port%20Name=ttyUSB0\r\n"
                                          "sub\\key=4\r\n"
                                          "[TestRecords]\r\n"
                                          "Host=x\r\n"
                                          "no equals sign\r\n"
                                          "=no key\r\n");
    const std::map<std::string, std::string> expected = {{"top", "1"},
                                                         {"also", "2"},
                                                         {"General/literal", "3"},
                                                         {"Serial/Port Name", "ttyUSB0"},
                                                         {"Serial/sub/key", "4"},
                                                         {"TestRecords/Host", "x"}};
    EXPECT_EQ(values, expected);
}

TEST(RecordSettings, FromTheProgramsFile) {
    const RecordSettings pg = ReadRecordSettingsText("[TestRecords]\n"
                                                     "Backend=postgresql\n"
                                                     "Host=/tmp/socket dir\n"
                                                     "Port=6543\n"
                                                     "Database=records\n"
                                                     "User=line\n"
                                                     "Station=\"线体 2\"\n"
                                                     "Operator=王\n");
    EXPECT_EQ(pg.location.kind, StoreLocation::Kind::Postgres);
    EXPECT_EQ(pg.location.host, "/tmp/socket dir");
    EXPECT_EQ(pg.location.port, 6543);
    EXPECT_EQ(pg.location.database, "records");
    EXPECT_EQ(pg.location.user, "line");
    EXPECT_EQ(pg.location.password, "");
    EXPECT_EQ(pg.station, "线体 2");
    EXPECT_EQ(pg.operatorName, "王");

    setenv("XDG_DATA_HOME", "/data home", 1);
    const RecordSettings none = ReadRecordSettingsText("[Other]\nBackend=postgresql\n");
    EXPECT_EQ(none.location.kind, StoreLocation::Kind::Sqlite);
    EXPECT_EQ(none.location.sqlitePath, "/data home/quenhollow/TollbrookY202/test-records.sqlite");
    EXPECT_EQ(none.station, HostName());
    EXPECT_EQ(none.operatorName, "");
    // A relative XDG folder is ignored, as the XDG rules say.
    setenv("XDG_DATA_HOME", "relative", 1);
    setenv("HOME", "/home/bench", 1);
    EXPECT_EQ(ProgramDataFolder(), "/home/bench/.local/share/quenhollow/TollbrookY202");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(ProgramSettingsPath(), "/cfg/quenhollow/TollbrookY202.ini");
    const RecordSettings badPort =
        ReadRecordSettingsText("[TestRecords]\nBackend=postgresql\nPort=99999\n");
    EXPECT_EQ(badPort.location.port, 5432);
}

} // namespace

namespace {

// On a bench without a desktop session there is no keyring: nothing is found or kept, at once,
// and no session bus is started for it.
TEST(PasswordKeyring, WithoutASessionBusFindsAndKeepsNothing) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("XDG_RUNTIME_DIR", "/nonexistent-runtime", 1);
    StoreLocation location;
    location.kind = StoreLocation::Kind::Postgres;
    location.host = "db.factory";
    location.database = "records";
    location.user = "line";
    EXPECT_FALSE(PasswordKeyring::Available());
    EXPECT_EQ(PasswordKeyring::Lookup(location), std::nullopt);
    std::string error;
    EXPECT_FALSE(PasswordKeyring::Store(location, "secret", &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
