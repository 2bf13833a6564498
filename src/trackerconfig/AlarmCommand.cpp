#include "trackerconfig/AlarmCommand.h"

std::u16string AlarmCommand(Alarm alarm, bool on) {
    std::u16string command;
    switch (alarm) {
    case Alarm::ExtPower:
        command = u"AT+SMS=alarmmode,864209,5,";
        break;
    case Alarm::Vibration:
        command = u"AT+SMS=alarmmode,864209,2,";
        break;
    case Alarm::LowBattery:
        command = u"AT+SMS=alarmmode,864209,12,";
        break;
    case Alarm::Displacement:
        // The displacement alarm's "on" value differs from the alarm modes'.
        command = u"AT+SMS=displace,864209,";
        command += on ? u"5#\r\n" : u"0#\r\n";
        return command;
    }
    command += on ? u"4#\r\n" : u"0#\r\n";
    return command;
}
