"""Cosmic-ray asymptotic cones, cutoff rigidities, cutoff maps, trajectories
and geomagnetic field values, as numpy arrays.

The functions run the engine of the programs ``cones``, ``cutoffs``,
``cutoff-map`` and ``trajectory`` (the same code, so the same numbers to the
last bit) on all hardware threads, with the GIL released; Ctrl-C stops a long
run within a second, and nothing is returned then.

    cone        asymptotic directions of station entries at rigidities
    cutoff      RL, RU, Rc and the penumbra bands of station entries
    cutoff_map  a world map of vertical cutoffs (an xarray.Dataset)
    trajectory  one trajectory: time, GEO and GSM positions and |B| per step
    magfield    the field (nT) of a model at points of a frame
    cutoff_series  cutoffs of station entries at many moments (a storm)
    cutoff_path    vertical cutoffs along a path of times and places (a flight)
    omni_read   the records of OMNI solar-wind files as arrays
    omni_inputs the model parameters of moments from OMNI files

Every function takes the date and time (``datetime``: a datetime.datetime,
UT when it has no time zone, or ISO 8601 text such as
"2015-03-15T12:00:00") and the field model with its parameters as keywords:

{models}
Units: angles in degrees (latitude north, longitude east, zenith from the
local vertical, azimuth from geographic north through east), rigidities in
GV, positions in Earth radii (6371.2 km), fields in nT, altitudes in km.
Frames: "geo" (geographic, Earth-fixed), "gse" (geocentric solar ecliptic),
"gsm" (geocentric solar magnetospheric).

Bad arguments raise ValueError or TypeError naming the argument and the value
found, with the checks the programs apply to "Cones.ini". A date outside
1900-2050 (clamped) or after the span of the chosen IGRF generation gives a
UserWarning.
"""

import datetime as _dt
import numbers as _numbers
import textwrap as _textwrap
import warnings as _warnings

import numpy as _np

from . import _cones
from ._cones import IntegrationError, __version__

__all__ = ["cone", "cutoff", "cutoff_map", "trajectory", "magfield", "field_models", "lane_widths",
           "cutoff_series", "cutoff_path", "omni_read", "omni_inputs",
           "IntegrationError", "Cone", "Cutoffs", "CutoffSeries", "Trajectory", "__version__"]

_MODEL_INPUTS = [keyword for keyword, _, _ in _cones.model_inputs()]


def field_models():
    """The field models: a list of dicts with the model's key (the ``model``
    argument), its name, its code in "Cones.ini" (None for the model that
    takes every other code), the keywords of the parameters it reads, whether
    it needs a pressure above 0 and whether its field fills the vector lanes."""
    return _cones.field_models()


def lane_widths():
    """The lane widths this processor runs (the values of ``lanes`` besides 0):
    1 (one trajectory at a time), 2 (SSE2), 4 (AVX2), 8 (AVX-512)."""
    return list(_cones.lane_widths())


def _models_text():
    lines = []
    for row in _cones.field_models():
        reads = ", ".join(row["reads"]) if row["reads"] else "no parameters"
        lines.append("    model=%-16s %s: reads %s" % ('"%s"' % row["key"], row["name"], reads))
    inputs = ", ".join("%s (%s%s)" % (keyword, name, ", " + unit if unit else "")
                       for keyword, name, unit in _cones.model_inputs())
    lines += _textwrap.wrap("The model parameters: " + inputs + "; a parameter the model reads must be given, "
                            "the others are not used.", 74, initial_indent="    ", subsequent_indent="    ")
    lines.append('    igrf=12|13|14: the IGRF generation of the internal field (default 12).')
    return "\n".join(lines) + "\n"


__doc__ = __doc__.format(models=_models_text())

_RUN_DOC = """    model, **model_parameters, igrf
        the field model ("dipole", "igrf", "t89", "t96", "t01", "t01s"), its
        parameters as keywords (pressure_npa, dst_nt, by_nt, bz_nt, g1, g2, g3,
        kp; see help(cones)), and the IGRF generation (12, 13, 14).
    altitude_km
        start altitude of the trajectories above the Earth's surface, km.
    geodetic
        False (default): latitudes geocentric and the altitude above the
        6371.2 km sphere; True: latitudes geodetic (WGS-84), the start point
        altitude_km above the ellipsoid along its normal, and zenith and
        azimuth from that normal and geodetic north.
    particle
        "proton" (default), "antiproton", "electron", "positron", "alpha",
        "helium-3", or "Z,A" (charge and mass number, "2,4"). Rigidities stay
        in GV; every particle is traced as the proton of its charge sign at
        the same rigidity, so the 10 s time limit is the path length that
        proton covers in 10 s."""


