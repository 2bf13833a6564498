#include "device/Local8Bit.h"

#include <cstdint>

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0u) == 0x80u;
}

} // namespace

std::u16string DecodeLocal8Bit(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80u) {
            out.push_back(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        std::size_t extra = 0;
        std::uint32_t code = 0;
        std::uint32_t minimum = 0;
        if (lead >= 0xC2u && lead <= 0xDFu) {
            extra = 1;
            code = lead & 0x1Fu;
            minimum = 0x80;
        } else if (lead >= 0xE0u && lead <= 0xEFu) {
            extra = 2;
            code = lead & 0x0Fu;
            minimum = 0x800;
        } else if (lead >= 0xF0u && lead <= 0xF4u) {
            extra = 3;
            code = lead & 0x07u;
            minimum = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t used = 1;
        while (used <= extra && i + used < bytes.size() &&
               IsContinuation(static_cast<unsigned char>(bytes[i + used]))) {
            code = (code << 6) | (static_cast<unsigned char>(bytes[i + used]) & 0x3Fu);
            ++used;
        }
        if (used != extra + 1 || code < minimum || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            // Only the lead byte is replaced; the bytes after it are read again on their own,
            // so each byte of a broken sequence becomes one replacement character.
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += used;
    }
    return out;
}
