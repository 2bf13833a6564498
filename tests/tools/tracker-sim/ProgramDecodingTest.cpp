// The simulator's stream through the program's own framer and decoders.

#include "NmeaEmitter.h"
#include "ReceiverModel.h"
#include "nmea/CNMEAParserWin32.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Feeds `epochs` epochs of the receiver into a fresh parser, calling `check` after each.
template <typename Check>
void Decode(const ReceiverConfig& config, const LineFaults& faults, int epochs, Check check) {
    auto parser = std::make_unique<CNMEAParserWin32>();
    parser->SetPositionHandshake(false);
    ReceiverModel model(config);
    NmeaEmitter emitter(faults, config.seed);
    for (int epoch = 0; epoch < epochs; ++epoch, model.Advance(1.0)) {
        for (const auto& piece : emitter.Emit(model.SentenceBodies()))
            parser->FeedBytes(reinterpret_cast<const uint8_t*>(piece.data()),
                              static_cast<uint32_t>(piece.size()));
        check(*parser, model);
    }
}

TEST(ProgramDecoding, SeedOneGivesMovingPositionsBothConstellationsAndBothDopSets) {
    ReceiverConfig config;
    config.seed = 1;
    double firstLatitude = 0, firstLongitude = 0;
    Decode(config, {}, 30, [&](const CNMEAParserWin32& p, const ReceiverModel& model) {
        EXPECT_EQ(p.gga.quality, 1);
        EXPECT_NEAR(p.gga.latitude, model.Latitude(), 1e-6);
        EXPECT_NEAR(p.gga.longitude, model.Longitude(), 1e-6);
        if (p.gga.count == 1) {
            firstLatitude = p.gga.latitude;
            firstLongitude = p.gga.longitude;
        }
        EXPECT_GT(p.gsa.gpsPdop, 0.0);
        EXPECT_GT(p.gsa.gpsHdop, 0.0);
        EXPECT_GT(p.gsa.gpsVdop, 0.0);
        EXPECT_GT(p.gsa.glonassPdop, 0.0);
        EXPECT_GT(p.gsa.glonassHdop, 0.0);
        EXPECT_GT(p.gsa.glonassVdop, 0.0);
        EXPECT_TRUE(p.gpsSatellites.inView >= 8 && p.gpsSatellites.inView <= 12);
        EXPECT_TRUE(p.glonassSatellites.inView >= 6 && p.glonassSatellites.inView <= 8);
        int used = 0, glonass = 0, sbas = 0;
        for (int i = 0; i < p.mergedSatellites.inView; ++i) {
            const auto& e = p.mergedSatellites.entries[i];
            used += e.used;
            glonass += e.prn >= 65 && e.prn <= 96;
            sbas += e.prn >= 33 && e.prn <= 64;
        }
        EXPECT_EQ(used, p.gga.satellitesUsed);
        EXPECT_EQ(glonass, p.glonassSatellites.inView);
        EXPECT_TRUE(sbas >= 1 && sbas <= 2);
    });
    ReceiverModel later(config);
    later.Advance(29.0);
    EXPECT_NE(firstLatitude, later.Latitude());
    EXPECT_NE(firstLongitude, later.Longitude());
}

TEST(ProgramDecoding, SpoiledSentencesAreDroppedAndTheRestStillDecodes) {
    ReceiverConfig config;
    config.seed = 4;
    uint32_t lastCount = 0;
    Decode(config, {1.0, 0.0}, 10,
           [&](const CNMEAParserWin32& p, const ReceiverModel&) { lastCount = p.gga.count; });
    EXPECT_EQ(lastCount, 0u);

    Decode(config, {0.1, 0.2}, 100,
           [&](const CNMEAParserWin32& p, const ReceiverModel&) { lastCount = p.gga.count; });
    EXPECT_GT(lastCount, 60u);
    EXPECT_LT(lastCount, 100u);
}

} // namespace
