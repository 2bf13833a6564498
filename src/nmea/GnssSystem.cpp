#include "nmea/GnssSystem.h"

const char* GnssSystemName(GnssSystem system) {
    switch (system) {
    case GnssSystem::Gps:
        return "GPS";
    case GnssSystem::Sbas:
        return "SBAS";
    case GnssSystem::Glonass:
        return "GLONASS";
    case GnssSystem::Galileo:
        return "Galileo";
    case GnssSystem::BeiDou:
        return "BeiDou";
    case GnssSystem::Qzss:
        return "QZSS";
    case GnssSystem::NavIC:
        return "NavIC";
    default:
        return "";
    }
}

char GnssSystemLetter(GnssSystem system) {
    switch (system) {
    case GnssSystem::Galileo:
        return 'E';
    case GnssSystem::BeiDou:
        return 'C';
    case GnssSystem::Qzss:
        return 'J';
    case GnssSystem::NavIC:
        return 'I';
    default:
        return '\0';
    }
}

GsvTalker GsvTalkerOf(char first, char second) {
    switch (first) {
    case 'G':
        switch (second) {
        case 'P':
            return GsvTalker::GP;
        case 'L':
            return GsvTalker::GL;
        case 'A':
            return GsvTalker::GA;
        case 'B':
            return GsvTalker::GB;
        case 'Q':
            return GsvTalker::GQ;
        case 'I':
            return GsvTalker::GI;
        case 'N':
            return GsvTalker::GN;
        default:
            return GsvTalker::None;
        }
    case 'B':
        return second == 'D' ? GsvTalker::GB : GsvTalker::None;
    case 'Q':
        return second == 'Z' ? GsvTalker::GQ : GsvTalker::None;
    default:
        return GsvTalker::None;
    }
}

const char* GsvTalkerName(GsvTalker talker) {
    static const char* const kNames[] = {"GP", "GL", "GA", "GB", "GQ", "GI", "GN"};
    const int i = static_cast<int>(talker);
    return i >= 0 && i < kGsvTalkerCount ? kNames[i] : "";
}
