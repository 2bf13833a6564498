// tollbrook-nmea: looks into a receiver capture with the program's own decoding core.
//   sentences FILE                         one JSON object per framed sentence
//   snapshots [--block N] [--model] FILE   one JSON display snapshot per GGA, taken by the
//                                          program's position thread through the handshake
//   bench [--repeat N] FILE                decoding speed without the handshake

#include "Json.h"
#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SnapshotLock.h"
#include "serial/Acquisition.h"
#include "serial/IAcquisitionEvents.h"
#include "version/TollbrookVersion.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kUsage =
    "usage: tollbrook-nmea sentences FILE\n"
    "       tollbrook-nmea snapshots [--block N] [--model] FILE\n"
    "       tollbrook-nmea bench [--repeat N] FILE\n"
    "       tollbrook-nmea --help | --version\n"
    "\n"
    "Decodes a capture of NMEA 0183 receiver output (a Tollbrook record file or any other).\n"
    "  sentences  prints every framed sentence as {\"good\":...,\"address\":...,\"data\":...}\n"
    "  snapshots  feeds the file in blocks of N bytes (default 10240) and prints the display\n"
    "             snapshot taken after every GGA sentence; --model adds the data model\n"
    "  bench      decodes the file N times (default 20) without the position handshake and\n"
    "             prints the throughput (seconds of processor time of the decoding thread)\n";

int BadUse(const std::string& message) {
    std::fprintf(stderr, "tollbrook-nmea: %s (try --help)\n", message.c_str());
    return 2;
}

bool ParseCount(const char* text, uint32_t& value) {
    if (*text == '\0')
        return false;
    uint64_t v = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + static_cast<unsigned>(*p - '0');
        if (v > 0x7FFFFFFF)
            return false;
    }
    if (v == 0)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool failed = std::ferror(f) != 0;
    const int readErrno = errno;
    std::fclose(f);
    if (failed) {
        error = "cannot read " + path + ": " + std::strerror(readErrno);
        return false;
    }
    return true;
}

void Write(std::string& out) {
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
}

// ---- sentences ----

class PrintingParser : public CNMEAParser {
public:
    std::string out;

protected:
    bool OnSentence(const char* address, const char* data) override {
        Print(true, address, data);
        return true;
    }
    void OnBadChecksum(const char* address, const char* data) override {
        Print(false, address, data);
    }

private:
    void Print(bool good, const char* address, const char* data) {
        Json j(out);
        j.BeginObject();
        j.Key("good");
        j.Bool(good);
        j.Key("address");
        j.String(address);
        j.Key("data");
        j.String(data);
        j.EndObject();
        out += '\n';
        if (out.size() > 65536)
            Write(out);
    }
};

int RunSentences(const std::vector<uint8_t>& bytes) {
    auto parser = std::make_unique<PrintingParser>();
    parser->FeedBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    Write(parser->out);
    return 0;
}

// ---- snapshots ----

void SatelliteEntries(Json& j, const SatelliteEntry* entries, int count = kMaxSatellites) {
    j.BeginArray();
    for (int i = 0; i < count; ++i) {
        const SatelliteEntry& e = entries[i];
        j.BeginObject();
        j.Key("prn");
        j.Integer(e.prn);
        j.Key("snr");
        j.Integer(e.snr);
        j.Key("used");
        j.Integer(e.used);
        j.Key("azimuth");
        j.Integer(e.azimuth);
        j.Key("elevation");
        j.Integer(e.elevation);
        j.EndObject();
    }
    j.EndArray();
}

void List(Json& j, const char* name, const SatelliteList& list) {
    j.Key(name);
    j.BeginObject();
    j.Key("inView");
    j.Integer(list.inView);
    j.Key("entries");
    SatelliteEntries(j, list.entries);
    j.Key("count");
    j.Integer(list.count);
    j.EndObject();
}

