#!/usr/bin/env python3
"""Reference values of the internal field of each IGRF generation, for the
unit tests (tests/geomag/internal_field_generations_test.cpp).

An independent synthesis at 40 significant digits (mpmath), sharing nothing
with the program's routines but the published coefficient lists:
  - the lists are read here from geomag/tables/ by their own parser (IGRF-12
    values rounded to the nearest float, as the program holds them);
  - the coefficients of a date are linear in time between the five-yearly
    epochs, a year of 365.25 days counted from 1 January, and after the last
    epoch the last epoch's values plus the secular variation times the years
    since; a coefficient missing at an epoch is 0;
  - the Schmidt semi-normalised Legendre functions come from the explicit
    polynomial of P_n (no recursion): S_n^m(cos t) = sqrt(2 (n-m)!/(n+m)!)
    sin^m t d^m P_n/dx^m for m > 0, P_n for m = 0, and their theta-derivatives
    from the derivative of that product;
  - the field is -grad V, V = sum (1/r)^(n+1) sum (g cos m phi + h sin m phi)
    S_n^m, r in Earth radii (6371.2 km), summed to the program's degree at r:
    the epoch's whole degree within 2 Earth radii, beyond it 4 + 30 div
    trunc(r + 3) at most 10.

Prints C++ table rows {generation, year, day, r, theta, phi, b_r, b_theta,
b_phi} (b_theta southward, b_phi eastward, nT), each value to 17 digits.

Run: python3 tools/igrf_reference.py   (needs mpmath)
"""
import os
import struct

import mpmath as mp

mp.mp.dps = 40
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")


def load(generation):
    """{(kind, n, m): [values at the epochs..., secular variation]}, epochs."""
    rows = {}
    epochs = None
    with open(os.path.join(ROOT, "geomag", "tables", f"igrf{generation}.txt")) as f:
        for line in f:
            w = line.split()
            if not w or w[0].startswith("#") or w[0] == "c/s":
                continue
            if w[0] == "g/h":
                epochs = [int(float(x)) for x in w[3:-1]]
                continue
            values = []
            for x in w[3:]:
                if generation == 12:
                    x = repr(struct.unpack("f", struct.pack("f", float(x)))[0])
                values.append(mp.mpf(x))
            rows[(w[0], int(w[1]), int(w[2]))] = values
    if epochs is None:
        epochs = list(range(1900, 2016, 5))
    return rows, epochs


def coefficients(generation, year, day):
    rows, epochs = load(generation)
    last = epochs[-1]
    g, h = {}, {}
    for (kind, n, m), values in rows.items():
        if year < last:
            lower = (year - epochs[0]) // 5
            f = (mp.mpf((year - epochs[0]) % 5) + mp.mpf(day - 1) / mp.mpf("365.25")) / 5
            value = (1 - f) * values[lower] + f * values[lower + 1]
        else:
            dt = mp.mpf(year - last) + mp.mpf(day - 1) / mp.mpf("365.25")
            value = values[len(epochs) - 1] + dt * values[len(epochs)]
        (g if kind == "g" else h)[(n, m)] = value
    # The degree of the date: the highest degree with a non-zero coefficient at
    # either epoch it is made of.
    def degree_at(column):
        return max(n for (kind, n, m), values in rows.items() if values[column] != 0)
    if year < last:
        lower = (year - epochs[0]) // 5
        degree = max(degree_at(lower), degree_at(lower + 1))
    else:
        degree = degree_at(len(epochs) - 1)
    return g, h, degree


def legendre_polynomial(n):
    """Coefficients of P_n(x) by power: P_n = sum c_k x^k."""
    c = [mp.mpf(0)] * (n + 1)
    for k in range(n // 2 + 1):
        c[n - 2 * k] = (mp.mpf(-1) ** k * mp.factorial(2 * n - 2 * k) /
                        (2 ** n * mp.factorial(k) * mp.factorial(n - k) * mp.factorial(n - 2 * k)))
    return c


def polynomial_derivative(c):
    return [c[k] * k for k in range(1, len(c))] or [mp.mpf(0)]


def evaluate(c, x):
    return sum(ck * x ** k for k, ck in enumerate(c))


def schmidt(n, m, theta):
    """S_n^m(cos theta) and its derivative in theta."""
    x, s = mp.cos(theta), mp.sin(theta)
    f = legendre_polynomial(n)
    for _ in range(m):
        f = polynomial_derivative(f)
    df = polynomial_derivative(f)
    norm = mp.mpf(1) if m == 0 else mp.sqrt(2 * mp.factorial(n - m) / mp.factorial(n + m))
    value = s ** m * evaluate(f, x)
    # d/dtheta [sin^m t f(cos t)] = m sin^(m-1) t cos t f - sin^(m+1) t f'
    derivative = (m * s ** (m - 1) * x * evaluate(f, x) if m > 0 else 0) - s ** (m + 1) * evaluate(df, x)
    return norm * value, norm * derivative


def truncation(r, degree):
    if r < 2:
        return degree
    return min(10, 4 + 30 // int(mp.floor(r + 3)))


def field(generation, year, day, r, theta, phi):
    g, h, degree = coefficients(generation, year, day)
    r, theta, phi = mp.mpf(r), mp.mpf(theta), mp.mpf(phi)
    top = truncation(r, degree)
    b_r = b_t = b_p = mp.mpf(0)
    for n in range(1, top + 1):
        scale = (1 / r) ** (n + 2)
        for m in range(n + 1):
            gnm, hnm = g.get((n, m), 0), h.get((n, m), 0)
            value, derivative = schmidt(n, m, theta)
            c, s = mp.cos(m * phi), mp.sin(m * phi)
            b_r += (n + 1) * scale * (gnm * c + hnm * s) * value
            b_t -= scale * (gnm * c + hnm * s) * derivative
            b_p += scale * m * (gnm * s - hnm * c) * value / mp.sin(theta)
    return b_r, b_t, b_p


# Generation, year, day of year; the points r (Earth radii), colatitude and
# east longitude (radians).
DATES = [(12, 1990, 150), (12, 2003, 40), (12, 2024, 200),
         (13, 1990, 150), (13, 1997, 300), (13, 2003, 40), (13, 2024, 200), (13, 2029, 1),
         (14, 1990, 150), (14, 1997, 300), (14, 2003, 40), (14, 2024, 200), (14, 2029, 1)]
POINTS = [(1.0, 0.8, 0.3), (1.003, 2.2, 4.1), (1.6, 1.4, 2.5), (2.5, 0.4, 5.9), (6.5, 2.9, 1.0)]


def main():
    for generation, year, day in DATES:
        for r, theta, phi in POINTS:
            b = field(generation, year, day, r, theta, phi)
            values = ", ".join(mp.nstr(v, 17, strip_zeros=False) for v in b)
            print(f"    {{{generation}, {year}, {day}, {r}, {theta}, {phi}, {values}}},")


if __name__ == "__main__":
    main()
