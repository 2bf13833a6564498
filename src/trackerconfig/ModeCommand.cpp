#include "trackerconfig/ModeCommand.h"

#include <cstdio>

#include "trackerconfig/FormatClamp.h"

#include "trackerconfig/DevicePassword.h"

namespace {

constexpr std::array<std::u16string_view, kModeCount> kModeNames{
    u"Sleep Mode",   u"Normal Mode", u"Tracking Mode", u"LBS Mode",  u"Air Mode",
    u"GPS Log Mode", u"Day Mode",    u"NDay Mode",     u"Week Mode", u"Month Mode",
};

std::u16string HourMinute(int hour, int minute) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%02d%02d", hour, minute);
    return std::u16string(text, text + Clamp(n, sizeof text));
}

std::u16string FixedPrefix(std::u16string_view keyword, std::u16string_view modeNumber) {
    std::u16string command(keyword);
    command += u',';
    command += kFactoryPassword;
    command += u',';
    command += modeNumber;
    return command;
}

} // namespace

const std::array<std::u16string_view, kModeCount>& ModeNames() {
    return kModeNames;
}

std::u16string ModeCommand(int position) {
    if (position < 0 || position > 5) {
        return {};
    }
    const char16_t digit[2] = {static_cast<char16_t>(u'0' + position), 0};
    return FixedPrefix(u"AT+SMS=mode", digit) + u"#\r\n";
}

CommandCheck DayModeCommand(const std::array<WakeupSlot, 4>& slots) {
    std::u16string times;
    for (const auto& slot : slots) {
        if (!slot.checked) {
            continue;
        }
        if (!times.empty()) {
            times += u',';
        }
        times += HourMinute(slot.hour, slot.minute);
    }
    if (times.empty()) {
        return CommandCheck::Refuse(u"暂未选择唤醒时间点！！！请选择闹钟再进行设置");
    }
    // The device wants the upper-case keyword for this mode alone.
    return CommandCheck::Send(FixedPrefix(u"AT+SMS=MODE", u"8") + u',' + times + u"#\r\n");
}

std::u16string FormatWeekDays(const WeekDays& days) {
    std::u16string text;
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (days[i]) {
            text += static_cast<char16_t>(i == 0 ? u'7' : u'0' + i);
            text += u',';
        }
    }
    if (text.empty()) {
        return text;
    }
    text.pop_back();
    text += u"#\r\n";
    return text;
}

CommandCheck WeekModeCommand(const WeekSchedule& week) {
    const std::u16string days = FormatWeekDays(week.days);
    if (days.empty()) {
        return CommandCheck::Refuse(u"暂未选择星期！！！请选择星期后再进行设置");
    }
    return CommandCheck::Send(FixedPrefix(u"AT+SMS=mode", u"10") + u',' +
                              HourMinute(week.hour, week.minute) + u',' + days);
}

CommandCheck ModeWrite(int position, const std::array<WakeupSlot, 4>& slots,
                       const WeekSchedule& week) {
    if (position == kDayModePosition) {
        return DayModeCommand(slots);
    }
    if (position == kWeekModePosition) {
        return WeekModeCommand(week);
    }
    return CommandCheck::Send(ModeCommand(position));
}
