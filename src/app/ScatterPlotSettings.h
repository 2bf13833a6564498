#pragma once
// The values the frame hands to the scatter plot component. The component itself comes with
// the plots; until then the view keeps these so that the settings paths stay complete.

#include <cstdint>

struct ScatterPlotSettings {
    int32_t dopThresholdX100 = 300;
    int32_t centreMode = 2;
    int32_t recentrePending = 0;
    // Latitude and longitude in micro-degrees, altitude in millimetres.
    int32_t userCentre[3] = {0, 0, 0};
    int32_t averageCentre[2] = {0, 0};
    // Repaint requests, counted so that the callers' promises can be checked.
    int repaintRequests = 0;
    uint32_t samplesReceived = 0;
};

// trunc(value * scale) as a signed 32-bit number, saturated where the product does not fit
// (a stored setting can hold any double) and 0 for NaN.
int32_t TruncScaled(double value, double scale);
