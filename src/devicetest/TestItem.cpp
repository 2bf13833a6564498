#include "devicetest/TestItem.h"

namespace {

// The G-sensor's fail line is spelt as the verdict has always read ("GENSEOR"); keep it.
constexpr std::array<TestItem, kTestItemCount> kItems{{
    {u"SIM card", u"AT+TEST_SIM=1\r\n", 1, "AT+TEST_SIM==0", "AT+TEST_SIM==1", "AT+TEST_SIM==2",
     u"#SIM Fail\r\n"},
    {u"GSM network", u"AT+TEST_GSM=1\r\n", 2, "AT+TEST_GSM==0", "AT+TEST_GSM==1", "AT+TEST_GSM==2",
     u"#GSM Fail\r\n"},
    {u"GPS fixed", u"AT+TEST_GPS=1\r\n", 4, "AT+TEST_GPS==0", "AT+TEST_GPS==1", "AT+TEST_GPS==2",
     u"#GPS Fail\r\n"},
    {u"G-sensor", u"AT+TEST_GSENSOR=1\r\n", 8, "AT+TEST_GSENSOR==0", "AT+TEST_GSENSOR==1",
     "AT+TEST_GSENSOR==2", u"#GENSEOR Fail\r\n"},
    {u"ACC", u"AT+TEST_ACC=1\r\n", 16, "AT+TEST_ACC==0", "AT+TEST_ACC==1", "AT+TEST_ACC==2",
     u"#ACC Fail\r\n"},
    {u"external power", u"AT+TEST_EXTPOWER=1\r\n", 32, "AT+TEST_EXTPOWER==0", "AT+TEST_EXTPOWER==1",
     "AT+TEST_EXTPOWER==2", u"#EXT_POWER Fail\r\n"},
}};

} // namespace

const std::array<TestItem, kTestItemCount>& TestItems() {
    return kItems;
}
