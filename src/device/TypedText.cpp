#include "device/TypedText.h"

#include <algorithm>

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string KeptPart(std::u16string_view inserted, const TypedTextRule& rule) {
    std::u16string kept;
    if (rule.digitsOnly) {
        for (const char16_t c : inserted) {
            if (c >= u'0' && c <= u'9')
                kept.push_back(c);
        }
    } else {
        kept = FirstLine(inserted);
    }
    return kept;
}

} // namespace

bool IsLineBreak(char16_t c) {
    switch (c) {
    case u'\n':
    case u'\r':
    case u'\v':
    case u'\f':
    case u'\u0085':
    case u'\u2028':
    case u'\u2029':
        return true;
    default:
        return false;
    }
}

std::u16string_view FirstLine(std::u16string_view text) {
    if (std::none_of(text.begin(), text.end(), IsLineBreak))
        return text;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsLineBreak(text[end]))
            ++end;
        const std::u16string_view line = text.substr(start, end - start);
        if (!std::all_of(line.begin(), line.end(), IsBlank))
            return line;
        start = end + 1;
    }
    return {};
}

std::optional<TypedTextResult> LimitTypedChange(std::u16string_view before,
                                                std::u16string_view after, std::size_t caret,
                                                TypedTextRule rule) {
    caret = std::min(caret, after.size());
    const std::size_t shorter = std::min(before.size(), after.size());

    // The change replaced before[p, before.size() - s) by after[p, after.size() - s). The
    // caret ends what was put in, so the unchanged start reaches no further than the caret.
    std::size_t p = 0;
    while (p < shorter && before[p] == after[p])
        ++p;
    p = std::min(p, caret);
    std::size_t s = 0;
    while (s < shorter - p && before[before.size() - 1 - s] == after[after.size() - 1 - s])
        ++s;

    const std::u16string_view inserted = after.substr(p, after.size() - p - s);
    if (inserted.empty())
        return TypedTextResult{std::u16string(after), caret};

    std::u16string kept = KeptPart(inserted, rule);
    const std::size_t unchanged = p + s;
    const std::size_t room = rule.maxLength > unchanged ? rule.maxLength - unchanged : 0;
    if (kept.size() > room) {
        kept.resize(room);
        // Never half of a character outside the basic plane.
        if (!kept.empty() && kept.back() >= 0xD800 && kept.back() <= 0xDBFF)
            kept.pop_back();
    }
    if (kept.empty())
        return std::nullopt;
    if (kept == inserted)
        return TypedTextResult{std::u16string(after), caret};

    TypedTextResult result;
    result.text.reserve(unchanged + kept.size());
    result.text.append(after.substr(0, p));
    result.text.append(kept);
    result.text.append(after.substr(after.size() - s));
    result.caret = p + kept.size();
    return result;
}
