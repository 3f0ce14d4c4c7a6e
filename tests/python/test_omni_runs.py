"""The OMNI features of the module: the records as arrays and the inputs of a
moment against values computed here from those records; the inputs reaching
the tracing of cutoff and cutoff_map; cutoffs along a path equal to the
program's; and the refusals."""

import math

import numpy as np
import pytest

import cones
from conftest import SOURCE, run_program

HOURLY = str(SOURCE / "tests" / "data" / "omni" / "omni2_hourly_2024-04-26_to_05-28.dat")
FIVE_MINUTE = str(SOURCE / "tests" / "data" / "omni" / "omni_5min_2003-10-28_to_30.asc")


def test_inputs_of_a_window_with_fill_values_are_the_means_of_its_valid_records():
    records = cones.omni_read(FIVE_MINUTE)
    assert len(records["time"]) == 3 * 288
    assert records["length_s"][0] == 300
    assert np.all(np.isnan(records["dst"])) and np.all(np.isnan(records["kp"]))
    # 29 October 2003 06:00: the records of 05:00 to 05:55; the plasma and the
    # field are fill values from 05:50 on, the shock's gap.
    moment = np.datetime64("2003-10-29T06:00:00")
    window = (records["time"] >= moment - np.timedelta64(3600, "s")) & (records["time"] < moment)
    assert window.sum() == 12
    v, n, p = records["speed"][window], records["density"][window], records["pressure"][window]
    by, bz = records["by"][window], records["bz"][window]
    assert np.isnan(p[-2:]).all() and np.isnan(bz[-2:]).all() and not np.isnan(p[:10]).any()
    bt = np.hypot(by, bz)
    theta = np.mod(np.arctan2(by, bz), 2 * np.pi)
    bs = np.where(bz < 0, -bz, 0.0)
    expected = {
        "pressure_npa": np.nanmean(p), "by_nt": np.nanmean(by), "bz_nt": np.nanmean(bz),
        "g1": np.nanmean(v * (bt / 40) ** 2 / (1 + bt / 40) * np.sin(theta / 2) ** 3),
        "g2": np.nanmean(0.005 * v * bs), "g3": np.nanmean(v * n * bs) / 2000,
    }
    inputs = cones.omni_inputs(FIVE_MINUTE, ["2003-10-29T06:00:00"], model="igrf")
    for keyword, value in expected.items():
        assert inputs[keyword][0] == pytest.approx(value, rel=1e-12), keyword
        assert inputs["valid"][keyword][0] == 10 and inputs["records"][keyword][0] == 12, keyword
    # Dst is the SYM-H of the record holding the moment; Kp is not known.
    assert inputs["dst_is_sym_h"][0]
    assert inputs["dst_nt"][0] == records["sym_h"][records["time"] == moment][0]
    assert math.isnan(inputs["kp"][0]) and inputs["records"]["kp"][0] == 0
    # Within the gap a model that reads the plasma cannot be driven.
    with pytest.raises(ValueError, match=r"omni: .*pressure at 2003 day 302 12:00:00 UT: only 0 of the 12"):
        cones.omni_inputs(FIVE_MINUTE, ["2003-10-29T12:00:00"], model="t96")


def test_cutoff_and_map_trace_the_omni_inputs_and_record_them():
    when = "2024-05-11T12:00:00"
    stations = dict(latitude=[46.55, 60.0], longitude=[7.98, -30.0])
    scan = dict(rigidity_from=1.0, rigidity_to=8.0, rigidity_step=0.1, igrf=14)
    driven = cones.cutoff(when, model="t89", omni=HOURLY, **stations, **scan)
    assert driven.inputs[7] == 8.7 and driven.inputs_from == "OMNI " + HOURLY
    assert "Kp 8.7; from OMNI" in str(driven)
    typed = cones.cutoff(when, model="t89", kp=8.7, **stations, **scan)
    np.testing.assert_array_equal(driven.Rc, typed.Rc)
    np.testing.assert_array_equal(driven.bands, typed.bands)
    quiet = cones.cutoff(when, model="t89", kp=0, **stations, **scan)
    assert driven.Rc[0] < quiet.Rc[0]
    maps = cones.cutoff_map(when, lat_step=90, lon_step=180, model="t89", omni=[HOURLY], **scan)
    attrs = maps.attrs if hasattr(maps, "attrs") else maps["attrs"]
    assert attrs["model_parameters_source"] == "OMNI " + HOURLY
    assert attrs["model_parameters"][7] == 8.7


def test_cutoff_path_equals_the_programs_path(tmp_path):
    times = ["2024-05-10T22:00:00", "2024-05-11T00:30:00", "2024-05-11T02:40:00"]
    latitude, longitude, altitude = [52.7, 54.0, 49.0], [-8.9, -40.2, -54.6], [10.5, 11.9, 0.0]
    scan = dict(rigidity_from=0.5, rigidity_to=6.0, rigidity_step=0.05, igrf=14)
    path = cones.cutoff_path(times, latitude, longitude, altitude, model="t89", omni=HOURLY, **scan)
    assert path.Rc.shape == (3, 1)
    assert list(path.time.astype(str)) == times
    (tmp_path / "flight.csv").write_text("".join("%s,%s,%s,%s\n" % row
                                                 for row in zip(times, latitude, longitude, altitude)))
    (tmp_path / "Cones.ini").write_text("path\n01 01 2024\n00 00 00\n1\n0\n0\n0\n0\n0\n0\n0\n89\n20\n0\n"
                                        "-180 180\nlat lon zen azi name\n#\n")
    done = run_program("cutoffs", ["--csv", "--igrf", "14", "--from", "0.5", "--to", "6", "--step", "0.05",
                                   "--omni", HOURLY, "--path", "flight.csv"], tmp_path)
    rows = [line.split(",") for line in done.stdout.splitlines()]
    header = rows.pop(0)
    assert len(rows) == 3
    for k, row in enumerate(rows):
        fields = dict(zip(header, row))
        for name in ("RL", "RU", "Rc"):
            assert float(fields[name]) == pytest.approx(getattr(path, name)[k, 0], abs=1e-9), (k, name)
        assert int(fields["bands"]) == path.bands[k, 0]
        assert float(fields["kp"]) == path.inputs[k, 7]
    series = cones.cutoff_series(times[:2], 46.55, 7.98, model="t89", omni=HOURLY, **scan)
    assert series.Rc.shape == (2, 1) and list(series.inputs[:, 7]) == list(path.inputs[:2, 7])


def test_omni_refusals():
    with pytest.raises(TypeError, match="omni: the model parameters come from the OMNI files"):
        cones.cutoff("2024-05-11", 46.55, 7.98, model="t89", kp=2, omni=HOURLY)
    with pytest.raises(ValueError, match=r"omni: .*missing\.dat"):
        cones.cutoff("2024-05-11", 46.55, 7.98, model="t89", omni="missing.dat")
    with pytest.raises(ValueError, match="Kp at 2024 day 132 00:00:00 UT: no hourly record holds this time"):
        cones.cone("2024-05-11", 46.55, 7.98, 5, model="t89", omni=FIVE_MINUTE)
    with pytest.raises(ValueError, match=r"altitude_km: expected 2 values, one per time, found 3"):
        cones.cutoff_path(["2024-05-11", "2024-05-11T01:00"], [1, 2], [1, 2], [1, 2, 3])
