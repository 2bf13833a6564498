#include "devicetest/ReadChunk.h"

#include "devicetest/DeviceTestCommands.h"
#include "devicetest/PassFlags.h"

namespace {

bool Contains(std::string_view text, std::string_view token) {
    return text.find(token) != std::string_view::npos;
}

// The block between the first "<SETTING" and the first "SETTING>" after it, cut to the
// buffer's size.
bool ReadParameterBlock(std::string_view chunk, ChunkMeaning& meaning) {
    using namespace DeviceTestCommands;
    const auto open = chunk.find(kParameterBlockOpen);
    if (open == std::string_view::npos) {
        return false;
    }
    const auto start = open + kParameterBlockOpen.size();
    const auto close = chunk.find(kParameterBlockClose, start);
    if (close == std::string_view::npos) {
        return false;
    }
    std::string_view block = chunk.substr(start, close - start);
    if (block.size() > kMaxParameterBlockBytes) {
        block = block.substr(0, kMaxParameterBlockBytes);
        meaning.parameterBlockTruncated = true;
    }
    meaning.parameterBlock = std::string(block);
    meaning.hasParameterBlock = true;
    return true;
}

} // namespace

std::uint8_t ChunkMeaning::ApplyTo(std::uint8_t passFlags) const {
    if (kind != ChunkKind::ItemResults) {
        return passFlags;
    }
    for (std::size_t i = 0; i < itemResults.size(); ++i) {
        if (itemResults[i] == ItemResult::Passed) {
            passFlags = MarkPassed(passFlags, i);
        }
    }
    return passFlags;
}

ChunkMeaning ReadChunk(std::string_view chunk) {
    using namespace DeviceTestCommands;
    ChunkMeaning meaning;
    if (Contains(chunk, kNewDeviceBanner)) {
        meaning.kind = ChunkKind::NewDevice;
        return meaning;
    }
    if (Contains(chunk, kItemResultGate)) {
        meaning.kind = ChunkKind::ItemResults;
        const auto& items = TestItems();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (Contains(chunk, items[i].notPassedToken)) {
                meaning.itemResults[i] = ItemResult::NotPassed;
            } else if (Contains(chunk, items[i].passedToken)) {
                meaning.itemResults[i] = ItemResult::Passed;
            }
        }
        // A block that came in the same read as results is read too: dropping it would leave
        // the parameter check silently unrun.
        ReadParameterBlock(chunk, meaning);
        return meaning;
    }
    if (ReadParameterBlock(chunk, meaning)) {
        meaning.kind = ChunkKind::ParameterBlock;
    }
    return meaning;
}
