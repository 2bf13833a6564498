// The device library's own pieces: the narrowing of UTF-16 commands to the device's 8-bit
// text, and the decoding of the device's and the files' 8-bit text.

#include <gtest/gtest.h>

#include "RecordingSender.h"
#include "device/DeviceCommand.h"
#include "device/DeviceCommands.h"
#include "device/Local8Bit.h"

#include <string>

TEST(NarrowDeviceCommand, KeepsTheLowByteOfEachUnit) {
    const auto bytes = NarrowDeviceCommand(u"A\u00e9\u4e2d");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, std::string("A\xe9\x2d"));
}

TEST(NarrowDeviceCommand, AcceptsAtMost255Characters) {
    const std::u16string longest(255, u'x');
    const auto bytes = NarrowDeviceCommand(longest);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, std::string(255, 'x'));

    EXPECT_FALSE(NarrowDeviceCommand(std::u16string(256, u'x')).has_value());
    EXPECT_FALSE(NarrowDeviceCommand(std::u16string(5000, u'x')).has_value());
}

TEST(SendDeviceCommand, RefusesAnOverlongCommandWithoutSending) {
    RecordingSender sender;
    EXPECT_FALSE(SendDeviceCommand(sender, std::u16string(256, u'A')));
    EXPECT_TRUE(sender.lines.empty());
}

TEST(TypedForm, DropsOnlyTheLineEnding) {
    EXPECT_EQ(DeviceCommands::TypedForm(DeviceCommands::kGpsTestOutputOn), u"AT+GPSTEST=1");
    EXPECT_EQ(DeviceCommands::TypedForm(u"AT+X"), u"AT+X");
    EXPECT_EQ(DeviceCommands::TypedForm(u"AT+X\n"), u"AT+X\n");
}

// The pages decode the device's block with the toolkit, which replaces each byte of a broken
// sequence on its own; values from the file must come out the same or a file in another
// encoding (GBK on many benches) would never match its own device.
TEST(DecodeLocal8Bit, ReplacesEachByteOfABrokenSequence) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"\xe4\xb8\xad", u"中"},
        {"\xe4\xb8"
         "A",
         u"\uFFFD\uFFFDA"},                                // a GBK character, then ASCII
        {"\xe4\xb8", u"\uFFFD\uFFFD"},                     // cut short at the end
        {"\xc0\x80", u"\uFFFD\uFFFD"},                     // overlong
        {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},           // surrogate
        {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\xf0\x9f\x98\x80", u"\U0001F600"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(DecodeLocal8Bit(bytes), text) << testing::PrintToString(std::string(bytes));
    }
}
