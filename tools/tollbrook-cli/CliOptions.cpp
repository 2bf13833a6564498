#include "CliOptions.h"

#include "device/Utf8.h"

#include "device/Local8Bit.h"
#include "trackerconfig/DevicePassword.h"

#include <cctype>
#include <charconv>

namespace {

constexpr std::array<std::string_view, kTestItemCount> kItemNames{"SIM",     "GSM", "GPS",
                                                                  "GSENSOR", "ACC", "EXTPOWER"};

constexpr std::int64_t kMaxLimitSeconds = 24 * 3600;
constexpr std::int64_t kMaxTimeoutSeconds = 600;
constexpr std::int64_t kMaxBaud = 4000000;

std::optional<std::int64_t> Integer(std::string_view text, std::int64_t low, std::int64_t high) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// "SIM,gps" -> the selected items; an empty or unknown name refuses the list.
bool ParseItems(std::string_view text, std::array<bool, kTestItemCount>& items,
                std::string& error) {
    items.fill(false);
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        const std::string name = Upper(text.substr(start, comma - start));
        std::size_t i = 0;
        while (i < kTestItemCount && kItemNames[i] != name)
            ++i;
        if (i == kTestItemCount) {
            error = "unknown test item '" + name + "' (items: SIM, GSM, GPS, GSENSOR, ACC, " +
                    "EXTPOWER)";
            return false;
        }
        items[i] = true;
        if (comma == std::string_view::npos)
            return true;
        start = comma + 1;
    }
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : m_args(args) {}

    CliParse Parse() {
        CliParse result;
        if (m_args.empty())
            return Refuse("no command given");
        const std::string& command = m_args[0];
        CliOptions options;
        options.password = std::u16string(kFactoryPassword);
        if (command == "--help" || command == "-h" || command == "help") {
            result.options = options;
            return result;
        }
        if (command == "test")
            options.command = CliCommand::Test;
        else if (command == "read")
            options.command = CliCommand::Read;
        else if (command == "write")
            options.command = CliCommand::Write;
        else if (command == "records")
            options.command = CliCommand::Records;
        else
            return Refuse("unknown command '" + command + "'");

        for (m_at = 1; m_at < m_args.size(); ++m_at) {
            std::string arg = m_args[m_at];
            if (arg == "--help" || arg == "-h") {
                options.command = CliCommand::Help;
                result.options = options;
                return result;
            }
            if (!arg.starts_with("--")) {
                if (!Positional(arg, options))
                    return Refuse(m_error);
                continue;
            }
            std::optional<std::string> value;
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.resize(eq);
            }
            if (!Option(arg, value, options))
                return Refuse(m_error);
        }
        if (!Complete(options))
            return Refuse(m_error);
        result.options = options;
        return result;
    }

