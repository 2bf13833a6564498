#include "displays/CAverage.h"

void CAverage::Add(double value) {
    sum += value;
    ++count;
}

double CAverage::Average() const {
    if (count == 0) {
        return 0.0;
    }
    return sum / static_cast<double>(count);
}

void CAverage::Reset() {
    sum = 0.0;
    count = 0;
}
