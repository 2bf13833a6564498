#pragma once
// Cuts the received bytes into command lines. CR, LF and any run of them end a line, so
// CR LF and the doubled CR LF CR LF that Tollbrook sends yield one line; empty lines are
// dropped. A line may arrive in any number of pieces.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CommandLineAssembler {
public:
    // Longer lines are no command of the device: they are dropped up to their line end.
    static constexpr std::size_t kMaxLine = 512;

    std::vector<std::string> Feed(std::string_view bytes);

private:
    std::string m_line;
    bool m_overlong = false;
};
