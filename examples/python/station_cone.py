"""The asymptotic cone of acceptance of Jungfraujoch (46.55 N, 7.98 E) on
15 June 2025 at 12:00 UT in IGRF-14 + T89 (Kp 2): the asymptotic directions of
the vertical and of four directions 30 degrees from it, from 1 to 20 GV, on
a world map. Writes station_cone.png beside this script.

    PYTHONPATH=build/release/python python3 examples/python/station_cone.py
"""

import pathlib

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

import cones
from coastlines import draw_coastlines

rigidities = np.round(np.arange(1.0, 20.01, 0.05), 2)
directions = [(0, 0, "vertical", "o"), (30, 0, "30° N", "^"), (30, 90, "30° E", ">"), (30, 180, "30° S", "v"),
              (30, 270, "30° W", "<")]
cone = cones.cone("2025-06-15T12:00:00", latitude=46.55, longitude=7.98, rigidity=rigidities,
                  zenith=[d[0] for d in directions], azimuth=[d[1] for d in directions],
                  model="t89", kp=2.0, igrf=14, altitude_km=20.0)

figure, axes = plt.subplots(figsize=(10, 5.6), constrained_layout=True)
draw_coastlines(axes)
for j, (_, _, label, marker) in enumerate(directions):
    allowed = cone.allowed[:, j]
    points = axes.scatter(cone.longitude[allowed, j], cone.latitude[allowed, j], c=cone.rigidity[allowed],
                          cmap="viridis", vmin=1, vmax=20, s=14, marker=marker, label=label)
axes.plot(7.98, 46.55, "r*", markersize=14, label="Jungfraujoch")
axes.set(xlim=(-180, 180), ylim=(-90, 90), xlabel="asymptotic longitude (°E, GEO)",
         ylabel="asymptotic latitude (°N, GEO)", aspect="equal",
         title="Asymptotic cone of Jungfraujoch, 2025-06-15 12:00 UT, IGRF-14 + T89 (Kp 2), 1 to 20 GV")
axes.set_xticks(range(-180, 181, 60))
axes.set_yticks(range(-90, 91, 30))
axes.grid(color="0.85", linewidth=0.5)
axes.legend(loc="lower left", fontsize=8)
figure.colorbar(points, ax=axes, shrink=0.8, label="rigidity (GV)")
output = pathlib.Path(__file__).with_name("station_cone.png")
figure.savefig(output, dpi=100)
print("%s: %d of %d trajectories allowed" % (output.name, cone.allowed.sum(), cone.allowed.size))
