#!/usr/bin/env python3
"""Reference values of the T96 external field and its components, for the unit tests.

An independent re-implementation in 40-digit arithmetic (mpmath), written
directly from the model's formulas: powers as real powers, no shared code with
the C++ version, and its own reading of the published tables (the long tables
from the table file given on the command line, the short ones below). Each
constant and table entry is first rounded to the precision the model holds it
in (single precision or double), so the values differ from the program's only
by the program's double rounding.

Run: python3 tools/t96_reference.py ../shared/data/t96_tables.txt
(prints C++ table rows for tests/models/t96_*_test.cpp)
"""
import math
import struct
import sys

from mpmath import mp, mpf, sqrt, exp, sin, cos, atan, atan2, log, asin, fabs

mp.dps = 40


def single(value):
    """The single-precision value nearest to a decimal, as an exact mpf."""
    return mpf(struct.unpack('f', struct.pack('f', float(value)))[0])


def double(value):
    """The double nearest to a decimal, as an exact mpf."""
    return mpf(float(value))


# ---------------------------------------------------------------- tables

def read_tables(path):
    tables, name = {}, None
    with open(path) as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            if line.startswith('table'):
                name = line.split()[1]
                tables[name] = []
            else:
                tables[name] += line.split()
    return tables


TABLES = read_tables(sys.argv[1] if len(sys.argv) > 1 else '../shared/data/t96_tables.txt')
RC_SHIELD = [single(v) for v in TABLES['T96_RING_CURRENT_SHIELD']]
T2_SHIELD = [single(v) for v in TABLES['T96_TAIL_MODE2_SHIELD']]
T3_SHIELD = [single(v) for v in TABLES['T96_TAIL_MODE3_SHIELD']]
C2 = [single(v) for v in TABLES['T96_REGION1_PLASMA_SHEET_C2']]
R1_SHIELD = [single(v) for v in TABLES['T96_REGION1_SHIELD']]
R2_SHIELD = [single(v) for v in TABLES['T96_REGION2_SHIELD']]
SHEET_A = [double(v) for v in TABLES['T96_REGION2_SHEET_A']]
SHEET_A[6] = single('13.1154')
SHEET_B = [double(v) for v in TABLES['T96_REGION2_SHEET_B']]
SHEET_C = [double(v) for v in TABLES['T96_REGION2_SHEET_C']]

A = [single(v) for v in '1.162 22.344 18.5 2.602 6.903 5.287 0.579 0.4462 0.785'.split()]
C = [single(v) for v in ('-8.411078 5932255 -9073285 -11.687946 6027599 -9218378 -6.5087986 '
                         '-11824.428 18015.662 7.9975405 13.966989 90.24475 16.757288 '
                         '1015.64575 1553.4932').split()]
PERP = [single(v) for v in ('0.24777 -27.003 -0.46815 7.0637 -1.5918 -0.090317 '
                            '57.522 13.757 2.01 10.458 4.5798 2.1695').split()]
PARA = [single(v) for v in ('-0.65385 -18.061 -0.40457 -5.0995 1.2846 0.078231 '
                            '39.592 13.291 1.997 10.062 4.514 2.1558').split()]
C1 = [single(v) for v in ('-0.000911582 -0.00376654 -0.00727423 -0.00270084 -0.00123899 '
                          '-0.00154387 -0.0034004 -0.0191858 -0.0518979 0.0635061 0.44068 '
                          '-0.39657 0.00561238 0.00160938 -0.00451229 -0.0025181 -0.00151599 '
                          '-0.00133665 -0.000962089 -0.0272085 -0.0524319 0.0717024 0.523439 '
                          '-0.405015 -89.5587 23.2806').split()]
NU = {
    'x': [double(v) for v in '-19.0969 -9.28828 -0.129687 5.58594 22.5055 0.048375 0.0396953 0.0579023'.split()],
    'y': [double(v) for v in '-13.675 -6.70625 2.31875 11.4062 20.4562 0.047875 0.036375 0.05675'.split()],
    'z': [double(v) for v in '-16.7125 -16.4625 -0.1625 5.1 23.7125 0.0355625 0.031875 0.053875'.split()],
}


def add(*vectors):
    return tuple(sum(v[n] for v in vectors) for n in range(3))


def mul(w, v):
    return tuple(w * c for c in v)


def sub(a, b):
    return tuple(a[n] - b[n] for n in range(3))


# ---------------------------------------------------------------- Bessel functions

def j0(u):
    if u < 3:
        t = (u / 3) ** 2
        coefficients = ['2.2499997', '1.2656208', '0.3163866', '0.0444479', '0.0039444', '0.00021']
        poly = double(coefficients[-1])
        for c in reversed(coefficients[:-1]):
            poly = double(c) - t * poly
        return 1 - t * poly
    v = 3 / u
    f0 = (double('0.79788456') - v * double('0.00000077') - v ** 2 * double('0.0055274')
          - v ** 3 * double('0.00009512') + v ** 4 * double('0.00137237')
          - v ** 5 * double('0.00072805') + v ** 6 * double('0.00014476'))
    theta = (u - double('0.78539816') - v * double('0.04166397') - v ** 2 * double('0.00003954')
             + v ** 3 * double('0.00262573') - v ** 4 * double('0.00054125')
             - v ** 5 * double('0.00029333') + v ** 6 * double('0.00013558'))
    return f0 * cos(theta) / sqrt(u)