# --- Arguments ---------------------------------------------------------------

def _moment(value):
    """(year, month, day, hour, minute, second) UT of a datetime or ISO text."""
    if isinstance(value, str):
        text = value.strip()
        if text.endswith("Z"):
            text = text[:-1] + "+00:00"
        try:
            value = _dt.datetime.fromisoformat(text)
        except ValueError:
            raise ValueError("datetime: expected ISO 8601 text such as \"2015-03-15T12:00:00\", found %r"
                             % (value,)) from None
    elif isinstance(value, _np.datetime64):
        value = value.astype("datetime64[us]").item()
    if isinstance(value, _dt.date) and not isinstance(value, _dt.datetime):
        value = _dt.datetime(value.year, value.month, value.day)
    if not isinstance(value, _dt.datetime):
        raise TypeError("datetime: expected a datetime.datetime or ISO 8601 text, found %r" % (value,))
    if value.tzinfo is not None:
        value = value.astimezone(_dt.timezone.utc).replace(tzinfo=None)
    if value.microsecond != 0:
        raise ValueError("datetime: expected whole seconds (the field models take the time to the second), "
                         "found %s" % value.isoformat())
    return value.year, value.month, value.day, value.hour, value.minute, value.second


def _number(name, value):
    if isinstance(value, bool) or not isinstance(value, _numbers.Real):
        raise TypeError("%s: expected a number, found %r" % (name, value))
    return float(value)


def _whole(name, value, low, high):
    if isinstance(value, bool) or not isinstance(value, _numbers.Integral):
        raise TypeError("%s: expected a whole number, found %r" % (name, value))
    if not low <= value <= high:
        raise ValueError("%s: expected a whole number from %d to %d, found %d" % (name, low, high, value))
    return int(value)


def _flag(name, value):
    if not isinstance(value, (bool, _np.bool_)):
        raise TypeError("%s: expected True or False, found %r" % (name, value))
    return bool(value)


def _text(name, value):
    if not isinstance(value, str):
        raise TypeError("%s: expected text, found %r" % (name, value))
    return value


def _files(name, value):
    """A list of file names from one name (text or a path) or a sequence of them."""
    import os
    if isinstance(value, (str, os.PathLike)):
        value = [value]
    try:
        files = [os.fspath(item) for item in value]
    except TypeError:
        raise TypeError("%s: expected a file name or a list of file names, found %r" % (name, value)) from None
    if not files:
        raise ValueError("%s: expected at least one file name, found none" % name)
    return files


def _run(datetime, model, igrf, frame, altitude_km, longitude_window, model_parameters, omni=None, geodetic=False,
         particle="proton"):
    if omni is not None and any(value is not None for value in model_parameters.values()):
        raise TypeError("omni: the model parameters come from the OMNI files; found %s given too"
                        % ", ".join(sorted(model_parameters)))
    parameters = {}
    for keyword, value in model_parameters.items():
        if keyword not in _MODEL_INPUTS:
            raise TypeError("unexpected keyword argument %r; the model parameters are %s"
                            % (keyword, ", ".join(_MODEL_INPUTS)))
        parameters[keyword] = None if value is None else _number(keyword, value)
    year, month, day, hour, minute, second = _moment(datetime)
    try:
        low, high = longitude_window
    except (TypeError, ValueError):
        raise TypeError("longitude_window: expected two numbers (minimum, maximum), found %r"
                        % (longitude_window,)) from None
    return {
        "year": year, "month": month, "day": day, "hour": hour, "minute": minute, "second": second,
        "model": _text("model", model), "parameters": parameters,
        "igrf": _whole("igrf", igrf, -2**31, 2**31 - 1), "frame": _text("frame", frame),
        "altitude_km": _number("altitude_km", altitude_km),
        "longitude_min": _number("longitude_window", low), "longitude_max": _number("longitude_window", high),
        "omni": None if omni is None else _files("omni", omni),
        "geodetic": _flag("geodetic", geodetic), "particle": _text("particle", particle),
    }


