"""What the tests of the Python module share: the programs of the build beside
it, a run of one of them in a scratch directory, and the Cones.ini of a run
written from the same values a call of the module takes."""

import os
import pathlib
import subprocess

import pytest

BUILD = pathlib.Path(os.environ.get("CONES_BUILD_DIR", pathlib.Path(__file__).parents[2] / "build" / "release")).resolve()
SOURCE = pathlib.Path(__file__).resolve().parents[2]
# Under the sanitizers everything runs many times slower: the tests trace less.
SANITIZED = os.environ.get("CONES_SANITIZED_BUILD") == "1"


def program(name):
    path = BUILD / name
    if not path.exists():
        pytest.fail("the program %s is not built (CONES_BUILD_DIR=%s)" % (name, BUILD))
    return str(path)


def run_program(name, arguments, directory, check=True):
    """Runs a program of the build in `directory`; its completed process."""
    done = subprocess.run([program(name)] + [str(a) for a in arguments], cwd=directory, capture_output=True,
                          text=True, timeout=600)
    if check and done.returncode != 0:
        pytest.fail("%s %s: exit status %d\n%s" % (name, " ".join(map(str, arguments)), done.returncode, done.stderr))
    return done


# File codes of the models and frames.
MODEL_CODES = {"dipole": 0, "igrf": 10, "t89": 89, "t96": 96, "t01": 1, "t01s": 3}
FRAME_CODES = {"geo": 0, "gse": 1, "gsm": 2}
PARAMETERS = ["pressure_npa", "dst_nt", "by_nt", "bz_nt", "g1", "g2", "g3", "kp"]


class Run:
    """One run's settings, as a call's keywords and as a Cones.ini."""

    def __init__(self, when="2015-03-15T12:00:00", model="igrf", frame="geo", altitude_km=20.0,
                 window=(-180.0, 180.0), igrf=12, geodetic=False, particle="proton", **parameters):
        self.when, self.model, self.frame, self.altitude_km = when, model, frame, altitude_km
        self.window, self.igrf, self.parameters = window, igrf, parameters
        self.geodetic, self.particle = geodetic, particle

    def options(self):
        """The programs' options for the run (the generation of the reference
        field, geodetic latitudes, the particle)."""
        return ["--igrf", str(self.igrf), "--particle", self.particle] + (["--geodetic"] if self.geodetic else [])

    def model_keywords(self):
        return dict(model=self.model, igrf=self.igrf, **self.parameters)

    def keywords(self, frame=True):
        keywords = dict(model=self.model, igrf=self.igrf, altitude_km=self.altitude_km, geodetic=self.geodetic,
                        particle=self.particle, **self.parameters)
        if frame:
            keywords.update(frame=self.frame, longitude_window=self.window)
        return keywords

    def ini(self, stations=(), rigidities=()):
        """The Cones.ini text: stations as (latitude, longitude, zenith, azimuth, name)."""
        date, time = self.when.split("T")
        year, month, day = date.split("-")
        hour, minute, second = time.split(":")
        lines = ["module test", "%s %s %s" % (day, month, year), "%s %s %s" % (hour, minute, second)]
        lines += [repr(float(self.parameters.get(p, 0.0))) for p in PARAMETERS]
        lines += [str(MODEL_CODES[self.model]), repr(self.altitude_km), str(FRAME_CODES[self.frame]),
                  "%r %r" % self.window, "lat lon zen azi name"]
        lines += ["%r %r %d %d %s" % s for s in stations]
        lines += ["#"] + ["%.2f" % r for r in rigidities]
        return "\n".join(lines) + "\n"


@pytest.fixture
def scratch(tmp_path):
    return tmp_path
