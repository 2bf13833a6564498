#pragma once

#include <string>

enum class Alarm {
    ExtPower,
    Vibration,
    LowBattery,
    Displacement,
};

// The alarm switch; `on` is the row's "On" radio (unchecked counts as Off).
std::u16string AlarmCommand(Alarm alarm, bool on);
