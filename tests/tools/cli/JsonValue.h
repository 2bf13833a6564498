#pragma once
// A strict little JSON reader for the tests: the tool's output must be one well-formed object,
// and its strings are compared as UTF-8 after the \u escapes are undone.

#include "device/Utf8.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text; // UTF-8
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    bool Has(const std::string& key) const { return members.count(key) != 0; }
    const JsonValue& operator[](const std::string& key) const {
        static const JsonValue missing;
        const auto it = members.find(key);
        return it == members.end() ? missing : it->second;
    }
    bool IsNull() const { return kind == Kind::Null; }
};

namespace json_detail {

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> Document() {
        auto value = Value();
        Blank();
        if (!value || m_at != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    void Blank() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' ||
                                        m_text[m_at] == '\r' || m_text[m_at] == '\t'))
            ++m_at;
    }
    bool Eat(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }
    std::optional<std::uint32_t> Hex4() {
        if (m_at + 4 > m_text.size())
            return std::nullopt;
        std::uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return std::nullopt;
        }
        return code;
    }
    std::optional<std::string> String() {
        if (!Eat("\""))
            return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                return std::nullopt;
            const char e = m_text[m_at++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                auto code = Hex4();
                if (!code)
                    return std::nullopt;
                if (*code >= 0xD800 && *code < 0xDC00) {
                    if (!Eat("\\u"))
                        return std::nullopt;
                    const auto low = Hex4();
                    if (!low || *low < 0xDC00 || *low >= 0xE000)
                        return std::nullopt;
                    code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                }
                AppendUtf8(out, *code);
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::optional<JsonValue> Value() {
        Blank();
        JsonValue value;
        if (m_at >= m_text.size())
            return std::nullopt;
        const char c = m_text[m_at];
        if (Eat("null"))
            return value;
        if (Eat("true") || Eat("false")) {
            value.kind = JsonValue::Kind::Bool;
            value.boolean = c == 't';
            return value;
        }
        if (c == '"') {
            auto text = String();
            if (!text)
                return std::nullopt;
            value.kind = JsonValue::Kind::String;
            value.text = std::move(*text);
            return value;
        }
        if (c == '[' || c == '{') {
            const bool object = c == '{';
            value.kind = object ? JsonValue::Kind::Object : JsonValue::Kind::Array;
            ++m_at;
            Blank();
            if (Eat(object ? "}" : "]"))
                return value;
            for (;;) {
                Blank();
                std::string key;
                if (object) {
                    auto name = String();
                    Blank();
                    if (!name || !Eat(":") || value.members.count(*name) != 0)
                        return std::nullopt; // a key twice is a fault of the writer
                    key = std::move(*name);
                }
                auto item = Value();
                if (!item)
                    return std::nullopt;
                if (object)
                    value.members.emplace(std::move(key), std::move(*item));
                else
                    value.items.push_back(std::move(*item));
                Blank();
                if (Eat(","))
                    continue;
                if (Eat(object ? "}" : "]"))
                    return value;
                return std::nullopt;
            }
        }
        const std::size_t start = m_at;
        while (m_at < m_text.size() &&
               std::string_view("+-0123456789.eE").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        if (start == m_at)
            return std::nullopt;
        value.kind = JsonValue::Kind::Number;
        value.number = std::stod(std::string(m_text.substr(start, m_at - start)));
        return value;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace json_detail

inline std::optional<JsonValue> ParseJson(std::string_view text) {
    return json_detail::Reader(text).Document();
}
