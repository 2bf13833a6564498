#include "devicetest/BuildFailText.h"

#include "devicetest/DeviceTestCommands.h"
#include "devicetest/PassFlags.h"
#include "devicetest/TestItem.h"

std::u16string BuildFailText(std::uint8_t passFlags) {
    if (AllItemsPassed(passFlags)) {
        return std::u16string(DeviceTestCommands::kPassText);
    }
    // Not one pass means the device never ran its test firmware at all.
    if ((passFlags & kAllItemsPassed) == 0) {
        return std::u16string(DeviceTestCommands::kSoftwareNotLoadedText);
    }
    std::u16string text;
    const auto& items = TestItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!HasPassed(passFlags, i)) {
            text += items[i].failLine;
        }
    }
    return text;
}
