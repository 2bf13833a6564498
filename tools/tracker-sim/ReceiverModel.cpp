#include "ReceiverModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr double kMetresPerDegree = 111320.0;
constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr double kGeoidSeparation = 47.0;
constexpr double kMagneticDeclination = 1.2;
constexpr int kMaxUsedPerGsa = 12;

// A random subset of count distinct PRNs from [lo, hi], in ascending order.
std::vector<int> PickPrns(Prng& prng, int lo, int hi, int count) {
    std::vector<int> pool;
    for (int prn = lo; prn <= hi; ++prn)
        pool.push_back(prn);
    for (int i = 0; i < count; ++i)
        std::swap(pool[static_cast<std::size_t>(i)],
                  pool[static_cast<std::size_t>(prng.Int(i, static_cast<int>(pool.size()) - 1))]);
    pool.resize(static_cast<std::size_t>(count));
    std::sort(pool.begin(), pool.end());
    return pool;
}

SimSatellite MovingSatellite(Prng& prng, int prn) {
    SimSatellite s;
    s.prn = prn;
    s.elevationBase = prng.Uniform(18.0, 70.0);
    s.elevationAmplitude = prng.Uniform(3.0, std::min(15.0, s.elevationBase - 10.0));
    s.elevationPhase = prng.Uniform(0.0, 2.0 * std::numbers::pi);
    s.elevationRate = 2.0 * std::numbers::pi / prng.Uniform(1800.0, 3600.0);
    s.azimuthStart = prng.Uniform(0.0, 360.0);
    s.azimuthRate = prng.Uniform(0.01, 0.04) * (prng.Chance(0.5) ? 1.0 : -1.0);
    s.snrOffset = prng.Uniform(-4.0, 4.0);
    return s;
}

// Geostationary: it hangs in the southern (or, south of the equator, northern) sky.
SimSatellite SbasSatellite(Prng& prng, int prn, double latitude) {
    SimSatellite s;
    s.prn = prn;
    s.elevationBase = prng.Uniform(22.0, 40.0);
    s.azimuthStart = (latitude >= 0.0 ? 180.0 : 0.0) + prng.Uniform(-50.0, 50.0);
    s.snrOffset = prng.Uniform(-2.0, 2.0);
    return s;
}

double Wrap360(double degrees) {
    degrees = std::fmod(degrees, 360.0);
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

int UsedCount(const std::vector<SimSatellite>& satellites) {
    return static_cast<int>(std::count_if(satellites.begin(), satellites.end(),
                                          [](const SimSatellite& s) { return s.used; }));
}

// "ddmm.mmmmm,N" or "dddmm.mmmmm,E" (digits as given), rounding before the split so that
// the minutes never read 60.
std::string Coordinate(double degrees, int degreeDigits, char positive, char negative) {
    const long long units = std::llround(std::fabs(degrees) * 60.0 * 100000.0);
    const long long whole = units / 6000000;
    const long long minutes = units % 6000000;
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%05lld,%c", degreeDigits, whole,
                  minutes / 100000, minutes % 100000, degrees < 0.0 ? negative : positive);
    return text;
}

} // namespace

ReceiverModel::ReceiverModel(const ReceiverConfig& config) : m_config(config), m_prng(config.seed) {
    const int gpsCount = m_prng.Int(7, 10);
    const int sbasCount = m_prng.Int(1, 2);
    const int glonassCount = m_prng.Int(6, 8);
    for (const int prn : PickPrns(m_prng, 1, 32, gpsCount))
        m_gps.push_back(MovingSatellite(m_prng, prn));
    // The SBAS PRNs in service sit in 33 to 51.
    for (const int prn : PickPrns(m_prng, 33, 51, sbasCount))
        m_gps.push_back(SbasSatellite(m_prng, prn, config.latitude));
    // GLONASS slots 1 to 24 are reported as 65 to 88.
    for (const int prn : PickPrns(m_prng, 65, 88, glonassCount))
        m_glonass.push_back(MovingSatellite(m_prng, prn));

    m_trackRadius = m_prng.Uniform(80.0, 200.0);
    m_trackStart = m_prng.Uniform(0.0, 2.0 * std::numbers::pi);
    const double speed = m_prng.Uniform(0.8, 1.6); // walking pace
    m_trackRate = speed / m_trackRadius * (m_prng.Chance(0.5) ? 1.0 : -1.0);
    m_baseAltitude = m_prng.Uniform(20.0, 60.0);
    Update(0.0);
}

