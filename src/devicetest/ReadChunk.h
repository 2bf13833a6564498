#pragma once
// What one received chunk means to the factory test. Every chunk is read on its own; the
// receive path holds back a reply cut by a read until it is whole, so each reply comes whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "devicetest/TestItem.h"

enum class ChunkKind {
    Nothing,        // none of the rules applied
    NewDevice,      // "Welcome": a device (re)started; nothing else in the chunk is read
    ItemResults,    // the chunk holds "AT+TEST_": see itemResults (and a block, if one came)
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
    bool hasParameterBlock = false;       // ParameterBlock, or ItemResults with a block too
    std::string parameterBlock;           // when hasParameterBlock: 8-bit, at most 511 bytes
    bool parameterBlockTruncated = false; // the block had 512 bytes or more

    // passFlags with the bit of every item that passed in this chunk added.
    std::uint8_t ApplyTo(std::uint8_t passFlags) const;
};

// The first rule that applies decides: banner, then item results, then the parameter block; a
// block in the same chunk as item results is read as well.
ChunkMeaning ReadChunk(std::string_view chunk);
