#include "serial/EnumerateSerialPorts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SerialPortDescription, JoinsWhatIsKnownInOrder) {
    struct Case {
        const char *description, *manufacturer, *serial, *expected;
    } cases[] = {
        {"", "", "", ""},
        {"FT232R USB UART", "", "", "FT232R USB UART"},
        {"FT232R USB UART", "FTDI", "A50285BI", "FT232R USB UART, FTDI, A50285BI"},
        {"", "Prolific", "", "Prolific"},
        {"", "", "0001", "0001"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SerialPortDescription(c.description, c.manufacturer, c.serial), c.expected);
}

TEST(EnumerateSerialPorts, GivesPathsAndDescriptionsInPairs) {
    std::vector<std::string> ports{"stale"}, descriptions;
    EXPECT_TRUE(EnumerateSerialPorts(ports, descriptions));
    EXPECT_EQ(ports.size(), descriptions.size());
    for (const std::string& p : ports)
        EXPECT_EQ(p.rfind("/", 0), 0u) << p;
}

} // namespace
