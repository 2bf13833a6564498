#include "SimOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

bool ParseDouble(const std::string& text, double& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

bool ParseUnsigned(const std::string& text, std::uint64_t& out) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

// "SIM,gps" -> {"SIM", "GPS"}; false on an unknown item.
bool ParseItems(const std::string& text, std::set<std::string>& out, std::string& error) {
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        std::string item = text.substr(start, end - start);
        for (auto& c : item)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const auto known = TestItemNames();
        if (std::find(known.begin(), known.end(), item) == known.end()) {
            error = "unknown test item '" + item + "' (items: SIM, GSM, GPS, GSENSOR, ACC, " +
                    "EXTPOWER)";
            return false;
        }
        out.insert(item);
        start = end + 1;
    }
    return true;
}

} // namespace

std::string SimUsage() {
    return "Usage: tracker-sim [options]\n"
           "A simulated GPS tracker on a pseudo-terminal. Prints the terminal's path first.\n"
           "\n"
           "  --link PATH              also make a symbolic link PATH to the terminal\n"
           "  --port DEVICE            use a real serial device instead (null-modem pair)\n"
           "  --baud N                 baud rate for --port (default 115200)\n"
           "  --pace BAUD              write at a serial line's pace: 10 bits a byte, a few\n"
           "                           bytes at a time; NMEA epochs the line cannot carry\n"
           "                           are skipped, replies never (default 0: all at once)\n"
           "  --rate HZ                NMEA epochs per second (default 1)\n"
           "  --lat DEG, --lon DEG     centre of the track (default 51.4779, -0.0015)\n"
           "  --seed N                 repeatable run\n"
           "  --bad-checksum-rate P    share of sentences with a wrong checksum (0 to 1)\n"
           "  --garbage-rate P         share of sentences preceded by binary noise (0 to 1)\n"
           "  --fail ITEM,...          test items that report a failure\n"
           "  --silent ITEM,...        test items that never answer\n"
           "                           (items: SIM, GSM, GPS, GSENSOR, ACC, EXTPOWER)\n"
           "  --gps-fix-after SECONDS  no fix, and GPS test failing, until then\n"
           "  --firmware TEXT          firmware version the device reports\n"
           "  --imei TEXT              IMEI the device reports\n"
           "  --log FILE               record every line received and every byte sent\n"
           "                           (non-printable bytes as \\xHH; a sent entry without\n"
           "                           a CR LF at its end ends in \\)\n"
           "  --help                   this text\n"
           "  --version                the version of tracker-sim (Tollbrook's version)\n"
           "\n"
           "SIGUSR1 makes the device send its start-up banner again.\n";
}

OptionsParse ParseSimOptions(const std::vector<std::string>& args) {
    OptionsParse result;
    SimOptions options;
    std::string error;

    const auto probability = [&error](const std::string& v, double& out) {
        if (!ParseDouble(v, out) || out < 0.0 || out > 1.0) {
            error = "expects a probability from 0 to 1";
            return false;
        }
        return true;
    };
    const auto text = [&error](const std::string& v, std::string& out) {
        if (v.empty()) {
            error = "expects a non-empty text";
            return false;
        }
        out = v;
        return true;
    };
    using Setter = std::function<bool(const std::string&)>;
    const std::map<std::string, Setter> withValue = {
        {"--link", [&](const std::string& v) { return text(v, options.linkPath); }},
        {"--port", [&](const std::string& v) { return text(v, options.portDevice); }},
        {"--baud",
         [&](const std::string& v) {
             std::uint64_t n = 0;
             if (!ParseUnsigned(v, n) || n == 0 || n > 4000000) {
                 error = "expects a baud rate";
                 return false;
             }
             options.baud = static_cast<int>(n);
             return true;
         }},
        {"--pace",
         [&](const std::string& v) {
             std::uint64_t n = 0;
             if (!ParseUnsigned(v, n) || n > 4000000) {
                 error = "expects a baud rate, or 0 for no pace";
                 return false;
             }
             options.pace = static_cast<int>(n);
             return true;
         }},
        {"--rate",
         [&](const std::string& v) {
             if (!ParseDouble(v, options.rate) || options.rate < 0.1 || options.rate > 20.0) {
                 error = "expects a rate from 0.1 to 20 Hz";
                 return false;
             }
             return true;
         }},
        {"--lat",
         [&](const std::string& v) {
             if (!ParseDouble(v, options.latitude) || std::fabs(options.latitude) > 89.0) {
                 error = "expects a latitude from -89 to 89 degrees";
                 return false;
             }
             return true;
         }},
        {"--lon",
         [&](const std::string& v) {
             if (!ParseDouble(v, options.longitude) || std::fabs(options.longitude) > 180.0) {
                 error = "expects a longitude from -180 to 180 degrees";
                 return false;
             }
             return true;
         }},
        {"--seed",
         [&](const std::string& v) {
             std::uint64_t n = 0;
             if (!ParseUnsigned(v, n)) {
                 error = "expects a non-negative integer";
                 return false;
             }
             options.seed = n;
             return true;
         }},
        {"--bad-checksum-rate",
         [&](const std::string& v) { return probability(v, options.faults.badChecksumRate); }},
        {"--garbage-rate",
         [&](const std::string& v) { return probability(v, options.faults.garbageRate); }},
        {"--fail", [&](const std::string& v) { return ParseItems(v, options.failItems, error); }},
        {"--silent",
         [&](const std::string& v) { return ParseItems(v, options.silentItems, error); }},
        {"--gps-fix-after",
         [&](const std::string& v) {
             if (!ParseDouble(v, options.gpsFixAfter) || options.gpsFixAfter < 0.0) {
                 error = "expects a number of seconds";
                 return false;
             }
             return true;
         }},
        {"--firmware", [&](const std::string& v) { return text(v, options.version); }},
        {"--imei", [&](const std::string& v) { return text(v, options.imei); }},
        {"--log", [&](const std::string& v) { return text(v, options.logPath); }},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            result.help = true;
            return result;
        }
        if (name == "--version") {
            result.version = true;
            return result;
        }
        const auto option = withValue.find(name);
        if (option == withValue.end()) {
            result.error = "unknown option '" + args[i] + "'";
            return result;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                result.error = "option " + name + " needs a value";
                return result;
            }
            value = args[++i];
        }
        if (!option->second(*value)) {
            result.error = "option " + name + " " + error;
            return result;
        }
    }
    result.options = options;
    return result;
}
