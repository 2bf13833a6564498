#include "devicetest/ToggleAlternation.h"

#include "devicetest/DeviceTestCommands.h"

std::uint32_t relayToggleCount = 0;
std::uint32_t beepToggleCount = 0;

namespace {

std::u16string_view Step(std::uint32_t& counter, std::u16string_view on, std::u16string_view off) {
    ++counter;
    return (counter % 2 == 1) ? on : off;
}

} // namespace

std::u16string_view RelayToggleStep() {
    return Step(relayToggleCount, DeviceTestCommands::kRelayOn, DeviceTestCommands::kRelayOff);
}

std::u16string_view BeepToggleStep() {
    return Step(beepToggleCount, DeviceTestCommands::kBeepOn, DeviceTestCommands::kBeepOff);
}
