"""Every class of bad input raises ValueError or TypeError naming the argument
and the value found, with the checks the programs make of Cones.ini, and the
interpreter lives on."""

import datetime
import math

import numpy as np
import pytest

import cones

WHEN = "2015-03-15T12:00:00"
T96 = dict(model="t96", pressure_npa=2.0, dst_nt=-10.0, by_nt=0.0, bz_nt=-2.0)


def cone(**changes):
    arguments = dict(datetime=WHEN, latitude=[65.05, 46.55], longitude=[25.47, 7.98], rigidity=[5.0, 10.0])
    arguments.update(changes)
    return cones.cone(**arguments)


def cutoff(**changes):
    arguments = dict(datetime=WHEN, latitude=46.55, longitude=7.98, rigidity_from=4, rigidity_to=5, rigidity_step=0.5)
    arguments.update(changes)
    return cones.cutoff(**arguments)


def cutoff_map(**changes):
    arguments = dict(datetime=WHEN, lat_step=90, lon_step=180, rigidity_from=1, rigidity_step=5)
    arguments.update(changes)
    return cones.cutoff_map(**arguments)


def trajectory(**changes):
    arguments = dict(datetime=WHEN, latitude=46.55, longitude=7.98, rigidity=5.0)
    arguments.update(changes)
    return cones.trajectory(**arguments)


def magfield(**changes):
    arguments = dict(datetime=WHEN, x=[1.5, 2.0], y=0.0, z=0.0)
    arguments.update(changes)
    return cones.magfield(**arguments)


