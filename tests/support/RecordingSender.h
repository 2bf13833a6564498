#pragma once
// Stands in for the main frame: records the texts handed to SendLine.

#include <string>
#include <vector>

#include "device/ILineSender.h"

class RecordingSender : public ILineSender {
public:
    void SendLine(const char* text) override { lines.emplace_back(text); }
    // What the port sees: SendLine writes the text, then CR LF.
    std::string Wire(std::size_t i) const { return lines.at(i) + "\r\n"; }

    std::vector<std::string> lines;
};
