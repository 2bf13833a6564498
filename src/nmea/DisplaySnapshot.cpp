#include "nmea/DisplaySnapshot.h"

#include "nmea/CNMEAParserWin32.h"
#include "nmea/SnapshotLock.h"

#include <algorithm>
#include <atomic>
#include <cstring>

DisplaySnapshot theSnapshot{};
std::mutex snapshotLock;

namespace {

std::atomic<uint64_t> copiesTaken{0};

// Fills the snapshot's satellites in order, keeping count of them and of the satellites in
// view, and which copied SNR fields were empty.
class SatelliteGatherer {
public:
    explicit SatelliteGatherer(DisplaySnapshot& s) : m_s(s) {}

    // A GP or GL list: its first inView entries as they stand, its inView as sent.
    void CopyList(const SatelliteList& list, GsvTalker talker) {
        const int room = kSnapshotSatellites - m_count;
        const int n = std::clamp<int32_t>(list.inView, 0, std::min(kMaxSatellites, room));
        for (int i = 0; i < n; ++i) {
            const SatelliteEntry& e = list.entries[i];
            // The flags by PRN range, as these lists have always set them.
            if (e.prn >= 65 && e.prn <= 96)
                m_s.glonassSeen = 1;
            if (e.prn >= 33 && e.prn <= 64)
                m_s.sbasSeen = 1;
            Put(e, SystemOf(talker, e.prn), false);
        }
        m_inView += list.inView;
    }

    // One signal set of the talker whose satellites start at `talkerStart`.
    void MergeSet(const SignalSetList& set, GsvTalker talker, int talkerStart) {
        const int n = std::clamp<int32_t>(set.inView, 0, kSignalSetEntries);
        for (int k = 0; k < n; ++k) {
            const SatelliteEntry& e = set.entries[k];
            if (e.prn == 0)
                continue;
            const bool snrMissing = ((set.snrMissing >> k) & 1) != 0;
            int j = talkerStart;
            while (j < m_count && m_s.satellites[j].prn != e.prn)
                ++j;
            if (j < m_count) {
                // The same satellite on another signal: the highest SNR, an empty one none.
                SnapshotSatellite& s = m_s.satellites[j];
                if (!snrMissing && (m_snrMissing[j] || e.snr > s.snr)) {
                    s.snr = e.snr;
                    m_snrMissing[j] = false;
                }
                s.used = std::max(s.used, e.used);
            } else if (m_count < kSnapshotSatellites) {
                const GnssSystem system = SystemOf(talker, e.prn);
                if (system == GnssSystem::Glonass)
                    m_s.glonassSeen = 1;
                if (system == GnssSystem::Sbas)
                    m_s.sbasSeen = 1;
                Put(e, system, snrMissing);
                ++m_inView;
            }
        }
    }

    int Count() const { return m_count; }

    // `tail` (may be null): the merged list, whose entries after the copied ones the
    // snapshot has always shown as they stand (empty, with the used flag they last had).
    void Finish(const SatelliteList* tail) {
        for (int i = m_count; i < kSnapshotSatellites; ++i) {
            if (tail != nullptr && i < kMaxSatellites) {
                const SatelliteEntry& e = tail->entries[i];
                m_s.satellites[i] = SnapshotSatellite{e.prn, e.azimuth, e.elevation,
                                                      e.snr, e.used,    GnssSystem::None};
            } else {
                m_s.satellites[i] = SnapshotSatellite{};
            }
        }
        m_s.satellitesInView =
            static_cast<int32_t>(std::clamp<int64_t>(m_inView, INT32_MIN, INT32_MAX));
    }

private:
    void Put(const SatelliteEntry& e, GnssSystem system, bool snrMissing) {
        m_s.satellites[m_count] =
            SnapshotSatellite{e.prn, e.azimuth, e.elevation, e.snr, e.used, system};
        if (e.prn != 0)
            m_s.systemsSeen |= SystemBit(system);
        m_snrMissing[m_count] = snrMissing;
        ++m_count;
    }

    DisplaySnapshot& m_s;
    int m_count = 0;
    int64_t m_inView = 0;
    bool m_snrMissing[kSnapshotSatellites] = {};
};

} // namespace

void GatherSatellites(const GpsDataModel& model, DisplaySnapshot& snapshot) {
    SatelliteGatherer g(snapshot);
    bool onlyTheTwoLists = true;
    for (int t = 0; t < kGsvTalkerCount; ++t) {
        const GsvTalker talker = static_cast<GsvTalker>(t);
        const int talkerStart = g.Count();
        if (talker == GsvTalker::GP)
            g.CopyList(model.gpsSatellites, talker);
        else if (talker == GsvTalker::GL)
            g.CopyList(model.glonassSatellites, talker);
        const TalkerSatellites& sets = model.talkers[t];
        for (int i = 0; i < sets.epochSetCount; ++i)
            g.MergeSet(sets.sets[sets.epochSets[i]], talker, talkerStart);
        onlyTheTwoLists = onlyTheTwoLists && sets.epochSetCount == 0;
    }
    // A receiver of GP and GL lists alone gets the merged list exactly as it always did.
    g.Finish(onlyTheTwoLists ? &model.mergedSatellites : nullptr);
}

const char16_t* FixQualityText(int quality) {
    static const char16_t* const kTexts[] = {
        u"Invalid",
        u"GPS Fix",
        u"Differential GPS",
        u"PPS Fix",
        u"Real Time Kinematic",
        u"Float RTK",
        u"Estimated (dead reckoning)",
        u"Manual input mode",
        u"Simulation mode",
    };
    if (quality < 0 || quality > 8)
        return nullptr;
    return kTexts[quality];
}

void CopyModelToSnapshot(const CNMEAParserWin32& parser, DisplaySnapshot& snapshot) {
    std::lock_guard<std::mutex> modelLock(parser.ModelLock());
    snapshot.latitude = parser.gga.latitude;
    snapshot.longitude = parser.gga.longitude;
    snapshot.altitude = parser.gga.altitude;
    snapshot.satellitesUsed = parser.gga.satellitesUsed;
    snapshot.gpsHdop = parser.gsa.gpsHdop;
    snapshot.gpsVdop = parser.gsa.gpsVdop;
    snapshot.gpsPdop = parser.gsa.gpsPdop;
    snapshot.glonassHdop = parser.gsa.glonassHdop;
    snapshot.glonassVdop = parser.gsa.glonassVdop;
    snapshot.glonassPdop = parser.gsa.glonassPdop;
    GatherSatellites(parser, snapshot);
    snapshot.ggaFix = parser.ggaFix;
    if (const char16_t* text = FixQualityText(parser.gga.quality)) {
        size_t n = 0;
        while (text[n] != u'\0' && n < 255) {
            snapshot.fixQualityText[n] = text[n];
            ++n;
        }
        snapshot.fixQualityText[n] = u'\0';
    }
}

void TakeDisplaySnapshot() {
    std::lock_guard<std::mutex> lock(snapshotLock);
    CopyModelToSnapshot(theParser, theSnapshot);
}

void ClearDisplaySnapshot() {
    std::memset(&theSnapshot, 0, sizeof theSnapshot);
}

DisplaySnapshot CopyDisplaySnapshot() {
    copiesTaken.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(snapshotLock);
    return theSnapshot;
}

uint64_t DisplaySnapshotCopyCount() {
    return copiesTaken.load(std::memory_order_relaxed);
}
