#include "recordstore/QSettingsIni.h"

#include "device/Utf8.h"
#include "recordstore/HexDigit.h"

#include <cstdint>
#include <vector>

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Keys and sections: %XX and %UXXXX stand for characters, '\' for '/'.
std::string UnescapedKey(std::string_view key) {
    std::string out;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        if (c == '\\') {
            out += '/';
        } else if (c == '%' && i + 2 < key.size() && key[i + 1] != 'U' &&
                   HexDigitValue(key[i + 1]) >= 0 && HexDigitValue(key[i + 2]) >= 0) {
            AppendUtf8(out, static_cast<char32_t>(HexDigitValue(key[i + 1]) * 16 +
                                                  HexDigitValue(key[i + 2])));
            i += 2;
        } else if (c == '%' && i + 5 < key.size() && key[i + 1] == 'U' &&
                   HexDigitValue(key[i + 2]) >= 0 && HexDigitValue(key[i + 3]) >= 0 &&
                   HexDigitValue(key[i + 4]) >= 0 && HexDigitValue(key[i + 5]) >= 0) {
            char32_t code = 0;
            for (int k = 2; k <= 5; ++k)
                code = code * 16 +
                       static_cast<char32_t>(HexDigitValue(key[i + static_cast<std::size_t>(k)]));
            AppendUtf8(out, code);
            i += 5;
        } else {
            out += c;
        }
    }
    return out;
}

void ChopTrailingSpaces(std::string& text, std::size_t limit) {
    while (text.size() > limit && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
}

// The value as QSettings unescapes it: a list when it has unquoted commas.
std::vector<std::string> UnescapedValue(std::string_view text, bool& isList) {
    std::vector<std::string> list;
    std::string current;
    bool inQuotes = false;
    bool quoted = false;
    isList = false;
    std::size_t i = 0;
    std::size_t chopLimit = 0;
    auto skipSpaces = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        chopLimit = current.size();
    };
    skipSpaces();
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            ++i;
            if (i >= text.size())
                break;
            const char e = text[i++];
            static constexpr char kCodes[][2] = {
                {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
                {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
            bool done = false;
            for (const auto& code : kCodes) {
                if (e == code[0]) {
                    current += code[1];
                    done = true;
                    break;
                }
            }
            if (!done && e == 'x' && i < text.size() && HexDigitValue(text[i]) >= 0) {
                // As QSettings reads it: hex digits into a 16-bit unit.
                std::uint16_t value = 0;
                while (i < text.size() && HexDigitValue(text[i]) >= 0)
                    value = static_cast<std::uint16_t>((value << 4) + HexDigitValue(text[i++]));
                AppendUtf8(current, value);
            } else if (!done && e >= '0' && e <= '7') {
                std::uint16_t value = static_cast<std::uint16_t>(e - '0');
                while (i < text.size() && text[i] >= '0' && text[i] <= '7')
                    value = static_cast<std::uint16_t>((value << 3) + (text[i++] - '0'));
                AppendUtf8(current, value);
            } else if (!done && (e == '\n' || e == '\r')) {
                if (i < text.size() && (text[i] == '\n' || text[i] == '\r') && text[i] != e)
                    ++i;
            }
            chopLimit = current.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipSpaces();
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                ChopTrailingSpaces(current, chopLimit);
            isList = true;
            list.push_back(std::move(current));
            current.clear();
            quoted = false;
            ++i;
            skipSpaces();
        } else {
            current += c;
            ++i;
        }
    }
    if (!quoted)
        ChopTrailingSpaces(current, chopLimit);
    list.push_back(std::move(current));
    return list;
}

// What value(...).toString() gives for the stored text.
std::string AsString(std::string_view rawValue) {
    bool isList = false;
    std::vector<std::string> values = UnescapedValue(rawValue, isList);
    if (isList)
        return values.size() == 1 ? values.front() : std::string();
    std::string& value = values.front();
    if (value.starts_with("@@"))
        return value.substr(1);
    if (value.starts_with("@ByteArray(") && value.ends_with(")"))
        return value.substr(11, value.size() - 12);
    if (value.starts_with("@"))
        return {}; // a variant of another type (a list, a size, ...) is no string
    return value;
}

} // namespace

std::map<std::string, std::string> ParseQSettingsIni(std::string_view text) {
    std::map<std::string, std::string> values;
    std::string section;
    std::size_t at = 0;
    if (text.starts_with("\xEF\xBB\xBF"))
        at = 3;
    while (at < text.size()) {
        // One logical line: quotes and backslash-newline carry it on; an unquoted ';' starts
        // a comment that runs to the line's end.
        const std::size_t lineStart = at;
        std::size_t contentEnd = std::string_view::npos;
        std::size_t equals = std::string_view::npos;
        bool inQuotes = false;
        while (at < text.size()) {
            const char c = text[at];
            if ((c == '\n' || c == '\r') && !inQuotes)
                break;
            if (c == '\\' && at + 1 < text.size()) {
                at += 2;
                if (text[at - 1] == '\r' && at < text.size() && text[at] == '\n')
                    ++at;
                continue;
            }
            if (c == '"')
                inQuotes = !inQuotes;
            else if (c == '=' && !inQuotes && equals == std::string_view::npos &&
                     contentEnd == std::string_view::npos)
                equals = at;
            else if (c == ';' && !inQuotes && contentEnd == std::string_view::npos)
                contentEnd = at;
            ++at;
        }
        const std::size_t lineEnd = at;
        while (at < text.size() && (text[at] == '\n' || text[at] == '\r'))
            ++at;
        const std::string_view line = text.substr(
            lineStart, (contentEnd == std::string_view::npos ? lineEnd : contentEnd) - lineStart);
        const std::string_view trimmed = Trimmed(line);
        if (trimmed.empty())
            continue;
        if (trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            std::string name = UnescapedKey(trimmed.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            if (name == "General")
                name.clear();
            else if (name == "%General")
                name = "General";
            section = name;
            continue;
        }
        if (equals == std::string_view::npos || equals >= lineStart + line.size())
            continue;
        const std::string key = UnescapedKey(Trimmed(text.substr(lineStart, equals - lineStart)));
        if (key.empty())
            continue;
        const std::string_view raw =
            text.substr(equals + 1, lineStart + line.size() - (equals + 1));
        values[section.empty() ? key : section + "/" + key] = AsString(raw);
    }
    return values;
}
