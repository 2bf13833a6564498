#pragma once
// The scatter plot's fixes written out for other tools: CSV (RFC 4180, one fix a row) or a
// GPX 1.1 track. Numbers are written with '.' decimals whatever the locale.

#include <cstdint>
#include <string>
#include <vector>

#include "displays/PositionSample.h"

// "2026-12-11T02:36:38.250Z" for UTC milliseconds since 1970; empty for 0 (time unknown).
std::string IsoUtcTime(std::int64_t utcMs);

// value in fixed notation with `decimals` decimals, never "-0.000": a negative value that
// rounds to zero is written without its sign. Empty for NaN or an infinity.
std::string FixedDecimal(double value, int decimals);

// The GPX <fix> value for a GGA fix quality: "dgps" for differential and RTK fixes (2, 4, 5),
// "pps" for 3, "none" for 0; empty where GPX has no word for it (a plain GPS fix, whose
// dimension the GGA does not tell, and estimated, manual or simulated fixes).
std::string GpxFixType(int fixQuality);

// Header "time,latitude,longitude,altitude,hdop,fix_quality", then one row a fix: ISO-8601 UTC
// time (empty when unknown), degrees with 7 decimals, metres with 3, HDOP with 2 (empty when
// the fix carried none), the GGA fix quality. Lines end in CR LF.
std::string PositionsCsv(const std::vector<PositionSample>& samples);

// A GPX 1.1 document with one track of one segment, a <trkpt> a fix with <ele>, <time> (when
// known), <fix> (where GPX has a word for the quality), <hdop> and <vdop> (when known).
std::string PositionsGpx(const std::vector<PositionSample>& samples);
