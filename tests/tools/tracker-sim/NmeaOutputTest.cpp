#include "NmeaEmitter.h"
#include "NmeaSentence.h"
#include "ReceiverModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& body) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto comma = body.find(',', start);
        fields.push_back(body.substr(start, comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

int Int(const std::string& text) {
    return std::atoi(text.c_str());
}

double Angle(const std::string& value, int degreeDigits, const std::string& hemisphere) {
    const double degrees = std::atof(value.substr(0, degreeDigits).c_str()) +
                           std::atof(value.substr(degreeDigits).c_str()) / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

// Metres between two nearby points.
double Distance(double lat1, double lon1, double lat2, double lon2) {
    const double north = (lat2 - lat1) * 111320.0;
    const double east = (lon2 - lon1) * 111320.0 * std::cos(lat1 * M_PI / 180.0);
    return std::hypot(north, east);
}

struct Epoch {
    std::vector<std::string> gga, gpsGsa, glonassGsa, vtg;
    std::vector<std::vector<std::string>> gpgsv, glgsv;
};

// Splits one epoch's bodies by sentence and checks the order on the way.
Epoch Parse(const std::vector<std::string>& bodies) {
    Epoch e;
    EXPECT_GE(bodies.size(), 6u);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        auto f = Fields(bodies[i]);
        const std::string address = f[0];
        f.erase(f.begin());
        if (i == 0) {
            EXPECT_EQ(address, "GNGGA");
            e.gga = f;
        } else if (i == 1) {
            EXPECT_EQ(address, "GNGSA");
            e.gpsGsa = f;
        } else if (i == 2) {
            EXPECT_EQ(address, "GNGSA");
            e.glonassGsa = f;
        } else if (i == 3) {
            EXPECT_EQ(address, "GNVTG");
            e.vtg = f;
        } else if (address == "GPGSV") {
            EXPECT_TRUE(e.glgsv.empty()) << "GPS cycle after GLONASS";
            e.gpgsv.push_back(f);
        } else {
            EXPECT_EQ(address, "GLGSV");
            e.glgsv.push_back(f);
        }
    }
    return e;
}

// Checks one GSV cycle: numbering, in-view count, and returns the PRNs listed.
std::vector<int> CheckCycle(const std::vector<std::vector<std::string>>& cycle) {
    std::vector<int> prns;
    for (std::size_t n = 0; n < cycle.size(); ++n) {
        const auto& f = cycle[n];
        EXPECT_EQ(Int(f[0]), static_cast<int>(cycle.size()));
        EXPECT_EQ(Int(f[1]), static_cast<int>(n + 1));
        EXPECT_EQ((f.size() - 3) % 4, 0u);
        for (std::size_t k = 3; k + 3 < f.size(); k += 4) {
            prns.push_back(Int(f[k]));
            const int elevation = Int(f[k + 1]), azimuth = Int(f[k + 2]), snr = Int(f[k + 3]);
            EXPECT_TRUE(elevation >= 0 && elevation <= 90) << elevation;
            EXPECT_TRUE(azimuth >= 0 && azimuth < 360) << azimuth;
            EXPECT_TRUE(snr >= 10 && snr <= 55) << snr;
        }
        EXPECT_EQ(Int(f[2]), Int(cycle[0][2]));
    }
    EXPECT_EQ(static_cast<int>(prns.size()), Int(cycle.at(0).at(2)));
    EXPECT_EQ(cycle.size(), (prns.size() + 3) / 4);
    return prns;
}

std::vector<int> GsaPrns(const std::vector<std::string>& gsa) {
    std::vector<int> prns;
    for (std::size_t i = 2; i < 14; ++i)
        if (!gsa[i].empty())
            prns.push_back(Int(gsa[i]));
    return prns;
}

TEST(ReceiverOutput, EverySentenceFramedWithValidChecksum) {
    ReceiverModel model({});
    NmeaEmitter emitter({}, 1);
    for (int epoch = 0; epoch < 60; ++epoch, model.Advance(1.0)) {
        for (const auto& sentence : emitter.Emit(model.SentenceBodies())) {
            EXPECT_TRUE(IsValidNmeaSentence(sentence)) << sentence;
            EXPECT_LE(sentence.size(), 82u) << sentence; // the NMEA 0183 limit
        }
    }
}

TEST(ReceiverOutput, SatellitesAndSolutionInStatedRanges) {
    for (std::uint64_t seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ReceiverConfig config;
        config.seed = seed;
        ReceiverModel model(config);
        for (int epoch = 0; epoch < 900; epoch += 30, model.Advance(30.0)) {
            const auto e = Parse(model.SentenceBodies());
            const auto gps = CheckCycle(e.gpgsv);
            const auto glonass = CheckCycle(e.glgsv);
            ASSERT_TRUE(gps.size() >= 8 && gps.size() <= 12) << gps.size();
            const auto sbas =
                std::count_if(gps.begin(), gps.end(), [](int p) { return p >= 33 && p <= 64; });
            EXPECT_TRUE(sbas >= 1 && sbas <= 2) << sbas;
            for (const int prn : gps)
                EXPECT_TRUE(prn >= 1 && prn <= 64) << prn;
            ASSERT_TRUE(glonass.size() >= 6 && glonass.size() <= 8) << glonass.size();
            for (const int prn : glonass)
                EXPECT_TRUE(prn >= 65 && prn <= 96) << prn;

            // One GSA per constellation, each listing satellites it has in view, with DOPs.
            const auto usedGps = GsaPrns(e.gpsGsa), usedGlonass = GsaPrns(e.glonassGsa);
            EXPECT_GE(usedGps.size(), 4u);
            EXPECT_GE(usedGlonass.size(), 3u);
            for (const int prn : usedGps)
                EXPECT_TRUE(prn >= 1 && prn <= 32 &&
                            std::find(gps.begin(), gps.end(), prn) != gps.end())
                    << prn;
            for (const int prn : usedGlonass)
                EXPECT_NE(std::find(glonass.begin(), glonass.end(), prn), glonass.end()) << prn;
            for (const auto* gsa : {&e.gpsGsa, &e.glonassGsa}) {
                EXPECT_EQ((*gsa)[1], "3");
                for (std::size_t i = 14; i < 17; ++i)
                    EXPECT_GT(std::atof((*gsa)[i].c_str()), 0.0);
            }
            EXPECT_EQ(Int(e.gga[6]), static_cast<int>(usedGps.size() + usedGlonass.size()));
            const double hdop = std::atof(e.gga[7].c_str());
            EXPECT_TRUE(hdop >= 0.5 && hdop <= 3.0) << hdop;
        }
    }
}

TEST(ReceiverOutput, PositionMovesSlowlyAroundTheCentre) {
    ReceiverConfig config;
    config.latitude = -33.8568;
    config.longitude = 151.2153;
    ReceiverModel model(config);
    double firstLat = 0, firstLon = 0, minAltitude = 1e9, maxAltitude = -1e9;
    double lastLat = 0, lastLon = 0;
    for (int epoch = 0; epoch < 300; ++epoch, model.Advance(1.0)) {
        const auto e = Parse(model.SentenceBodies());
        ASSERT_EQ(e.gga[5], "1");
        EXPECT_EQ(e.gga[2], "S");
        EXPECT_EQ(e.gga[4], "E");
        const double lat = Angle(e.gga[1], 2, e.gga[2]), lon = Angle(e.gga[3], 3, e.gga[4]);
        EXPECT_NEAR(lat, model.Latitude(), 1e-6);
        EXPECT_NEAR(lon, model.Longitude(), 1e-6);
        EXPECT_LT(Distance(config.latitude, config.longitude, lat, lon), 250.0);
        if (epoch == 0) {
            firstLat = lat;
            firstLon = lon;
        } else {
            // Walking pace, never a jump.
            EXPECT_LT(Distance(lastLat, lastLon, lat, lon), 4.0);
        }
        lastLat = lat;
        lastLon = lon;
        const double altitude = std::atof(e.gga[8].c_str());
        minAltitude = std::min(minAltitude, altitude);
        maxAltitude = std::max(maxAltitude, altitude);
        const double speedKmh = std::atof(e.vtg[6].c_str());
        EXPECT_TRUE(speedKmh > 1.0 && speedKmh < 8.0) << speedKmh;
    }
    EXPECT_GT(Distance(firstLat, firstLon, lastLat, lastLon), 50.0);
    EXPECT_GT(maxAltitude - minAltitude, 1.0);
    EXPECT_LT(maxAltitude - minAltitude, 15.0);
}

TEST(ReceiverOutput, SkyChangesPlausiblyOverTime) {
    ReceiverModel model({});
    const auto before = model.GpsSatellites();
    model.Advance(600.0);
    const auto& after = model.GpsSatellites();
    ASSERT_EQ(before.size(), after.size());
    int moved = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].prn, after[i].prn);
        const double azimuthChange = std::fabs(after[i].azimuth - before[i].azimuth);
        const double step = std::min(azimuthChange, 360.0 - azimuthChange);
        EXPECT_LT(step, 30.0);
        EXPECT_LT(std::fabs(after[i].elevation - before[i].elevation), 30.0);
        if (step > 1.0)
            ++moved;
    }
    EXPECT_GE(moved, 5); // all but the geostationary SBAS ones drift
}

