#include "displays/LeastSquaresLine.h"

void LeastSquaresLine::Add(double x, double y) {
    sumY += y;
    sumX += x;
    sumXX += x * x;
    sumXY += x * y;
    samples += 1.0;
    const double d = sumXX * samples - sumX * sumX;
    if (d == 0.0) {
        slope = 0.0;
        return;
    }
    slope = (samples * sumXY - sumX * sumY) / d;
    intercept = (sumY - slope * sumX) / samples;
}

void LeastSquaresLine::Reset() {
    sumX = 0.0;
    sumY = 0.0;
    sumXY = 0.0;
    sumXX = 0.0;
    samples = 0.0;
    intercept = 0.0;
}