def j1(u):
    if u < 3:
        t = (u / 3) ** 2
        return u * (double('0.5') - t * double('0.56249985') + t ** 2 * double('0.21093573')
                    - t ** 3 * double('0.03954289') + t ** 4 * double('0.00443319')
                    - t ** 5 * double('0.00031761') + t ** 6 * double('0.00001109'))
    v = 3 / u
    f1 = (double('0.79788456') + v * double('0.00000156') + v ** 2 * double('0.01659667')
          + v ** 3 * double('0.00017105') - v ** 4 * double('0.00249511')
          + v ** 5 * double('0.00113653') - v ** 6 * double('0.00020033'))
    theta = (u - double('2.35619449') + v * double('0.12499612') + v ** 2 * double('0.0000565')
             - v ** 3 * double('0.00637879') + v ** 4 * double('0.00074348')
             + v ** 5 * double('0.00079824') - v ** 6 * double('0.00029166'))
    return f1 * cos(theta) / sqrt(u)


# ---------------------------------------------------------------- dipole shielding

def dipole_shielding(psi, x, y, z):
    rho = sqrt(y ** 2 + z ** 2)

    def perpendicular(t):
        r, sp, cp = (mpf('1e-8'), 1, 0) if rho < mpf('1e-8') else (rho, z / rho, y / rho)
        b = [mpf(0)] * 3
        for i in range(6):
            a, d = t[i], t[i + 6]
            zeta, xi = r / d, x / d
            J0, J1, e = j0(zeta), j1(zeta), exp(xi)
            if i < 3:
                b[0] -= a * J1 * e * sp
                b[1] += a * (2 * J1 / zeta - J0) * e * sp * cp
                b[2] += a * (J1 / zeta * (sp ** 2 - cp ** 2) - J0 * sp ** 2) * e
            else:
                br = (xi * J0 - (zeta ** 2 + xi - 1) * J1 / zeta) * e * sp
                bf = (J0 + J1 / zeta * (xi - 1)) * e * cp
                b[0] += a * (zeta * J0 + xi * J1) * e * sp
                b[1] += a * (br * cp - bf * sp)
                b[2] += a * (br * sp + bf * cp)
        return b

    def parallel(t):
        sp, cp = (1, 0) if rho < mpf('1e-10') else (z / rho, y / rho)
        b = [mpf(0)] * 3
        for i in range(6):
            a, d = t[i], t[i + 6]
            zeta, xi = rho / d, x / d
            J0, J1, e = j0(zeta), j1(zeta), exp(xi)
            if i < 3:
                br = J1 * e
                b[0] -= a * J0 * e
            else:
                br = (zeta * J0 + xi * J1) * e
                b[0] += a * (zeta * J1 - J0 * (xi + 1)) * e
            b[1] += a * br * cp
            b[2] += a * br * sp
        return b

    h, f = perpendicular(PERP), parallel(PARA)
    return tuple(h[n] * cos(psi) + f[n] * sin(psi) for n in range(3))


# ---------------------------------------------------------------- Cartesian shielding

def cartesian_shielding(table, n, s, c, x, y, z):
    """Two sums of n x n harmonics; tilt factors c and 4 c^2 - 1; s weights the second sum."""
    amp = table[:4 * n * n]
    p, r, q, t = (table[4 * n * n + j * n:4 * n * n + (j + 1) * n] for j in range(4))
    h = [mpf(0)] * 3
    l = 0
    for m in (1, 2):
        for i in range(n):
            for k in range(n):
                if m == 1:
                    w = sqrt(1 / p[i] ** 2 + 1 / r[k] ** 2)
                    e = exp(w * x)
                    d = (-w * e * cos(y / p[i]) * sin(z / r[k]),
                         e / p[i] * sin(y / p[i]) * sin(z / r[k]),
                         -e / r[k] * cos(y / p[i]) * cos(z / r[k]))
                    factor = c
                else:
                    w = sqrt(1 / q[i] ** 2 + 1 / t[k] ** 2)
                    e = exp(w * x)
                    d = (-s * w * e * cos(y / q[i]) * cos(z / t[k]),
                         s * e / q[i] * sin(y / q[i]) * cos(z / t[k]),
                         s * e / t[k] * cos(y / q[i]) * sin(z / t[k]))
                    factor = 4 * c ** 2 - 1
                for j in range(3):
                    h[j] += amp[l] * d[j] + amp[l + 1] * d[j] * factor
                l += 2
    return tuple(h)


# ---------------------------------------------------------------- ring current and tail

def sheet_geometry(s, x, y, z):
    g = {}
    r = sqrt(x ** 2 + y ** 2 + z ** 2)
    c1 = sqrt(mpf(116)) - sqrt(mpf(80))
    c1 = mpf(float(c1))  # held as a double
    q1, q2 = sqrt((r + 9) ** 2 + 16), sqrt((r - 9) ** 2 + 16)
    cc = q1 - q2
    cs = (r + 9) / q1 - (r - 9) / q2
    sps = s / c1 / r * cc
    cps = sqrt(1 - sps ** 2)
    dpsi = s / r ** 2 * (cs * r - cc) / sqrt((r * c1) ** 2 - (cc * s) ** 2)
    wf = y / (y ** 4 + 10000)
    warp = 10 * s * wf * y ** 3
    ws = 40000 * y * wf ** 2
    xs = x * cps - z * sps
    zsww = z * cps + x * sps
    zs = zsww + warp
    g.update(cps=cps, sps=sps, dpsi=dpsi, warp=warp, xs=xs, zs=zs, zsww=zsww,
             zshift=mpf(float(0.5 * (math.sqrt(116) + math.sqrt(80)))) * s)
    g['dxs'] = (cps - x * zsww * dpsi, -y * zsww * dpsi, -sps - z * zsww * dpsi)
    g['dzs'] = (sps + x * xs * dpsi, xs * y * dpsi + 10 * s * ws, cps + xs * z * dpsi)
    d = 2 + 10 * (y / 20) ** 2
    dd = (0, y / 20, 0)
    zeta = sqrt(zs ** 2 + d ** 2)
    g['zeta'] = zeta
    g['dzeta'] = tuple((zs * g['dzs'][n] + d * dd[n]) / zeta for n in range(3))
    return g


