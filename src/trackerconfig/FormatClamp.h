#pragma once

#include <cstddef>

// Length actually written by snprintf into a buffer of `size` bytes.
constexpr std::size_t Clamp(int written, std::size_t size) {
    if (written <= 0) {
        return 0;
    }
    return static_cast<std::size_t>(written) < size ? static_cast<std::size_t>(written) : size - 1;
}
