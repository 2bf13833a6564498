#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "device/JoinedTextFile.h"
#include "device/Local8Bit.h"
#include "devicetest/DeviceTestCommands.h"
#include "devicetest/LoadParameterFile.h"
#include "devicetest/PlaceholderImeis.h"
#include "devicetest/VerifyDeviceParameters.h"

namespace {

namespace fs = std::filesystem;

const char* const kTwelveLines[] = {
    "<SETTING",    "Ver: V1.0", "ID: 123",       "IMEI: 8612", "IP: 1.2.3.4,9000", "APN:internet",
    "TimeZone: 8", "MODE:1",    "GPRS ENABLE:1", "PROTOCOL:2", "INTERVAL:30,300",  "SETTING>",
};

ExpectedParameters TwelveLineValues() {
    return {u"V1.0", u"123", u"8612", u"1.2.3.4,9000", u"internet", u"8",
            u"1",    u"1",   u"2",    u"30,300"};
}

class ParameterFile : public testing::Test {
protected:
    void SetUp() override {
        // A fresh directory per run: the same test may run at the same time in another build.
        std::string pattern = (fs::temp_directory_path() / "tb_paramfile_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
        dir_ = pattern;
    }
    void TearDown() override {
        if (!dir_.empty()) {
            fs::remove_all(dir_);
        }
    }

    fs::path Write(const std::string& name, const std::string& content) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string Lines(const std::vector<std::string>& lines, const char* eol) {
        std::string text;
        for (const auto& line : lines) {
            text += line + eol;
        }
        return text;
    }

    static std::vector<std::string> TwelveLines() {
        return {std::begin(kTwelveLines), std::end(kTwelveLines)};
    }

    fs::path dir_;
};

TEST_F(ParameterFile, TwelveLineFileYieldsTheTenValuesWithLfOrCrLf) {
    for (const char* eol : {"\n", "\r\n"}) {
        ExpectedParameters expected;
        const auto result = LoadParameterFile(Write("p.txt", Lines(TwelveLines(), eol)), expected);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(expected, TwelveLineValues());
    }
}

TEST_F(ParameterFile, MissingCloseMarkerLeavesTheIntervalEmpty) {
    auto lines = TwelveLines();
    lines.pop_back();
    ExpectedParameters expected;
    ASSERT_TRUE(LoadParameterFile(Write("p.txt", Lines(lines, "\n")), expected).ok);
    auto values = TwelveLineValues();
    values.interval.clear();
    EXPECT_EQ(expected, values);
}

TEST_F(ParameterFile, UnreadableFileKeepsThePreviousValuesAndSaysWhy) {
    ExpectedParameters expected = TwelveLineValues();
    const std::vector<fs::path> unreadable = {dir_ / "missing.txt", dir_};
    for (const auto& path : unreadable) {
        const auto result = LoadParameterFile(path, expected);
        EXPECT_FALSE(result.ok) << path;
        EXPECT_NE(result.error.find(path.string()), std::string::npos) << result.error;
        EXPECT_EQ(expected, TwelveLineValues()) << path;
    }
}

TEST_F(ParameterFile, PipesAndDevicesAreRefusedWithoutWaiting) {
    // A typed path may name a pipe or a device: opening a pipe without a writer, or reading a
    // device that never ends, would hang the page.
    const fs::path fifo = dir_ / "pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    ExpectedParameters expected = TwelveLineValues();
    for (const fs::path& path : {fifo, fs::path("/dev/zero")}) {
        const auto result = LoadParameterFile(path, expected);
        EXPECT_FALSE(result.ok) << path;
        EXPECT_NE(result.error.find(path.string()), std::string::npos) << result.error;
    }
    EXPECT_EQ(expected, TwelveLineValues());
}

TEST_F(ParameterFile, FilesAboveOneMegabyteAreRefusedWhole) {
    // The values sit at the very end, behind padding, so a file read only in part would lose
    // them. Exactly 1 MB is read; one byte more is refused and the values in force stay.
    const std::string values = Lines(TwelveLines(), "\n");
    const std::size_t limit = 1024 * 1024;
    ASSERT_EQ(kMaxJoinedTextFileBytes, limit);
    const struct {
        std::size_t size;
        bool ok;
    } cases[] = {{limit, true}, {limit + 1, false}, {100 * limit, false}};
    for (const auto& c : cases) {
        ExpectedParameters expected = TwelveLineValues();
        expected.interval = u"previous";
        const fs::path path = Write(
            "big.txt", std::string(std::min(c.size, limit + 1) - values.size(), ' ') + values);
        // The crafted 100 MB file as a sparse one: its size is what counts.
        fs::resize_file(path, c.size);
        const auto result = LoadParameterFile(path, expected);
        EXPECT_EQ(result.ok, c.ok) << c.size;
        if (c.ok) {
            EXPECT_EQ(expected.interval, u"30,300");
        } else {
            EXPECT_EQ(expected.interval, u"previous") << c.size;
            EXPECT_NE(result.error.find("larger than 1 MB"), std::string::npos) << result.error;
            EXPECT_NE(result.error.find(path.string()), std::string::npos) << result.error;
        }
    }
}

TEST_F(ParameterFile, EmptyFileReplacesEverythingWithEmptyValues) {
    ExpectedParameters expected = TwelveLineValues();
    ASSERT_TRUE(LoadParameterFile(Write("empty.txt", ""), expected).ok);
    EXPECT_EQ(expected, ExpectedParameters{});
}

TEST_F(ParameterFile, LocaleTextIsDecodedAndBrokenBytesAreMarked) {
    ExpectedParameters expected;
    ASSERT_TRUE(LoadParameterFile(Write("p.txt", "APN:\xe4\xb8\xad\xe5\x9b\xbd\nTimeZone: \xff"
                                                 "8\nMODE:"),
                                  expected)
                    .ok);
    EXPECT_EQ(expected.apn, u"中国");
    EXPECT_EQ(expected.timeZone, u"\uFFFD8");
}

TEST(ParseParameterText, MissingVersionLabelTakesTextFromPositionFour) {
    const auto values = ParseParameterText(u"<SETTINGV1.0ID: 123IMEI: 8612");
    EXPECT_EQ(values.version, u"TINGV1.0");
    EXPECT_EQ(values.id, u"123");
}

TEST(ParseParameterText, ValuesAreNotTrimmedAndLabelsCountAtFirstOccurrence) {
    const auto values =
        ParseParameterText(u"Ver:  V2 ID: 7 ID: 8IMEI: x IP: APN:a b TimeZone: SETTING>");
    EXPECT_EQ(values.version, u" V2 ");
    EXPECT_EQ(values.id, u"7 ID: 8");
    EXPECT_EQ(values.imei, u"x ");
    EXPECT_EQ(values.ip, u"");
    EXPECT_EQ(values.apn, u"a b ");
    // "MODE:" is missing: the time zone runs to position -1 and is empty.
    EXPECT_EQ(values.timeZone, u"");
}

TEST(ParseParameterText, EndLabelBeforeLabelGivesEmptyValue) {
    const auto values = ParseParameterText(u"ID: 1 Ver: 2");
    EXPECT_EQ(values.version, u"");
}

TEST(ParseParameterText, MissingLabelsNearTheEndOfShortTextsStayInside) {
    // No label at all: the arithmetic must neither read past the text nor throw.
    for (const std::u16string_view text : {u"", u"abc", u"SETTING>", u"INTERVAL:"}) {
        EXPECT_NO_THROW(ParseParameterText(text));
    }
    // "INTERVAL:" missing, end at 9: start -1 + 9, count 9 - (-1) - 9 = 1.
    EXPECT_EQ(ParseParameterText(u"123456789SETTING>").interval, u"9");
    // Both "PROTOCOL:" and its end label missing: count -1 - (-1) - 9 is negative.
    EXPECT_EQ(ParseParameterText(u"123456789SETTING>").protocol, u"");
}

using V = ParameterVerdictKind;

const std::u16string kBlock = u"\r\nVer: V1.0\r\nID: 123\r\nIMEI: 861234500000001\r\nIP: "
                              u"1.2.3.4,9000\r\nAPN:internet\r\nTimeZone: 8\r\nMODE:1\r\n"
                              u"GPRS ENABLE:1\r\nPROTOCOL:2\r\nINTERVAL:30,300\r\n";

struct VerifyCase {
    const char* name;
    std::u16string block;
    ExpectedParameters expected;
    bool checkImei;
    ParameterVerdictKind kind;
    std::u16string_view mismatch;
};

class Verify : public testing::TestWithParam<VerifyCase> {};

TEST_P(Verify, Verdict) {
    const auto& c = GetParam();
    const auto verdict = VerifyDeviceParameters(c.block, c.expected, c.checkImei);
    EXPECT_EQ(verdict.kind, c.kind);
    EXPECT_EQ(verdict.mismatchText, c.mismatch);
}

ExpectedParameters With(std::u16string ExpectedParameters::*field, std::u16string value) {
    auto values = TwelveLineValues();
    values.*field = std::move(value);
    return values;
}

const std::u16string kPlaceholderBlock =
    u"Ver: V0.1\r\nIMEI: " + std::u16string(kPlaceholderImeis[1]) + u"\r\n";

INSTANTIATE_TEST_SUITE_P(
    Blocks, Verify,
    testing::Values(
        VerifyCase{"AllGood", kBlock, TwelveLineValues(), true, V::AllGood, u""},
        VerifyCase{"NoFileReadYet", u"anything", {}, true, V::AllGood, u""},
        VerifyCase{"PlaceholderBeatsMismatches", kPlaceholderBlock, TwelveLineValues(), true,
                   V::PlaceholderImei, u""},
        VerifyCase{
            "PlaceholderIgnoredWhenNotChecked", kPlaceholderBlock, {}, false, V::AllGood, u""},
        VerifyCase{"VersionAndProtocolInTableOrder", kBlock,
                   [] {
                       auto v = With(&ExpectedParameters::protocol, u"PROTOCOL:9");
                       v.version = u"V2.0";
                       return v;
                   }(),
                   true, V::Mismatch, u"#版本号与参数文件不相符\r\n#协议与参数文件不符\r\n"},
        VerifyCase{"EveryComparedRow", u"", TwelveLineValues(), false, V::Mismatch,
                   u"#版本号与参数文件不相符\r\n#APN与参数文件不符\r\n#时区与参数文件不符\r\n"
                   u"#模式与参数文件不符\r\n#通信方式与参数文件不符\r\n#协议与参数文件不符\r\n"
                   u"#上报间隔与参数文件不符\r\n"},
        VerifyCase{"IdImeiIpAreNotCompared", kBlock,
                   [] {
                       auto v = With(&ExpectedParameters::id, u"999");
                       v.imei = u"000";
                       v.ip = u"9.9.9.9";
                       return v;
                   }(),
                   true, V::AllGood, u""},
        VerifyCase{"SubstringOfItsOwnValueMatches", kBlock,
                   With(&ExpectedParameters::version, u"1"), true, V::AllGood, u""},
        VerifyCase{"VersionPrefixIsFoundInALongerVersion", kBlock,
                   With(&ExpectedParameters::version, u"V1"), true, V::AllGood, u""},
        // The one-digit values must not be found under another label: 3 is in the IP address.
        VerifyCase{"ProtocolDigitInTheIpIsNoMatch", kBlock,
                   With(&ExpectedParameters::protocol, u"3"), true, V::Mismatch,
                   u"#协议与参数文件不符\r\n"},
        VerifyCase{"TimeZoneDigitInThePortIsNoMatch", kBlock,
                   With(&ExpectedParameters::timeZone, u"9"), true, V::Mismatch,
                   u"#时区与参数文件不符\r\n"},
        VerifyCase{"ModeFoundOnlyUnderGprsEnableIsNoMatch", u"MODE:0\r\nGPRS ENABLE:1\r\n",
                   [] {
                       ExpectedParameters v;
                       v.mode = u"1";
                       return v;
                   }(),
                   false, V::Mismatch, u"#模式与参数文件不符\r\n"},
        VerifyCase{"MissingLabelIsAMismatch",
                   u"\r\nVer: V1.0\r\nAPN:internet\r\nTimeZone: 8\r\nGPRS ENABLE:1\r\n"
                   u"PROTOCOL:2\r\nINTERVAL:30,300\r\n",
                   TwelveLineValues(), true, V::Mismatch, u"#模式与参数文件不符\r\n"},
        VerifyCase{"MissingLabelWithNothingExpectedIsFine", u"\r\nVer: V1.0\r\n",
                   [] {
                       ExpectedParameters v;
                       v.version = u"V1.0";
                       return v;
                   }(),
                   true, V::AllGood, u""},
        VerifyCase{"LabelsInAnotherOrderStillMatch",
                   u"\r\nPROTOCOL:2\r\nINTERVAL:30,300\r\nTimeZone: 8\r\nAPN:internet\r\n"
                   u"GPRS ENABLE:1\r\nMODE:1\r\nVer: V1.0\r\n",
                   TwelveLineValues(), true, V::AllGood, u""},
        VerifyCase{"CaseSensitive", kBlock, With(&ExpectedParameters::apn, u"INTERNET"), true,
                   V::Mismatch, u"#APN与参数文件不符\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlaceholderImeis, AreThreeFifteenDigitNumbers) {
    for (const auto imei : kPlaceholderImeis) {
        EXPECT_EQ(imei.size(), 15u);
        EXPECT_EQ(imei.find_first_not_of(u"0123456789"), std::u16string_view::npos);
    }
}

// The device's block and the parameter file are split by the same label table.
TEST(SplitDeviceBlock, TheDevicesOwnLayoutYieldsEveryValueWithItsLineBreak) {
    const LabelledValues split = SplitDeviceBlock(kBlock);
    for (const bool found : split.found)
        EXPECT_TRUE(found);
    ExpectedParameters values = TwelveLineValues();
    values.imei = u"861234500000001"; // the device's own, not the file's
    for (std::size_t row = 0; row < kParameterLabelCount; ++row) {
        const auto field = ParameterLabels()[row].field;
        EXPECT_EQ(split.values.*field, values.*field + u"\r\n") << "row " << row;
    }
}

TEST(SplitDeviceBlock, EachValueEndsAtTheNextLabelOrTheEnd) {
    // The block has no "SETTING>": the interval runs to the end. A label the block lacks has no
    // value, and does not cut short the value before it.
    const LabelledValues split = SplitDeviceBlock(u"Ver: V1.2 ID: 7IP: 1.2.3.4INTERVAL:30");
    EXPECT_EQ(split.values.version, u"V1.2 ");
    EXPECT_EQ(split.values.id, u"7");
    EXPECT_FALSE(split.found[2]); // "IMEI: "
    EXPECT_EQ(split.values.imei, u"");
    EXPECT_EQ(split.values.ip, u"1.2.3.4");
    EXPECT_EQ(split.values.interval, u"30");
    EXPECT_FALSE(split.found[8]); // "PROTOCOL:"
}

TEST(SplitDeviceBlock, TheFileKeepsItsOwnEndRule) {
    // The same text split by the file's rule: an interval without "SETTING>" stays empty and a
    // missing "Ver: " still takes the text from position 4, as existing files expect.
    const std::u16string text = u"<SETTINGV1.0ID: 123IMEI: 8612INTERVAL:30";
    EXPECT_EQ(SplitByLabels(text, ValueEnd::NextRowsLabel).values, ParseParameterText(text));
    EXPECT_EQ(ParseParameterText(text).interval, u"");
    EXPECT_EQ(ParseParameterText(text).version, u"TINGV1.0");
    EXPECT_EQ(SplitDeviceBlock(text).values.interval, u"30");
    EXPECT_EQ(SplitDeviceBlock(text).values.version, u"");
}

TEST(ExpectedParameters, HasComparedValueOnlyForComparedRows) {
    EXPECT_FALSE(HasComparedValue({}));
    ExpectedParameters notCompared;
    notCompared.id = u"1";
    notCompared.imei = u"2";
    notCompared.ip = u"3";
    EXPECT_FALSE(HasComparedValue(notCompared));
    ExpectedParameters interval;
    interval.interval = u"1";
    EXPECT_TRUE(HasComparedValue(interval));
}

} // namespace
