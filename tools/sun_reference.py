#!/usr/bin/env python3
"""Reference positions of the Sun and sidereal times, for the unit tests.

An independent low-precision ephemeris (good to about 0.01 degrees from 1950
to 2050), sharing nothing with the program's solar routine: the Julian date
comes from Python's proleptic Gregorian calendar (datetime), not from a count
of leap days; the Sun's mean longitude and mean anomaly are counted from the
epoch J2000.0 (JD 2451545.0); the Greenwich mean sidereal time is the series
280.46061837 + 360.98564736629 D degrees, D days from J2000.0.

One day of error in the date moves the Sun's longitude and the sidereal time
by about a degree (0.017 rad), far beyond the 0.01-degree agreement of the
two ephemerides.

Run: python3 tools/sun_reference.py   (prints C++ table rows for geomag_test.cpp)
"""
import datetime
import math

# UT instants on leap years, after 29 February.
DATES = [
    datetime.datetime(2024, 3, 20, 3, 6, 0),     # the March equinox of 2024
    datetime.datetime(2024, 10, 15, 18, 30, 0),
    datetime.datetime(2000, 12, 31, 23, 0, 0),   # day 366
    datetime.datetime(1968, 7, 4, 6, 45, 30),
]

J2000 = 2451545.0
# datetime ordinal 1 is 1 January of year 1; JD of its midnight is 1721425.5.
ORDINAL_TO_JD = 1721424.5


def julian_date(when):
    fraction = (when.hour * 3600 + when.minute * 60 + when.second) / 86400.0
    return when.toordinal() + ORDINAL_TO_JD + fraction


def sun(when):
    """Returns (gst, ecliptic longitude, right ascension, declination) in radians."""
    d = julian_date(when) - J2000
    mean_longitude = 280.460 + 0.9856474 * d
    anomaly = math.radians(357.528 + 0.9856003 * d)
    longitude = mean_longitude + 1.915 * math.sin(anomaly) + 0.020 * math.sin(2 * anomaly)
    obliquity = math.radians(23.439 - 0.0000004 * d)
    lam = math.radians(longitude % 360.0)
    right_ascension = math.atan2(math.cos(obliquity) * math.sin(lam), math.cos(lam)) % (2 * math.pi)
    declination = math.asin(math.sin(obliquity) * math.sin(lam))
    gst = math.radians((280.46061837 + 360.98564736629 * d) % 360.0)
    return gst, lam, right_ascension, declination


def main():
    for when in DATES:
        gst, lam, ra, dec = sun(when)
        day = when.timetuple().tm_yday
        print(f"        {{{when.year}, {day}, {when.hour}, {when.minute}, {when.second}, "
              f"{gst:.5f}, {lam:.5f}, {ra:.5f}, {dec:.5f}}},  // {when:%d %B %Y %H:%M:%S}")


if __name__ == "__main__":
    main()