def _array(name, value):
    try:
        array = _np.asarray(value, dtype=_np.float64)
    except (TypeError, ValueError):
        raise TypeError("%s: expected numbers, found %r" % (name, value)) from None
    if array.ndim > 1:
        raise ValueError("%s: expected a number or a one-dimensional array, found an array of shape %s"
                         % (name, array.shape))
    return _np.ascontiguousarray(array.reshape(-1))


def _stations(latitude, longitude, zenith, azimuth, names):
    arrays = [_array(n, v) for n, v in
              (("latitude", latitude), ("longitude", longitude), ("zenith", zenith), ("azimuth", azimuth))]
    try:
        arrays = [_np.ascontiguousarray(a) for a in _np.broadcast_arrays(*arrays)]
    except ValueError:
        raise ValueError("latitude, longitude, zenith, azimuth: expected arrays of one length (or single "
                         "numbers), found lengths %s" % ", ".join(str(len(a)) for a in arrays)) from None
    if names is None:
        names = []
    elif isinstance(names, str):
        names = [names]
    else:
        names = list(names)
    for name in names:
        _text("names", name)
    if names and len(names) != len(arrays[0]):
        raise ValueError("names: expected one name per station entry (%d), found %d"
                         % (len(arrays[0]), len(names)))
    return arrays, names


def _engine(threads, lanes):
    threads = _whole("threads", threads, 0, 4096)
    widths = _cones.lane_widths()
    if isinstance(lanes, bool) or not isinstance(lanes, _numbers.Integral):
        raise TypeError("lanes: expected a whole number, found %r" % (lanes,))
    if lanes != 0 and lanes not in widths:
        raise ValueError("lanes: expected 0 (the model's best) or a lane width of this processor (%s), found %d"
                         % (", ".join(str(w) for w in widths), lanes))
    return threads, int(lanes)


def _adaptive(scan):
    if not isinstance(scan, str):
        raise TypeError("scan: expected \"adaptive\" or \"full\", found %r" % (scan,))
    if scan not in ("adaptive", "full"):
        raise ValueError("scan: expected \"adaptive\" or \"full\", found %r" % (scan,))
    return scan == "adaptive"


def _warn(raw):
    """The notices of the run's set-up as warnings, an option of the programs
    named as the module's argument."""
    for notice in raw["notices"]:
        _warnings.warn(notice.strip().replace("--igrf ", "igrf="), UserWarning, stacklevel=3)


# --- Results -----------------------------------------------------------------

class Cone:
    """Asymptotic directions of station entries at rigidities.

    Attributes (R rigidities, S station entries):
        rigidity   (R,) GV
        allowed    (R, S) bool: the trajectory leaves the magnetosphere
        latitude   (R, S) asymptotic latitude, degrees, in ``frame``; NaN where forbidden
        longitude  (R, S) asymptotic longitude, degrees, within the longitude window; NaN where forbidden
        names      the station names given (or [])
        frame      "geo", "gse" or "gsm"
    Row i is the line of rigidity i of "Cones.dat", column j station entry j.
    """

    def __init__(self, rigidity, allowed, latitude, longitude, names, frame):
        self.rigidity, self.allowed, self.latitude, self.longitude = rigidity, allowed, latitude, longitude
        self.names, self.frame = names, frame

    def __repr__(self):
        return "<Cone: %d rigidities x %d station entries, %d allowed, frame %s>" % (
            self.allowed.shape[0], self.allowed.shape[1], int(self.allowed.sum()), self.frame)


class Cutoffs:
    """Cutoff rigidities of station entries from a scan over a rigidity grid.

    Attributes (S station entries):
        RL, RU, Rc      (S,) GV: lower, upper and effective cutoff. Where the
                        scan does not resolve a cutoff the value is the bound
                        of the scan it lies at or beyond (see *_place), and NaN
                        where it says nothing (unresolved) or failed.
        RL_place, RU_place, Rc_place
                        (S,) int8: 0 within the scan, 1 at or below its start,
                        2 above its end, 3 unresolved, 4 integration failed
                        (the flags of the map file).
        bands           (S,) int32: allowed bands in the penumbra below RU (-1: failed)
        failed_rigidity (S,) GV: the rigidity whose trajectory could not be
                        integrated, NaN where none
        scan            (from, to, step, count) of the grid, GV
        inputs          (8,) the model parameters traced with (pressure_npa,
                        dst_nt, by_nt, bz_nt, g1, g2, g3, kp; those the model
                        does not read as given, or 0)
        inputs_from     "" for the call's own parameters, or the OMNI files
                        they came from ("OMNI a.dat", ", Dst is SYM-H")
        names           the station names given (or [])
        table           the table the program ``cutoffs`` prints (str(self))
    """

    def __init__(self, raw, names):
        for key in ("RL", "RU", "Rc", "RL_place", "RU_place", "Rc_place", "bands", "failed_rigidity", "scan",
                    "table"):
            setattr(self, key, raw[key])
        self.inputs = raw["parameters"]
        self.inputs_from = raw["parameters_source"]
        self.names = names

    def __str__(self):
        return self.table.rstrip("\n")

    def __repr__(self):
        return "<Cutoffs of %d station entries, scan %g to %g GV in steps of %g GV>" % (
            len(self.Rc), self.scan[0], self.scan[1], self.scan[2])


