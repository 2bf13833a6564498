#pragma once

#include <string_view>

// The factory password. The page starts with it as devicePassword (replaced by every password
// reply); the mode, alarm, displacement and time commands always carry it.
inline constexpr std::u16string_view kFactoryPassword = u"864209";
