#include <gtest/gtest.h>

#include "devicetest/BuildFailText.h"
#include "devicetest/PassFlags.h"

namespace {

struct VerdictCase {
    std::uint8_t passFlags;
    std::u16string_view text;
};

class FailText : public testing::TestWithParam<VerdictCase> {};

TEST_P(FailText, ListsTheItemsThatDidNotPass) {
    EXPECT_EQ(BuildFailText(GetParam().passFlags), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Verdicts, FailText,
    testing::Values(VerdictCase{63, u"##PASS##"}, VerdictCase{0, u"#软件未烧录#"},
                    VerdictCase{62, u"#SIM Fail\r\n"},
                    VerdictCase{63 & ~2 & ~16, u"#GSM Fail\r\n#ACC Fail\r\n"},
                    VerdictCase{1, u"#GSM Fail\r\n#GPS Fail\r\n#GENSEOR Fail\r\n#ACC Fail\r\n"
                                   u"#EXT_POWER Fail\r\n"},
                    VerdictCase{31, u"#EXT_POWER Fail\r\n"},
                    VerdictCase{4 | 8, u"#SIM Fail\r\n#GSM Fail\r\n#ACC Fail\r\n"
                                       u"#EXT_POWER Fail\r\n"}));

TEST(PassFlags, AllSixBitsMeanPassed) {
    std::uint8_t flags = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_FALSE(AllItemsPassed(flags));
        flags = MarkPassed(flags, i);
        EXPECT_TRUE(HasPassed(flags, i));
    }
    EXPECT_EQ(flags, kAllItemsPassed);
    EXPECT_TRUE(AllItemsPassed(flags));
}

} // namespace