TEST(ReceiverOutput, SameSeedRepeatsDifferentSeedDiffers) {
    const auto run = [](std::uint64_t seed, double faults) {
        ReceiverConfig config;
        config.seed = seed;
        ReceiverModel model(config);
        NmeaEmitter emitter({faults, faults}, seed);
        std::string stream;
        for (int epoch = 0; epoch < 50; ++epoch, model.Advance(1.0))
            for (const auto& piece : emitter.Emit(model.SentenceBodies()))
                stream += piece;
        return stream;
    };
    EXPECT_EQ(run(1, 0.0), run(1, 0.0));
    EXPECT_EQ(run(7, 0.2), run(7, 0.2));
    EXPECT_NE(run(1, 0.0), run(2, 0.0));
}

TEST(ReceiverOutput, NoFixUntilTheFixTime) {
    ReceiverConfig config;
    config.fixAfterSeconds = 5.0;
    ReceiverModel model(config);
    for (int epoch = 0; epoch < 8; ++epoch, model.Advance(1.0)) {
        const auto e = Parse(model.SentenceBodies());
        const bool fixed = epoch >= 5;
        EXPECT_EQ(model.HasFix(), fixed);
        EXPECT_EQ(e.gga[5], fixed ? "1" : "0");
        EXPECT_EQ(e.gga[1].empty(), !fixed);
        EXPECT_EQ(e.gpsGsa[1], fixed ? "3" : "1");
        EXPECT_EQ(GsaPrns(e.gpsGsa).empty(), !fixed);
        EXPECT_FALSE(e.gpgsv.empty()); // satellites are tracked before the fix
    }
}

