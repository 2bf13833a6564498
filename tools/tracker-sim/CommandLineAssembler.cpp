#include "CommandLineAssembler.h"

std::vector<std::string> CommandLineAssembler::Feed(std::string_view bytes) {
    std::vector<std::string> lines;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_line.empty() && !m_overlong)
                lines.push_back(m_line);
            m_line.clear();
            m_overlong = false;
            continue;
        }
        if (c == '\0' || m_overlong)
            continue;
        if (m_line.size() == kMaxLine) {
            m_line.clear();
            m_overlong = true;
            continue;
        }
        m_line += c;
    }
    return lines;
}