void ReceiverModel::Advance(double seconds) {
    if (seconds <= 0.0)
        return;
    m_elapsed += seconds;
    Update(seconds);
}

void ReceiverModel::Update(double step) {
    const double t = m_elapsed;
    const double noise = std::sqrt(step);

    for (auto* list : {&m_gps, &m_glonass}) {
        for (auto& s : *list) {
            s.elevation = s.elevationBase +
                          s.elevationAmplitude * std::sin(s.elevationPhase + s.elevationRate * t);
            s.azimuth = Wrap360(s.azimuthStart + s.azimuthRate * t);
            s.snrWalk = std::clamp(s.snrWalk + 0.6 * noise * m_prng.Gauss(), -3.0, 3.0);
            s.snr = std::clamp(20.0 + 0.35 * s.elevation + s.snrOffset + s.snrWalk, 12.0, 50.0);
            const bool sbas = s.prn >= 33 && s.prn <= 64;
            s.used = HasFix() && !sbas && s.elevation >= 10.0 && s.snr >= 25.0;
        }
        // A receiver solves with at most 12 per constellation: keep the strongest.
        std::vector<SimSatellite*> used;
        for (auto& s : *list)
            if (s.used)
                used.push_back(&s);
        if (used.size() > kMaxUsedPerGsa) {
            std::sort(used.begin(), used.end(),
                      [](const SimSatellite* a, const SimSatellite* b) { return a->snr > b->snr; });
            for (std::size_t i = kMaxUsedPerGsa; i < used.size(); ++i)
                used[i]->used = false;
        }
    }

    // Position along the track.
    const double angle = m_trackStart + m_trackRate * t;
    m_wanderNorth = std::clamp(m_wanderNorth + 0.3 * noise * m_prng.Gauss(), -3.0, 3.0);
    m_wanderEast = std::clamp(m_wanderEast + 0.3 * noise * m_prng.Gauss(), -3.0, 3.0);
    const double north = m_trackRadius * std::cos(angle) + m_wanderNorth;
    const double east = m_trackRadius * std::sin(angle) + m_wanderEast;
    const double latitude = std::clamp(m_config.latitude, -89.0, 89.0);
    m_latitude = std::clamp(m_config.latitude + north / kMetresPerDegree, -90.0, 90.0);
    m_longitude = m_config.longitude + east / (kMetresPerDegree * std::cos(latitude / kDegrees));
    if (m_longitude > 180.0)
        m_longitude -= 360.0;
    else if (m_longitude < -180.0)
        m_longitude += 360.0;
    const double velocityNorth = -m_trackRadius * m_trackRate * std::sin(angle);
    const double velocityEast = m_trackRadius * m_trackRate * std::cos(angle);
    m_course = Wrap360(std::atan2(velocityEast, velocityNorth) * kDegrees);
    m_speed = std::max(0.0, std::hypot(velocityNorth, velocityEast) + 0.05 * m_prng.Gauss());

    m_altitudeWalk = std::clamp(m_altitudeWalk + 0.2 * noise * m_prng.Gauss(), -1.5, 1.5);
    m_altitude =
        m_baseAltitude + 3.0 * std::sin(2.0 * std::numbers::pi * t / 300.0) + m_altitudeWalk;

    // Dilutions follow the number of satellites in the solution.
    m_dopWalk = std::clamp(m_dopWalk + 0.02 * noise * m_prng.Gauss(), -0.15, 0.15);
    const auto fill = [this](double* dop, int used, double scale) {
        const double hdop =
            std::clamp(scale * 2.4 / std::sqrt(std::max(used, 1)) + m_dopWalk, 0.5, 9.0);
        const double pdop = hdop * 1.7;
        dop[0] = pdop;
        dop[1] = hdop;
        dop[2] = std::sqrt(pdop * pdop - hdop * hdop);
    };
    const int gpsUsed = UsedCount(m_gps);
    const int glonassUsed = UsedCount(m_glonass);
    fill(m_gpsDop, gpsUsed, 1.0);
    fill(m_glonassDop, glonassUsed, 1.1);
    m_hdop = std::clamp(2.4 / std::sqrt(std::max(gpsUsed + glonassUsed, 1)) + m_dopWalk, 0.5, 9.0);
}

