#pragma once

#include <string>

struct LocalDateTime {
    int year = 0;
    int month = 0; // 1 … 12
    int day = 0;   // 1 … 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "AT+SMS=time,864209," then the given local time as YYYYMMDD,HHMMSS and "#\r\n".
std::u16string TimeCalibrationCommand(const LocalDateTime& now);
