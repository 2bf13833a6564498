#include "trackerconfig/WriteSetting.h"

#include <initializer_list>

namespace {

CommandCheck Compose(std::u16string_view keyword, std::u16string_view password,
                     std::initializer_list<std::u16string_view> values) {
    std::u16string command(keyword);
    command += u',';
    command += password;
    for (const auto value : values) {
        command += u',';
        command += value;
    }
    command += u"#\r\n";
    return CommandCheck::Send(std::move(command));
}

} // namespace

CommandCheck WriteSetting(SettingKind kind, std::u16string_view password, std::u16string_view value,
                          std::u16string_view second) {
    switch (kind) {
    case SettingKind::Id:
        if (value.empty()) {
            return CommandCheck::Refuse(u"ID is empty!");
        }
        return Compose(u"AT+SMS=ID", password, {value});
    case SettingKind::Imei:
        if (value.empty()) {
            return CommandCheck::Refuse(u"IMEI is empty!");
        }
        if (value.size() != 15) {
            return CommandCheck::Refuse(u"IMEI Length should be 15");
        }
        return Compose(u"AT+SMS=IMEI", password, {value});
    case SettingKind::IpAndPort:
        return Compose(u"AT+SMS=IP", password, {value, second});
    case SettingKind::Password:
        if (value.empty()) {
            return CommandCheck::Refuse(u"Password is empty!");
        }
        if (value.size() != 6) {
            return CommandCheck::Refuse(u"the length of password is 6!");
        }
        return Compose(u"AT+SMS=PASSWORD", password, {value});
    case SettingKind::Apn:
        if (value.empty()) {
            return CommandCheck::Refuse(u"APN is empty!");
        }
        return Compose(u"AT+SMS=APN", password, {value});
    case SettingKind::TimeZone:
        if (value.empty()) {
            return CommandCheck::Refuse(u"Time zone is empty!");
        }
        return Compose(u"AT+SMS=TIMEZONE", password, {value});
    case SettingKind::ReportIntervals:
        if (value.empty() || second.empty()) {
            // Both empty asks for the OFF value first, as does a missing OFF value alone.
            return CommandCheck::Refuse(value.empty() && !second.empty()
                                            ? u"input ACC on interval,please!"
                                            : u"input ACC off interval,please!");
        }
        return Compose(u"AT+SMS=interval", password, {value, second});
    }
    return CommandCheck::Refuse(u"Unknown setting");
}