def sheet_kernel(zeta, dzeta, rho, drho, beta):
    s1 = sqrt((zeta + beta) ** 2 + (rho + beta) ** 2)
    s2 = sqrt((zeta + beta) ** 2 + (rho - beta) ** 2)
    ds1 = [(zeta + beta) / s1 * dzeta[n] + (rho + beta) / s1 * drho[n] for n in range(3)]
    ds2 = [(zeta + beta) / s2 * dzeta[n] + (rho - beta) / s2 * drho[n] for n in range(3)]
    p, sg = s1 * s2, s1 + s2
    f1 = sqrt(sg ** 2 - (2 * beta) ** 2)
    a = f1 / (p * sg ** 2)
    t1 = 1 / (p * sg * f1)
    f2 = a / sg ** 2
    da1 = t1 - f2 / s1 * (s2 ** 2 + s1 * (3 * s1 + 4 * s2))
    da2 = t1 - f2 / s2 * (s1 ** 2 + s2 * (3 * s2 + 4 * s1))
    return a, [da1 * ds1[n] + da2 * ds2[n] for n in range(3)]


def sheet_field(g, terms, zeta, dzeta, shift, x, y, z):
    xr = g['xs'] - shift
    rho = sqrt(xr ** 2 + y ** 2)
    if rho < mpf('1e-5'):
        drho = (0, -1 if y < 0 else 1, 0)
    else:
        drho = (xr * g['dxs'][0] / rho, (xr * g['dxs'][1] + y) / rho, xr * g['dxs'][2] / rho)
    c, s, dp, zw = g['cps'], g['sps'], g['dpsi'], g['zsww']
    b = [mpf(0)] * 3
    for beta, f in terms:
        a, da = sheet_kernel(zeta, dzeta, rho, drho, beta)
        b[0] += f * ((2 * a + y * da[1]) * s - xr * da[2] + a * dp * (y ** 2 * c + z * zw))
        b[1] -= f * y * (a * dp * g['xs'] + da[2] * c + da[0] * s)
        b[2] += f * ((2 * a + y * da[1]) * c + xr * da[0] - a * dp * (x * zw + y ** 2 * s))
    return tuple(b)


def ring_current_source(g, x, y, z):
    zw = g['zsww']
    zeta = sqrt(zw ** 2 + 4)
    dzeta = (zw * g['dzs'][0] / zeta, zw * g['xs'] * y * g['dpsi'] / zeta, zw * g['dzs'][2] / zeta)
    terms = [(double('2.722188'), double('569.895366')), (double('3.766875'), double('-1603.386993'))]
    return sheet_field(g, terms, zeta, dzeta, 0, x, y, z)


def tail_disk_source(g, x, y, z):
    terms = [(double(b), double(f)) for b, f in (('7.925', '-745796.7338'), ('8.085', '1176470.141'),
                                                 ('8.47125', '-444610.529'), ('27.895', '-57508.01028'))]
    return sheet_field(g, terms, g['zeta'], g['dzeta'], mpf('4.5'), x, y, z)


def long_tail_source(g, x, z):
    x1, x2 = single('-1.261'), single('-0.663')
    b0, b1, b2 = single('0.391734'), single('5.89715'), single('24.6833')
    xn21, xnr, adln = single('76.37'), single('-0.1071'), single('0.13238005')
    half_pi = single('1.5707963')

    def sums(zk):
        B2 = zk ** 2 + 9
        B = sqrt(B2)
        xc1, xc2, xnx = x - x1, x - x2, -10 - x
        xa1, xa2 = xc1 ** 2 + B2, 1 / (xc2 ** 2 + B2)
        xna = xnx ** 2 + B2
        f = B2 - xc2 ** 2
        ln1 = log(xn21 / xna)
        ln2 = ln1 + adln
        s0 = (atan(xnx / B) + half_pi) / B
        s1 = (ln1 / 2 + xc1 * s0) / xa1
        s2 = (xc2 * xa2 * ln2 - xnr - f * xa2 * s0) * xa2
        g1 = (B2 * s0 - xc1 * ln1 / 2) / xa1
        g2 = ((f * ln2 / 2 + 2 * s0 * B2 * xc2) * xa2 + xc2 * xnr) * xa2
        return (s0, s1, s2), (g1, g2), ln1

    zs3 = z - g['zshift'] + g['warp']
    zp, zm = z - 40, z + 40
    (S, G, L), (Sp, Gp, Lp), (Sm, Gm, Lm) = sums(zs3), sums(zp), sums(zm)
    bx = sum(b * (zs3 * S[n] - (zp * Sp[n] + zm * Sm[n]) / 2) for n, b in enumerate((b0, b1, b2)))
    bz = b0 * (Lp + Lm - 2 * L) / 4 + sum(b * (G[n] - (Gp[n] + Gm[n]) / 2)
                                           for n, b in enumerate((b1, b2)))
    return (bx, mpf(0), bz)


