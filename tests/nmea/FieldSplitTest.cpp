#include "nmea/FieldSplit.h"
#include "nmea/IntegerFields.h"
#include "nmea/NmeaDecimal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct FieldCase {
    const char* data;
    int index;
    bool result;
    const char* out;
};

class ExtractFieldCases : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ExtractFieldCases, GivesFieldAndResult) {
    const FieldCase& c = GetParam();
    char out[256];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(ExtractField(c.data, out, c.index), c.result);
    EXPECT_STREQ(out, c.out);
}

INSTANTIATE_TEST_SUITE_P(
    ExtractField, ExtractFieldCases,
    ::testing::Values(FieldCase{"a,,c", 0, true, "a"}, FieldCase{"a,,c", 1, false, ""},
                      FieldCase{"a,,c", 2, true, "c"}, FieldCase{"a,,c", 3, false, ""},
                      FieldCase{"a,b*5C", 1, true, "b"}, FieldCase{"a,b*5C", 2, false, ""},
                      FieldCase{"", 0, true, ""}, FieldCase{"", 5, true, ""},
                      FieldCase{",x", 0, false, ""}, FieldCase{"*x", 0, false, ""},
                      FieldCase{"a,", 1, false, ""},    // the comma is the last character
                      FieldCase{"a,*", 1, false, ""},   // a field starting with "*" is empty
                      FieldCase{"a*b,c", 0, true, "a"}, // "*" ends a field ...
                      FieldCase{"a*b,c", 1, true, "c"}, // ... but commas are still counted
                      FieldCase{"abc", -3, true, "abc"}));

TEST(ExtractField, NullOutputIsRefused) {
    EXPECT_FALSE(ExtractField("a,b", nullptr, 1));
}

TEST(ExtractField, LongFieldIsCutTo255Characters) {
    const std::string field(300, 'q');
    const std::string data = "x," + field + ",y";
    char out[256];
    EXPECT_TRUE(ExtractField(data.c_str(), out, 1));
    EXPECT_EQ(std::string(out), field.substr(0, 255));
    EXPECT_TRUE(ExtractField(data.c_str(), out, 2));
    EXPECT_STREQ(out, "y");
}

// The decoders read fields through FieldSplit; it must agree with ExtractField on every field.
void ExpectSplitAgrees(const std::string& data) {
    const FieldSplit split(data.c_str());
    for (int i = 0; i < FieldSplit::kMaxFields; ++i) {
        char out[256];
        const bool present = ExtractField(data.c_str(), out, i);
        ASSERT_EQ(split.Present(i), present) << data << " field " << i;
        // An absent field reads as empty text: the decoders look at its first character.
        EXPECT_EQ(split[i], out) << data << " field " << i;
    }
}

TEST(FieldSplit, AgreesWithExtractField) {
    for (const char* data : {"", "a", ",", ",,", "a,,c", "a,b*5C", "*", "a*b,c", "a,*", "a,", ",a,",
                             "*,*,", "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
                             "3,2,11,05,40,083,46,70,17,308,41,12,07,344,,14,22,228,,,x,y,z,w"}) {
        ExpectSplitAgrees(data);
    }
    ExpectSplitAgrees("x," + std::string(300, 'q') + ",y");
}

// The GSV decoders read their numbers in one pass: the same fields and values as FieldSplit
// and NmeaIntegerValue give.
void ExpectIntegersAgree(const std::string& data) {
    const FieldSplit split(data.c_str());
    const IntegerFields numbers(data.c_str());
    EXPECT_EQ(numbers.Count(), split.Count()) << data;
    for (int i = 0; i < FieldSplit::kMaxFields; ++i) {
        ASSERT_EQ(numbers.Present(i), split.Present(i)) << data << " field " << i;
        EXPECT_EQ(numbers.Value(i), NmeaIntegerValue(split[i])) << data << " field " << i;
        EXPECT_EQ(numbers.FirstChar(i),
                  split[i].empty() ? 0 : static_cast<unsigned char>(split[i][0]))
            << data << " field " << i;
    }
}

TEST(IntegerFields, AgreeWithFieldSplit) {
    for (const char* data :
         {"", "a", ",", ",,", "a,,c", "a,b*5C", "*", "a*b,c", "a,*", "a,", ",a,", "*,*,",
          "3,2,11,05,40,083,46,70,17,308,41,12,07,344,,14,22,228,,,x,y,z,w",
          "3,1,10,01,29,321,,03,12,292,,04,37,345,,08,49,229,,", "1,1,00,B",
          " 7,-3,+4,12x,x12,0008,2147483647,2147483648,-2147483649,999999999,1000000000", "12*34,5",
          "123456789012,1234567890,-,+,  ,\t9"}) {
        ExpectIntegersAgree(data);
    }
    ExpectIntegersAgree("x," + std::string(300, '7') + ",y");
    ExpectIntegersAgree(std::string(255, ' ') + "5,6");
}

struct CountCase {
    std::string data;
    int count;
};

class FieldCounts : public ::testing::TestWithParam<CountCase> {};

// The count shows where the fields end, an empty last field included: a GSV sentence's signal
// id is found by it.
TEST_P(FieldCounts, CountsEveryFieldUpToOneMoreThanHeld) {
    EXPECT_EQ(FieldSplit(GetParam().data.c_str()).Count(), GetParam().count) << GetParam().data;
}

INSTANTIATE_TEST_SUITE_P(
    FieldSplit, FieldCounts,
    ::testing::Values(CountCase{"", 0}, CountCase{"a", 1}, CountCase{",", 2}, CountCase{"a,", 2},
                      CountCase{",,", 3}, CountCase{"a*b,c", 2},
                      CountCase{"3,3,09,33,62,034,,2", 8},
                      CountCase{"3,1,10,01,29,321,,03,12,292,,04,37,345,,08,49,229,,", 20},
                      CountCase{"3,2,11,05,40,083,46,70,17,308,41,12,07,344,,14,22,228,", 19},
                      CountCase{std::string(19, ',') + "x", 20},
                      CountCase{std::string(20, ','), 21}, CountCase{std::string(40, ','), 21},
                      CountCase{std::string(19, ',') + "x,y", 21}));

} // namespace