TEST(ReceiverOutput, ClockAdvancesWithTheEpochsAndWrapsAtMidnight) {
    ReceiverConfig config;
    config.startSecondsOfDay = 86400.0 - 1.0;
    ReceiverModel model(config);
    EXPECT_EQ(Parse(model.SentenceBodies()).gga[0], "235959.00");
    model.Advance(0.5);
    EXPECT_EQ(Parse(model.SentenceBodies()).gga[0], "235959.50");
    model.Advance(0.5);
    EXPECT_EQ(Parse(model.SentenceBodies()).gga[0], "000000.00");
}

TEST(LineFaultInjection, NoFaultsMeansPlainSentences) {
    NmeaEmitter emitter({}, 3);
    const std::vector<std::string> bodies = {"GPGGA,1", "GPVTG,2"};
    EXPECT_EQ(emitter.Emit(bodies),
              (std::vector<std::string>{MakeNmeaSentence("GPGGA,1"), MakeNmeaSentence("GPVTG,2")}));
}

TEST(LineFaultInjection, EveryChecksumWrongAndNoiseBeforeEverySentence) {
    NmeaEmitter emitter({1.0, 1.0}, 3);
    const std::vector<std::string> bodies(20, "GPGGA,123519,4807.038,N");
    const auto pieces = emitter.Emit(bodies);
    ASSERT_EQ(pieces.size(), 40u);
    for (std::size_t i = 0; i < pieces.size(); i += 2) {
        EXPECT_TRUE(pieces[i].size() >= 1 && pieces[i].size() <= 16);
        const auto& sentence = pieces[i + 1];
        EXPECT_FALSE(IsValidNmeaSentence(sentence)) << sentence;
        // Only the checksum is spoiled.
        EXPECT_EQ(sentence.substr(0, sentence.size() - 4),
                  MakeNmeaSentence(bodies[0]).substr(0, sentence.size() - 4));
    }
}

TEST(LineFaultInjection, RatesAreRoughlyKept) {
    NmeaEmitter emitter({0.1, 0.0}, 5);
    const auto pieces = emitter.Emit(std::vector<std::string>(2000, "GPVTG,1,T,,M,2,N,3,K"));
    const auto bad = std::count_if(pieces.begin(), pieces.end(),
                                   [](const std::string& s) { return !IsValidNmeaSentence(s); });
    EXPECT_GT(bad, 120);
    EXPECT_LT(bad, 280);
}

} // namespace