def sheet_fields(s, x, y, z):
    g = sheet_geometry(s, x, y, z)
    c = sqrt(1 - s ** 2)
    ring = add(cartesian_shielding(RC_SHIELD, 3, s, c, x, y, z), ring_current_source(g, x, y, z))
    tail2 = add(cartesian_shielding(T2_SHIELD, 3, s, c, x, y, z), tail_disk_source(g, x, y, z))
    tail3 = add(cartesian_shielding(T3_SHIELD, 3, s, c, x, y, z), long_tail_source(g, x, z))
    return ring, tail2, tail3


# ---------------------------------------------------------------- loops and dipoles

def loop(x, y, z, rl):
    rho2 = x ** 2 + y ** 2
    rho = sqrt(rho2)
    r22 = z ** 2 + (rho + rl) ** 2
    r2 = sqrt(r22)
    r12 = r22 - 4 * rho * rl
    r32 = (r12 + r22) / 2
    m1 = r12 / r22
    L = log(1 / m1)
    ka = [double('1.38629436112'), double('0.09666344259'), single('0.035900924'),
          single('0.037425637'), single('0.014511962')]
    kb = [double(v) for v in ('0.5', '0.12498593597', '0.06880248576', '0.03328355346', '0.00441787012')]
    ea = [double(v) for v in ('1', '0.44325141463', '0.0626060122', '0.04757383546', '0.01736506451')]
    eb = [double(v) for v in ('0.2499836831', '0.09200180037', '0.04069697526', '0.00526449639')]
    K = sum(ka[n] * m1 ** n for n in range(5)) + L * sum(kb[n] * m1 ** n for n in range(5))
    E = sum(ea[n] * m1 ** n for n in range(5)) + L * sum(eb[n] * m1 ** (n + 1) for n in range(4))
    if rho > mpf('1e-6'):
        brho = z / (rho2 * r2) * (r32 / r12 * E - K)
    else:
        brho = double('3.141592654') * rl / r2 * (rl - rho) / r12 * z / (r32 - rho2)
    return (brho * x, brho * y, (K - E * (r32 - 2 * rl ** 2) / r12) / r2)


def crossed_loops(x, y, z, xc, rl, al):
    ca, sa = cos(al), sin(al)
    b1 = loop(x - xc, y * ca - z * sa, y * sa + z * ca, rl)
    b2 = loop(x - xc, y * ca + z * sa, -y * sa + z * ca, rl)
    return (b1[0] + b2[0], (b1[1] + b2[1]) * ca + (b1[2] - b2[2]) * sa,
            -(b1[1] - b2[1]) * sa + (b1[2] + b2[2]) * ca)


def triplet(x, y, z):
    r2 = x ** 2 + y ** 2 + z ** 2
    k = 30574 / r2 ** mpf('2.5')
    return ((k * (3 * x ** 2 - r2), 3 * k * x * y, 3 * k * x * z),
            (3 * k * x * y, k * (3 * y ** 2 - r2), 3 * k * y * z),
            (3 * k * x * z, 3 * k * y * z, k * (3 * z ** 2 - r2)))


def conical(x, y, z, n):
    rho = sqrt(x ** 2 + y ** 2)
    phi = atan2(y, x)
    r = sqrt(rho ** 2 + z ** 2)
    c, s = z / r, rho / r
    ch, sh = sqrt((1 + c) / 2), sqrt((1 - c) / 2)
    tn = sh / ch
    out = []
    for m in range(1, n + 1):
        bt = m * cos(m * phi) / (r * s) * (tn ** m + tn ** -m)
        bf = -m * sin(m * phi) / (2 * r) * (tn ** (m - 1) / ch ** 2 - tn ** (1 - m) / sh ** 2)
        out.append((bt * c * cos(phi) - bf * sin(phi), bt * c * sin(phi) + bf * cos(phi), -bt * s))
    return out


# ---------------------------------------------------------------- region 1

def hinge(s, r):
    q = mpf(float(math.sqrt(116) - math.sqrt(80)))
    sa = s / r * (sqrt((r + 9) ** 2 + 16) - sqrt((r - 9) ** 2 + 16)) / q
    return sa, sqrt(1 - sa ** 2)


def high_latitude(psi, x, y, z):
    s = sin(psi)
    xx = [-11, -7, -7, -3, -3, 1, 1, 1, 5, 5, 9, 9]
    yy = [2, 0, 4, 2, 6, 0, 4, 8, 2, 6, 0, 4]
    D = [None] * 26
    for i in range(12):
        xi, yi = xx[i] * single('1.12541'), yy[i] * single('0.945719')
        sa, ca = hinge(s, sqrt(xi ** 2 + yi ** 2))
        xd, yd, zd = xi * ca, yi, -xi * sa
        X1, _, Z1 = triplet(x - xd, y - yd, z - zd)
        if abs(yd) > mpf('1e-10'):
            X2, _, Z2 = triplet(x - xd, y + yd, z - zd)
        else:
            X2 = Z2 = (0, 0, 0)
        D[i] = add(Z1, Z2)
        D[i + 12] = mul(s, add(X1, X2))
    xc1, xc2 = single('2.28397'), single('-5.60831')
    rl1, rl2 = single('1.86106'), single('7.83281')
    sa, ca = hinge(s, fabs(xc1 + rl1))
    u = crossed_loops(x * ca - z * sa, y, x * sa + z * ca, xc1, rl1, single('1.00891'))
    D[24] = (u[0] * ca + u[2] * sa, u[1], -u[0] * sa + u[2] * ca)
    sa, ca = hinge(s, fabs(rl2 - xc2))
    u = loop(x * ca - z * sa - xc2, y, x * sa + z * ca, rl2)
    D[25] = (u[0] * ca + u[2] * sa, u[1], -u[0] * sa + u[2] * ca)
    return add(*(mul(C1[i], D[i]) for i in range(26)))


