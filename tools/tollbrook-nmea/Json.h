#pragma once
// Small JSON writer for the decoding tool: one object per line, appended to a string buffer.

#include <cstdint>
#include <string>

class Json {
public:
    explicit Json(std::string& out) : m_out(out) {}

    // Text as a JSON string; bytes outside printable ASCII are written as \u00XX.
    void String(const char* text);
    void String(const char16_t* text);
    // 17 significant digits, so that the value reads back exactly; null when not finite.
    void Double(double value);
    void Integer(int64_t value);
    void Bool(bool value);
    void Key(const char* name); // writes "name": with a separating comma when needed
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();

private:
    void Separate();
    std::string& m_out;
    bool m_first = true;
};
