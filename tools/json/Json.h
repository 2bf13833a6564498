#pragma once
// Small JSON writer for the command-line tools: one object per line, appended to a string
// buffer. The output is plain ASCII (everything else escaped), so it reads the same whatever the
// reader's locale.

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
    // thousandths / 1000 with exactly three decimals (1500 gives 1.500): a time in seconds
    // measured in milliseconds, without the noise of a binary fraction.
    void Thousandths(int64_t thousandths);
    void Null();
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