def plasma_sheet(psi, x, y, z):
    s, c = sin(psi), cos(psi)

    def rot(v):
        return (v[0] * c + v[2] * s, v[1], v[2] * c - v[0] * s)

    xm, zm = x * c - z * s, z * c + x * s
    D = [rot(h) for h in conical(xm + mpf('0.16'), y, zm, 5)]
    xx = [-10, -7, -4, -4, 0, 4, 4, 7, 10]
    yy = [3, 6, 3, 9, 6, 3, 9, 6, 3]
    zz = [20, 20, 4, 20, 4, 4, 20, 20, 20, 2, 3, mpf('4.5'), 7, 10]
    plain, tilted = [], []
    for i in range(9):
        scale = double('0.08') if i in (2, 4, 5) else double('0.4')
        xd, yd, zd = double(xx[i] * float(scale)), double(yy[i] * float(scale)), zz[i]
        T = [triplet(xm - xd, y + sy * yd, zm + sz * zd) for sy, sz in ((-1, -1), (1, -1), (-1, 1), (1, 1))]
        X = [t[0] for t in T]
        Y = [t[1] for t in T]
        Z = [t[2] for t in T]
        plain += [rot(sub(sub(add(X[0], X[1]), X[2]), X[3])),
                  rot(add(sub(sub(Y[0], Y[1]), Y[2]), Y[3])),
                  rot(add(Z[0], Z[1], Z[2], Z[3]))]
        tilted += [mul(s, rot(add(X[0], X[1], X[2], X[3]))),
                   mul(s, rot(sub(add(sub(Y[0], Y[1]), Y[2]), Y[3]))),
                   mul(s, rot(sub(sub(add(Z[0], Z[1]), Z[2]), Z[3])))]
    pairs, pairs_tilted = [], []
    for i in range(5):
        zd = zz[9 + i]
        X1, _, Z1 = triplet(xm, y, zm - zd)
        X2, _, Z2 = triplet(xm, y, zm + zd)
        pairs += [rot(sub(X1, X2)), rot(add(Z1, Z2))]
        pairs_tilted += [mul(s, rot(add(X1, X2))), mul(s, rot(sub(Z1, Z2)))]
    D += plain + tilted + pairs + pairs_tilted
    return add(*(mul(C2[i], D[i]) for i in range(79)))


def region1_source(psi, x, y, z):
    s = sin(psi)
    r = sqrt(x ** 2 + y ** 2 + z ** 2)
    sa, ca = hinge(s, r)
    xa, za = x * ca - z * sa, x * sa + z * ca
    phi = 0 if xa == 0 and y == 0 else atan2(y, xa)
    theta = atan2(sqrt(xa ** 2 + y ** 2), za)
    st = sin(theta)
    theta0 = asin(st / (st ** 6 * (1 - r ** 3) + r ** 3) ** double('0.1666666667'))
    if theta > double('1.5707963'):
        theta0 = double('3.141592654') - theta0
    dt = double('0.13962632') * sin(phi / 2) ** 2
    tn, ts = double('0.20943948') + dt, double('2.932153174') - dt
    delta = single('0.034906')
    if theta0 < tn - delta or theta0 > ts + delta:
        return high_latitude(psi, x, y, z)
    if tn + delta < theta0 < ts - delta:
        return plasma_sheet(psi, x, y, z)
    south = not (tn - delta <= theta0 <= tn + delta)
    centre = ts if south else tn

    def point(t):
        st = sqrt(r) / (r ** 3 + 1 / sin(t) ** 6 - 1) ** single('0.1666666667')
        ct = (-1 if south else 1) * sqrt(1 - st ** 2)
        xa, ya, za = r * st * cos(phi), r * st * sin(phi), r * ct
        return (xa * ca + za * sa, ya, -xa * sa + za * ca)

    p1, p2 = point(centre - delta), point(centre + delta)
    first, second = (plasma_sheet, high_latitude) if south else (high_latitude, plasma_sheet)
    b1, b2 = first(psi, *p1), second(psi, *p2)
    frac = sqrt(sum((v - w) ** 2 for v, w in zip((x, y, z), p1))) / sqrt(sum((v - w) ** 2 for v, w in zip(p2, p1)))
    return tuple(b1[n] * (1 - frac) + b2[n] * frac for n in range(3))


def region1_shielding(psi, x, y, z):
    return cartesian_shielding(R1_SHIELD, 4, sin(psi), cos(psi), x, y, z)


# ---------------------------------------------------------------- region 2

def stretched(x, y, z):
    r = sqrt(x ** 2 + y ** 2 + z ** 2)
    xr, yr, zr = x / r, y / r, z / r
    r0, dr = single('1.21563'), single('7.50937')
    p = 0 if r < r0 else sqrt((r - r0) ** 2 + dr ** 2) - dr
    f = x + p * (single('0.305662') + single('-0.383593') * xr + single('0.2677733') * xr ** 2
                 + single('-0.097656') * yr ** 2 + single('-0.636034') * zr ** 2)
    g = y + p * (single('-0.359862') * yr + single('0.424706') * xr * yr)
    h = z + p * (single('-0.126366') * zr + single('0.292578') * xr * zr)
    q = f ** 2 + g ** 2
    if q < mpf('1e-5'):
        return mpf(-1)
    theta = single('0.3665191') + single('0.09599309') / 2 * (1 - f / sqrt(q))
    return q / (f ** 2 + g ** 2 + h ** 2) ** mpf('1.5') - sin(theta) ** 2


