#include "device/ReplyReassembler.h"

#include <algorithm>
#include <array>

namespace {

constexpr auto npos = std::string_view::npos;

constexpr std::string_view kReplyStart = "AT+";
constexpr std::string_view kReplyEnd = "#";
constexpr std::string_view kResultKey = "AT+TEST_";
constexpr std::string_view kResultSeparator = "==";
constexpr std::string_view kBanner = "Welcome";
constexpr std::string_view kBlockOpen = "<SETTING";
constexpr std::string_view kBlockClose = "SETTING>";

// Where a proper prefix of token ends text, or npos.
std::size_t TrailingPrefixOf(std::string_view text, std::string_view token) {
    const std::size_t longest = std::min(text.size(), token.size() - 1);
    for (std::size_t n = longest; n > 0; --n) {
        if (text.substr(text.size() - n) == token.substr(0, n))
            return text.size() - n;
    }
    return npos;
}

// A result token is whole once a digit follows its "==".
bool IsWholeResultToken(std::string_view fromKey) {
    const auto separator = fromKey.find(kResultSeparator, kResultKey.size());
    if (separator == npos)
        return false;
    const auto digit = separator + kResultSeparator.size();
    return digit < fromKey.size() && fromKey[digit] >= '0' && fromKey[digit] <= '9';
}

} // namespace

std::size_t ReplyReassembler::HoldPoint(std::string_view text) {
    std::size_t hold = text.size();
    // An open parameter block spans lines: hold from its opening mark.
    const auto open = text.rfind(kBlockOpen);
    if (open != npos && text.find(kBlockClose, open + kBlockOpen.size()) == npos)
        hold = open;
    // Replies and tokens sit on one line: only the last, unfinished line can hold one.
    const auto lineEnd = text.find_last_of("\r\n");
    const std::size_t lineStart = lineEnd == npos ? 0 : lineEnd + 1;
    const std::string_view line = text.substr(lineStart);
    const auto reply = line.rfind(kReplyStart);
    if (reply != npos) {
        const std::string_view fromKey = line.substr(reply);
        const bool finished = fromKey.find(kReplyEnd) != npos ||
                              (fromKey.starts_with(kResultKey) && IsWholeResultToken(fromKey));
        if (!finished)
            hold = std::min(hold, lineStart + reply);
    }
    for (const std::string_view token : {kReplyStart, kBanner, kBlockOpen}) {
        const auto prefix = TrailingPrefixOf(text, token);
        if (prefix != npos)
            hold = std::min(hold, prefix);
    }
    return hold;
}

std::string ReplyReassembler::Take(std::string_view bytes, std::int64_t nowMs) {
    if (m_held.empty())
        m_heldSinceMs = nowMs;
    m_held.append(bytes);
    if (m_held.empty())
        return {};
    if (nowMs - m_heldSinceMs >= kHoldLimitMs || m_held.size() > kHoldLimitBytes)
        return Flush();
    const std::size_t hold = HoldPoint(m_held);
    std::string ready = m_held.substr(0, hold);
    m_held.erase(0, hold);
    // What is still held began in this read or earlier; a fresh hold starts its clock now.
    if (!ready.empty())
        m_heldSinceMs = nowMs;
    return ready;
}

std::string ReplyReassembler::Flush() {
    std::string all;
    all.swap(m_held);
    return all;
}
