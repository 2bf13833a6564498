#include "Json.h"

#include <cmath>
#include <cstdio>

void Json::Separate() {
    if (!m_first)
        m_out += ',';
    m_first = false;
}

static void Escaped(std::string& out, unsigned code) {
    switch (code) {
    case '"':
        out += "\\\"";
        return;
    case '\\':
        out += "\\\\";
        return;
    default:
        break;
    }
    if (code >= 0x20 && code < 0x7F) {
        out += static_cast<char>(code);
        return;
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", code & 0xFFFF);
    out += buffer;
}

void Json::String(const char* text) {
    Separate();
    m_out += '"';
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        Escaped(m_out, *p);
    m_out += '"';
}

void Json::String(const char16_t* text) {
    Separate();
    m_out += '"';
    for (; *text; ++text)
        Escaped(m_out, *text);
    m_out += '"';
}

void Json::Double(double value) {
    Separate();
    if (!std::isfinite(value)) {
        m_out += "null";
        return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    m_out += buffer;
}

void Json::Integer(int64_t value) {
    Separate();
    m_out += std::to_string(value);
}

void Json::Thousandths(int64_t thousandths) {
    Separate();
    const uint64_t magnitude = thousandths < 0 ? 0 - static_cast<uint64_t>(thousandths)
                                               : static_cast<uint64_t>(thousandths);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%03llu", thousandths < 0 ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 1000),
                  static_cast<unsigned long long>(magnitude % 1000));
    m_out += buffer;
}

void Json::Null() {
    Separate();
    m_out += "null";
}

void Json::Bool(bool value) {
    Separate();
    m_out += value ? "true" : "false";
}

void Json::Key(const char* name) {
    Separate();
    m_out += '"';
    m_out += name;
    m_out += "\":";
    m_first = true;
}

void Json::BeginObject() {
    Separate();
    m_out += '{';
    m_first = true;
}

void Json::EndObject() {
    m_out += '}';
    m_first = false;
}

void Json::BeginArray() {
    Separate();
    m_out += '[';
    m_first = true;
}

void Json::EndArray() {
    m_out += ']';
    m_first = false;
}
