"""A world map of the effective vertical cutoff rigidity Rc on 15 March 2015
in IGRF-12, from the Python module (the map the example of cutoff-map makes,
on a 5-degree grid scanned in steps of 0.05 GV). Writes cutoff_map.png beside
this script.

    PYTHONPATH=build/release/python python3 examples/python/cutoff_map.py
"""

import pathlib

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

import cones
from coastlines import draw_coastlines

rc_map = cones.cutoff_map("2015-03-15T00:00:00", lat_step=5, lon_step=5, rigidity_step=0.05, model="igrf",
                          altitude_km=20.0)
rc = rc_map.Rc  # where the cutoffs lie at or below the scan: its start, 0.10 GV

figure, axes = plt.subplots(figsize=(10, 5.6), constrained_layout=True)
filled = axes.contourf(rc_map.lon, rc_map.lat, rc, levels=np.arange(0, 18.1, 1), cmap="viridis")
lines = axes.contour(rc_map.lon, rc_map.lat, rc, levels=[1, 3, 5, 7, 9, 11, 13, 15], colors="white", linewidths=0.6)
axes.clabel(lines, fmt="%d", fontsize=7)
draw_coastlines(axes, color="0.9", linewidth=0.6)
axes.set(xlim=(-180, 180), ylim=(-90, 90), xlabel="longitude (°E)", ylabel="latitude (°N)", aspect="equal",
         title=rc_map.attrs["title"])
axes.set_xticks(range(-180, 181, 60))
axes.set_yticks(range(-90, 91, 30))
figure.colorbar(filled, ax=axes, shrink=0.8, label="effective vertical cutoff rigidity Rc (GV)")
output = pathlib.Path(__file__).with_name("cutoff_map.png")
figure.savefig(output, dpi=100)
print("%s: Rc from %.2f to %.2f GV over %d points" % (output.name, float(rc.min()), float(rc.max()), rc.size))
