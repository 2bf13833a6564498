#include "ConfigField.h"

#include "trackerconfig/AlarmCommand.h"
#include "trackerconfig/WriteSetting.h"

namespace {

constexpr std::array<ConfigFieldInfo, kConfigFieldCount> kFields{{
    {ConfigField::Id, "id", ReadTarget::Id, ReplyType::Id, "id"},
    {ConfigField::Imei, "imei", ReadTarget::Imei, ReplyType::Imei, "imei"},
    {ConfigField::Password, "password", ReadTarget::Password, ReplyType::Password, "password"},
    {ConfigField::Ip, "ip", ReadTarget::IpAndPort, ReplyType::Ip, "ip", ReplyType::Port, "port"},
    {ConfigField::Apn, "apn", ReadTarget::Apn, ReplyType::Apn, "apn"},
    {ConfigField::TimeZone, "timezone", ReadTarget::TimeZone, ReplyType::TimeZone, "timezone"},
    {ConfigField::Interval, "interval", ReadTarget::ReportIntervals, ReplyType::IntervalOn,
     "interval-on", ReplyType::IntervalOff, "interval-off"},
    {ConfigField::ExtPowerAlarm, "extpower-alarm", ReadTarget::ExtPowerAlarm,
     ReplyType::ExtPowerAlarm, "extpower-alarm"},
    {ConfigField::VibrationAlarm, "vibration-alarm", ReadTarget::VibrationAlarm,
     ReplyType::VibrationAlarm, "vibration-alarm"},
}};

std::pair<std::u16string_view, std::u16string_view> SplitAtComma(std::u16string_view value) {
    const auto comma = value.find(u',');
    if (comma == std::u16string_view::npos)
        return {value, {}};
    return {value.substr(0, comma), value.substr(comma + 1)};
}

std::optional<bool> AlarmState(std::u16string_view value) {
    if (value == u"on")
        return true;
    if (value == u"off")
        return false;
    return std::nullopt;
}

} // namespace

const std::array<ConfigFieldInfo, kConfigFieldCount>& ConfigFields() {
    return kFields;
}

const ConfigFieldInfo& InfoOf(ConfigField field) {
    return kFields[static_cast<std::size_t>(field)];
}

std::optional<ConfigField> ConfigFieldNamed(std::string_view name) {
    for (const auto& info : kFields) {
        if (info.name == name)
            return info.field;
    }
    return std::nullopt;
}

std::string ConfigFieldNames() {
    std::string names;
    for (const auto& info : kFields) {
        if (!names.empty())
            names += ", ";
        names += info.name;
    }
    return names;
}

CommandCheck WriteCommand(ConfigField field, std::u16string_view value,
                          std::u16string_view password) {
    switch (field) {
    case ConfigField::Id:
        return WriteSetting(SettingKind::Id, password, value);
    case ConfigField::Imei:
        return WriteSetting(SettingKind::Imei, password, value);
    case ConfigField::Password:
        return WriteSetting(SettingKind::Password, password, value);
    case ConfigField::Ip: {
        const auto [ip, port] = SplitAtComma(value);
        return WriteSetting(SettingKind::IpAndPort, password, ip, port);
    }
    case ConfigField::Apn:
        return WriteSetting(SettingKind::Apn, password, value);
    case ConfigField::TimeZone:
        return WriteSetting(SettingKind::TimeZone, password, value);
    case ConfigField::Interval: {
        const auto [on, off] = SplitAtComma(value);
        return WriteSetting(SettingKind::ReportIntervals, password, on, off);
    }
    case ConfigField::ExtPowerAlarm:
    case ConfigField::VibrationAlarm: {
        const auto on = AlarmState(value);
        if (!on)
            return CommandCheck::Refuse(u"an alarm is set \"on\" or \"off\"");
        return CommandCheck::Send(AlarmCommand(
            field == ConfigField::ExtPowerAlarm ? Alarm::ExtPower : Alarm::Vibration, *on));
    }
    }
    return CommandCheck::Refuse(u"unknown setting");
}

std::u16string ReportedValue(ReplyType type, std::u16string_view text) {
    if (type == ReplyType::ExtPowerAlarm || type == ReplyType::VibrationAlarm) {
        // As the page sets its radio buttons from the stored "ON,<state>" / "OFF,0".
        if (text.find(u"ON,") != std::u16string_view::npos)
            return u"on";
        return u"off";
    }
    return std::u16string(text);
}

std::pair<std::u16string, std::u16string> WrittenValues(ConfigField field,
                                                        std::u16string_view value) {
    if (field == ConfigField::Ip || field == ConfigField::Interval) {
        const auto [first, second] = SplitAtComma(value);
        return {std::u16string(first), std::u16string(second)};
    }
    return {std::u16string(value), {}};
}
