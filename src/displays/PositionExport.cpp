#include "displays/PositionExport.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Days since 1970-01-01 to a proleptic Gregorian date.
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

bool Finite(double v) {
    return std::isfinite(v);
}

// GPX wants longitudes in -180 <= lon < 180.
double GpxLongitude(double longitude) {
    double lon = std::remainder(longitude, 360.0);
    if (lon >= 180.0)
        lon -= 360.0;
    return lon;
}

} // namespace

std::string IsoUtcTime(std::int64_t utcMs) {
    if (utcMs == 0)
        return {};
    const std::int64_t days = FloorDiv(utcMs, 86400000);
    const std::int64_t msOfDay = utcMs - days * 86400000;
    std::int64_t year = 0;
    int month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    const int hour = static_cast<int>(msOfDay / 3600000);
    const int minute = static_cast<int>(msOfDay / 60000 % 60);
    const int second = static_cast<int>(msOfDay / 1000 % 60);
    const int ms = static_cast<int>(msOfDay % 1000);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d.%03dZ",
                  static_cast<long long>(year), month, day, hour, minute, second, ms);
    return text;
}

std::string FixedDecimal(double value, int decimals) {
    if (!Finite(value))
        return {};
    char text[400];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return {};
    std::string out(text, result.ptr);
    if (!out.empty() && out.front() == '-' && out.find_first_of("123456789") == std::string::npos)
        out.erase(0, 1);
    return out;
}

std::string GpxFixType(int fixQuality) {
    switch (fixQuality) {
    case 0:
        return "none";
    case 2:
    case 4:
    case 5:
        return "dgps";
    case 3:
        return "pps";
    default:
        return {};
    }
}

std::string PositionsCsv(const std::vector<PositionSample>& samples) {
    std::string out = "time,latitude,longitude,altitude,hdop,fix_quality\r\n";
    out.reserve(out.size() + samples.size() * 72);
    for (const PositionSample& s : samples) {
        out += IsoUtcTime(s.utcMs);
        out += ',';
        out += FixedDecimal(s.latitude, 7);
        out += ',';
        out += FixedDecimal(s.longitude, 7);
        out += ',';
        out += FixedDecimal(s.altitude, 3);
        out += ',';
        out += FixedDecimal(s.hdop, 2);
        out += ',';
        out += std::to_string(s.fixQuality);
        out += "\r\n";
    }
    return out;
}

std::string PositionsGpx(const std::vector<PositionSample>& samples) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Tollbrook\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
        "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
        "  <trk>\n"
        "    <name>Scatter plot positions</name>\n"
        "    <trkseg>\n";
    out.reserve(out.size() + samples.size() * 200);
    for (const PositionSample& s : samples) {
        // A point without both coordinates is not a valid track point.
        if (!Finite(s.latitude) || !Finite(s.longitude) || std::fabs(s.latitude) > 90.0)
            continue;
        out += "      <trkpt lat=\"" + FixedDecimal(s.latitude, 7) + "\" lon=\"" +
               FixedDecimal(GpxLongitude(s.longitude), 7) + "\">\n";
        // The schema fixes the order: ele, time, fix, hdop, vdop.
        if (Finite(s.altitude))
            out += "        <ele>" + FixedDecimal(s.altitude, 3) + "</ele>\n";
        if (const std::string time = IsoUtcTime(s.utcMs); !time.empty())
            out += "        <time>" + time + "</time>\n";
        if (const std::string fix = GpxFixType(s.fixQuality); !fix.empty())
            out += "        <fix>" + fix + "</fix>\n";
        if (Finite(s.hdop))
            out += "        <hdop>" + FixedDecimal(s.hdop, 2) + "</hdop>\n";
        if (Finite(s.vdop))
            out += "        <vdop>" + FixedDecimal(s.vdop, 2) + "</vdop>\n";
        out += "      </trkpt>\n";
    }
    out += "    </trkseg>\n  </trk>\n</gpx>\n";
    return out;
}
