// Recorded receiver captures played through the decoders into the scatter plot's samples: the
// accuracy figures of real fixes, printed for the record and checked for consistency.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "displays/GreatCircleDistance.h"
#include "displays/ScatterPlotModel.h"
#include "nmea/CNMEAParser.h"
#include "nmea/FieldSplit.h"
#include "nmea/SentenceDecoders.h"

namespace {

// GGA field numbers after the address.
constexpr int kLatitude = 1, kLongitude = 3, kQuality = 5, kHdop = 7;

// Every GGA with a fix and both coordinates, with its own HDOP, into the model.
class CaptureFeeder : public CNMEAParser {
public:
    explicit CaptureFeeder(ScatterPlotModel& model) : m_model(model) {}

protected:
    bool OnSentence(const char* address, const char* data) override {
        if (!AddressContains(address, "GGA"))
            return false;
        const FieldSplit f(data);
        GgaRecord gga{};
        DecodeGga(f, gga);
        if (gga.quality <= 0 || f[kLatitude].empty() || f[kLongitude].empty() ||
            f[kQuality].empty())
            return false;
        PositionSample s;
        s.latitude = gga.latitude;
        s.longitude = gga.longitude;
        s.altitude = gga.altitude;
        s.hdop = f[kHdop].empty() ? std::numeric_limits<double>::quiet_NaN() : gga.hdop;
        s.fixQuality = gga.quality;
        m_model.AddSample(s);
        return false;
    }

private:
    ScatterPlotModel& m_model;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class CaptureFigures : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(CaptureFigures, AreConsistentWithTheFixes) {
    const std::filesystem::path path = std::filesystem::path(TB_CORPUS_DIR) / GetParam();
    if (!std::filesystem::is_regular_file(path))
        GTEST_SKIP() << "no capture at " << path;
    ScatterPlotModel model;
    CaptureFeeder feeder(model);
    const std::string bytes = ReadFile(path);
    feeder.FeedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<uint32_t>(bytes.size()));
    const PositionAccuracy& a = model.Accuracy();
    ASSERT_GT(a.samples, 10u);
    EXPECT_EQ(a.samples, model.positions.size());
    std::printf("%s: %zu fixes, mean %.7f %.7f %.2f m, CEP50 %.3f m, CEP95 %.3f m, "
                "2DRMS %.3f m\n",
                GetParam(), a.samples, a.meanLatitude, a.meanLongitude, a.meanAltitude, a.cep50,
                a.cep95, a.twoDrms);
    RecordProperty("cep50", std::to_string(a.cep50));
    RecordProperty("cep95", std::to_string(a.cep95));
    RecordProperty("twoDrms", std::to_string(a.twoDrms));

    EXPECT_LE(a.cep50, a.cep95);
    EXPECT_TRUE(std::isfinite(a.twoDrms));
    // Counted again with the plot's own haversine (a sphere: within half a percent of the
    // tangent plane): at least half the fixes lie within CEP50, 95 % within CEP95, and fewer
    // than that just inside each.
    std::size_t within50 = 0, within95 = 0, inside50 = 0, inside95 = 0;
    for (const ScatterSample& s : model.positions) {
        const double d =
            GreatCircleDistance(a.meanLatitude, a.meanLongitude, s.fix.latitude, s.fix.longitude);
        within50 += d <= a.cep50 * 1.005 + 1e-6;
        within95 += d <= a.cep95 * 1.005 + 1e-6;
        inside50 += d < a.cep50 * 0.995 - 1e-6;
        inside95 += d < a.cep95 * 0.995 - 1e-6;
    }
    const double n = static_cast<double>(a.samples);
    EXPECT_GE(within50, n * 0.50);
    EXPECT_GE(within95, n * 0.95);
    EXPECT_LT(inside50, n * 0.50);
    EXPECT_LT(inside95, n * 0.95);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CaptureFigures,
                         ::testing::Values("ublox-zed-f9p_hpg1.11.log", "quectel-l76k-nmea.log",
                                           "nmea-rtk.log", "sirfstarv-nmea.log"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });
