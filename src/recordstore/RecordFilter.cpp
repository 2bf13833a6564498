#include "recordstore/RecordFilter.h"

#include <chrono>
#include <cstdio>

namespace {

std::optional<std::chrono::year_month_day> Day(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    int value[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int part = 0; part < 3; ++part) {
        for (std::size_t i = 0; i < lengths[part]; ++i) {
            const char c = text[starts[part] + i];
            if (c < '0' || c > '9')
                return std::nullopt;
            value[part] = value[part] * 10 + (c - '0');
        }
    }
    const std::chrono::year_month_day day{std::chrono::year(value[0]),
                                          std::chrono::month(static_cast<unsigned>(value[1])),
                                          std::chrono::day(static_cast<unsigned>(value[2]))};
    if (!day.ok())
        return std::nullopt;
    return day;
}

std::string Text(std::chrono::year_month_day day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

} // namespace

bool IsRecordDate(std::string_view text) {
    return Day(text).has_value();
}

std::string StartedFrom(const RecordFilter& filter) {
    if (!IsRecordDate(filter.sinceDate))
        return {};
    return filter.sinceDate + "T00:00:00Z";
}

std::string StartedBefore(const RecordFilter& filter) {
    const auto day = Day(filter.untilDate);
    if (!day)
        return {};
    const auto next =
        std::chrono::year_month_day(std::chrono::sys_days(*day) + std::chrono::days(1));
    return Text(next) + "T00:00:00Z";
}

std::string FilterError(const RecordFilter& filter) {
    for (const std::string* date : {&filter.sinceDate, &filter.untilDate}) {
        if (!date->empty() && !IsRecordDate(*date))
            return "'" + *date + "' is not a date (YYYY-MM-DD)";
    }
    return {};
}

bool Matches(const RecordFilter& filter, const TestRecord& record) {
    if (!filter.imeiPart.empty() && record.imei.find(filter.imeiPart) == std::string::npos)
        return false;
    if (filter.verdict && record.verdict != *filter.verdict)
        return false;
    if (!filter.station.empty() && record.station != filter.station)
        return false;
    const std::string from = StartedFrom(filter);
    if (!from.empty() && record.startedAt < from)
        return false;
    const std::string before = StartedBefore(filter);
    if (!before.empty() && record.startedAt >= before)
        return false;
    return true;
}