// A signal set's satellites with the SNR fields that were empty as null.
void SignalSet(Json& j, const SignalSetList& set) {
    j.BeginObject();
    j.Key("signalId");
    if (set.signalId == 0) {
        j.Null();
    } else {
        const char id[2] = {static_cast<char>(set.signalId), '\0'};
        j.String(id);
    }
    j.Key("inView");
    j.Integer(set.inView);
    j.Key("entries");
    j.BeginArray();
    for (int k = 0; k < kSignalSetEntries; ++k) {
        const SatelliteEntry& e = set.entries[k];
        j.BeginObject();
        j.Key("prn");
        j.Integer(e.prn);
        j.Key("snr");
        if (((set.snrMissing >> k) & 1) != 0)
            j.Null();
        else
            j.Integer(e.snr);
        j.Key("used");
        j.Integer(e.used);
        j.Key("azimuth");
        j.Integer(e.azimuth);
        j.Key("elevation");
        j.Integer(e.elevation);
        j.EndObject();
    }
    j.EndArray();
    j.Key("count");
    j.Integer(set.count);
    j.EndObject();
}

// Every talker's signal sets, and which of them its latest epoch holds (in the order heard).
void Talkers(Json& j, const GpsDataModel& p) {
    j.Key("talkerSatellites");
    j.BeginObject();
    for (int t = 0; t < kGsvTalkerCount; ++t) {
        const TalkerSatellites& talker = p.talkers[t];
        j.Key(GsvTalkerName(static_cast<GsvTalker>(t)));
        j.BeginObject();
        j.Key("sets");
        j.BeginArray();
        for (int i = 0; i < talker.setsInUse; ++i)
            SignalSet(j, talker.sets[i]);
        j.EndArray();
        j.Key("epochSets");
        j.BeginArray();
        for (int i = 0; i < talker.epochSetCount; ++i)
            j.Integer(talker.epochSets[i]);
        j.EndArray();
        j.EndObject();
    }
    j.EndObject();
}

void SystemGsa(Json& j, const SystemGsaRecord& r) {
    static const GnssSystem kSystems[kSystemGsaCount] = {GnssSystem::Galileo, GnssSystem::BeiDou,
                                                         GnssSystem::Qzss, GnssSystem::NavIC};
    j.Key("SystemGsaRecord");
    j.BeginObject();
    for (int i = 0; i < kSystemGsaCount; ++i) {
        j.Key(GnssSystemName(kSystems[i]));
        j.BeginObject();
        j.Key("prns");
        j.BeginArray();
        for (int k = 0; k < kPrnSlots; ++k)
            j.Integer(r.prns[i][k]);
        j.EndArray();
        j.Key("pdop");
        j.Double(r.pdop[i]);
        j.Key("hdop");
        j.Double(r.hdop[i]);
        j.Key("vdop");
        j.Double(r.vdop[i]);
        j.EndObject();
    }
    j.EndObject();
}

void Prns(Json& j, const char* name, const int32_t* prns) {
    j.Key(name);
    j.BeginArray();
    for (int i = 0; i < 12; ++i)
        j.Integer(prns[i]);
    j.EndArray();
}

// The data model as it stood when the position thread copied it.
void Model(Json& j, const GpsDataModel& p) {
    j.Key("model");
    j.BeginObject();
    j.Key("GgaRecord");
    j.BeginObject();
    j.Key("hour");
    j.Integer(p.gga.hour);
    j.Key("minute");
    j.Integer(p.gga.minute);
    j.Key("second");
    j.Integer(p.gga.second);
    j.Key("latitude");
    j.Double(p.gga.latitude);
    j.Key("longitude");
    j.Double(p.gga.longitude);
    j.Key("quality");
    j.Integer(p.gga.quality);
    j.Key("satellitesUsed");
    j.Integer(p.gga.satellitesUsed);
    j.Key("hdop");
    j.Double(p.gga.hdop);
    j.Key("altitude");
    j.Double(p.gga.altitude);
    j.Key("previousTime");
    j.Integer(p.gga.previousTime);
    j.Key("previousAltitude");
    j.Double(p.gga.previousAltitude);
    j.Key("verticalRate");
    j.Double(p.gga.verticalRate);
    j.Key("count");
    j.Integer(p.gga.count);
    j.EndObject();

    j.Key("GsaRecord");
    j.BeginObject();
    j.Key("mode");
    j.Integer(p.gsa.mode);
    j.Key("fixType");
    j.Integer(p.gsa.fixType);
    Prns(j, "gpsPrns", p.gsa.gpsPrns);
    Prns(j, "glonassPrns", p.gsa.glonassPrns);
    j.Key("gpsPdop");
    j.Double(p.gsa.gpsPdop);
    j.Key("gpsHdop");
    j.Double(p.gsa.gpsHdop);
    j.Key("gpsVdop");
    j.Double(p.gsa.gpsVdop);
    j.Key("glonassPdop");
    j.Double(p.gsa.glonassPdop);
    j.Key("glonassHdop");
    j.Double(p.gsa.glonassHdop);
    j.Key("glonassVdop");
    j.Double(p.gsa.glonassVdop);
    j.Key("count");
    j.Integer(p.gsa.count);
    j.EndObject();

    j.Key("VtgRecord");
    j.BeginObject();
    j.Key("trueCourse");
    j.Double(p.vtg.trueCourse);
    j.Key("magneticCourse");
    j.Double(p.vtg.magneticCourse);
    j.Key("speedKnots");
    j.Double(p.vtg.speedKnots);
    j.Key("speedKmh");
    j.Double(p.vtg.speedKmh);
    j.EndObject();

    List(j, "gpsSatellites", p.gpsSatellites);
    List(j, "glonassSatellites", p.glonassSatellites);
    List(j, "mergedSatellites", p.mergedSatellites);
    SystemGsa(j, p.systemGsa);
    Talkers(j, p);
    j.EndObject();
}

void Snapshot(std::string& out, const DisplaySnapshot& s, const GpsDataModel* model) {
    Json j(out);
    j.BeginObject();
    j.Key("latitude");
    j.Double(s.latitude);
    j.Key("longitude");
    j.Double(s.longitude);
    j.Key("altitude");
    j.Double(s.altitude);
    j.Key("satellitesUsed");
    j.Integer(s.satellitesUsed);
    j.Key("satellitesInView");
    j.Integer(s.satellitesInView);
    j.Key("satellites");
    j.BeginArray();
    for (const SnapshotSatellite& sat : s.satellites) {
        j.BeginObject();
        j.Key("system");
        j.String(GnssSystemName(DisplayedSystem(sat)));
        j.Key("prn");
        j.Integer(sat.prn);
        j.Key("azimuth");
        j.Integer(sat.azimuth);
        j.Key("elevation");
        j.Integer(sat.elevation);
        j.Key("snr");
        j.Integer(sat.snr);
        j.Key("used");
        j.Integer(sat.used);
        j.EndObject();
    }
    j.EndArray();
    j.Key("fixQualityText");
    j.String(s.fixQualityText);
    j.Key("gpsHdop");
    j.Double(s.gpsHdop);
    j.Key("gpsVdop");
    j.Double(s.gpsVdop);
    j.Key("gpsPdop");
    j.Double(s.gpsPdop);
    j.Key("glonassHdop");
    j.Double(s.glonassHdop);
    j.Key("glonassVdop");
    j.Double(s.glonassVdop);
    j.Key("glonassPdop");
    j.Double(s.glonassPdop);
    j.Key("glonassSeen");
    j.Integer(s.glonassSeen);
    j.Key("sbasSeen");
    j.Integer(s.sbasSeen);
    j.Key("systemsSeen");
    j.BeginArray();
    for (int i = 1; i <= kGnssSystemCount; ++i)
        if ((s.systemsSeen & SystemBit(static_cast<GnssSystem>(i))) != 0)
            j.String(GnssSystemName(static_cast<GnssSystem>(i)));
    j.EndArray();
    if (model != nullptr)
        Model(j, *model);
    j.EndObject();
    out += '\n';
}

// The main frame as far as the snapshots go: on each position update it copies the snapshot
// (and the model) and prints it while the position thread waits, as the displays draw.
class SnapshotPrinter : public IAcquisitionEvents {
public:
    explicit SnapshotPrinter(bool withModel) : m_withModel(withModel) {}

    void DataReceived() override {}
    void DataSent() override {}
    void SourceLost() override {}
    // Runs on the position thread. A print into a slow pipe may outlast the reader's wait.
    void PositionUpdate(std::stop_token) override {
        {
            std::lock_guard<std::mutex> lock(snapshotLock);
            *m_copy = theSnapshot;
            if (m_withModel) {
                // Copied, not read in place: once a print has outlasted the reader's wait, the
                // reader decodes on while this thread formats.
                std::lock_guard<std::mutex> modelLock(theParser.ModelLock());
                *m_model = static_cast<const GpsDataModel&>(theParser);
            }
        }
        Snapshot(m_out, *m_copy, m_withModel ? m_model.get() : nullptr);
        Write(m_out);
    }

private:
    const bool m_withModel;
    std::string m_out;
    std::unique_ptr<DisplaySnapshot> m_copy = std::make_unique<DisplaySnapshot>();
    std::unique_ptr<GpsDataModel> m_model = std::make_unique<GpsDataModel>();
};