CASES = [
    # the model and its parameters (the validation of Cones.ini)
    (cone, dict(**dict(T96, pressure_npa=0.0)), ValueError, r"^pressure_npa: .*from 0.01 nPa to 100 nPa.*found 0 nPa"),
    (cutoff, dict(**dict(T96, pressure_npa=-1.0)), ValueError, r"^pressure_npa: .*found -1"),
    (magfield, dict(model="t01s", pressure_npa=0.0, dst_nt=0, by_nt=0, bz_nt=0, g2=0, g3=0), ValueError,
     r"^pressure_npa: "),
    (cone, dict(model="t96", dst_nt=-10.0, by_nt=0.0, bz_nt=-2.0), TypeError,
     r"needs pressure_npa .*not given; it reads pressure_npa, dst_nt, by_nt and bz_nt"),
    (trajectory, dict(model="t89", kp=-1.5), ValueError, r"^kp: .*from 0 to 9 .*found -1.5"),
    (cutoff_map, dict(model="t89"), TypeError, r"needs kp"),
    (cone, dict(**dict(T96, dst_nt=math.nan)), ValueError, r"^dst_nt: expected a finite number .*found nan"),
    (magfield, dict(g1=math.inf), ValueError, r"^g1: expected a finite number .*found inf"),
    (cone, dict(kp="3"), TypeError, r"^kp: expected a number, found '3'"),
    (cone, dict(pressure=2.0), TypeError, r"unexpected keyword argument 'pressure'; the model parameters are "),
    (cone, dict(model="t98"), ValueError, r"^model: expected one of .*\"t96\".*found \"t98\""),
    (cone, dict(model=96), TypeError, r"^model: expected text, found 96"),
    (cone, dict(igrf=11), ValueError, r"^igrf: expected 12, 13 or 14 .*found 11"),
    (cone, dict(igrf=13.0), TypeError, r"^igrf: expected a whole number, found 13.0"),
    # date and time
    (cone, dict(datetime="2015-02-30T00:00:00"), ValueError, r"^datetime: expected ISO 8601 text .*2015-02-30"),
    (cone, dict(datetime="15 03 2015"), ValueError, r"^datetime: expected ISO 8601 text"),
    (cone, dict(datetime=20150315), TypeError, r"^datetime: expected a datetime.datetime .*found 20150315"),
    (cone, dict(datetime=datetime.datetime(2015, 3, 15, 12, 0, 0, 500)), ValueError,
     r"^datetime: expected whole seconds .*12:00:00.000500"),
    # stations and rigidities
    (cone, dict(latitude=[65.05, 95.0]), ValueError, r"^latitude\[1\]: .*from -90 to 90 degrees, found 95"),
    (cutoff, dict(latitude=-90.5), ValueError, r"^latitude\[0\]: .*found -90.5"),
    (cone, dict(longitude=[25.47, math.nan]), ValueError, r"^longitude\[1\]: expected a finite number .*found nan"),
    (trajectory, dict(zenith=math.inf), ValueError, r"^zenith\[0\]: expected a finite number .*found inf"),
    (cone, dict(azimuth=[0.0, math.nan]), ValueError, r"^azimuth\[1\]: .*found nan"),
    (cone, dict(rigidity=[5.0, -1.0]), ValueError, r"^rigidity\[1\]: .*from 0.01 to 999.99 GV.*found -1"),
    (trajectory, dict(rigidity=0.0), ValueError, r"^rigidity\[0\]: .*from 0.01 to 999.99 GV.*found 0"),
    (cone, dict(rigidity=[]), ValueError, r"^rigidity: .*at least one rigidity"),
    (cone, dict(latitude=[], longitude=[]), ValueError, r"^latitude: .*at least one station"),
    (cone, dict(latitude=[1.0, 2.0, 3.0]), ValueError,
     r"^latitude, longitude, zenith, azimuth: expected arrays of one length .*found lengths 3, 2"),
    (cone, dict(latitude=[[1.0, 2.0]]), ValueError, r"^latitude: expected a number or a one-dimensional array"),
    (cone, dict(latitude="north"), TypeError, r"^latitude: expected numbers, found 'north'"),
    (cone, dict(names=["Oulu"]), ValueError, r"^names: expected one name per station entry \(2\), found 1"),
    (cone, dict(names=["Oulu", 7]), TypeError, r"^names: expected text, found 7"),
    # the run's settings
    (cone, dict(altitude_km=-1.0), ValueError, r"^altitude_km: .*0 km or more.*found -1 km"),
    (trajectory, dict(altitude_km=math.nan), ValueError, r"^altitude_km: expected a finite number .*found nan"),
    (cone, dict(frame="gei"), ValueError, r"^frame: expected \"geo\", \"gse\" or \"gsm\", found \"gei\""),
    (magfield, dict(frame="sm"), ValueError, r"^frame: .*found \"sm\""),
    (cone, dict(longitude_window=(0.0, 300.0)), ValueError, r"^longitude_window: .*holds every longitude.*found 0 300"),
    (cone, dict(longitude_window=5), TypeError, r"^longitude_window: expected two numbers"),
    (cone, dict(threads=-1), ValueError, r"^threads: expected a whole number from 0 to 4096, found -1"),
    (cutoff, dict(threads=2.0), TypeError, r"^threads: expected a whole number, found 2.0"),
    (cone, dict(lanes=3), ValueError, r"^lanes: expected 0 \(the model's best\) or a lane width .*found 3"),
    (cone, dict(particle="neutron"), ValueError,
     r"^particle: expected proton, antiproton, electron, positron, alpha, helium-3, or a charge number and mass "
     r"number Z,A \(2,4\), found \"neutron\""),
    (cutoff, dict(particle="0,1"), ValueError, r"^particle: expected proton, .*found \"0,1\""),
    (cutoff_map, dict(particle=2), TypeError, r"^particle: expected text, found 2"),
    (trajectory, dict(geodetic="yes"), TypeError, r"^geodetic: expected True or False, found 'yes'"),
    # grids and points
    (cutoff, dict(rigidity_step=0.0), ValueError, r"^rigidity_from, rigidity_to, rigidity_step: .*step.*found 4, 5, 0"),
    (cutoff, dict(rigidity_from=6.0), ValueError, r"^rigidity_from, rigidity_to, rigidity_step: .*start below its end"),
    (cutoff_map, dict(rigidity_from=0.0), ValueError, r"^rigidity_from, rigidity_to, rigidity_step: .*above 0 GV"),
    (cutoff, dict(scan="sideways"), ValueError, r"^scan: expected \"adaptive\" or \"full\", found 'sideways'"),
    (cutoff_map, dict(scan=True), TypeError, r"^scan: expected \"adaptive\" or \"full\", found True"),
    (cutoff_map, dict(lat_step=7.0), ValueError, r"^lat_step, lon_step: .*found 7, 180"),
    (cutoff_map, dict(lon_step=-5.0), ValueError, r"^lat_step, lon_step: .*found 90, -5"),
    (magfield, dict(x=[1.5, 0.5]), ValueError, r"^x, y, z: expected points at or above the Earth's surface .*"
                                               r"point 1 at \(0.5, 0, 0\), r = 0.5"),
    (magfield, dict(z=[0.0, math.nan]), ValueError, r"^x, y, z: .*point 1 .*r = nan"),
    (magfield, dict(y=[1.0, 2.0, 3.0]), ValueError, r"^x, y, z: expected arrays of shapes that broadcast together"),
]


