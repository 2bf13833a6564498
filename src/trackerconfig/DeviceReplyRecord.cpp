#include "trackerconfig/DeviceReplyRecord.h"

DeviceReplyRecord theDeviceReplyRecord{};

bool GetReplyField(ReplyType type, const char*& field, const DeviceReplyRecord& record) {
    switch (type) {
    case ReplyType::Id:
        field = record.id;
        return true;
    case ReplyType::Imei:
        field = record.imei;
        return true;
    case ReplyType::Password:
        field = record.password;
        return true;
    case ReplyType::Ip:
        field = record.ip;
        return true;
    case ReplyType::Port:
        field = record.port;
        return true;
    case ReplyType::Apn:
        field = record.apn;
        return true;
    case ReplyType::TimeZone:
        field = record.timeZone;
        return true;
    case ReplyType::IntervalOn:
        field = record.intervalOn;
        return true;
    case ReplyType::IntervalOff:
        field = record.intervalOff;
        return true;
    case ReplyType::ExtPowerAlarm:
        field = record.extPowerAlarm;
        return true;
    case ReplyType::VibrationAlarm:
        field = record.vibrationAlarm;
        return true;
    case ReplyType::None:
        break;
    }
    return false;
}

ReplyType SecondFieldOf(ReplyType type) {
    switch (type) {
    case ReplyType::Ip:
        return ReplyType::Port;
    case ReplyType::IntervalOn:
        return ReplyType::IntervalOff;
    default:
        return ReplyType::None;
    }
}
