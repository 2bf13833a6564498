#include <gtest/gtest.h>

#include "RecordingSender.h"
#include "device/DeviceCommand.h"
#include "devicetest/DeviceTestCommands.h"
#include "devicetest/TestItem.h"
#include "devicetest/ToggleAlternation.h"

namespace {

struct WireCase {
    std::u16string_view command;
    const char* handedOver; // the 8-bit text SendLine receives
};

class WireText : public testing::TestWithParam<WireCase> {};

TEST_P(WireText, IsHandedOverAsEightBitTextAndFollowedByAnEmptyLine) {
    RecordingSender sender;
    ASSERT_TRUE(SendDeviceCommand(sender, GetParam().command));
    ASSERT_EQ(sender.lines.size(), 1u);
    EXPECT_EQ(sender.lines[0], GetParam().handedOver);
    EXPECT_EQ(sender.Wire(0), std::string(GetParam().handedOver) + "\r\n");
}

using namespace DeviceTestCommands;

INSTANTIATE_TEST_SUITE_P(FactoryTestCommands, WireText,
                         testing::Values(WireCase{TestItems()[0].command, "AT+TEST_SIM=1\r\n"},
                                         WireCase{TestItems()[1].command, "AT+TEST_GSM=1\r\n"},
                                         WireCase{TestItems()[2].command, "AT+TEST_GPS=1\r\n"},
                                         WireCase{TestItems()[3].command, "AT+TEST_GSENSOR=1\r\n"},
                                         WireCase{TestItems()[4].command, "AT+TEST_ACC=1\r\n"},
                                         WireCase{TestItems()[5].command, "AT+TEST_EXTPOWER=1\r\n"},
                                         WireCase{kReadParameters, "AT+TEST=1\r\n"},
                                         WireCase{kRelayOn, "AT+TEST_RELAY=1\r\n"},
                                         WireCase{kRelayOff, "AT+TEST_RELAY=0\r\n"},
                                         WireCase{kBeepOn, "AT+TEST_BEEP=1\r\n"},
                                         WireCase{kBeepOff, "AT+TEST_BEEP=0\r\n"},
                                         WireCase{kKeepAwake, "AT+ESLP=0\r\n"},
                                         WireCase{kGpsTestOutputOff, "AT+GPSTEST=0\r\n"},
                                         WireCase{kGpsTestOutputOn, "AT+GPSTEST=1\r\n"},
                                         WireCase{u"", ""}));

TEST(WireText, GsmTestIsSeventeenBytesOnTheWire) {
    RecordingSender sender;
    ASSERT_TRUE(SendDeviceCommand(sender, TestItems()[kItemGsm].command));
    EXPECT_EQ(sender.Wire(0), "AT+TEST_GSM=1\r\n\r\n");
    EXPECT_EQ(sender.Wire(0).size(), 17u);
}

TEST(ToggleAlternation, FirstStepSwitchesOnThenAlternatesForEachToggleOnItsOwn) {
    relayToggleCount = 0;
    beepToggleCount = 0;
    EXPECT_EQ(RelayToggleStep(), u"AT+TEST_RELAY=1\r\n");
    EXPECT_EQ(RelayToggleStep(), u"AT+TEST_RELAY=0\r\n");
    EXPECT_EQ(RelayToggleStep(), u"AT+TEST_RELAY=1\r\n");
    EXPECT_EQ(BeepToggleStep(), u"AT+TEST_BEEP=1\r\n");
    EXPECT_EQ(BeepToggleStep(), u"AT+TEST_BEEP=0\r\n");
    EXPECT_EQ(relayToggleCount, 3u);
    EXPECT_EQ(beepToggleCount, 2u);
}

} // namespace