def transition(xi, xi0, dxi):
    d = xi - xi0
    if d < -dxi:
        return mpf(0)
    if d >= dxi:
        return mpf(1)
    if xi < xi0:
        u = (d + dxi) ** 3
        return mpf('1.5') * u / (2 * dxi ** 3 + u)
    u = (d - dxi) ** 3
    return 1 + mpf('1.5') * u / (2 * dxi ** 3 - u)


def four_loops(x, y, z, xc, yc, zc, R, theta, phi):
    ct, st, cp, sp = cos(theta), sin(theta), cos(phi), sin(phi)
    b = (0, 0, 0)
    for q in range(4):
        sx = 1 if q in (0, 1) else -1   # quadrants 3 and 4 are turned over in x
        sy = 1 if q in (0, 3) else -1   # quadrants 2 and 3 are mirrored in y
        yq, zq = sy * yc, (zc if q in (0, 1) else -zc)
        dx, dy = x - xc, y - yq
        xl = sx * (dx * cp + sy * dy * sp)
        yl = sx * (dy * cp - sy * dx * sp)
        zl = z - zq
        xss, zss = xl * ct - zl * st, zl * ct + xl * st
        u, v, w = loop(xss, yl, zss, R)
        us, bz = u * ct + w * st, w * ct - u * st
        b = add(b, (sx * (us * cp - sy * v * sp), sx * (sy * us * sp + v * cp), bz))
    return b


def dipole_distribution(x, y, z, mode):
    rho2 = x ** 2 + y ** 2
    r2 = rho2 + z ** 2
    r3 = r2 ** mpf('1.5')
    if mode == 0:
        return (z / rho2 ** 2 * (r2 * (y ** 2 - x ** 2) - rho2 * x ** 2) / r3,
                -x * y * z / rho2 ** 2 * (2 * r2 + rho2) / r3, x / r3)
    return (z / rho2 ** 2 * (y ** 2 - x ** 2), -2 * x * y * z / rho2 ** 2, x / rho2)


def inner(x, y, z):
    w = [single(v) for v in '154.185 -2.12446 0.0601735 -0.00153954 0.0000355077 29.9996 262.886 99.9132'.split()]
    H = conical(x, y, z, 5)
    D6 = dipole_distribution(x - single('0.0774'), y, z, 0)
    D7 = dipole_distribution(x + single('0.038'), y, z, 1)
    L = four_loops(x, y, z, single('-8.1902'), single('6.5239'), single('5.504'), single('7.7815'),
                   single('0.8573'), single('3.0986'))
    return add(*(mul(w[m], H[m]) for m in range(5)), mul(w[5], D6), mul(w[6], D7), mul(w[7], L))


def outer(x, y, z):
    u = [single(v) for v in '-34.105 -2.00019 628.639 73.4847 12.5162'.split()]
    pairs = [('0.55', '0.694', '0.0031'), ('1.55', '2.8', '0.1375'), ('-0.7', '0.2', '0.9625')]
    X = [crossed_loops(x, y, z, *(single(v) for v in p)) for p in pairs]
    Cl = loop(x + single('2.994'), y, z, single('2.925'))
    L = four_loops(x, y, z, single('-1.775'), single('4.3'), single('-0.275'), single('2.7'),
                   single('0.4312'), single('1.55'))
    return add(mul(u[0], X[0]), mul(u[1], X[1]), mul(u[2], X[2]), mul(u[3], Cl), mul(u[4], L))


def sheet(x, y, z):
    xi = stretched(x, y, z)
    e = double('2.718281828459')

    def T(nu):
        return (xi / sqrt(xi ** 2 + nu[5] ** 2), nu[6] ** 3 / (xi ** 2 + nu[6] ** 2) ** mpf('1.5'),
                xi / (xi ** 2 + nu[7] ** 2) ** mpf('2.5') * double('3.493856') * nu[7] ** 4)

    rho = sqrt(x ** 2 + y ** 2)
    phi = atan2(y, x)
    ct = z / sqrt(rho ** 2 + z ** 2)

    def S(a):
        return sqrt(-2 * a * e) * ct * exp(a * ct ** 2) if a < 0 else ct * exp(a * (ct ** 2 - 1))

    def E(a):
        return exp(a * ct ** 2) if a <= 0 else exp(a * (ct ** 2 - 1))

    out = []
    for table, nu, prof, ang in ((SHEET_A, NU['x'], S, lambda j: cos(j * phi)),
                                 (SHEET_B, NU['y'], S, lambda j: sin((j + 1) * phi)),
                                 (SHEET_C, NU['z'], E, lambda j: cos(j * phi))):
        t1, t2, t3 = T(nu)
        total = 0
        for k in range(5):
            inner_sum = 0
            for j in range(4):
                i = 16 * k + 4 * j
                inner_sum += ang(j) * (table[i] + table[i + 1] * t1 + table[i + 2] * t2 + table[i + 3] * t3)
            total += prof(nu[k]) * inner_sum
        out.append(total)
    return tuple(out)