class Trajectory:
    """One trajectory traced backwards from a station entry.

    Attributes (N points: the start and every accepted integration step):
        t_s         (N,) trajectory time, s
        geo, gsm    (N, 3) position in GEO and GSM, Earth radii
        b_nt        (N,) |B| of the field model at the point, nT
        outcome     "allowed", "forbidden" or "integration_failed"
        end         why it ended: "magnetopause" or "tail" (allowed: escaped
                    through the magnetopause beyond 7 Earth radii, or down the
                    tail at GSM x <= -70), "earth" or "time_limit" (forbidden:
                    returned to the Earth, or trapped for 10 s), or
                    "integration_failed"
        end_text    the same in words
        latitude, longitude  asymptotic direction in ``frame``, degrees (NaN unless allowed)
        steps       integrator calls
    """

    def __init__(self, raw, frame):
        for key in ("t_s", "geo", "gsm", "b_nt", "outcome", "end", "end_text", "latitude", "longitude", "steps"):
            setattr(self, key, raw[key])
        self.frame = frame

    def __repr__(self):
        direction = ""
        if self.outcome == "allowed":
            direction = ", asymptotic latitude %.2f, longitude %.2f (%s)" % (self.latitude, self.longitude,
                                                                           self.frame)
        return "<Trajectory: %s, %s after %.4g s in %d points%s>" % (
            self.outcome, self.end_text, self.t_s[-1], len(self.t_s), direction)


# --- Functions ---------------------------------------------------------------

def cone(datetime, latitude, longitude, rigidity, *, zenith=0.0, azimuth=0.0, names=None, model="igrf", igrf=12,
         frame="geo", altitude_km=20.0, longitude_window=(-180.0, 180.0), threads=0, lanes=0, omni=None,
         geodetic=False, particle="proton",
         **model_parameters):
    """Asymptotic directions of station entries at rigidities: the cones of
    acceptance that the program ``cones`` writes to "Cones.dat".

    Parameters
    ----------
    datetime
        date and time, UT: a datetime.datetime or ISO 8601 text.
    latitude, longitude, zenith, azimuth
        the station entries: geographic latitude (-90..90; geodetic with
        geodetic=True) and east longitude
        of the station, zenith angle and azimuth (from north through east) of
        the arrival direction, degrees; numbers or one-dimensional arrays of
        one length (numbers apply to every entry).
    rigidity
        rigidities, GV (above 0): a number or a one-dimensional array.
    names
        optional station names, one per entry (for messages).
    frame
        frame of the asymptotic directions: "geo", "gse" or "gsm".
    longitude_window
        (minimum, maximum) of the asymptotic longitudes, degrees: a window
        that holds every longitude, such as (-180, 180) or (0, 360).
    threads, lanes
        tracing threads (0: all hardware threads) and trajectories in flight
        per thread (0: the model's best; 1, 2, 4, 8). The numbers are the same
        for every choice.
{run}

    Returns
    -------
    Cone
        ``allowed``, ``latitude`` and ``longitude`` of shape (rigidities,
        station entries), NaN where forbidden.

    Raises IntegrationError when a trajectory cannot be integrated.
    """
    run = _run(datetime, model, igrf, frame, altitude_km, longitude_window, model_parameters, omni, geodetic, particle)
    (lat, lon, zen, azi), names = _stations(latitude, longitude, zenith, azimuth, names)
    rigidities = _array("rigidity", rigidity)
    threads, lanes = _engine(threads, lanes)
    raw = _cones.cone(run, lat, lon, zen, azi, names, rigidities, threads, lanes)
    _warn(raw)
    return Cone(rigidities, raw["allowed"], raw["latitude"], raw["longitude"], names, frame.lower())


