#include "trackerconfig/ReadCommand.h"

std::u16string ReadCommand(ReadTarget target, std::u16string_view password) {
    std::u16string_view keyword;
    std::u16string_view tail = u"#\r\n";
    switch (target) {
    case ReadTarget::Id:
        keyword = u"AT+SMS=ID?,";
        break;
    case ReadTarget::Imei:
        keyword = u"AT+SMS=IMEI?,";
        break;
    case ReadTarget::Password:
        keyword = u"AT+SMS=PASSWORD?,";
        break;
    case ReadTarget::IpAndPort:
        keyword = u"AT+SMS=IP?,";
        break;
    case ReadTarget::Apn:
        keyword = u"AT+SMS=APN?,";
        break;
    case ReadTarget::TimeZone:
        keyword = u"AT+SMS=TIMEZONE?,";
        break;
    case ReadTarget::Mode:
        keyword = u"AT+SMS=MODE?,";
        break;
    case ReadTarget::ReportIntervals:
        keyword = u"AT+SMS=interval?,";
        break;
    case ReadTarget::ExtPowerAlarm:
        keyword = u"AT+SMS=alarmmode?,";
        tail = u",5#\r\n";
        break;
    case ReadTarget::VibrationAlarm:
        keyword = u"AT+SMS=alarmmode?,";
        tail = u",2#\r\n";
        break;
    case ReadTarget::LowBatteryAlarm:
        keyword = u"AT+SMS=alarmmode?,";
        tail = u",12#\r\n";
        break;
    case ReadTarget::DisplacementAlarm:
        keyword = u"AT+SMS=displace?,";
        break;
    }
    std::u16string command(keyword);
    command += password;
    command += tail;
    return command;
}
