#include "displays/DestinationPoint.h"

#include <cmath>

GeoPoint DestinationPoint(double lat1, double lon1, double bearing, double distance) {
    constexpr double kB = 6356752.3142;
    constexpr double kASquaredMinusBSquared = 272331606681.9453;
    constexpr double kBSquared = 40408299984087.055;
    constexpr double kF = 0.0033528106647474805;
    constexpr double kOneMinusF = 0.9966471893352525;
    constexpr double kDegToRad = 0.017453292519943295;
    constexpr double kRadToDeg = 57.29577951308232;
    // The series converges in a handful of steps for every real input; the cap only keeps a
    // NaN or infinite argument from spinning forever.
    constexpr int kMaxIterations = 1000;

    const double alpha1 = bearing * kDegToRad;
    const double sinAlpha1 = std::sin(alpha1);
    const double cosAlpha1 = std::cos(alpha1);

    const double tanU1 = kOneMinusF * std::tan(lat1 * kDegToRad);
    const double cosU1 = 1.0 / std::sqrt(tanU1 * tanU1 + 1.0);
    const double sinU1 = tanU1 * cosU1;
    const double sigma1 = std::atan2(tanU1, cosAlpha1);

    const double sinAlpha = cosU1 * sinAlpha1;
    const double cos2Alpha = 1.0 - sinAlpha * sinAlpha;
    const double u2 = cos2Alpha * kASquaredMinusBSquared / kBSquared;

    const double a = 1.0 + u2 / 16384.0 * (4096.0 + u2 * (-768.0 + u2 * (320.0 - 175.0 * u2)));
    const double b = u2 / 1024.0 * (256.0 + u2 * (-128.0 + u2 * (74.0 - 47.0 * u2)));

    double sigma = distance / (kB * a);
    double cos2SigmaM = 0.0;
    for (int i = 0; i < kMaxIterations; ++i) {
        cos2SigmaM = std::cos(2.0 * sigma1 + sigma);
        const double sinSigma = std::sin(sigma);
        const double cosSigma = std::cos(sigma);
        const double deltaSigma =
            b * sinSigma *
            (cos2SigmaM + b / 4.0 *
                              (cosSigma * (2.0 * cos2SigmaM * cos2SigmaM - 1.0) -
                               b / 6.0 * cos2SigmaM * (4.0 * sinSigma * sinSigma - 3.0) *
                                   (4.0 * cos2SigmaM * cos2SigmaM - 3.0)));
        const double next = distance / (kB * a) + deltaSigma;
        const bool converged = std::fabs(next - sigma) < 1e-13;
        sigma = next;
        if (converged || !std::isfinite(sigma)) {
            break;
        }
    }

    const double sinSigma = std::sin(sigma);
    const double cosSigma = std::cos(sigma);
    const double tmp = sinU1 * sinSigma - cosU1 * cosSigma * cosAlpha1;
    const double lat2 = std::atan2(sinU1 * cosSigma + cosU1 * sinSigma * cosAlpha1,
                                   kOneMinusF * std::sqrt(sinAlpha * sinAlpha + tmp * tmp));
    const double lambda =
        std::atan2(sinSigma * sinAlpha1, cosU1 * cosSigma - sinU1 * sinSigma * cosAlpha1);
    const double c = kF / 16.0 * cos2Alpha * (4.0 + kF * (4.0 - 3.0 * cos2Alpha));
    const double l =
        lambda -
        (1.0 - c) * kF * sinAlpha *
            (sigma +
             c * sinSigma * (cos2SigmaM + c * cosSigma * (2.0 * cos2SigmaM * cos2SigmaM - 1.0)));
    const double lon2 = lon1 * kDegToRad + l;
    return {lat2 * kRadToDeg, lon2 * kRadToDeg};
}
