#pragma once
// The six factory-test items, always in this order: an item's index is its bit in passFlags.

#include <array>
#include <cstdint>
#include <string_view>

struct TestItem {
    std::u16string_view name;
    std::u16string_view command; // sent to start the item's test
    std::uint8_t passBit;        // 1 << index
    std::string_view notPassedToken;
    std::string_view passedToken;
    std::string_view otherToken;  // read by nobody: the item keeps its state
    std::u16string_view failLine; // verdict line when the item did not pass
};

inline constexpr std::size_t kTestItemCount = 6;

// Indices into TestItems(), for the callers that single out an item (the GPS fix timer).
enum TestItemIndex : std::size_t {
    kItemSim = 0,
    kItemGsm = 1,
    kItemGps = 2,
    kItemGsensor = 3,
    kItemAcc = 4,
    kItemExtPower = 5,
};

const std::array<TestItem, kTestItemCount>& TestItems();
