#pragma once
// Reads and writes tracker settings over an open port without a screen, with the configuration
// page's commands, checks and password rule: each command goes out, then the session waits (a
// bounded time) for the reply that answers it, split out of the stream as the program's receive
// path splits it. A password reply replaces the password for the commands that follow.

#include <csignal>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "CliOptions.h"
#include "PortReader.h"
#include "serial/CSio.h"
#include "trackerconfig/DeviceReplyRecord.h"

class ConfigSession {
public:
    using Progress = std::function<void(std::string_view line)>;

    ConfigSession(CSio& port, std::u16string password, std::int64_t timeoutMs, Progress progress,
                  const volatile std::sig_atomic_t& stop);

    struct Result {
        // JSON keys and values, in the order asked; a value is empty when no reply came.
        std::vector<std::pair<std::string, std::optional<std::u16string>>> values;
        bool allAnswered = true;
        bool allAsWritten = true; // every written value read back as written
        bool interrupted = false;
    };
    Result Read(const std::vector<ConfigField>& fields);
    Result Write(const std::vector<ConfigWrite>& writes);

private:
    // Sends the command and waits for a reply of `type`; true when it came.
    bool Exchange(std::u16string_view command, ReplyType type);
    void Take(std::string_view text);
    void Record(Result& result, const ConfigFieldInfo& info, bool answered);
    void Set(Result& result, std::string_view key, std::optional<std::u16string> value);

    CSio& m_port;
    PortReader m_reader;
    std::u16string m_password;
    std::int64_t m_timeoutMs;
    Progress m_progress;
    const volatile std::sig_atomic_t& m_stop;
    bool m_interrupted = false;
    DeviceReplyRecord m_record{};
    // The values of the replies that came since the last command was sent.
    std::map<ReplyType, std::u16string> m_fresh;
};
