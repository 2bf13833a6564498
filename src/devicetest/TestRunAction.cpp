#include "devicetest/TestRunAction.h"

#include <type_traits>

namespace {

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Quoted, with CR and LF visible so that a missing line break shows in a failure message.
std::string Quoted(const std::u16string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (code == u'\r') {
            out += "\\r";
        } else if (code == u'\n') {
            out += "\\n";
        } else {
            AppendUtf8(out, code);
        }
    }
    return out + "\"";
}

} // namespace

std::string Describe(const TestRunAction& action) {
    using namespace TestRunActions;
    return std::visit(
        [](const auto& a) -> std::string {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, Send>) {
                return "Send " + Quoted(a.command);
            } else if constexpr (std::is_same_v<A, Log>) {
                return "Log " + Quoted(a.text);
            } else if constexpr (std::is_same_v<A, ClearRunDisplays>) {
                return "ClearRunDisplays";
            } else if constexpr (std::is_same_v<A, SetIcon>) {
                return "SetIcon " + std::to_string(a.item) + (a.passed ? " passed" : " not passed");
            } else if constexpr (std::is_same_v<A, ShowSeconds>) {
                return std::string("ShowSeconds ") +
                       (a.kind == SecondsKind::RunTime ? "V " : "A ") + std::to_string(a.seconds);
            } else if constexpr (std::is_same_v<A, StartButtonCaption>) {
                return a.stopTest ? "StartButtonCaption stop" : "StartButtonCaption start";
            } else if constexpr (std::is_same_v<A, ShowParameterBlock>) {
                return "ShowParameterBlock " + Quoted(a.block);
            } else if constexpr (std::is_same_v<A, ShowVerdict>) {
                const char* kind = a.kind == VerdictKind::Passed   ? "passed "
                                   : a.kind == VerdictKind::Failed ? "failed "
                                                                   : "lost ";
                return std::string("ShowVerdict ") + kind + Quoted(a.text);
            } else if constexpr (std::is_same_v<A, ShowFault>) {
                return "ShowFault " + Quoted(a.text);
            } else {
                static_assert(std::is_same_v<A, RequestStart>);
                return "RequestStart";
            }
        },
        action);
}
