#!/usr/bin/env python3
"""Writes sample.nmea: a short receiver stream of our own (three one-second epochs of GGA, GSA for
GPS and GLONASS, VTG and GPGSV/GLGSV), with correct checksums and CR LF line ends."""
import functools
import pathlib


def sentence(body):
    checksum = functools.reduce(lambda a, c: a ^ ord(c), body, 0)
    return "$%s*%02X\r\n" % (body, checksum)


def epoch(second, altitude):
    lines = [
        "GPGGA,1235%02d,4807.038,N,01131.000,E,1,08,0.9,%.1f,M,46.9,M,," % (second, altitude),
        "GNGSA,A,3,03,07,19,22,27,,,,,,,,1.8,0.9,1.5",
        "GNGSA,A,3,66,75,76,,,,,,,,,,1.8,0.9,1.5",
        "GPVTG,054.7,T,034.4,M,005.5,N,010.2,K",
        "GPGSV,2,1,07,03,64,223,45,07,33,058,41,19,21,301,38,22,48,112,44",
        "GPGSV,2,2,07,27,12,178,33,40,30,200,36,31,05,020,",
        "GLGSV,1,1,04,66,40,075,40,75,55,160,42,76,18,250,35,85,02,330,",
    ]
    return "".join(sentence(line) for line in lines)


out = pathlib.Path(__file__).with_name("sample.nmea")
with open(out, "w", newline="") as f:
    for i, alt in enumerate((545.4, 545.9, 546.1)):
        f.write(epoch(19 + i, alt))