private:
    static CliParse Refuse(std::string error) { return CliParse{std::nullopt, std::move(error)}; }

    bool Fail(std::string error) {
        m_error = std::move(error);
        return false;
    }

    // The option's value: after "=" or the next argument.
    bool Value(const std::string& name, std::optional<std::string>& value) {
        if (value)
            return true;
        if (m_at + 1 >= m_args.size())
            return Fail("option " + name + " needs a value");
        value = m_args[++m_at];
        return true;
    }

    bool Flag(const std::string& name, const std::optional<std::string>& value, bool& flag) {
        if (value)
            return Fail("option " + name + " takes no value");
        flag = true;
        return true;
    }

    bool RecordsOption(const std::string& name, std::optional<std::string> value,
                       CliOptions& options) {
        if (name == "--json" || name == "--csv") {
            bool set = false;
            if (!Flag(name, value, set))
                return false;
            if (m_formatGiven)
                return Fail("records takes one of --json and --csv");
            m_formatGiven = true;
            options.format = name == "--json" ? RecordsFormat::Json : RecordsFormat::Csv;
            return true;
        }
        const bool known = name == "--db" || name == "--imei" || name == "--since" ||
                           name == "--until" || name == "--verdict" || name == "--station";
        if (!known)
            return Fail("unknown option '" + name + "' for records");
        if (!Value(name, value))
            return false;
        if (name == "--db")
            return Db(*value, options);
        if (name == "--imei") {
            options.filter.imeiPart = *value;
        } else if (name == "--since" || name == "--until") {
            if (!IsRecordDate(*value))
                return Fail("option " + name + " expects a date YYYY-MM-DD, got '" + *value + "'");
            (name == "--since" ? options.filter.sinceDate : options.filter.untilDate) = *value;
        } else if (name == "--verdict") {
            const auto verdict = VerdictFromColumnText(Upper(*value));
            if (!verdict)
                return Fail("option --verdict expects PASS, FAIL or INTERRUPTED, got '" + *value +
                            "'");
            options.filter.verdict = verdict;
        } else if (name == "--station") {
            if (value->empty())
                return Fail("option --station needs a name");
            options.filter.station = *value;
        }
        return true;
    }

    bool Db(const std::string& text, CliOptions& options) {
        const StoreLocationParse parsed = ParseStoreLocation(text);
        if (!parsed.location)
            return Fail("option --db: " + parsed.error);
        options.db = parsed.location;
        return true;
    }

    bool Option(const std::string& name, std::optional<std::string> value, CliOptions& options) {
        if (options.command == CliCommand::Records)
            return RecordsOption(name, std::move(value), options);
        const bool test = options.command == CliCommand::Test;
        const bool config = !test;
        if (name == "--check-imei" && test)
            return Flag(name, value, options.checkImei);
        if (name == "--no-record" && test)
            return Flag(name, value, options.noRecord);
        if (test && (name == "--db" || name == "--station" || name == "--operator")) {
            if (!Value(name, value))
                return false;
            if (name == "--db")
                return Db(*value, options);
            if (name == "--station" && value->empty())
                return Fail("option --station needs a name");
            (name == "--station" ? options.station : options.operatorName) = *value;
            return true;
        }
        const bool known =
            name == "--port" || name == "--baud" ||
            (test && (name == "--params" || name == "--limit" || name == "--items")) ||
            (config && (name == "--password" || name == "--timeout"));
        if (!known)
            return Fail("unknown option '" + name + "' for " + m_args[0]);
        if (!Value(name, value))
            return false;
        if (name == "--port") {
            if (value->empty())
                return Fail("option --port needs a device path");
            options.port = *value;
        } else if (name == "--baud") {
            const auto baud = Integer(*value, 1, kMaxBaud);
            if (!baud)
                return Fail("option --baud expects a baud rate, got '" + *value + "'");
            options.baud = static_cast<int>(*baud);
        } else if (name == "--params") {
            if (value->empty())
                return Fail("option --params needs a file");
            options.paramsPath = *value;
        } else if (name == "--limit") {
            const auto limit = Integer(*value, 0, kMaxLimitSeconds);
            if (!limit)
                return Fail("option --limit expects whole seconds from 0 to " +
                            std::to_string(kMaxLimitSeconds) + ", got '" + *value + "'");
            options.limitSeconds = *limit;
        } else if (name == "--items") {
            return ParseItems(*value, options.items, m_error);
        } else if (name == "--password") {
            if (value->empty())
                return Fail("option --password needs a value");
            options.password = DecodeLocal8Bit(*value);
        } else if (name == "--timeout") {
            const auto seconds = Integer(*value, 1, kMaxTimeoutSeconds);
            if (!seconds)
                return Fail("option --timeout expects whole seconds from 1 to " +
                            std::to_string(kMaxTimeoutSeconds) + ", got '" + *value + "'");
            options.timeoutMs = *seconds * 1000;
        }
        return true;
    }

    bool Positional(const std::string& arg, CliOptions& options) {
        if (options.command == CliCommand::Test || options.command == CliCommand::Records)
            return Fail("unexpected argument '" + arg + "'");
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const auto field = ConfigFieldNamed(name);
        if (!field)
            return Fail("unknown setting '" + name + "' (settings: " + ConfigFieldNames() + ")");
        if (options.command == CliCommand::Read) {
            if (eq != std::string::npos)
                return Fail("read takes setting names without values, got '" + arg + "'");
            options.reads.push_back(*field);
            return true;
        }
        if (eq == std::string::npos)
            return Fail("write takes SETTING=VALUE, got '" + arg + "'");
        ConfigWrite write{*field, DecodeLocal8Bit(std::string_view(arg).substr(eq + 1))};
        // The page's checks, before anything is sent: a refused value sends nothing at all.
        const CommandCheck check = WriteCommand(write.field, write.value, options.password);
        if (!check.ok())
            return Fail(name + ": " + Utf8(check.message));
        options.writes.push_back(std::move(write));
        return true;
    }

    bool Complete(const CliOptions& options) {
        if (options.command == CliCommand::Records) {
            if (!m_formatGiven)
                return Fail("records needs --json or --csv");
            return true;
        }
        if (options.port.empty())
            return Fail(m_args[0] + " needs --port PATH");
        if (options.command == CliCommand::Test && options.paramsPath.empty())
            return Fail("test needs --params FILE: a run checks the device against it");
        if (options.command == CliCommand::Read && options.reads.empty())
            return Fail("read needs at least one setting (" + ConfigFieldNames() + ")");
        if (options.command == CliCommand::Write && options.writes.empty())
            return Fail("write needs at least one SETTING=VALUE");
        return true;
    }

    const std::vector<std::string>& m_args;
    std::size_t m_at = 0;
    std::string m_error;
    bool m_formatGiven = false;
};

} // namespace

CliParse ParseCliOptions(const std::vector<std::string>& args) {
    return Parser(args).Parse();
}

const std::array<std::string_view, kTestItemCount>& CliItemNames() {
    return kItemNames;
}

