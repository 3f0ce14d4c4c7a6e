"""The module's numbers are the programs' to the last bit: the cones of a
Cones.ini against the same call, the cutoffs table, a small map file, and a
trajectory's path and end against the program trajectory and against the
cone the module gives."""

import math
import re

import numpy as np
import pytest
import xarray

import cones
from conftest import SANITIZED, Run, run_program

STATIONS = [(65.05, 25.47, 0, 0, "Oulu"), (46.55, 7.98, 30, 90, "Jungfraujoch"), (-19.2, 17.58, 0, 0, "Tsumeb"),
            (18.59, 98.49, 45, 200, "DoiInthanon")]
RIGIDITIES = [1.0, 2.5, 4.0, 6.5, 9.0, 13.0, 17.5]

RUNS = {
    "igrf, geo": Run(),
    "t89, gse, window 0 360": Run(model="t89", frame="gse", window=(0.0, 360.0), kp=3.0, when="2003-10-29T06:30:00"),
    "t96, gsm, igrf 14": Run(model="t96", frame="gsm", igrf=14, when="2024-05-11T02:00:00", pressure_npa=5.0,
                             dst_nt=-150.0, by_nt=8.0, bz_nt=-20.0, altitude_km=0.0),
    "dipole": Run(model="dipole", when="1990-01-01T00:00:00"),
    "igrf, geodetic, electron": Run(geodetic=True, particle="electron"),
}
if SANITIZED:  # T96 takes some seconds per trajectory under the sanitizers
    del RUNS["t96, gsm, igrf 14"]


def station_keywords(stations):
    lat, lon, zen, azi, names = zip(*stations)
    return dict(latitude=lat, longitude=lon, zenith=zen, azimuth=azi, names=list(names))


def cones_dat(result):
    """Cones.dat lines (without the header) written from the module's arrays, as
    the program writes them: F6.2, then 2F7.1 or the forbidden marker."""
    lines = []
    for i, rigidity in enumerate(result.rigidity):
        line = "%6.2f" % rigidity
        for j in range(result.allowed.shape[1]):
            if result.allowed[i, j]:
                line += "%7.1f%7.1f" % (result.latitude[i, j], result.longitude[i, j])
            else:
                line += "  ,    ,     ,"
        lines.append(line + " ")
    return lines


@pytest.mark.parametrize("name", RUNS)
def test_cone_writes_what_cones_writes(name, scratch):
    run = RUNS[name]
    (scratch / "Cones.ini").write_text(run.ini(STATIONS, RIGIDITIES))
    run_program("cones", ["--threads", "2"] + run.options(), scratch)
    written = (scratch / "Cones.dat").read_bytes().decode().split("\r\n")
    result = cones.cone(run.when, rigidity=RIGIDITIES, **station_keywords(STATIONS), **run.keywords())
    assert cones_dat(result) == written[1:-1]
    # Forbidden entries are NaN, allowed ones lie in the window.
    assert np.isnan(result.latitude[~result.allowed]).all()
    allowed = result.longitude[result.allowed]
    assert ((allowed >= run.window[0]) & (allowed <= run.window[1])).all()
    assert result.allowed.any() and not result.allowed.all()


def test_cutoff_prints_the_table_of_cutoffs(scratch):
    run = Run(model="t89", kp=2.0, when="2010-01-01T00:00:00")
    (scratch / "Cones.ini").write_text(run.ini(STATIONS))
    scan = ["--from", "0.5", "--to", "18", "--step", "0.05"]
    table = run_program("cutoffs", scan, scratch).stdout
    csv = run_program("cutoffs", scan + ["--csv"], scratch).stdout.splitlines()[1:]
    assert table.startswith("Cutoff rigidities (GV), 2010-01-01 00:00:00 UT, field model 89 (IGRF-12 + T89, Kp 2)")
    result = cones.cutoff(run.when, rigidity_from=0.5, rigidity_to=18, rigidity_step=0.05,
                          **station_keywords(STATIONS), **run.keywords(frame=False))
    assert result.table == table and str(result) == table.rstrip("\n")
    # The CSV holds the resolved cutoffs; Oulu's lie below the scan.
    for i, row in enumerate(csv):
        for field, value, place in zip(row.split(",")[5:8], (result.RL, result.RU, result.Rc),
                                       (result.RL_place, result.RU_place, result.Rc_place)):
            assert field == ("%.2f" % value[i] if place[i] == 0 else ""), row
    assert list(result.Rc_place) == [1, 0, 0, 0] and result.Rc[0] == 0.5
    assert np.isnan(result.failed_rigidity).all()
    assert (result.RL <= result.Rc).all() and (result.Rc <= result.RU).all()


def test_cutoff_map_is_the_map_file(scratch):
    run = Run(model="igrf", when="2015-03-15T00:00:00")
    (scratch / "Cones.ini").write_text(run.ini())
    run_program("cutoff-map", ["--lat-step", "30", "--lon-step", "60", "--from", "1", "--step", "0.25",
                               "-o", "map.nc", "Cones.ini"] + run.options(), scratch)
    result = cones.cutoff_map(run.when, lat_step=30, lon_step=60, rigidity_from=1, rigidity_step=0.25,
                              **run.keywords(frame=False))
    with xarray.open_dataset(scratch / "map.nc") as written:
        written.load()
    assert result.attrs.pop("source").startswith("cones Python module")
    assert written.attrs.pop("source").startswith("cutoff-map")
    xarray.testing.assert_identical(result, written)
    # The poles are open below the scan, the equator's cutoffs are resolved.
    assert (result.Rc_place.sel(lat=90) == 1).all() and (result.Rc_place.sel(lat=0) == 0).all()
    assert float(result.Rc.sel(lat=0).min()) > 8.0