def region2_source(psi, x, y, z):
    c, s = cos(psi), sin(psi)
    xs, zs = x * c - z * s, z * c + x * s
    xi = stretched(xs, y, zs)
    d, d1, k = double('0.03'), double('0.015'), single('-0.02')
    if xi < -(d + d1):
        b = mul(k, outer(xs, y, zs))
    elif xi < d1 - d:
        f2 = k * transition(xi, -d, d1)
        b = add(mul(k - f2, outer(xs, y, zs)), mul(f2, sheet(xs, y, zs)))
    elif xi < d - d1:
        b = mul(k, sheet(xs, y, zs))
    elif xi < d + d1:
        f1 = k * transition(xi, d, d1)
        b = add(mul(f1, inner(xs, y, zs)), mul(k - f1, sheet(xs, y, zs)))
    else:
        b = mul(k, inner(xs, y, zs))
    return (b[0] * c + b[2] * s, b[1], b[2] * c - b[0] * s)


def region2_shielding(psi, x, y, z):
    return cartesian_shielding(R2_SHIELD, 2, sin(psi), cos(psi), x, y, z)


# ---------------------------------------------------------------- interconnection and driver

def interconnection(x, y, z):
    b = (0, 0, 0)
    for i in range(3):
        for k in range(3):
            p, r = C[9 + i], C[12 + k]
            w = sqrt(1 / p ** 2 + 1 / r ** 2)
            e = exp(w * x)
            h = (-w * e * cos(y / p) * sin(z / r), e / p * sin(y / p) * sin(z / r),
                 -e / r * cos(y / p) * cos(z / r))
            b = add(b, mul(C[3 * i + k], h))
    return b


def dipole(b0, psi, x, y, z):
    s, c = sin(psi), cos(psi)
    r = sqrt(x ** 2 + y ** 2 + z ** 2)
    q = b0 / r ** 5
    return (q * ((y ** 2 + z ** 2 - 2 * x ** 2) * s - 3 * z * x * c),
            -3 * y * q * (x * s + z * c),
            q * ((x ** 2 + y ** 2 - 2 * z ** 2) * c - 3 * z * x * s))


def t96(parameters, psi, b0, x, y, z):
    P, dst, by, bz = (mpf(v) for v in parameters)
    D = single('0.8') * dst - 13 * sqrt(P)
    bt = sqrt(by ** 2 + bz ** 2)
    if by == 0 and bz == 0:
        theta = mpf(0)
    else:
        theta = atan2(by, bz)
        if theta <= 0:
            theta += single('6.2831853')
    ct, st = cos(theta), sin(theta)
    eps = 718.5 * sqrt(P) * bt * sin(theta / 2)
    fe = eps / single('3630.7') - 1
    fp = sqrt(P / 2) - 1
    arc = -A[0] * D
    at2 = A[1] + A[2] * fp + A[3] * fe
    at3 = A[4] + A[5] * fp
    ar1 = A[6] + A[7] * fe
    ar2 = 20 * ar1
    aimf = A[8] * bt
    kappa = (P / 2) ** single('0.14')
    ys, zs = y * ct - z * st, z * ct + y * st
    g = exp(x / 20 - (ys / 10) ** 2)
    O = (0, A[8] * by * g, A[8] * bz * g)
    x0, a = single('5.48') / kappa, 70 / kappa
    m = max(a + x - x0, 0)
    q = a ** 2 + y ** 2 + z ** 2
    sigma = sqrt((q + m ** 2 + sqrt((q + m ** 2) ** 2 - 4 * a ** 2 * m ** 2)) / (2 * a ** 2))
    s0, ds = single('1.08'), single('0.005')
    Q = dipole(b0, psi, x, y, z)
    if sigma >= s0 + ds:
        return sub(O, Q), sigma
    xk, yk, zk = kappa * x, kappa * y, kappa * z
    S = dipole_shielding(psi, xk, yk, zk)
    R, T2, T3 = sheet_fields(sin(psi), xk, yk, zk)
    B1 = add(region1_source(psi, xk, yk, zk), region1_shielding(psi, xk, yk, zk))
    B2 = add(region2_source(psi, xk, yk, zk), region2_shielding(psi, xk, yk, zk))
    I = interconnection(xk, kappa * ys, kappa * zs)
    I = (I[0], I[1] * ct + I[2] * st, I[2] * ct - I[1] * st)
    F = add(mul(kappa ** 3, S), mul(arc, R), mul(at2, T2), mul(at3, T3), mul(ar1, B1),
            mul(ar2, B2), mul(aimf, I))
    if sigma < s0 - ds:
        return F, sigma
    t = (sigma - s0) / ds
    wi, we = (1 - t) / 2, (1 + t) / 2
    return tuple((F[n] + Q[n]) * wi + O[n] * we - Q[n] for n in range(3)), sigma


# ---------------------------------------------------------------- output

def fmt(v):
    return mp.nstr(v, 17, min_fixed=-4, max_fixed=6) if v != 0 else '0.0'


def row(*values):
    return '    {' + ', '.join(fmt(mpf(v)) if not isinstance(v, str) else v for v in values) + '},'


# Positions (scaled GSM) and tilts of the component checks.
COMPONENT_POINTS = [(0.0, -8.0, 2.0, 1.0), (0.35, -15.0, -4.0, 2.5), (-0.3, 5.0, 3.0, -2.0),
                    (0.2, -3.0, 1.0, 4.0)]
# Region 1: plasma sheet (1, 3, 4, 5), high latitude (2, 6; 6 with azimuth 0 on the
# hinged z axis), northern layer (7), southern layer (8).
REGION1_POINTS = [(0.3, -6.0, 2.0, 3.0), (0.3, 3.0, -1.0, 5.0), (-0.25, -10.0, 4.0, -1.0),
                  (0.2, 2.5, 0.5, 2.0), (-0.3, 1.2, 3.0, -1.5), (0.0, 0.0, 0.0, 5.0),
                  (0.0, 1.5, 0.5, 3.5), (0.1, 1.3, 0.5, -3.8)]
