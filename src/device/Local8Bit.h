#pragma once
// Device and file texts are 8-bit in the system's locale encoding, which is UTF-8 on the bench
// machines. Each byte of an invalid sequence becomes one U+FFFD, as the toolkit's own conversion
// does, so values read here compare equal to texts the pages convert themselves (a file in
// another encoding, such as GBK, then still matches a block in the same encoding).

#include <string>
#include <string_view>

std::u16string DecodeLocal8Bit(std::string_view bytes);
