#pragma once
// Device and file texts are 8-bit in the system's locale encoding, which is UTF-8 on the bench
// machines. Invalid sequences become U+FFFD, as the toolkit's own conversion does, so values
// read here compare equal to texts the pages convert themselves.

#include <string>
#include <string_view>

std::u16string DecodeLocal8Bit(std::string_view bytes);
