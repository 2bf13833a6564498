#include "nmea/NmeaDecimal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

// The conversion must agree with strtod in the "C" locale (the tests run in it) on every text
// whose number has no hexadecimal or inf/nan form.
class DecimalAgreesWithStrtod : public ::testing::TestWithParam<const char*> {};

TEST_P(DecimalAgreesWithStrtod, SameDouble) {
    const char* text = GetParam();
    const double expected = std::strtod(text, nullptr);
    const double actual = NmeaDecimalValue(text);
    EXPECT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0)
        << text << ": " << actual << " vs " << expected;
}

INSTANTIATE_TEST_SUITE_P(
    NmeaDecimal, DecimalAgreesWithStrtod,
    ::testing::Values("545.4", "0.9", "  \t-12.5xyz", "+3", "-0", "5.", ".5", ".", "-.", "e5",
                      "1e5", "1e", "1e+", "1E-2", "1.5e+3M", "4807.038", "00000000000000123.45",
                      "0.1000000000000000055511151231257827021181583404541015625",
                      "2.2250738585072011e-308", "1e-310", "4.9e-324", "2.4e-324", "1e-400",
                      "-1e-400", "1.8e308", "1e400", "-1e99999999999999", "0e99999",
                      "123456789012345678901234567890", "", "abc", "--1", "+-1"));

TEST(NmeaDecimal, NoHexadecimalNoInfinityNoNan) {
    EXPECT_EQ(NmeaDecimalValue("0x1A"), 0.0);
    EXPECT_EQ(NmeaDecimalValue("inf"), 0.0);
    EXPECT_EQ(NmeaDecimalValue("-nan"), 0.0);
    EXPECT_EQ(NmeaDecimalValue("INFINITY"), 0.0);
}

TEST(NmeaDecimal, LengthBoundsTheText) {
    EXPECT_EQ(NmeaDecimalValue("4807.038", 2), 48.0);
    EXPECT_EQ(NmeaDecimalValue("12e5", 3), 12.0);
    EXPECT_EQ(NmeaDecimalValue("7", 0), 0.0);
    EXPECT_EQ(NmeaIntegerValue("0812", 2), 8);
    EXPECT_EQ(NmeaIntegerValue("5\0"
                               "9",
                               3),
              5);
}

struct IntegerCase {
    const char* text;
    int32_t value;
};

class IntegerCases : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerCases, Converts) {
    EXPECT_EQ(NmeaIntegerValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(NmeaDecimal, IntegerCases,
                         ::testing::Values(IntegerCase{"08", 8}, IntegerCase{" -12x", -12},
                                           IntegerCase{"+7", 7}, IntegerCase{"", 0},
                                           IntegerCase{"x1", 0}, IntegerCase{"3.9", 3},
                                           IntegerCase{"2147483647", 2147483647},
                                           IntegerCase{"99999999999999", INT32_MAX},
                                           IntegerCase{"-2147483648", INT32_MIN},
                                           IntegerCase{"-99999999999999", INT32_MIN}));

} // namespace
