#pragma once
// Result of composing a configuration command from what the operator entered: either the
// command to send, or the message that explains why nothing is sent.

#include <string>

struct CommandCheck {
    std::u16string command; // when ok()
    std::u16string message; // when !ok(): show it, send nothing

    bool ok() const { return message.empty(); }

    static CommandCheck Send(std::u16string command) { return {std::move(command), {}}; }
    static CommandCheck Refuse(std::u16string message) { return {{}, std::move(message)}; }
};
