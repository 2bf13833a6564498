#pragma once
// What the host asks before it clears a plot (Yes/No, exclamation icon): string 129 for the
// position plot, which takes the averages with it, and string 130 for the scatter plot.

inline constexpr char kClearPositionPlotsQuestion[] =
    "Clearing the position plots will also clear the averages. Do you want to continue with "
    "this?";
inline constexpr char kClearScatterPlotQuestion[] =
    "This will clear the scatter plot. However, the averages will not be affected. Do you want "
    "to continue with this/";
