#pragma once
// The device's and the run's texts are UTF-16 inside; the terminal reads UTF-8.

#include <string>
#include <string_view>

// Unpaired surrogates become U+FFFD.
std::string Utf8(std::u16string_view text);
