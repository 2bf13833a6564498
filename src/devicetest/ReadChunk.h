#pragma once
// What one received chunk means to the factory test. Every chunk is read on its own: a reply
// split over two receive ticks is not recognised.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "devicetest/TestItem.h"

enum class ChunkKind {
    Nothing,        // none of the rules applied
    NewDevice,      // "Welcome": a device (re)started; nothing else in the chunk is read
    ItemResults,    // the chunk holds "AT+TEST_": see itemResults
    ParameterBlock, // "<SETTING" ... "SETTING>": see parameterBlock
};

enum class ItemResult {
    Unchanged, // "==2" or no token for the item
    NotPassed, // "==0" (wins over "==1" in the same chunk)
    Passed,    // "==1"
};

// The device's parameter block is kept in a 512-byte buffer: longer blocks are cut.
inline constexpr std::size_t kMaxParameterBlockBytes = 511;

struct ChunkMeaning {
    ChunkKind kind = ChunkKind::Nothing;
    std::array<ItemResult, kTestItemCount> itemResults{}; // ItemResults only
    std::string parameterBlock;           // ParameterBlock only, 8-bit, at most 511 bytes
    bool parameterBlockTruncated = false; // the block had 512 bytes or more

    // passFlags with the bit of every item that passed in this chunk added.
    std::uint8_t ApplyTo(std::uint8_t passFlags) const;
};

// The first rule that applies decides: banner, then item results, then the parameter block.
ChunkMeaning ReadChunk(std::string_view chunk);