int RunSnapshots(const std::vector<uint8_t>& bytes, uint32_t block, bool withModel) {
    SnapshotPrinter printer(withModel);
    SetAcquisitionEvents(&printer);
    if (const int error = StartPositionThread(); error != 0) {
        std::fprintf(stderr, "tollbrook-nmea: cannot start the position thread: %s\n",
                     std::strerror(error));
        SetAcquisitionEvents(nullptr);
        return 1;
    }
    // This thread stands in for the reader, which would hand each block read to the framer.
    theParser.SetPositionHandshake(true);
    for (size_t at = 0; at < bytes.size(); at += block) {
        const size_t n = std::min<size_t>(block, bytes.size() - at);
        theParser.FeedBytes(bytes.data() + at, static_cast<uint32_t>(n));
    }
    // A last GGA whose wait timed out may not have been taken yet: stopping now would lose
    // its snapshot. The position thread resets the event when it takes one.
    while (theParser.m_hPositionEvent.IsSet())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    StopAcquisition();
    SetAcquisitionEvents(nullptr);
    return 0;
}

// ---- bench ----

class CountingParser : public CNMEAParserWin32 {
public:
    uint64_t sentences = 0;

protected:
    bool OnSentence(const char* address, const char* data) override {
        ++sentences;
        return CNMEAParserWin32::OnSentence(address, data);
    }
};

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

int RunBench(const std::vector<uint8_t>& bytes, uint32_t repeat) {
    auto parser = std::make_unique<CountingParser>();
    parser->SetPositionHandshake(false);
    // Processor time of this thread: the figure is that of one core, whatever else the machine
    // is running at the time.
    const double start = ThreadSeconds();
    for (uint32_t i = 0; i < repeat; ++i)
        parser->FeedBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    const double seconds = ThreadSeconds() - start;
    const double total = static_cast<double>(bytes.size()) * repeat;
    std::printf("bytes=%.0f sentences=%llu seconds=%.6f MBps=%.1f\n", total,
                static_cast<unsigned long long>(parser->sentences), seconds,
                seconds > 0 ? total / 1e6 / seconds : 0.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return BadUse("missing mode: sentences, snapshots or bench");
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("tollbrook-nmea (Tollbrook) %s\n", kTollbrookVersion);
            return 0;
        }
    }
    const std::string mode = args[0];
    if (mode != "sentences" && mode != "snapshots" && mode != "bench")
        return BadUse("unknown mode '" + mode + "'");

    uint32_t block = 10240;
    uint32_t repeat = 20;
    bool withModel = false;
    std::string file;
    bool haveFile = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (mode == "snapshots" && a == "--model") {
            withModel = true;
        } else if ((mode == "snapshots" && a == "--block") ||
                   (mode == "bench" && a == "--repeat")) {
            if (i + 1 == args.size())
                return BadUse(a + " needs a number");
            uint32_t& target = a == "--block" ? block : repeat;
            if (!ParseCount(args[i + 1].c_str(), target))
                return BadUse(a + " needs a positive number, not '" + args[i + 1] + "'");
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            return BadUse("unknown option '" + a + "' for " + mode);
        } else if (!haveFile) {
            file = a;
            haveFile = true;
        } else {
            return BadUse("unexpected argument '" + a + "'");
        }
    }
    if (!haveFile)
        return BadUse("missing FILE");
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFile(file, bytes, error))
        return BadUse(error);
    if (bytes.size() > 0xFFFFFFFFu)
        return BadUse(file + " is too large");

    int status = 0;
    if (mode == "sentences")
        status = RunSentences(bytes);
    else if (mode == "snapshots")
        status = RunSnapshots(bytes, block, withModel);
    else
        status = RunBench(bytes, repeat);
    // Output that never arrived (a full disk, a closed terminal) must not pass for success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "tollbrook-nmea: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return status;
}