def cutoff(datetime, latitude, longitude, *, zenith=0.0, azimuth=0.0, names=None, rigidity_from=0.10,
           rigidity_to=20.00, rigidity_step=0.01, scan="adaptive", model="igrf", igrf=12, altitude_km=20.0,
           threads=0, lanes=0, omni=None, geodetic=False, particle="proton", **model_parameters):
    """Cutoff rigidities of station entries from a scan over a rigidity grid,
    exactly as the program ``cutoffs`` computes them.

    The scan traces rigidity i = rigidity_from + i * rigidity_step (GV) up to
    rigidity_to; RL is the lowest allowed rigidity, RU the lowest above which
    every scanned rigidity is allowed, Rc = RU minus one step per allowed
    rigidity below RU, and ``bands`` the number of allowed bands below RU.

    Parameters
    ----------
    datetime, latitude, longitude, zenith, azimuth, names
        as for cone().
    rigidity_from, rigidity_to, rigidity_step
        the scan grid, GV (defaults 0.10, 20.00, 0.01).
    scan
        "adaptive" (default): from the top of the grid downward, the coarse
        descent and the fine scan with margins of the program ``cutoffs``,
        with the same cutoffs as "full", which traces every grid rigidity.
    threads, lanes
        as for cone().
{run}

    Returns
    -------
    Cutoffs
        RL, RU, Rc (GV), their places relative to the scan, the bands, and the
        program's table as str(result).

    A trajectory that cannot be integrated marks its entry (place 4) and gives
    a RuntimeWarning; the other entries are scanned in full.
    """
    run = _run(datetime, model, igrf, "geo", altitude_km, (-180.0, 180.0), model_parameters, omni, geodetic, particle)
    (lat, lon, zen, azi), names = _stations(latitude, longitude, zenith, azimuth, names)
    threads, lanes = _engine(threads, lanes)
    raw = _cones.cutoff(run, lat, lon, zen, azi, names, _number("rigidity_from", rigidity_from),
                        _number("rigidity_to", rigidity_to), _number("rigidity_step", rigidity_step),
                        _adaptive(scan), threads, lanes)
    _warn(raw)
    for failure in raw["failures"]:
        _warnings.warn(failure, RuntimeWarning, stacklevel=2)
    return Cutoffs(raw, names)


def cutoff_map(datetime, *, lat_step=5.0, lon_step=5.0, rigidity_from=0.10, rigidity_to=20.00, rigidity_step=0.01,
               scan="adaptive", model="igrf", igrf=12, altitude_km=20.0, threads=0, lanes=0, omni=None,
               geodetic=False, particle="proton", **model_parameters):
    """A world map of vertical cutoff rigidities, as the program
    ``cutoff-map`` writes it.

    Every point of the grid (latitudes -90 to 90 in steps of ``lat_step``,
    longitudes -180 to 180 in steps of ``lon_step``, degrees, both ends
    included; the steps must divide 180 and 360) is scanned as a vertical
    station entry over the rigidity grid, as cutoff() scans.

    Returns
    -------
    xarray.Dataset (when xarray can be imported)
        the variables of the map file, decoded as xarray.open_dataset decodes
        the file: coordinates lat, lon (degrees); Rc, RL, RU (GV, NaN where
        unresolved or failed); Rc_place, RL_place, RU_place (int8 flags with
        flag_values and flag_meanings); bands (NaN where failed); and the
        file's global attributes (date, time, field model, parameters,
        altitude, scan grid).
    dict
        otherwise: each variable's array as the file stores it (fill value
        -1) by name, and the global attributes under "attrs".

    Parameters: datetime, rigidity_from, rigidity_to, rigidity_step, scan,
    threads, lanes as for cutoff();
{run}
    """
    run = _run(datetime, model, igrf, "geo", altitude_km, (-180.0, 180.0), model_parameters, omni, geodetic, particle)
    threads, lanes = _engine(threads, lanes)
    raw = _cones.cutoff_map(run, _number("lat_step", lat_step), _number("lon_step", lon_step),
                            _number("rigidity_from", rigidity_from), _number("rigidity_to", rigidity_to),
                            _number("rigidity_step", rigidity_step), _adaptive(scan), threads, lanes)
    _warn(raw)
    if raw["failed_points"]:
        _warnings.warn("%d points have a trajectory that cannot be integrated; they are marked integration_failed"
                       % raw["failed_points"], RuntimeWarning, stacklevel=2)
    try:
        import xarray
    except ImportError:
        maps = {name: values for name, _, values, _ in raw["variables"]}
        maps["attrs"] = dict(raw["attributes"])
        return maps
    variables = {name: xarray.Variable(dims, values, dict(attributes))
                 for name, dims, values, attributes in raw["variables"]}
    coordinates = {name: variables.pop(name) for name in ("lat", "lon")}
    dataset = xarray.Dataset(variables, coords=coordinates, attrs=dict(raw["attributes"]))
    return xarray.decode_cf(dataset)


