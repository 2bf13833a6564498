// What a one-line field keeps of a change: typing against the limit and the digits rule, pastes
// cut to what fits, line breaks, and text the device put in that is longer than the limit.

#include <gtest/gtest.h>

#include "device/TypedText.h"

#include <optional>
#include <string>

namespace {

struct ChangeCase {
    const char* name;
    std::u16string before;
    std::u16string after; // the text the change would leave
    std::size_t caret;    // after what was put in
    std::size_t maxLength;
    bool digitsOnly;
    std::optional<std::u16string> kept; // nothing: the change is refused whole
    std::size_t keptCaret;
};

class TypedChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(TypedChange, KeepsWhatTheFieldTakes) {
    const ChangeCase& c = GetParam();
    const auto result = LimitTypedChange(c.before, c.after, c.caret, {c.maxLength, c.digitsOnly});
    ASSERT_EQ(result.has_value(), c.kept.has_value());
    if (!result)
        return;
    EXPECT_EQ(result->text, *c.kept);
    EXPECT_EQ(result->caret, c.keptCaret);
    // What is kept is kept again unchanged: the field checks its own result once more.
    const auto again =
        LimitTypedChange(c.before, result->text, result->caret, {c.maxLength, c.digitsOnly});
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->text, result->text);
}

const std::u16string kReplyId = u"1234567890123456"; // one more than the ID edit takes
const std::u16string kImei = u"864209051234567";

INSTANTIATE_TEST_SUITE_P(
    Changes, TypedChange,
    testing::Values(
        ChangeCase{"TypedDigitFits", u"12", u"123", 3, 15, true, u"123", 3},
        ChangeCase{"TypedNonDigitRefused", u"12", u"12a", 3, 15, true, std::nullopt, 0},
        ChangeCase{"TypedAtTheLimitRefused", kImei, kImei + u"9", 16, 15, true, std::nullopt, 0},
        ChangeCase{"TypedAfterALongerReplyRefused", kReplyId, kReplyId + u"9", 17, 15, true,
                   std::nullopt, 0},
        ChangeCase{"DeletingFromALongerReplyAllowed", kReplyId, kReplyId.substr(0, 15), 15, 15,
                   true, kReplyId.substr(0, 15), 15},
        ChangeCase{"DigitBesideANonDigitReplyAllowed", u"80a", u"80a1", 4, 10, true, u"80a1", 4},
        ChangeCase{"TypingOverASelectionAtTheLimit", kImei,
                   u"86420905123456"
                   u"8",
                   15, 15, true, u"864209051234568", 15},
        ChangeCase{"PastedImeiWithItsLineBreak", u"", kImei + u"\r\n", 17, 15, true, kImei, 15},
        ChangeCase{"PasteCutToTheLimit", u"", u"12345678901234567890", 20, 15, true,
                   u"123456789012345", 15},
        ChangeCase{"PasteCutToTheRoomLeft", u"1290",
                   u"12"
                   u"345678"
                   u"90",
                   8, 6, true, u"123490", 4},
        ChangeCase{"PasteDropsNonDigits", u"", u"86-42 09", 8, 15, true, u"864209", 6},
        ChangeCase{"PasteOfNoDigitsRefused", u"7", u"7abc\n", 5, 15, true, std::nullopt, 0},
        ChangeCase{"PastedLinesKeepTheFirst", u"", u"AT+TEST=1\nAT+SMS=PASSWORD,864209,000000#", 40,
                   254, false, u"AT+TEST=1", 9},
        ChangeCase{"PasteStartingWithALineBreak", u"", u"\r\n  \r\nAT+GPSTEST=0\r\n", 20, 254,
                   false, u"AT+GPSTEST=0", 12},
        ChangeCase{"PasteReplacingASelectionMidText", u"abcdef",
                   u"ab"
                   u"X\nY"
                   u"ef",
                   5, 64, false, u"abXef", 3},
        ChangeCase{"PasteOfOnlyLineBreaksRefused", u"ab", u"ab\n \n", 5, 64, false, std::nullopt,
                   0},
        ChangeCase{"BlanksOfASingleLineKept", u"", u"  internet  ", 12, 64, false, u"  internet  ",
                   12},
        ChangeCase{"RepeatedCharacterInserted", u"11", u"111", 1, 15, true, u"111", 1},
        ChangeCase{"WholeTextReplaced", u"abc", u"xyz", 3, 6, false, u"xyz", 3},
        ChangeCase{"NeverHalfACharacter", u"", u"a\U0001F600", 3, 2, false, u"a", 1},
        ChangeCase{"UnicodeLineSeparator", u"", u"APN\u2028other", 9, 64, false, u"APN", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FirstLine, IsTheFirstLineHoldingMoreThanBlanks) {
    EXPECT_EQ(FirstLine(u"  one line  "), u"  one line  ");
    EXPECT_EQ(FirstLine(u"\n\t \r\nsecond\nthird"), u"second");
    EXPECT_EQ(FirstLine(u"\f\v\u0085\u2029"), u"");
    EXPECT_EQ(FirstLine(u""), u"");
}

} // namespace
