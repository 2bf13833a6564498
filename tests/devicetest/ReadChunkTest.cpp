#include <gtest/gtest.h>

#include "devicetest/ReadChunk.h"

namespace {

using R = ItemResult;
using Results = std::array<ItemResult, kTestItemCount>;
constexpr R U = R::Unchanged;
constexpr R N = R::NotPassed;
constexpr R P = R::Passed;

struct ChunkCase {
    const char* name;
    std::string chunk;
    ChunkKind kind;
    Results results;
    std::uint8_t passFlagsAfter; // starting from 0
};

class ReadChunkRules : public testing::TestWithParam<ChunkCase> {};

TEST_P(ReadChunkRules, FirstApplicableRuleDecides) {
    const auto& c = GetParam();
    const ChunkMeaning meaning = ReadChunk(c.chunk);
    EXPECT_EQ(meaning.kind, c.kind);
    EXPECT_EQ(meaning.itemResults, c.results);
    EXPECT_EQ(meaning.ApplyTo(0), c.passFlagsAfter);
    if (c.kind != ChunkKind::ParameterBlock && c.kind != ChunkKind::ItemResults) {
        EXPECT_FALSE(meaning.hasParameterBlock);
        EXPECT_TRUE(meaning.parameterBlock.empty());
    }
}

const Results kNone{U, U, U, U, U, U};

INSTANTIATE_TEST_SUITE_P(
    Chunks, ReadChunkRules,
    testing::Values(ChunkCase{"TwoPasses",
                              "AT+TEST_SIM==1\r\nAT+TEST_ACC==1\r\n",
                              ChunkKind::ItemResults,
                              {P, U, U, U, P, U},
                              17},
                    ChunkCase{"AllSix",
                              "AT+TEST_SIM==1 AT+TEST_GSM==1 AT+TEST_GPS==1 AT+TEST_GSENSOR==1 "
                              "AT+TEST_ACC==1 AT+TEST_EXTPOWER==1",
                              ChunkKind::ItemResults,
                              {P, P, P, P, P, P},
                              63},
                    ChunkCase{"NotPassedWinsOverPassed",
                              "AT+TEST_GPS==1\r\nAT+TEST_GPS==0\r\n",
                              ChunkKind::ItemResults,
                              {U, U, N, U, U, U},
                              0},
                    ChunkCase{"OtherTokenChangesNothing", "AT+TEST_ACC==2\r\n",
                              ChunkKind::ItemResults, kNone, 0},
                    ChunkCase{"GateWithoutTokens", "$GPGGA,1*00\r\nAT+TEST_RELAY=1\r\n",
                              ChunkKind::ItemResults, kNone, 0},
                    ChunkCase{"BannerHidesResults", "Welcome to tracker\r\nAT+TEST_SIM==1\r\n",
                              ChunkKind::NewDevice, kNone, 0},
                    ChunkCase{"BannerHidesBlock", "<SETTING Ver: 1 SETTING> Welcome",
                              ChunkKind::NewDevice, kNone, 0},
                    ChunkCase{"ResultAndBlockBothCount",
                              "AT+TEST_GSM==1\r\n<SETTING\r\nVer: V1.0\r\nSETTING>",
                              ChunkKind::ItemResults,
                              {U, P, U, U, U, U},
                              2},
                    ChunkCase{"CloseBeforeOpenIsNoBlock", "SETTING> then <SETTING",
                              ChunkKind::Nothing, kNone, 0},
                    ChunkCase{"NmeaMeansNothing", "$GPGGA,123519,4807.038,N*47\r\n",
                              ChunkKind::Nothing, kNone, 0},
                    ChunkCase{"Empty", "", ChunkKind::Nothing, kNone, 0},
                    // Bytes after an embedded NUL are still read.
                    ChunkCase{"EmbeddedNul",
                              std::string("junk\0AT+TEST_SIM==1", 19),
                              ChunkKind::ItemResults,
                              {P, U, U, U, U, U},
                              1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadChunk, ABlockInTheSameChunkAsResultsIsReadToo) {
    const ChunkMeaning both = ReadChunk("AT+TEST_GSM==1\r\n<SETTING\r\nVer: V1.0\r\nSETTING>");
    EXPECT_EQ(both.kind, ChunkKind::ItemResults);
    ASSERT_TRUE(both.hasParameterBlock);
    EXPECT_EQ(both.parameterBlock, "\r\nVer: V1.0\r\n");
    const ChunkMeaning resultsOnly = ReadChunk("AT+TEST_GSM==1\r\n<SETTING\r\nVer: V1.0");
    EXPECT_FALSE(resultsOnly.hasParameterBlock);
    EXPECT_TRUE(resultsOnly.parameterBlock.empty());
}

TEST(ReadChunk, PassesAddToExistingFlagsAndNeverClearThem) {
    const ChunkMeaning meaning = ReadChunk("AT+TEST_SIM==0 AT+TEST_GSM==1");
    EXPECT_EQ(meaning.ApplyTo(0b000001), 0b000011);
}

TEST(ReadChunk, ParameterBlockIsTheTextStrictlyBetweenTheMarkers) {
    const ChunkMeaning meaning =
        ReadChunk("xx<SETTING\r\nVer: V1.0\r\nID: 1\r\nSETTING> SETTING> tail");
    ASSERT_EQ(meaning.kind, ChunkKind::ParameterBlock);
    EXPECT_EQ(meaning.parameterBlock, "\r\nVer: V1.0\r\nID: 1\r\n");
    EXPECT_FALSE(meaning.parameterBlockTruncated);
}

TEST(ReadChunk, ParameterBlockCloseMustFollowTheOpen) {
    // "<SETTING>" holds both markers overlapping; the close must start after the open ends.
    EXPECT_EQ(ReadChunk("<SETTING>").kind, ChunkKind::Nothing);
    const ChunkMeaning meaning = ReadChunk("<SETTINGSETTING>");
    ASSERT_EQ(meaning.kind, ChunkKind::ParameterBlock);
    EXPECT_EQ(meaning.parameterBlock, "");
}

TEST(ReadChunk, ParameterBlockOf512BytesOrMoreIsCutTo511AndFlagged) {
    for (const std::size_t size : {511u, 512u, 4000u}) {
        const std::string body(size, 'v');
        const ChunkMeaning meaning = ReadChunk("<SETTING" + body + "SETTING>");
        ASSERT_EQ(meaning.kind, ChunkKind::ParameterBlock) << size;
        EXPECT_EQ(meaning.parameterBlock, body.substr(0, 511)) << size;
        EXPECT_EQ(meaning.parameterBlockTruncated, size >= 512) << size;
    }
}

} // namespace