def trajectory(datetime, latitude, longitude, rigidity, *, zenith=0.0, azimuth=0.0, model="igrf", igrf=12,
               frame="geo", altitude_km=20.0, longitude_window=(-180.0, 180.0), geodetic=False, particle="proton",
               **model_parameters):
    """One cosmic-ray trajectory traced backwards from a station entry, with
    every accepted step of its integration, as the program ``trajectory``
    writes it.

    Parameters
    ----------
    datetime, model, parameters, igrf, altitude_km, frame, longitude_window, geodetic, particle
        as for cone(); ``frame`` is that of the asymptotic direction.
    latitude, longitude, zenith, azimuth
        one station entry, degrees.
    rigidity
        GV.

    Returns
    -------
    Trajectory
        t_s, geo, gsm (Earth radii), b_nt (nT) per point (t_s the time of the
        proton of the same rigidity: the path length over its speed), the outcome and why
        the trajectory ended, and the asymptotic direction (that cone() gives
        for the same entry and rigidity, bit for bit).
{run}
    """
    run = _run(datetime, model, igrf, frame, altitude_km, longitude_window, model_parameters, geodetic=geodetic,
               particle=particle)
    raw = _cones.trajectory(run, _number("latitude", latitude), _number("longitude", longitude),
                            _number("zenith", zenith), _number("azimuth", azimuth), _number("rigidity", rigidity))
    _warn(raw)
    return Trajectory(raw, frame.lower())


def magfield(datetime, x, y, z, *, frame="gsm", model="igrf", igrf=12, **model_parameters):
    """The total geomagnetic field (internal plus the model's external field)
    at points of a frame.

    Parameters
    ----------
    datetime, model, parameters, igrf
        as for cone().
    x, y, z
        Cartesian positions in ``frame``, Earth radii (6371.2 km): numbers or
        arrays of one shape (they are broadcast); every point at r >= 1.
    frame
        "geo", "gse" or "gsm": the frame of the positions and of the field.

    Returns
    -------
    numpy.ndarray
        the field's components in ``frame``, nT, of shape x.shape + (3,).

    The field is the model's also beyond its magnetopause, where the tracing
    stops.
    """
    run = _run(datetime, model, igrf, "geo", 20.0, (-180.0, 180.0), model_parameters)
    frame = _text("frame", frame)
    arrays = []
    for name, value in (("x", x), ("y", y), ("z", z)):
        try:
            arrays.append(_np.asarray(value, dtype=_np.float64))
        except (TypeError, ValueError):
            raise TypeError("%s: expected numbers, found %r" % (name, value)) from None
    try:
        arrays = _np.broadcast_arrays(*arrays)
    except ValueError:
        raise ValueError("x, y, z: expected arrays of shapes that broadcast together, found %s"
                         % ", ".join(str(a.shape) for a in arrays)) from None
    shape = arrays[0].shape
    flat = [_np.ascontiguousarray(a.reshape(-1)) for a in arrays]
    raw = _cones.magfield(run, flat[0], flat[1], flat[2], frame)
    _warn(raw)
    return raw["b"].reshape(shape + (3,))


_OMNI_DOC = """
    omni
        an OMNI file name, or a list of them (hourly OMNI2, 1- or 5-minute
        high resolution), from which the parameters the model reads are taken
        for the date and time, as the programs' --omni takes them (rounded to
        the resolution of the files' columns; no parameter may be given as a
        keyword then). Too few valid records in the hour before, or a value
        outside the model's range, is a ValueError naming the file, the time
        and the quantity."""


