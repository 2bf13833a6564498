#include "SimOptions.h"

#include <gtest/gtest.h>

namespace {

TEST(SimOptions, DefaultsWithoutArguments) {
    const auto parsed = ParseSimOptions({});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->rate, 1.0);
    EXPECT_FALSE(parsed.options->seed);
    EXPECT_TRUE(parsed.options->linkPath.empty());
    EXPECT_EQ(parsed.options->pace, 0);
}

TEST(SimOptions, EveryOptionTaken) {
    const auto parsed = ParseSimOptions({"--link",       "/tmp/x",
                                         "--rate",       "5",
                                         "--lat",        "-33.5",
                                         "--lon=151.25", "--seed",
                                         "42",           "--bad-checksum-rate",
                                         "0.1",          "--garbage-rate",
                                         "0.05",         "--fail",
                                         "sim,GPS",      "--silent",
                                         "ACC",          "--gps-fix-after",
                                         "12.5",         "--firmware",
                                         "V9",           "--imei",
                                         "123",          "--log",
                                         "l.txt",        "--port",
                                         "/dev/ttyUSB1", "--baud",
                                         "9600",         "--pace",
                                         "4800"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const auto& o = *parsed.options;
    EXPECT_EQ(o.linkPath, "/tmp/x");
    EXPECT_EQ(o.rate, 5.0);
    EXPECT_EQ(o.latitude, -33.5);
    EXPECT_EQ(o.longitude, 151.25);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_EQ(o.faults.badChecksumRate, 0.1);
    EXPECT_EQ(o.faults.garbageRate, 0.05);
    EXPECT_EQ(o.failItems, (std::set<std::string>{"SIM", "GPS"}));
    EXPECT_EQ(o.silentItems, (std::set<std::string>{"ACC"}));
    EXPECT_EQ(o.gpsFixAfter, 12.5);
    EXPECT_EQ(o.version, "V9");
    EXPECT_EQ(o.imei, "123");
    EXPECT_EQ(o.logPath, "l.txt");
    EXPECT_EQ(o.portDevice, "/dev/ttyUSB1");
    EXPECT_EQ(o.baud, 9600);
    EXPECT_EQ(o.pace, 4800);
}

TEST(SimOptions, HelpAndVersionWin) {
    EXPECT_TRUE(ParseSimOptions({"--rate", "2", "--help"}).help);
    const auto version = ParseSimOptions({"--seed", "1", "--version"});
    EXPECT_TRUE(version.version);
    EXPECT_FALSE(version.options);
}

class BadOptions : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadOptions, RefusedWithAReason) {
    const auto parsed = ParseSimOptions(GetParam());
    EXPECT_FALSE(parsed.options);
    EXPECT_FALSE(parsed.help);
    EXPECT_FALSE(parsed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, BadOptions,
    testing::Values(
        std::vector<std::string>{"--frobnicate"}, std::vector<std::string>{"-x"},
        std::vector<std::string>{"--rate"}, std::vector<std::string>{"--rate", "0"},
        std::vector<std::string>{"--rate", "fast"}, std::vector<std::string>{"--lat", "95"},
        std::vector<std::string>{"--lon", "-181"}, std::vector<std::string>{"--seed", "-1"},
        std::vector<std::string>{"--bad-checksum-rate", "1.5"},
        std::vector<std::string>{"--fail", "SIM,RADIO"}, std::vector<std::string>{"--silent", ""},
        std::vector<std::string>{"--gps-fix-after", "-3"}, std::vector<std::string>{"--imei", ""},
        std::vector<std::string>{"--pace", "-9600"}, std::vector<std::string>{"--pace", "9600bd"},
        std::vector<std::string>{"--pace", "5000000"}));

} // namespace
