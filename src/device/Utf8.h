#pragma once
// The program's texts are UTF-16 inside; terminals, JSON and test messages read UTF-8.

#include <string>
#include <string_view>

// One code point as UTF-8, appended; a surrogate code point becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t code);

// Unpaired surrogates become U+FFFD.
std::string Utf8(std::u16string_view text);