class CutoffSeries:
    """Cutoff rigidities of station entries at a series of moments (or of the
    points of a path), each moment with its own epoch and model parameters.

    Attributes (T moments, S station entries; a path has S = 1):
        time            (T,) numpy.datetime64[s], UT
        RL, RU, Rc      (T, S) GV, as in Cutoffs (NaN where unresolved or failed)
        RL_place, RU_place, Rc_place, bands, failed_rigidity
                        (T, S), as in Cutoffs
        latitude, longitude, altitude_km
                        (T, S) the places and start altitudes scanned
        inputs          (T, 8) the model parameters traced with at each moment
                        (pressure_npa, dst_nt, by_nt, bz_nt, g1, g2, g3, kp)
        inputs_from     (T,) where they came from ("" or "OMNI ...")
        names           the station names given (or [])
        cutoffs         the Cutoffs of each moment (str() of one is the table
                        of ``cutoffs`` for that moment)
    """

    def __init__(self, times, results, names, latitude, longitude, altitude_km):
        self.time = _np.array(times, dtype="datetime64[s]")
        self.cutoffs = results
        for key in ("RL", "RU", "Rc", "RL_place", "RU_place", "Rc_place", "bands", "failed_rigidity"):
            setattr(self, key, _np.stack([getattr(result, key) for result in results]))
        self.latitude = latitude
        self.longitude = longitude
        self.altitude_km = altitude_km
        self.inputs = _np.stack([result.inputs for result in results])
        self.inputs_from = [result.inputs_from for result in results]
        self.names = names

    def __repr__(self):
        return "<CutoffSeries of %d moments, %d station entries>" % self.Rc.shape


def _moments(name, times):
    """The moments of a sequence of datetimes, datetime64 values or ISO text."""
    if isinstance(times, (str, _dt.datetime, _dt.date, _np.datetime64)):
        times = [times]
    moments = []
    for index, value in enumerate(times):
        try:
            moments.append(_moment(value))
        except (TypeError, ValueError) as error:
            raise type(error)("%s[%d]: %s" % (name, index, str(error).split(": ", 1)[-1])) from None
    if not moments:
        raise ValueError("%s: expected at least one moment, found none" % name)
    return moments


def _datetime_text(moment):
    return "%04d-%02d-%02dT%02d:%02d:%02d" % moment


def cutoff_series(times, latitude, longitude, *, zenith=0.0, azimuth=0.0, names=None, rigidity_from=0.10,
                  rigidity_to=20.00, rigidity_step=0.01, scan="adaptive", model="igrf", igrf=12, altitude_km=20.0,
                  threads=0, lanes=0, omni=None, **model_parameters):
    """Cutoff rigidities of station entries at each of a series of moments,
    as ``cutoffs --times`` computes them: each moment with its own epoch and,
    with ``omni``, its own model parameters, scanned as cutoff() scans.

    Parameters
    ----------
    times
        the moments, UT: a sequence of datetime.datetime, numpy.datetime64
        or ISO 8601 text (numpy.arange(start, end, step) of datetime64 gives
        regular steps).
    other parameters
        as for cutoff().
{run}

    Returns
    -------
    CutoffSeries
        RL, RU, Rc, places and bands of shape (moments, station entries), the
        inputs of each moment, and the Cutoffs of each moment.
    """
    moments = _moments("times", times)
    results = [cutoff(_datetime_text(m), latitude, longitude, zenith=zenith, azimuth=azimuth, names=names,
                      rigidity_from=rigidity_from, rigidity_to=rigidity_to, rigidity_step=rigidity_step, scan=scan,
                      model=model, igrf=igrf, altitude_km=altitude_km, threads=threads, lanes=lanes, omni=omni,
                      **model_parameters) for m in moments]
    (lat, lon, _, _), names = _stations(latitude, longitude, zenith, azimuth, names)
    count = len(moments)
    return CutoffSeries([_datetime_text(m) for m in moments], results, names, _np.tile(lat, (count, 1)),
                        _np.tile(lon, (count, 1)), _np.full((count, len(lat)), float(altitude_km)))


