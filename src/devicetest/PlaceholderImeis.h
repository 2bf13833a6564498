#pragma once
// IMEIs that devices report before their real IMEI has been written at the bench. A block that
// contains one of them (anywhere) belongs to a device that is not finished.

#include <array>
#include <string_view>

inline constexpr std::array<std::u16string_view, 3> kPlaceholderImeis{
    u"123456789012345",
    u"000000000000000",
    u"860000000000000",
};
