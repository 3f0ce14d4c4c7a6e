"""Times the Python module against the programs on the same work (release
build, distribution's interpreter):

  1. one trajectory: a call of cones.trajectory and of cones.cone for one
     station entry and one rigidity, against a whole run of the programs
     trajectory and cones on the same entry (process start-up included);
  2. 1000 trajectories (10 station entries x 100 rigidities): a call of
     cones.cone against a run of cones.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_vs_programs.py [build/release]

Each figure is the best of several runs (wall time); all hardware threads
and the model's best lanes, as both use by default.
"""

import pathlib
import subprocess
import sys
import tempfile
import time

import numpy as np

import cones

BUILD = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build/release").resolve()
WHEN = "2015-03-15T12:00:00"


def best(call, repeat):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return min(times)


def ini(stations, rigidities):
    lines = ["timing", "15 03 2015", "12 00 00"] + ["0"] * 7 + ["2", "10", "20.0", "0", "-180 180", "lat lon zen azi"]
    lines += ["%.2f %.2f 0 0 s%d" % (lat, lon, i) for i, (lat, lon) in enumerate(stations)]
    return "\n".join(lines + ["#"] + ["%.2f" % r for r in rigidities]) + "\n"


def program(directory, *arguments):
    return lambda: subprocess.run([str(BUILD / arguments[0])] + list(arguments[1:]), cwd=directory, check=True,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


with tempfile.TemporaryDirectory() as scratch:
    one = pathlib.Path(scratch, "one")
    one.mkdir()
    (one / "Cones.ini").write_text(ini([(46.55, 7.98)], [5.0]))
    print("one trajectory (Jungfraujoch, 5 GV, IGRF), best wall time:")
    figures = {
        "cones.trajectory() call": best(lambda: cones.trajectory(WHEN, 46.55, 7.98, 5.0), 50),
        "cones.cone() call": best(lambda: cones.cone(WHEN, 46.55, 7.98, 5.0), 50),
        "trajectory program run": best(program(one, "trajectory", "-o", "path.csv"), 20),
        "cones program run": best(program(one, "cones"), 20),
    }
    for name, seconds in figures.items():
        print("  %-28s %8.2f ms" % (name, seconds * 1e3))

    stations = [(lat, lon) for lat, lon in zip(np.linspace(-60, 70, 10), np.linspace(-170, 160, 10))]
    rigidities = np.round(np.linspace(1.0, 20.8, 100), 2)
    work = pathlib.Path(scratch, "work")
    work.mkdir()
    (work / "Cones.ini").write_text(ini(stations, rigidities))
    lat, lon = zip(*stations)
    call = best(lambda: cones.cone(WHEN, lat, lon, rigidities), 10)
    run = best(program(work, "cones"), 10)
    print("1000 trajectories (10 station entries x 100 rigidities, IGRF), best wall time:")
    print("  %-28s %8.1f ms (%.0f trajectories/s)" % ("cones.cone() call", call * 1e3, 1000 / call))
    print("  %-28s %8.1f ms (%.0f trajectories/s)" % ("cones program run", run * 1e3, 1000 / run))
