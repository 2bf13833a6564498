#include "devicetest/LabelledValues.h"

#include <cstdint>

namespace {

using Pos = std::int64_t;
constexpr auto npos = std::u16string_view::npos;

Pos FindOrMinusOne(std::u16string_view text, std::u16string_view what) {
    const auto at = text.find(what);
    return at == npos ? -1 : static_cast<Pos>(at);
}

// The part of the text that begins at start and holds count characters; a start below 0 counts
// as 0, a count below 1 gives nothing, and the part is cut at the end of the text.
std::u16string Cut(std::u16string_view text, Pos start, Pos count) {
    const auto size = static_cast<Pos>(text.size());
    if (start < 0) {
        start = 0;
    }
    if (count <= 0 || start >= size) {
        return {};
    }
    const Pos available = size - start;
    return std::u16string(
        text.substr(static_cast<std::size_t>(start),
                    static_cast<std::size_t>(count < available ? count : available)));
}

// Where the nearest label of the table (or the closing marker) at or after `from` begins.
Pos NextLabel(std::u16string_view text, std::size_t from) {
    std::size_t next = text.size();
    for (const auto& row : ParameterLabels()) {
        const auto at = text.find(row.label, from);
        if (at != npos && at < next) {
            next = at;
        }
    }
    const auto close = text.find(kParameterTextEnd, from);
    if (close != npos && close < next) {
        next = close;
    }
    return static_cast<Pos>(next);
}

} // namespace

LabelledValues SplitByLabels(std::u16string_view text, ValueEnd end) {
    LabelledValues result;
    const auto& rows = ParameterLabels();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto& label = rows[row];
        const auto length = static_cast<Pos>(label.label.size());
        const Pos s = FindOrMinusOne(text, label.label);
        result.found[row] = s >= 0;
        Pos e = -1;
        if (end == ValueEnd::NextRowsLabel) {
            const std::u16string_view endLabel =
                row + 1 < rows.size() ? rows[row + 1].label : kParameterTextEnd;
            e = FindOrMinusOne(text, endLabel);
        } else if (s >= 0) {
            e = NextLabel(text, static_cast<std::size_t>(s + length));
        } else {
            continue; // no label, no value
        }
        result.values.*label.field = Cut(text, s + length, e - s - length);
    }
    return result;
}