std::vector<std::string> ReceiverModel::SentenceBodies() const {
    std::vector<std::string> out;
    out.push_back(Gga());
    out.push_back(Gsa(m_gps, m_gpsDop[0], m_gpsDop[1], m_gpsDop[2]));
    out.push_back(Gsa(m_glonass, m_glonassDop[0], m_glonassDop[1], m_glonassDop[2]));
    out.push_back(Vtg());
    AppendGsv(out, "GP", m_gps);
    AppendGsv(out, "GL", m_glonass);
    return out;
}

std::string ReceiverModel::Gga() const {
    const long long centi =
        std::llround((m_config.startSecondsOfDay + m_elapsed) * 100.0) % (86400LL * 100);
    char time[16];
    std::snprintf(time, sizeof time, "%02lld%02lld%02lld.%02lld", centi / 360000, centi / 6000 % 60,
                  centi / 100 % 60, centi % 100);
    char text[128];
    if (!HasFix()) {
        std::snprintf(text, sizeof text, "GNGGA,%s,,,,,0,00,99.99,,M,,M,,", time);
        return text;
    }
    const int used = UsedCount(m_gps) + UsedCount(m_glonass);
    std::snprintf(text, sizeof text, "GNGGA,%s,%s,%s,1,%02d,%.2f,%.1f,M,%.1f,M,,", time,
                  Coordinate(m_latitude, 2, 'N', 'S').c_str(),
                  Coordinate(m_longitude, 3, 'E', 'W').c_str(), std::min(used, 99), m_hdop,
                  m_altitude, kGeoidSeparation);
    return text;
}

std::string ReceiverModel::Gsa(const std::vector<SimSatellite>& satellites, double pdop,
                               double hdop, double vdop) const {
    std::string text = HasFix() ? "GNGSA,A,3" : "GNGSA,A,1";
    int listed = 0;
    char field[16];
    for (const auto& s : satellites) {
        if (!s.used || listed == kMaxUsedPerGsa)
            continue;
        std::snprintf(field, sizeof field, ",%02d", s.prn);
        text += field;
        ++listed;
    }
    for (; listed < kMaxUsedPerGsa; ++listed)
        text += ',';
    char dops[48];
    if (HasFix())
        std::snprintf(dops, sizeof dops, ",%.2f,%.2f,%.2f", pdop, hdop, vdop);
    else
        std::snprintf(dops, sizeof dops, ",99.99,99.99,99.99");
    return text + dops;
}

std::string ReceiverModel::Vtg() const {
    char text[96];
    if (!HasFix()) {
        std::snprintf(text, sizeof text, "GNVTG,,T,,M,,N,,K,N");
        return text;
    }
    std::snprintf(text, sizeof text, "GNVTG,%.2f,T,%.2f,M,%.3f,N,%.3f,K,A", m_course,
                  Wrap360(m_course - kMagneticDeclination), m_speed * 3600.0 / 1852.0,
                  m_speed * 3.6);
    return text;
}

void ReceiverModel::AppendGsv(std::vector<std::string>& out, const char* talker,
                              const std::vector<SimSatellite>& satellites) {
    const int count = static_cast<int>(satellites.size());
    const int messages = std::max(1, (count + 3) / 4);
    char text[160];
    for (int n = 0; n < messages; ++n) {
        int length =
            std::snprintf(text, sizeof text, "%sGSV,%d,%d,%02d", talker, messages, n + 1, count);
        for (int k = 4 * n; k < std::min(count, 4 * n + 4); ++k) {
            const auto& s = satellites[static_cast<std::size_t>(k)];
            length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                                    ",%02d,%02d,%03d,%02d", s.prn,
                                    static_cast<int>(std::lround(s.elevation)),
                                    static_cast<int>(std::lround(s.azimuth)) % 360,
                                    static_cast<int>(std::lround(s.snr)));
        }
        out.emplace_back(text, static_cast<std::size_t>(length));
    }
}
