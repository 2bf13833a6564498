#include "trackerconfig/TimeCalibrationCommand.h"

#include <cstdio>

#include "trackerconfig/FormatClamp.h"

std::u16string TimeCalibrationCommand(const LocalDateTime& now) {
    char text[96];
    const int n =
        std::snprintf(text, sizeof text, "AT+SMS=time,864209,%4d%02d%02d,%02d%02d%02d#\r\n",
                      now.year, now.month, now.day, now.hour, now.minute, now.second);
    return std::u16string(text, text + Clamp(n, sizeof text));
}