def cutoff_path(times, latitude, longitude, altitude_km, *, rigidity_from=0.10, rigidity_to=20.00,
                rigidity_step=0.01, scan="adaptive", model="igrf", igrf=12, threads=0, lanes=0, omni=None,
                **model_parameters):
    """Vertical cutoff rigidities along a path (a flight), as
    ``cutoffs --path`` computes them: at each point its own time, place and
    start altitude, with ``omni`` its own model parameters.

    Parameters
    ----------
    times
        the time of each point, UT, as for cutoff_series().
    latitude, longitude, altitude_km
        the place of each point (degrees; km above the surface), arrays of
        the length of ``times`` (numbers apply to every point).
    other parameters
        as for cutoff().
{run}

    Returns
    -------
    CutoffSeries
        with one station entry ("point 1", "point 2", ... in messages):
        arrays of shape (points, 1).
    """
    moments = _moments("times", times)
    count = len(moments)
    places = []
    for name, value in (("latitude", latitude), ("longitude", longitude), ("altitude_km", altitude_km)):
        array = _array(name, value)
        if array.size == 1:
            array = _np.full(count, array.item())
        if array.size != count:
            raise ValueError("%s: expected %d values, one per time, found %d" % (name, count, array.size))
        places.append(array)
    results = [cutoff(_datetime_text(m), places[0][k], places[1][k], names=["point %d" % (k + 1)],
                      rigidity_from=rigidity_from, rigidity_to=rigidity_to, rigidity_step=rigidity_step, scan=scan,
                      model=model, igrf=igrf, altitude_km=float(places[2][k]), threads=threads, lanes=lanes,
                      omni=omni, **model_parameters) for k, m in enumerate(moments)]
    return CutoffSeries([_datetime_text(m) for m in moments], results, [], places[0][:, None], places[1][:, None],
                        places[2][:, None])


_OMNI_EPOCH = _np.datetime64("1900-01-01T00:00:00", "s")


def omni_read(files):
    """The records of OMNI solar-wind files (hourly OMNI2, 1- or 5-minute
    high resolution, told apart by their number of words a line), merged in
    time order.

    Returns
    -------
    dict of numpy arrays, one element per record:
        time      datetime64[s], the start of the record's interval (UT)
        length_s  its length, seconds (3600, 300 or 60)
        speed (km/s), density (cm^-3), pressure (nPa), by, bz (GSM, nT),
        dst, sym_h (nT), kp (3+ is 3.3): NaN where the file has its fill value
        or the format has no such column
    and "files", the names read. A file that cannot be read, or a line that
    is not a record, is a ValueError naming the file and the line.
    """
    raw = _cones.omni_records(_files("files", files))
    out = {"time": _OMNI_EPOCH + raw["start"].astype("timedelta64[s]"), "length_s": raw["length"]}
    for key in ("speed", "density", "pressure", "by", "bz", "dst", "sym_h", "kp"):
        out[key] = raw[key]
    out["files"] = list(raw["files"])
    return out


def omni_inputs(files, times, model="t01s"):
    """The model parameters at moments from OMNI files, as the programs'
    --omni computes them (before they are rounded to the resolution of the
    files' columns for tracing): pressure, By and Bz the means of the valid
    records of the hour before, G1 to G3 averaged over it, Dst and Kp of the
    hourly record holding the moment (Dst the SYM-H of the high-resolution
    record holding it where no hourly record does).

    Parameters
    ----------
    files
        an OMNI file name or a list of them.
    times
        the moments, as for cutoff_series().
    model
        the field model whose parameters must be found: a quantity it reads
        with fewer than half of its records valid is a ValueError naming the
        file, the time and the quantity ("igrf": none must).

    Returns
    -------
    dict: "time" (T,) datetime64[s]; each parameter by its keyword
    (pressure_npa, dst_nt, by_nt, bz_nt, g1, g2, g3, kp), (T,) NaN where the
    records do not give it; "valid" and "records", dicts of (T,) int32 by
    keyword: the valid records and the records of the window (for Dst and Kp
    the one record holding the moment); "dst_is_sym_h" (T,) bool.
    """
    moments = _moments("times", times)
    raw = _cones.omni_inputs(_files("files", files), [list(m) for m in moments], _text("model", model))
    out = {"time": _np.array([_datetime_text(m) for m in moments], dtype="datetime64[s]")}
    out["valid"], out["records"] = {}, {}
    for k, keyword in enumerate(_MODEL_INPUTS):
        out[keyword] = raw["parameters"][:, k]
        out["valid"][keyword] = raw["valid"][:, k]
        out["records"][keyword] = raw["records"][:, k]
    out["dst_is_sym_h"] = raw["dst_is_sym_h"]
    return out


for _function in (cone, cutoff, cutoff_map, cutoff_series, cutoff_path):
    _function.__doc__ = _function.__doc__.replace("{run}", _RUN_DOC + _OMNI_DOC)
trajectory.__doc__ = trajectory.__doc__.replace("{run}", _RUN_DOC)
del _function
