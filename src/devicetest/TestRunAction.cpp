#include "devicetest/TestRunAction.h"

#include "device/Utf8.h"

#include <type_traits>

namespace {

// Quoted, with CR and LF visible so that a missing line break shows in a failure message.
std::string Quoted(const std::u16string& text) {
    std::string out = "\"";
    for (const char c : Utf8(text)) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
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
