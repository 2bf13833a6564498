#include "ConfigSession.h"

#include "PortLineSender.h"
#include "device/DeviceCommand.h"
#include "device/DeviceCommands.h"
#include "device/Local8Bit.h"
#include "device/Utf8.h"
#include "trackerconfig/FindDeviceReply.h"
#include "trackerconfig/ReadCommand.h"

#include <algorithm>

namespace {

constexpr std::int64_t kMaxWaitMs = 50;

// The command as it goes out, for the progress lines.
std::string Shown(std::u16string_view command) {
    return Utf8(DeviceCommands::TypedForm(command));
}

} // namespace

ConfigSession::ConfigSession(CSio& port, std::u16string password, std::int64_t timeoutMs,
                             Progress progress, const volatile std::sig_atomic_t& stop)
    : m_port(port), m_reader(port), m_password(std::move(password)), m_timeoutMs(timeoutMs),
      m_progress(std::move(progress)), m_stop(stop) {
    // As the configuration page does when it comes on screen: replies then come on their own
    // instead of between NMEA sentences.
    PortLineSender sender(m_port);
    SendDeviceCommand(sender, DeviceCommands::kGpsTestOutputOff);
}

void ConfigSession::Take(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::vector<DeviceReplyField> fields;
        const DeviceReplySpan reply = FindDeviceReply(text, at, m_record, fields);
        if (!fields.empty()) {
            std::string shown(text.substr(reply.begin, reply.end - reply.begin));
            while (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n'))
                shown.pop_back();
            m_progress("< " + shown);
        }
        for (const DeviceReplyField& field : fields) {
            std::u16string value = DecodeLocal8Bit(field.text);
            // The page's rule: the device's password reply is the password from now on.
            if (field.type == ReplyType::Password)
                m_password = value;
            m_fresh[field.type] = std::move(value);
        }
        at = reply.end;
    }
}

bool ConfigSession::Exchange(std::u16string_view command, ReplyType type) {
    if (m_interrupted)
        return false;
    m_fresh.clear();
    m_progress("> " + Shown(command));
    PortLineSender sender(m_port);
    if (!SendDeviceCommand(sender, command)) {
        m_progress("command too long for the device, not sent");
        return false;
    }
    const std::int64_t deadline = m_reader.NowMs() + m_timeoutMs;
    for (;;) {
        if (m_fresh.count(type) != 0)
            return true;
        if (m_stop) {
            m_interrupted = true;
            return false;
        }
        const std::int64_t left = deadline - m_reader.NowMs();
        if (left <= 0)
            return false;
        const PortReader::Step step = m_reader.Next(std::min(left, kMaxWaitMs));
        Take(step.ready);
        if (step.lost) {
            m_progress("the port went away");
            m_interrupted = true;
            return m_fresh.count(type) != 0;
        }
    }
}

void ConfigSession::Set(Result& result, std::string_view key, std::optional<std::u16string> value) {
    // A setting asked twice reports its last answer once.
    for (auto& entry : result.values) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    result.values.emplace_back(std::string(key), std::move(value));
}

void ConfigSession::Record(Result& result, const ConfigFieldInfo& info, bool answered) {
    if (!answered) {
        result.allAnswered = false;
        m_progress("no reply for " + std::string(info.name));
        Set(result, info.key, std::nullopt);
        if (info.second != ReplyType::None)
            Set(result, info.secondKey, std::nullopt);
        return;
    }
    Set(result, info.key, ReportedValue(info.reply, m_fresh[info.reply]));
    if (info.second != ReplyType::None)
        Set(result, info.secondKey, m_fresh[info.second]);
}

ConfigSession::Result ConfigSession::Read(const std::vector<ConfigField>& fields) {
    Result result;
    for (const ConfigField field : fields) {
        const ConfigFieldInfo& info = InfoOf(field);
        Record(result, info, Exchange(ReadCommand(info.read, m_password), info.reply));
    }
    result.interrupted = m_interrupted;
    return result;
}

ConfigSession::Result ConfigSession::Write(const std::vector<ConfigWrite>& writes) {
    Result result;
    for (const ConfigWrite& write : writes) {
        const ConfigFieldInfo& info = InfoOf(write.field);
        // Checked when the command line was read; composed now with the password in force.
        const CommandCheck check = WriteCommand(write.field, write.value, m_password);
        bool answered = check.ok() && Exchange(check.command, info.reply);
        if (!answered && check.ok() && !m_interrupted) {
            // Not every firmware confirms a write: what it reads back tells.
            m_progress("no reply to the write of " + std::string(info.name) + "; reading it back");
            answered = Exchange(ReadCommand(info.read, m_password), info.reply);
        }
        Record(result, info, answered);
        if (!answered)
            continue;
        const auto [first, second] = WrittenValues(write.field, write.value);
        const bool asWritten = ReportedValue(info.reply, m_fresh[info.reply]) == first &&
                               (info.second == ReplyType::None || m_fresh[info.second] == second);
        if (!asWritten) {
            result.allAsWritten = false;
            m_progress("the device did not take the value of " + std::string(info.name));
        }
    }
    result.interrupted = m_interrupted;
    return result;
}
