"""How the module runs the engine: every thread count and lane width gives the
same arrays, and Ctrl-C (SIGINT) stops a long run within a second, raising
KeyboardInterrupt and returning nothing, after which the module works on."""

import os
import signal
import threading
import time

import numpy as np
import pytest

import cones
from conftest import SANITIZED

WHEN = "2003-10-29T06:30:00"
T89 = dict(model="t89", kp=5.0)
STATIONS = dict(latitude=np.linspace(-60.0, 70.0, 9), longitude=np.linspace(-170.0, 160.0, 9),
                zenith=[0, 15, 30, 45, 60, 30, 15, 0, 40], azimuth=[0, 90, 180, 270, 45, 135, 225, 315, 0])


def engine_settings():
    settings = [dict(threads=1, lanes=1), dict(threads=2, lanes=1), dict(threads=1), dict(threads=2)]
    settings += [dict(threads=3, lanes=width) for width in cones.lane_widths() if width > 1]
    return settings


def test_every_thread_count_and_lane_width_gives_the_same_cones():
    rigidities = np.arange(1.0, 16.0, 1.5 if SANITIZED else 0.5)
    results = [cones.cone(WHEN, rigidity=rigidities, **STATIONS, **T89, **settings) for settings in engine_settings()]
    first = results[0]
    assert first.allowed.any() and not first.allowed.all()
    for result, settings in zip(results[1:], engine_settings()[1:]):
        assert np.array_equal(result.allowed, first.allowed), settings
        assert np.array_equal(result.latitude, first.latitude, equal_nan=True), settings
        assert np.array_equal(result.longitude, first.longitude, equal_nan=True), settings


def test_every_thread_count_and_lane_width_gives_the_same_cutoffs():
    step = 0.25 if SANITIZED else 0.05
    stations = {key: values[::2] for key, values in STATIONS.items()}
    results = [cones.cutoff(WHEN, rigidity_from=1.0, rigidity_to=15.0, rigidity_step=step, **stations, **T89,
                            **settings) for settings in engine_settings()]
    for result, settings in zip(results[1:], engine_settings()[1:]):
        for name in ("RL", "RU", "Rc", "RL_place", "RU_place", "Rc_place", "bands"):
            assert np.array_equal(getattr(result, name), getattr(results[0], name), equal_nan=True), (name, settings)
        assert result.table == results[0].table
    assert results[0].bands.max() > 0


# Calls that would run for many minutes (magfield some seconds), their
# arguments made beforehand.
POINTS = np.linspace(1.0, 30.0, 1_500_000)
LONG_CALLS = {
    "cutoff_map on all threads": lambda: cones.cutoff_map(WHEN, lat_step=1, lon_step=1, **T89),
    "cone on the calling thread": lambda: cones.cone(WHEN, rigidity=np.arange(1.0, 20.0, 1e-4), latitude=0.0,
                                                     longitude=0.0, threads=1, lanes=1, **T89),
    "cone in lanes on the calling thread": lambda: cones.cone(WHEN, rigidity=np.arange(1.0, 20.0, 1e-4),
                                                              latitude=0.0, longitude=0.0, threads=1, **T89),
    "cutoff in lanes on the calling thread": lambda: cones.cutoff(WHEN, latitude=[0.0] * 50, longitude=0.0,
                                                                  rigidity_from=5, rigidity_step=1e-4, threads=1,
                                                                  **T89),
    "cutoff on two threads": lambda: cones.cutoff(WHEN, latitude=[0.0] * 50, longitude=0.0, rigidity_from=5,
                                                  rigidity_step=1e-4, threads=2, **T89),
    "magfield": lambda: cones.magfield(WHEN, POINTS, 0.5, 0.5, **T89),
}


# A run ends once the trajectories in flight are done, each some milliseconds;
# under the sanitizers, ten times slower and on a loaded machine, some tenths
# of a second.
LATENCY = 3.0 if SANITIZED else 1.0


@pytest.mark.parametrize("name", LONG_CALLS)
def test_ctrl_c_stops_a_long_run_within_a_second(name):
    delay = 0.5
    timer = threading.Timer(delay, os.kill, (os.getpid(), signal.SIGINT))
    start = time.monotonic()
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            LONG_CALLS[name]()
        stopped = time.monotonic() - start
    finally:
        timer.cancel()
        timer.join()
    assert stopped < delay + LATENCY, "stopped %.2f s after the signal" % (stopped - delay)
    # The engine is whole again.
    again = cones.cone(WHEN, 65.05, 25.47, [5.0, 10.0], **T89)
    assert again.allowed.all()
