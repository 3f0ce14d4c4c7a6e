"""Coastlines for the examples' world maps, from GMT's shoreline data
(installed by tools/install-deps); none when GMT is not there."""

import shutil
import subprocess

import numpy as np


def coastlines():
    """A list of (longitude, latitude) arrays, one per shoreline segment."""
    if shutil.which("gmt") is None:
        return []
    text = subprocess.run(["gmt", "coast", "-R-180/180/-90/90", "-Dc", "-W", "-M"], capture_output=True, text=True,
                          check=True).stdout
    segments, points = [], []
    for line in text.splitlines() + [">"]:
        if line.startswith(">"):
            if len(points) > 1:
                segments.append(np.array(points).T)
            points = []
        else:
            points.append([float(v) for v in line.split()[:2]])
    return segments


def draw_coastlines(axes, **style):
    for lon, lat in coastlines():
        # A segment that crosses the date line is split there.
        breaks = np.flatnonzero(np.abs(np.diff(lon)) > 180) + 1
        for part_lon, part_lat in zip(np.split(lon, breaks), np.split(lat, breaks)):
            axes.plot(part_lon, part_lat, **{"color": "0.45", "linewidth": 0.5, **style})
