#pragma once

// Running least-squares straight line over every sample since the last Reset (no window, no
// weighting). x is the 1-based sample number.
class LeastSquaresLine {
public:
    // After the first sample the fit is the constant 0, not the sample: the denominator is 0
    // and the intercept keeps its previous value.
    void Add(double x, double y);
    double ValueAt(double x) const { return slope * x + intercept; }
    // Leaves slope alone: the next Add recomputes it before anything reads it.
    void Reset();

    double sumX = 0.0;
    double sumY = 0.0;
    double sumXY = 0.0;
    double sumXX = 0.0;
    double samples = 0.0;
    double slope = 0.0;
    double intercept = 0.0;
};