def test_cutoff_map_without_xarray_is_the_files_arrays(scratch, monkeypatch):
    import builtins
    real_import = builtins.__import__

    def no_xarray(name, *args, **kwargs):
        if name == "xarray":
            raise ImportError("no xarray")
        return real_import(name, *args, **kwargs)

    monkeypatch.setattr(builtins, "__import__", no_xarray)
    maps = cones.cutoff_map("2015-03-15", lat_step=90, lon_step=180, rigidity_from=1, rigidity_step=1)
    assert set(maps) == {"lat", "lon", "Rc", "RL", "RU", "Rc_place", "RL_place", "RU_place", "bands", "attrs"}
    assert maps["Rc"].shape == (3, 3) and maps["Rc_place"].dtype == np.int8
    assert list(maps["lat"]) == [-90.0, 0.0, 90.0]
    assert maps["attrs"]["scan_rigidities"] == 20


def read_trajectory_csv(text):
    comments = [line for line in text.splitlines() if line.startswith("#")]
    rows = [line for line in text.splitlines() if line and not line.startswith("#")]
    assert rows[0] == "t_s,x_geo,y_geo,z_geo,x_gsm,y_gsm,z_gsm,b_nT"
    return comments, np.array([[float(v) for v in row.split(",")] for row in rows[1:]])


@pytest.mark.parametrize("station, rigidity", [(1, 4.0), (2, 1.0), (3, 9.0), (3, 13.0), (4, 17.5), (4, 6.5)])
def test_trajectory_is_the_programs_and_ends_on_the_cone(station, rigidity, scratch):
    run = RUNS["t89, gse, window 0 360"]
    (scratch / "Cones.ini").write_text(run.ini(STATIONS, RIGIDITIES))
    text = run_program("trajectory", ["--station", station, "--rigidity", rigidity, "Cones.ini"] + run.options(),
                       scratch).stdout
    comments, table = read_trajectory_csv(text)
    lat, lon, zen, azi, _ = STATIONS[station - 1]
    path = cones.trajectory(run.when, lat, lon, rigidity, zenith=zen, azimuth=azi, **run.keywords())
    written = np.column_stack([path.t_s, path.geo, path.gsm, path.b_nt])
    assert np.array_equal(written, table)  # every number read back from its shortest form
    assert comments[1].startswith("# outcome: %s (%s)" % (path.outcome, path.end_text))

    cone = cones.cone(run.when, lat, lon, rigidity, zenith=zen, azimuth=azi, **run.keywords())
    assert bool(cone.allowed[0, 0]) == (path.outcome == "allowed")
    r = np.sqrt((path.gsm ** 2).sum(axis=1))
    if path.outcome == "allowed":
        assert (path.latitude, path.longitude) == (cone.latitude[0, 0], cone.longitude[0, 0])
        found = re.search(r"latitude (\S+) degrees, longitude (\S+) degrees", comments[2])
        assert (float(found[1]), float(found[2])) == (path.latitude, path.longitude)
        assert path.end in ("magnetopause", "tail") and (r[-1] > 7 or path.gsm[-1, 0] <= -70)
    else:
        assert math.isnan(path.latitude) and path.end in ("earth", "time_limit")
        assert (r[-1] < 1) == (path.end == "earth")
    assert r[0] == pytest.approx(1 + run.altitude_km / 6371.2, rel=1e-12)
    assert (np.diff(path.t_s) > 0).all() and len(path.t_s) <= path.steps + 1


def test_magfield_is_the_field_of_the_trajectory():
    run = RUNS["t89, gse, window 0 360"]
    path = cones.trajectory(run.when, 46.55, 7.98, 6.5, **run.keywords())
    b_gsm = cones.magfield(run.when, path.gsm[:, 0], path.gsm[:, 1], path.gsm[:, 2], frame="gsm",
                           **run.model_keywords())
    bx, by, bz = b_gsm[:, 0], b_gsm[:, 1], b_gsm[:, 2]
    assert np.array_equal(np.sqrt(bx * bx + by * by + bz * bz), path.b_nt)
    # The same points in GEO give the same field, rotated.
    b_geo = cones.magfield(run.when, path.geo[:, 0], path.geo[:, 1], path.geo[:, 2], frame="geo",
                           **run.model_keywords())
    np.testing.assert_allclose(np.linalg.norm(b_geo, axis=1), path.b_nt, rtol=1e-12)
    assert not np.allclose(b_geo, b_gsm, rtol=1e-3)
    # Arrays of any shape broadcast; the field falls as the dipole's far from the Earth's surface.
    b = cones.magfield(run.when, np.array([[2.0], [4.0]]), 0.0, [0.0, 1e-9], frame="gsm", model="dipole")
    assert b.shape == (2, 2, 3)
    assert np.linalg.norm(b[0, 0]) / np.linalg.norm(b[1, 0]) == pytest.approx(8.0, rel=1e-12)
