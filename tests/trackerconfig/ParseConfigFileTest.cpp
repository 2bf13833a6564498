#include <gtest/gtest.h>

#include <vector>

#include "trackerconfig/ParseConfigFile.h"

namespace {

// The slots up to and including "end".
std::vector<std::u16string> UsedSlots(const ImportCommands& commands) {
    std::vector<std::u16string> used;
    for (const auto& slot : commands) {
        used.push_back(slot);
        if (slot == kImportEnd) {
            break;
        }
    }
    return used;
}

std::u16string Numbered(int i) {
    return u"AT+SMS=ID,864209," + std::u16string(1, static_cast<char16_t>(u'A' + i)) + u"#";
}

struct ConfigCase {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> slots;
    bool tooMany;
    std::size_t overlongSkipped;
    // Commands without their "#", as reported, and how many there were (npos: as many as
    // listed).
    std::vector<std::u16string> missingHash = {};
    std::size_t missingHashCount = std::u16string::npos;
};

class ConfigFile : public testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigFile, CutsCommandsFromAtToHash) {
    const auto& c = GetParam();
    ImportCommands commands;
    commands.fill(u"stale");
    const ConfigFileResult result = ParseConfigFile(c.text, commands);
    EXPECT_EQ(UsedSlots(commands), c.slots);
    EXPECT_EQ(result.commandCount, c.slots.size() - 1);
    EXPECT_EQ(result.tooManyCommands, c.tooMany);
    EXPECT_EQ(result.overlongSkipped, c.overlongSkipped);
    EXPECT_EQ(result.missingHash, c.missingHash);
    EXPECT_EQ(result.missingHashCount, c.missingHashCount == std::u16string::npos
                                           ? c.missingHash.size()
                                           : c.missingHashCount);
    // The rest of the list is cleared, never left over from an earlier import.
    for (std::size_t i = c.slots.size(); i < commands.size(); ++i) {
        EXPECT_TRUE(commands[i].empty()) << i;
    }
}

std::u16string Joined(int count) {
    std::u16string text;
    for (int i = 0; i < count; ++i) {
        text += Numbered(i);
    }
    return text;
}

std::vector<std::u16string> Slots(int count) {
    std::vector<std::u16string> slots;
    for (int i = 0; i < count; ++i) {
        slots.push_back(Numbered(i) + u"\r\n");
    }
    slots.emplace_back(kImportEnd);
    return slots;
}

const std::u16string kOverlong = u"AT+SMS=APN,864209," + std::u16string(240, u'x') + u"#";

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigFile,
    testing::Values(
        ConfigCase{"Empty", u"", {u"end"}, false, 0},
        ConfigCase{"IdAndApnWrites",
                   u"AT+SMS=ID,864209,42#AT+SMS=APN,864209,internet#",
                   {u"AT+SMS=ID,864209,42#\r\n", u"AT+SMS=APN,864209,internet#\r\n", u"end"},
                   false,
                   0},
        ConfigCase{"JunkAroundCommands",
                   u"  settings: AT+SMS=ID,864209,42# then TAT+SMS=TIMEZONE,864209,8#  AT+SMS=x",
                   {u"AT+SMS=ID,864209,42#\r\n", u"AT+SMS=TIMEZONE,864209,8#\r\n", u"end"},
                   false,
                   0,
                   {u"AT+SMS=x"}},
        ConfigCase{"WordsHoldingAtInANote",
                   u"DATA STATUS: AT+SMS=ID,864209,42#BATTERY#AT+SMS=APN,864209,cmnet#",
                   {u"AT+SMS=ID,864209,42#\r\n", u"AT+SMS=APN,864209,cmnet#\r\n", u"end"},
                   false,
                   0},
        ConfigCase{"HashBeforeFirstCommand", u"#note#AT+A#", {u"AT+A#\r\n", u"end"}, false, 0},
        ConfigCase{"OnlyJunk", u"nothing to send here", {u"end"}, false, 0},
        ConfigCase{"LastWithoutHash", u"AT+A#AT+B", {u"AT+A#\r\n", u"end"}, false, 0, {u"AT+B"}},
        // Lines joined: the ID write lost its "#" and would take the APN write in with it.
        ConfigCase{"MissingHashMidFile",
                   u"AT+SMS=ID,864209,42AT+SMS=APN,864209,internet#AT+SMS=TIMEZONE,864209,8#",
                   {u"AT+SMS=APN,864209,internet#\r\n", u"AT+SMS=TIMEZONE,864209,8#\r\n", u"end"},
                   false,
                   0,
                   {u"AT+SMS=ID,864209,42"}},
        ConfigCase{"MissingHashBlanksAtItsLineEnd",
                   u"AT+SMS=ID,864209,42 \t AT+B#",
                   {u"AT+B#\r\n", u"end"},
                   false,
                   0,
                   {u"AT+SMS=ID,864209,42"}},
        ConfigCase{"MissingHashListedUpToTwenty",
                   [] {
                       std::u16string text;
                       for (int i = 0; i < 25; ++i)
                           text += u"AT+X";
                       return text + u"AT+Y#";
                   }(),
                   {u"AT+Y#\r\n", u"end"},
                   false,
                   0,
                   std::vector<std::u16string>(20, u"AT+X"),
                   25},
        ConfigCase{"MissingHashLongCommandCut",
                   u"AT+" + std::u16string(100, u'z'),
                   {u"end"},
                   false,
                   0,
                   {u"AT+" + std::u16string(77, u'z') + u"…"}},
        ConfigCase{"Twenty", Joined(20), Slots(20), false, 0},
        ConfigCase{"TwentyWithTrailingBlanks", Joined(20) + u"   ", Slots(20), false, 0},
        ConfigCase{"TwentyOne", Joined(21), Slots(20), true, 0},
        ConfigCase{"Thirty", Joined(30), Slots(20), true, 0},
        ConfigCase{"OverlongSkipped",
                   u"AT+A#" + kOverlong + u"AT+B#",
                   {u"AT+A#\r\n", u"AT+B#\r\n", u"end"},
                   false,
                   1},
        ConfigCase{"LongestThatFits",
                   u"AT+" + std::u16string(249, u'y') + u"#",
                   {u"AT+" + std::u16string(249, u'y') + u"#\r\n", u"end"},
                   false,
                   0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NextImportCommand, SendsInOrderThenStopsAtEndAndRewinds) {
    ImportCommands commands;
    ParseConfigFile(u"AT+A#AT+B#", commands);
    int index = 0;
    EXPECT_EQ(NextImportCommand(commands, index), u"AT+A#\r\n");
    EXPECT_EQ(NextImportCommand(commands, index), u"AT+B#\r\n");
    EXPECT_FALSE(NextImportCommand(commands, index).has_value());
    EXPECT_EQ(index, 0);
}

TEST(NextImportCommand, NeverRunsPastTheList) {
    ImportCommands nothingImported;
    int index = 0;
    EXPECT_FALSE(NextImportCommand(nothingImported, index).has_value());

    ImportCommands full;
    full.fill(u"AT+X#\r\n");
    index = 0;
    int sent = 0;
    while (NextImportCommand(full, index)) {
        ++sent;
        ASSERT_LE(sent, 21);
    }
    EXPECT_EQ(sent, 21);
    EXPECT_EQ(index, 0);
}

TEST(NextImportCommand, EmptyFileStopsOnTheFirstTick) {
    ImportCommands commands;
    ParseConfigFile(u"", commands);
    int index = 0;
    EXPECT_FALSE(NextImportCommand(commands, index).has_value());
}

} // namespace
