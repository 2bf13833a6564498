#pragma once
// Working mode commands. The mode number is the position in the page's mode list; Day Mode and
// Week Mode go out as modes 8 and 10 on the wire, NDay and Month Mode have no command.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "trackerconfig/CommandCheck.h"

inline constexpr std::size_t kModeCount = 10;
inline constexpr int kDayModePosition = 6;
inline constexpr int kWeekModePosition = 8;

// "Sleep Mode" … "Month Mode", in list order.
const std::array<std::u16string_view, kModeCount>& ModeNames();

// The fixed command of positions 0 … 5; an empty command (only CR LF reaches the device) for
// every other position, including no selection (-1). Day and Week Mode need their schedules:
// use ModeWrite, DayModeCommand or WeekModeCommand for them.
std::u16string ModeCommand(int position);

struct WakeupSlot {
    bool checked = false;
    int hour = 0; // 0 … 23
    int minute = 0;
};

// Index 0 is Sunday, then Monday … Saturday, as the page lists them.
using WeekDays = std::array<bool, 7>;

struct WeekSchedule {
    int hour = 0;
    int minute = 0;
    WeekDays days{};
};

// "AT+SMS=MODE,864209,8," with the checked slots as HHMM joined by ",", then "#\r\n".
CommandCheck DayModeCommand(const std::array<WakeupSlot, 4>& slots);

// The checked days as "7,1,5#\r\n" (Sunday = 7, Monday … Saturday = 1 … 6, in list order);
// empty when no day is checked.
std::u16string FormatWeekDays(const WeekDays& days);

// "AT+SMS=mode,864209,10," HHMM "," then FormatWeekDays.
CommandCheck WeekModeCommand(const WeekSchedule& week);

// The Mode Write button: by the selected list position.
CommandCheck ModeWrite(int position, const std::array<WakeupSlot, 4>& slots,
                       const WeekSchedule& week);