# Region 2 by band of the stretched coordinate: sheet, inner (2, 3), inner and sheet,
# outer and sheet (5, 6), outer (7, 8).
REGION2_POINTS = [(0.3, -6.0, 2.0, 3.0), (0.0, 3.0, -1.0, 1.0), (-0.25, -3.5, 2.0, -0.8),
                  (0.2, 1.0, 2.5, 2.0), (0.0, -4.0, 8.0, 0.5), (0.2, -7.0, 7.0, 1.0),
                  (0.0, -8.0, 3.0, -6.0), (0.3, -2.0, 1.0, 6.0)]
# (P, Dst, By, Bz), tilt, dipole strength, GSM position
MODEL_CASES = [
    ((2.0, 0.0, 0.0, 0.0), 0.0, 30000.0, (-8.0, 2.0, 1.0)),
    ((3.0, -40.0, 2.0, -5.0), 0.3, 29500.0, (-15.0, -4.0, 2.5)),
    ((10.0, -150.0, 0.0, -10.0), -0.2, 29500.0, (4.0, 3.0, -2.0)),
    ((1.0, 10.0, -3.0, 4.0), 0.25, 29500.0, (2.0, 1.0, 6.0)),
    ((2.0, -20.0, 1.0, 3.0), 0.1, 29500.0, (-30.0, 10.0, 5.0)),
    ((4.0, -60.0, -5.0, -2.0), -0.35, 29500.0, (-5.0, 6.0, -4.0)),
    ((2.0, -20.0, 0.0, -3.0), 0.2, 29500.0, (-75.0, 5.0, 3.0)),    # far tail, inside
    ((2.0, -10.0, 3.0, -4.0), 0.2, 29500.0, (11.0, 0.5, 0.5)),     # boundary layer
    ((5.0, -30.0, 2.0, 6.0), -0.1, 29500.0, (-20.0, 16.0, 14.0)),  # boundary layer, flank
    ((2.0, 0.0, 1.0, 2.0), 0.1, 29500.0, (12.0, 1.0, 1.0)),        # outside
]


def main():
    print('// Bessel functions: u, J0, J1')
    for u in (0.0, 0.5, 1.0, 2.9, 3.0, 4.5, 10.0, 35.0):
        print(row(u, j0(mpf(u)), j1(mpf(u))))
    print('// Dipole shielding: tilt, x, y, z, bx, by, bz')
    for psi, x, y, z in COMPONENT_POINTS + [(0.3, 6.0, 0.0, 0.0)]:
        print(row(psi, x, y, z, *dipole_shielding(mpf(psi), x, y, z)))
    print('// Ring current and tail fields: tilt, x, y, z, ring (3), tail 2 (3), tail 3 (3)')
    for psi, x, y, z in COMPONENT_POINTS:
        f = sheet_fields(mpf(math.sin(psi)), mpf(x), mpf(y), mpf(z))
        print(row(psi, x, y, z, *f[0], *f[1], *f[2]))
    print('// Region 1: tilt, x, y, z, bx, by, bz')
    for psi, x, y, z in REGION1_POINTS:
        b = add(region1_source(mpf(psi), mpf(x), mpf(y), mpf(z)), region1_shielding(mpf(psi), x, y, z))
        print(row(psi, x, y, z, *b))
    print('// Region 2: tilt, x, y, z, bx, by, bz, xi')
    for psi, x, y, z in REGION2_POINTS:
        b = add(region2_source(mpf(psi), mpf(x), mpf(y), mpf(z)), region2_shielding(mpf(psi), x, y, z))
        c, s = cos(mpf(psi)), sin(mpf(psi))
        xi = stretched(x * c - z * s, mpf(y), z * c + x * s)
        print(row(psi, x, y, z, *b, xi))
    print('// Interconnection: x, y, z, bx, by, bz')
    for x, y, z in ((-8.0, 2.0, 1.0), (5.0, -10.0, 20.0), (-30.0, 4.0, -6.0)):
        print(row(x, y, z, *interconnection(mpf(x), mpf(y), mpf(z))))
    print('// Loops: circular (x, y, z, rl, b), crossed (x, y, z, xc, rl, alpha, b)')
    for x, y, z, rl in ((1.0, 0.5, 0.3, 2.0), (0.0, 0.0, 1.5, 2.0), (3.0, -1.0, 2.0, 7.8),
                        (4e-7, -3e-7, 0.8, 2.0)):
        print(row(x, y, z, rl, *loop(mpf(x), mpf(y), mpf(z), mpf(rl))))
    for x, y, z, xc, rl, al in ((1.0, 0.5, 0.3, 0.55, 0.694, 0.0031), (-2.0, 1.0, 2.0, 2.28, 1.86, 1.0)):
        print(row(x, y, z, xc, rl, al, *crossed_loops(mpf(x), mpf(y), mpf(z), mpf(xc), mpf(rl), mpf(al))))
    print('// Whole model: P, Dst, By, Bz, tilt, b0, x, y, z, bx, by, bz, sigma')
    for parameters, psi, b0, (x, y, z) in MODEL_CASES:
        b, sigma = t96(parameters, mpf(psi), mpf(b0), mpf(x), mpf(y), mpf(z))
        print(row(*parameters, psi, b0, x, y, z, *b, sigma))


if __name__ == '__main__':
    main()
