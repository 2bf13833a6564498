#include "nmea/CNMEAParserWin32.h"

#include "nmea/FieldSplit.h"
#include "nmea/SentenceDecoders.h"

#include <chrono>

CNMEAParserWin32 theParser;

CNMEAParserWin32::CNMEAParserWin32() {
    ResetData();
}

void CNMEAParserWin32::ResetData() {
    std::lock_guard<std::mutex> lock(m_modelLock);
    static_cast<GpsDataModel&>(*this) = GpsDataModel{};
    m_usedPrns.Update(gsa, systemGsa);
    m_bMergeCurrent = false;
}

namespace {

// Which of the four sentence names the address holds, wherever: one pass over the address
// instead of one search per name.
enum : unsigned { kHasGga = 1, kHasGsa = 2, kHasVtg = 4, kHasGsv = 8 };

constexpr uint32_t Code(char a, char b, char c) {
    return static_cast<uint32_t>(static_cast<unsigned char>(a)) |
           static_cast<uint32_t>(static_cast<unsigned char>(b)) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(c)) << 16;
}

unsigned SentenceNames(const char* address) {
    unsigned found = 0;
    for (const char* s = address; s[0] != '\0' && s[1] != '\0' && s[2] != '\0'; ++s) {
        const uint32_t code = Code(s[0], s[1], s[2]);
        found |= (code == Code('G', 'G', 'A') ? kHasGga : 0u) |
                 (code == Code('G', 'S', 'A') ? kHasGsa : 0u) |
                 (code == Code('V', 'T', 'G') ? kHasVtg : 0u) |
                 (code == Code('G', 'S', 'V') ? kHasGsv : 0u);
    }
    return found;
}

} // namespace

bool CNMEAParserWin32::OnSentence(const char* address, const char* data) {
    // By substring, first match wins: any talker is taken for GGA, GSA and VTG.
    const unsigned names = SentenceNames(address);
    if ((names & kHasGga) != 0) {
        {
            std::lock_guard<std::mutex> lock(m_modelLock);
            const FieldSplit fields(data);
            DecodeGga(fields, gga);
            if (DecodeGgaFix(fields, gga, ggaFix))
                ggaFix.serial = ++m_nFixSerial;
        }
        if (m_bHandshake) {
            m_hPositionEvent.Set();
            if (m_hPositionEventProcessed.Wait(std::chrono::milliseconds(1000)))
                m_hPositionEventProcessed.Reset();
        }
    } else if ((names & kHasGsa) != 0) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        m_usedPrns.Update(gsa, systemGsa, DecodeGsa(FieldSplit(data), gsa, systemGsa));
    } else if ((names & kHasVtg) != 0) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeVtg(FieldSplit(data), vtg);
    } else if ((names & kHasGsv) != 0) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeGsv(data);
    }
    return true;
}

void CNMEAParserWin32::OnBadChecksum(const char* address, const char* data) {
    (void)address;
    (void)data;
}

void CNMEAParserWin32::DecodeGsv(const char* data) {
    // The sentences of other talkers are not even split.
    const GsvTalker talker = GsvTalkerOfAddress(CurrentAddress());
    if (talker != GsvTalker::None) {
        const IntegerFields f(data);
        const int32_t signalId = GsvSignalId(f);
        // GP and GL without a signal id fill the two lists as they always have.
        if (signalId == 0 && talker == GsvTalker::GP) {
            DecodeGsvList(f, m_usedPrns, gpsSatellites);
            m_bMergeCurrent = false;
        } else if (signalId == 0 && talker == GsvTalker::GL) {
            DecodeGsvList(f, m_usedPrns, glonassSatellites);
            m_bMergeCurrent = false;
        } else {
            DecodeGsvSignalSet(f, talker, signalId, m_usedPrns, talkers[static_cast<int>(talker)]);
        }
    }
    // Merging lists that have not changed since the last merge gives the same entries again:
    // only the count moves on. A receiver that sends every GSV with a signal id never changes
    // them, and would otherwise pay for a merge of empty lists with each of its GSV sentences.
    if (m_bMergeCurrent) {
        ++mergedSatellites.count;
    } else {
        MergeSatelliteLists(*this);
        m_bMergeCurrent = true;
    }
}
