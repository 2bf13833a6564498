#include "lean_nmea.h"

#include <string.h>

enum { MAX_FIELDS = 24 };

static int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

static int int_field(const char* f) {
    int sign = 1, v = 0;
    if (*f == '-') {
        sign = -1;
        ++f;
    }
    while (*f >= '0' && *f <= '9')
        v = v * 10 + (*f++ - '0');
    return sign * v;
}

/* Digits, a point and digits, as a fixed-point value divided out once. */
static double decimal_field(const char* f) {
    int sign = 1;
    int64_t v = 0, scale = 1;
    if (*f == '-') {
        sign = -1;
        ++f;
    }
    while (*f >= '0' && *f <= '9')
        v = v * 10 + (*f++ - '0');
    if (*f == '.') {
        ++f;
        while (*f >= '0' && *f <= '9' && scale < 1000000000) {
            v = v * 10 + (*f++ - '0');
            scale *= 10;
        }
    }
    return sign * (double)v / (double)scale;
}

/* ddmm.mmmm with `degree_digits` degree digits, and a hemisphere letter. */
static double angle_field(const char* f, int degree_digits, const char* hemisphere) {
    if (*f == '\0')
        return 0.0;
    int degrees = 0;
    for (int i = 0; i < degree_digits && f[i] >= '0' && f[i] <= '9'; ++i)
        degrees = degrees * 10 + (f[i] - '0');
    const double value = degrees + decimal_field(f + degree_digits) / 60.0;
    return (*hemisphere == 'S' || *hemisphere == 'W') ? -value : value;
}

static void time_field(const char* f, int* h, int* m, int* s) {
    if (strlen(f) < 6)
        return;
    *h = (f[0] - '0') * 10 + (f[1] - '0');
    *m = (f[2] - '0') * 10 + (f[3] - '0');
    *s = (f[4] - '0') * 10 + (f[5] - '0');
}

static void read_sentence(struct lean_state* st, char* body) {
    char* fields[MAX_FIELDS];
    int n = 0;
    char* p = body;
    fields[n++] = p;
    while (*p != '\0') {
        if (*p == ',') {
            *p = '\0';
            if (n == MAX_FIELDS)
                break;
            fields[n++] = p + 1;
        }
        ++p;
    }
    static const char empty[] = "";
    for (int i = n; i < MAX_FIELDS; ++i)
        fields[i] = (char*)empty;
    const char* address = fields[0];
    const size_t length = strlen(address);
    if (length < 5)
        return;
    const char* type = address + length - 3;
    if (memcmp(type, "GGA", 3) == 0) {
        struct lean_gga* g = &st->gga;
        time_field(fields[1], &g->hour, &g->minute, &g->second);
        g->latitude = angle_field(fields[2], 2, fields[3]);
        g->longitude = angle_field(fields[4], 3, fields[5]);
        g->quality = int_field(fields[6]);
        g->satellites = int_field(fields[7]);
        g->hdop = decimal_field(fields[8]);
        g->altitude = decimal_field(fields[9]);
        ++st->gga_count;
    } else if (memcmp(type, "RMC", 3) == 0) {
        struct lean_rmc* r = &st->rmc;
        time_field(fields[1], &r->hour, &r->minute, &r->second);
        r->status = fields[2][0];
        r->latitude = angle_field(fields[3], 2, fields[4]);
        r->longitude = angle_field(fields[5], 3, fields[6]);
        r->speed_knots = decimal_field(fields[7]);
        r->course = decimal_field(fields[8]);
        const int date = int_field(fields[9]);
        r->day = date / 10000;
        r->month = date / 100 % 100;
        r->year = date % 100;
        ++st->rmc_count;
    } else if (memcmp(type, "GSA", 3) == 0) {
        struct lean_gsa* g = &st->gsa;
        g->mode = fields[1][0];
        g->fix_type = int_field(fields[2]);
        for (int i = 0; i < 12; ++i)
            g->prns[i] = int_field(fields[3 + i]);
        g->pdop = decimal_field(fields[15]);
        g->hdop = decimal_field(fields[16]);
        g->vdop = decimal_field(fields[17]);
        g->system_id = int_field(fields[18]);
        ++st->gsa_count;
    } else if (memcmp(type, "GSV", 3) == 0) {
        struct lean_gsv* g = &st->gsv;
        g->talker[0] = address[0];
        g->talker[1] = address[1];
        g->talker[2] = '\0';
        g->messages = int_field(fields[1]);
        g->number = int_field(fields[2]);
        g->in_view = int_field(fields[3]);
        /* Satellites in groups of four fields; a field left over is the signal id. */
        const int satellites = (n - 4) / 4 > 4 ? 4 : (n - 4) / 4;
        g->count = satellites;
        for (int k = 0; k < satellites; ++k) {
            struct lean_gsv_satellite* s = &g->satellites[k];
            s->prn = int_field(fields[4 + 4 * k]);
            s->elevation = int_field(fields[5 + 4 * k]);
            s->azimuth = int_field(fields[6 + 4 * k]);
            s->snr = fields[7 + 4 * k][0] == '\0' ? -1 : int_field(fields[7 + 4 * k]);
        }
        g->signal_id = (n - 4) % 4 == 1 ? hex_value(fields[n - 1][0]) : -1;
        ++st->gsv_count;
    }
}

static void read_line(struct lean_state* st, char* line, size_t length) {
    while (length > 0 && (line[length - 1] == '\r' || line[length - 1] == '\n'))
        --length;
    if (length < 4 || line[0] != '$')
        return;
    line[length] = '\0';
    unsigned checksum = 0;
    char* p = line + 1;
    while (*p != '\0' && *p != '*')
        checksum ^= (unsigned char)*p++;
    if (*p != '*' || hex_value(p[1]) < 0 || hex_value(p[2]) < 0 ||
        (unsigned)(hex_value(p[1]) * 16 + hex_value(p[2])) != checksum) {
        ++st->bad_checksums;
        return;
    }
    *p = '\0';
    ++st->sentences;
    read_sentence(st, line + 1);
}

void lean_init(struct lean_state* state) {
    memset(state, 0, sizeof *state);
}

void lean_feed(struct lean_state* st, const uint8_t* bytes, size_t count) {
    const uint8_t* p = bytes;
    const uint8_t* const end = bytes + count;
    while (p < end) {
        const uint8_t* nl = memchr(p, '\n', (size_t)(end - p));
        const uint8_t* stop = nl != NULL ? nl : end;
        size_t n = (size_t)(stop - p);
        if (st->line_length == 0 && nl != NULL && n < sizeof st->line) {
            /* The whole line is here: read it from a copy without gathering byte by byte. */
            memcpy(st->line, p, n);
            read_line(st, st->line, n);
        } else {
            /* A line split across calls (or too long: dropped). */
            if (st->line_length + n < sizeof st->line)
                memcpy(st->line + st->line_length, p, n);
            st->line_length += n;
            if (nl != NULL) {
                if (st->line_length < sizeof st->line)
                    read_line(st, st->line, st->line_length);
                st->line_length = 0;
            }
        }
        p = nl != NULL ? nl + 1 : end;
    }
}
