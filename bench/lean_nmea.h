/* A deliberately lean NMEA 0183 reader in plain C, the yardstick the decoder is measured
 * against: lines split at LF, checksum checked, fields split in place, GGA, RMC, GSA and GSV
 * read into plain structs. No allocation, no locale, no position handshake, no data model
 * beyond the last sentence of each kind. */
#ifndef TOLLBROOK_LEAN_NMEA_H
#define TOLLBROOK_LEAN_NMEA_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct lean_gga {
    int hour, minute, second;
    double latitude, longitude;
    int quality, satellites;
    double hdop, altitude;
};

struct lean_rmc {
    int hour, minute, second;
    char status;
    double latitude, longitude, speed_knots, course;
    int day, month, year;
};

struct lean_gsa {
    char mode;
    int fix_type;
    int prns[12];
    double pdop, hdop, vdop;
    int system_id;
};

struct lean_gsv_satellite {
    int prn, elevation, azimuth, snr;
};

struct lean_gsv {
    char talker[3];
    int messages, number, in_view;
    struct lean_gsv_satellite satellites[4];
    int count;
    int signal_id;
};

struct lean_state {
    struct lean_gga gga;
    struct lean_rmc rmc;
    struct lean_gsa gsa;
    struct lean_gsv gsv;
    uint64_t sentences, bad_checksums, gga_count, rmc_count, gsa_count, gsv_count;
    char line[256];
    size_t line_length;
};

void lean_init(struct lean_state* state);
/* Every complete line of bytes is read; a partial last line waits for the next call. */
void lean_feed(struct lean_state* state, const uint8_t* bytes, size_t count);

#ifdef __cplusplus
}
#endif

#endif
