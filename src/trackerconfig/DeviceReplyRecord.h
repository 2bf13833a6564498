#pragma once
// The fields of the last configuration replies, as the device sent them (8-bit text, NUL
// terminated, cut to the field width less one).

#include <cstddef>

#include "device/ReplyType.h"

struct DeviceReplyRecord {
    char id[17];
    char imei[17];
    char password[10];
    char ip[66];
    char port[12];
    char apn[66];
    char timeZone[8];
    char intervalOn[12];
    char intervalOff[12];
    char extPowerAlarm[18];  // "ON,<state>" or "OFF,0"
    char vibrationAlarm[18]; // the same
};

// The process-wide record the main frame's receive tick stores into. Starts zero-filled.
extern DeviceReplyRecord theDeviceReplyRecord;

// The stored text of a reply type; false (and `field` untouched) outside 1 … 11.
bool GetReplyField(ReplyType type, const char*& field,
                   const DeviceReplyRecord& record = theDeviceReplyRecord);

// The IP and interval replies carry two fields: the page gets the second right after the first.
// Port for Ip, IntervalOff for IntervalOn, None for every other type.
ReplyType SecondFieldOf(ReplyType type);
