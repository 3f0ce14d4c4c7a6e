#!/usr/bin/env python3
"""Vertical cutoff rigidities of stations, from fine rigidity scans with cones.

Usage: tools/cutoff_scan.py CONES_EXECUTABLE [DATE]

For each station below, runs cones in a scratch directory on a vertical entry
with rigidities in 0.01 GV steps (IGRF field, 20 km, date DATE as "dd mm yyyy",
default "01 01 2010") and prints the lower cutoff (first allowed rigidity), the
upper cutoff (above which every rigidity is allowed) and the effective cutoff
(lower cutoff plus the forbidden part of the penumbra), beside a commonly
quoted vertical cutoff for comparison. A physics sanity check, not a test.
"""
import os
import subprocess
import sys
import tempfile

STEP = 0.01
# name, latitude, longitude, commonly quoted vertical cutoff (GV), scan range (GV)
STATIONS = [
    ("Oulu", 65.05, 25.47, 0.81, 0.2, 2.0),
    ("Kerguelen", -49.35, 70.25, 1.14, 0.3, 2.5),
    ("Jungfraujoch", 46.55, 7.98, 4.5, 3.0, 6.0),
    ("Rome", 41.86, 12.47, 6.27, 5.0, 8.0),
    ("Athens", 37.97, 23.78, 8.53, 6.5, 10.5),
    ("MexicoCity", 19.33, -99.18, 8.28, 6.5, 10.0),
    ("Tsumeb", -19.20, 17.58, 9.15, 7.5, 11.0),
    ("DoiInthanon", 18.59, 98.49, 16.8, 15.0, 19.0),
]


def scan(executable, directory, date, latitude, longitude, name, low, high):
    count = int(round((high - low) / STEP)) + 1
    rigidities = [low + STEP * i for i in range(count)]
    lines = ["cutoff scan", date, "00 00 00", "2.0", "0", "0", "0", "0", "0", "0", "1",
             "10", "20.0", "0", "-180. 180.", "lat lon zen azi name",
             f"{latitude} {longitude} 0 0 {name}", "#"] + ["%.2f" % r for r in rigidities]
    with open(os.path.join(directory, "Cones.ini"), "w") as f:
        f.write("\n".join(lines) + "\n")
    subprocess.run([executable], cwd=directory, stdout=subprocess.DEVNULL, check=True)
    with open(os.path.join(directory, "Cones.dat"), newline="") as f:
        rows = f.read().split("\r\n")[1:-1]
    return [(float(row[:6]), "," not in row) for row in rows]


def cutoffs(results, low):
    upper = low
    for rigidity, allowed in reversed(results):
        if not allowed:
            upper = rigidity + STEP
            break
    lower = next((rigidity for rigidity, allowed in results if allowed), upper)
    forbidden = sum(1 for rigidity, allowed in results if lower <= rigidity < upper and not allowed)
    return lower, upper, lower + forbidden * STEP


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    executable = os.path.abspath(sys.argv[1])
    date = sys.argv[2] if len(sys.argv) > 2 else "01 01 2010"
    with tempfile.TemporaryDirectory() as directory:
        print(f"{'station':13s} {'lower':>6s} {'upper':>6s} {'effective':>9s} {'quoted':>7s}")
        for name, latitude, longitude, quoted, low, high in STATIONS:
            results = scan(executable, directory, date, latitude, longitude, name, low, high)
            lower, upper, effective = cutoffs(results, low)
            print(f"{name:13s} {lower:6.2f} {upper:6.2f} {effective:9.2f} {quoted:7.2f}")


if __name__ == "__main__":
    main()