std::string CliUsage() {
    return "usage: tollbrook-cli test --port PATH [--baud N] --params FILE [--check-imei]\n"
           "                         [--limit SECONDS] [--items ITEM,...] [--db STORE]\n"
           "                         [--station NAME] [--operator NAME] [--no-record]\n"
           "       tollbrook-cli read --port PATH [--baud N] [--password P] [--timeout S] "
           "SETTING...\n"
           "       tollbrook-cli write --port PATH [--baud N] [--password P] [--timeout S]\n"
           "                          SETTING=VALUE...\n"
           "       tollbrook-cli records [--imei TEXT] [--since DATE] [--until DATE]\n"
           "                             [--verdict PASS|FAIL|INTERRUPTED] [--station NAME]\n"
           "                             [--db STORE] --json|--csv\n"
           "       tollbrook-cli --help\n"
           "\n"
           "The factory test and the tracker settings of Tollbrook, without a screen. The port\n"
           "is opened as the program opens it: exclusive, 8N1, DTR and RTS on (default 9600\n"
           "baud).\n"
           "\n"
           "test   runs the factory test: polls the items, toggles the relay and the buzzer,\n"
           "       keeps the device awake, requests its parameter block and checks it against\n"
           "       the parameter file. Progress goes to stderr; at the end one JSON object goes\n"
           "       to stdout:\n"
           "         "
           "{\"verdict\":\"PASS\"|\"FAIL\"|\"INTERRUPTED\",\"text\":...,\"items\":{\"SIM\":"
           "true,...},\n"
           "          \"imei\":...,\"version\":...,\"parameterCheck\":\"ok\"|\"mismatch\"|\n"
           "          \"placeholder-imei\"|\"not-read\"|\"no-file\",\"mismatches\":[...],\n"
           "          \"seconds\":...,\"gpsFixSeconds\":...}\n"
           "       \"no-file\": the parameter file holds no value to compare (the parameters\n"
           "       are then not checked). Texts are JSON strings with \\u escapes.\n"
           "  --params FILE    the parameter file (required)\n"
           "  --check-imei     a device that reports a placeholder IMEI fails\n"
           "  --limit SECONDS  time limit of the run (default 80)\n"
           "  --items LIST     items to poll, of SIM,GSM,GPS,GSENSOR,ACC,EXTPOWER (default all;\n"
           "                   a run passes only when all six pass)\n"
           "  --db STORE       where the run's record goes: sqlite:PATH or\n"
           "                   postgresql://USER@HOST:PORT/DB (a host starting with %2F is a\n"
           "                   socket folder; the password comes from PGPASSWORD, ~/.pgpass or\n"
           "                   the keyring); default: the program's \"Test Records\" setting,\n"
           "                   else test-records.sqlite in its data folder\n"
           "  --station NAME   the bench's name in the record (default: the program's\n"
           "                   setting, else the host name)\n"
           "  --operator NAME  the operator in the record (default: the program's setting)\n"
           "  --no-record      keep no record of this run\n"
           "       Every run, interrupted ones too, is recorded after its JSON is printed. A\n"
           "       store that does not answer gets the record later: it waits in a spool\n"
           "       file in the program's data folder (stderr says so). Recording never\n"
           "       changes the exit status.\n"
           "\n"
           "records  prints the recorded runs, newest first, as one JSON array of objects (the\n"
           "       column names as keys, null where a value is missing) or as CSV (RFC 4180,\n"
           "       UTF-8, a header row). Records waiting in the spool are delivered first.\n"
           "  --imei TEXT      runs whose IMEI contains TEXT\n"
           "  --since DATE     runs started on or after DATE (YYYY-MM-DD, UTC)\n"
           "  --until DATE     runs started on or before DATE\n"
           "  --verdict V      PASS, FAIL or INTERRUPTED\n"
           "  --station NAME   runs of this bench\n"
           "  --db STORE       as for test\n"
           "\n"
           "read   asks the device for settings and prints one JSON object of its answers:\n"
           "         tollbrook-cli read --port /dev/ttyUSB0 id ip interval\n"
           "         {\"id\":\"2026121001\",\"ip\":\"203.0.113.10\",\"port\":\"9000\",\n"
           "          \"interval-on\":\"30\",\"interval-off\":\"300\"}\n"
           "write  sends settings with the configuration page's checks and prints what the\n"
           "       device answered (its reply to the write, or else a read-back):\n"
           "         tollbrook-cli write --port /dev/ttyUSB0 apn=internet ip=203.0.113.10,9000\n"
           "       Settings: " +
           ConfigFieldNames() +
           ".\n"
           "       ip takes IP,PORT; interval takes ON,OFF seconds; the alarms take on or off.\n"
           "  --password P     the device password (default the factory password); a\n"
           "                   password read or write replaces it for the later settings\n"
           "  --timeout S      seconds to wait for each reply (default 3)\n"
           "\n"
           "Exit status: 0 on PASS or when every reply came (and a written value reads back\n"
           "as written); 1 on FAIL, an interrupted run (SIGINT or SIGTERM) or a missing or\n"
           "different reply; 2 on bad use or a port that cannot be opened. records: 0 when\n"
           "the rows were printed, 1 when the store could not be read.\n";
}
