#pragma once
// The GPS/GLONASS receiver behind the simulated tracker: a fixed set of satellites that drift
// slowly across the sky, and a position that walks along a small closed track. Everything is
// a function of the seed and of the simulated time, so a run repeats exactly.

#include "Prng.h"

#include <cstdint>
#include <string>
#include <vector>

struct ReceiverConfig {
    // Centre of the track: the Royal Observatory, Greenwich.
    double latitude = 51.4779;
    double longitude = -0.0015;
    std::uint64_t seed = 1;
    double startSecondsOfDay = 10 * 3600.0; // UTC time of the first epoch
    double fixAfterSeconds = 0.0;           // no position before this much simulated time
};

struct SimSatellite {
    int prn = 0;
    double elevation = 0.0; // degrees
    double azimuth = 0.0;   // degrees, 0 to 360
    double snr = 0.0;       // dB-Hz
    bool used = false;      // in the solution of the current epoch

    // Motion over the sky, fixed at start.
    double elevationBase = 0.0;
    double elevationAmplitude = 0.0;
    double elevationPhase = 0.0;
    double elevationRate = 0.0; // radians per second
    double azimuthStart = 0.0;
    double azimuthRate = 0.0; // degrees per second
    double snrOffset = 0.0;
    double snrWalk = 0.0;
};

class ReceiverModel {
public:
    explicit ReceiverModel(const ReceiverConfig& config);

    // Moves simulated time on by the given number of seconds.
    void Advance(double seconds);

    // The sentence bodies of the current epoch (no "$", no checksum), in output order:
    // GGA, GSA of the GPS satellites used, GSA of the GLONASS satellites used, VTG, then the
    // GPGSV and GLGSV cycles.
    std::vector<std::string> SentenceBodies() const;

    bool HasFix() const { return m_elapsed >= m_config.fixAfterSeconds; }
    double Elapsed() const { return m_elapsed; }
    double Latitude() const { return m_latitude; }
    double Longitude() const { return m_longitude; }
    double Altitude() const { return m_altitude; }
    // GPS list: GPS satellites followed by the SBAS ones; GLONASS list: GLONASS satellites.
    const std::vector<SimSatellite>& GpsSatellites() const { return m_gps; }
    const std::vector<SimSatellite>& GlonassSatellites() const { return m_glonass; }

private:
    void Update(double step);
    std::string Gga() const;
    std::string Gsa(const std::vector<SimSatellite>& satellites, double pdop, double hdop,
                    double vdop) const;
    std::string Vtg() const;
    static void AppendGsv(std::vector<std::string>& out, const char* talker,
                          const std::vector<SimSatellite>& satellites);

    ReceiverConfig m_config;
    Prng m_prng;
    double m_elapsed = 0.0;

    std::vector<SimSatellite> m_gps;
    std::vector<SimSatellite> m_glonass;

    // Track: a circle around the centre, with a little wander on top.
    double m_trackRadius = 0.0;  // metres
    double m_trackStart = 0.0;   // radians
    double m_trackRate = 0.0;    // radians per second, sign gives the direction
    double m_wanderNorth = 0.0;  // metres
    double m_wanderEast = 0.0;   // metres
    double m_baseAltitude = 0.0; // metres
    double m_altitudeWalk = 0.0;
    double m_dopWalk = 0.0;

    double m_latitude = 0.0;
    double m_longitude = 0.0;
    double m_altitude = 0.0;
    double m_course = 0.0; // degrees true
    double m_speed = 0.0;  // metres per second
    double m_hdop = 0.0;   // combined, as in GGA
    double m_gpsDop[3]{};  // PDOP, HDOP, VDOP
    double m_glonassDop[3]{};
};