@pytest.mark.parametrize("call, changes, error, message", CASES,
                         ids=["%s-%s" % (c[0].__name__, "-".join(c[1])) for c in CASES])
def test_bad_input_raises_naming_the_argument(call, changes, error, message):
    with pytest.raises(error, match=message):
        call(**changes)


def test_the_module_works_on_after_errors():
    for call, changes, error, _ in CASES[:5]:
        with pytest.raises(error):
            call(**changes)
    result = cone(**T96)
    assert result.allowed.shape == (2, 2)


def test_a_date_beyond_the_field_generation_warns():
    with pytest.warns(UserWarning, match=r"after the end of IGRF-12 .*igrf=14"):
        cone(datetime="2024-01-01T00:00:00")
    with pytest.warns(UserWarning, match="1850"):
        magfield(datetime="1850-06-01T00:00:00")


def test_the_date_takes_every_form():
    forms = ["2015-03-15T12:00:00", "2015-03-15 12:00", "2015-03-15T13:00:00+01:00", "2015-03-15T12:00:00Z",
             datetime.datetime(2015, 3, 15, 12), np.datetime64("2015-03-15T12:00:00")]
    fields = [magfield(datetime=form) for form in forms]
    for field in fields[1:]:
        assert np.array_equal(field, fields[0])
    assert not np.array_equal(magfield(datetime=datetime.date(2015, 3, 15)), fields[0])


PROGRAM_CASES = [
    (["--station", "0"], 1, "trajectory: option --station expects a station entry number from 1, found '0'"),
    (["--station", "1.5"], 1, "option --station expects a station entry number from 1, found '1.5'"),
    (["--station", "3"], 1, "trajectory: option --station 3: Cones.ini lists 2 station entries"),
    (["--rigidity", "-2"], 1, "option --rigidity expects a rigidity above 0 GV, found '-2'"),
    (["--igrf", "15"], 1, "option --igrf takes 12, 13 or 14"),
    (["-o", "nowhere/path.csv"], 2, "Can not write file nowhere/path.csv"),
    (["missing.ini"], 1, "Can not open file missing.ini"),
]


@pytest.mark.parametrize("arguments, status, message", PROGRAM_CASES, ids=[" ".join(c[0]) for c in PROGRAM_CASES])
def test_the_program_trajectory_refuses_what_it_cannot_use(arguments, status, message, scratch):
    from conftest import Run, run_program
    (scratch / "Cones.ini").write_text(Run().ini([(65.05, 25.47, 0, 0, "Oulu"), (46.55, 7.98, 0, 0, "Jungfraujoch")],
                                                 [5.0]))
    done = run_program("trajectory", arguments, scratch, check=False)
    assert (done.returncode, done.stdout) == (status, "")
    assert message in done.stderr
    assert not (scratch / "nowhere").exists()


def test_the_program_trajectory_takes_the_files_first_entry_and_rigidity(scratch):
    from conftest import Run, run_program
    run = Run()
    (scratch / "Cones.ini").write_text(run.ini([(65.05, 25.47, 0, 0, "Oulu")], [5.0, 10.0]))
    done = run_program("trajectory", ["-o", "path.csv"], scratch)
    assert done.stdout == ""
    text = (scratch / "path.csv").read_text()
    assert text.startswith("# trajectory of station 1 (Oulu) at 5 GV, 2015-03-15 12:00:00 UT, field model 10")
    path = cones.trajectory(run.when, 65.05, 25.47, 5.0)
    assert text.count("\n") == 4 + len(path.t_s)
