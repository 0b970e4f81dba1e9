#!/usr/bin/env python3
"""Generates the lookup tables 1, 2, 10 and 12 of the lookup grid as C++ sources.

Each table samples a map on the grid points (x/(n-1), y/(n-1)) of an n x n grid
(n = 50) and is written as an array of f32 values in the order in which
FillLookupGrid reads it. The generator checks every table against the cells
whose values are known in closed form before it writes anything.

Usage: python3 tools/gen_lookup_tables.py [output folder]
(default: projection/tables next to this script's parent). Needs mpmath.

Table 1  the conformal map w of the square [-1,1]^2 onto the unit disc, the
         inverse of z = F(w)/F(1), F(w) = integral_0^w dt/sqrt(1 + t^4).
         With cn of modulus 1/sqrt(2): w^2 = (1 - cn(K z)) / (1 + cn(K z)).
         Cells x <= y (row by row, x = 0..y), pair (re w, im w) at z = (x + iy)/49.
Table 2  the conformal map of a cube face [-1,1]^2 onto its spherical square
         (the radial image of the face on the unit sphere), corners to corners
         and edge midpoints to edge midpoints. One eighth of the face (the flat
         triangle centre / edge midpoint / corner, angles pi/4, pi/2, pi/4)
         goes to the spherical triangle with angles pi/4, pi/2, pi/3; both are
         images of the upper half plane under Schwarz triangle functions with
         the same vertex assignment (centre 0, edge midpoint 1, corner infinity),
         so the map is s_sphere(s_flat^-1(p)). s_flat is a lemniscate integral
         whose inverse is the lemniscate sine; s_sphere is a quotient of
         hypergeometric functions, read in the stereographic plane. Cells
         x <= y, pair (-X, -Y) of the unit vector (X, Y, Z) of face point
         (x/49, y/49).
Table 10 the inverse of the Winkel Tripel forward term (AitoffTerm): cell (x, y)
         holds (lambda, phi) with AitoffTerm(lambda, phi) =
         (2.570796326312263 x/49, 1.5707963267948966 y/49), by Newton's method,
         continued beyond the outline (lambda > pi) up to lambda < 2 pi. A few
         cells of the top row lie beyond even that continuation (the map folds
         onto the point (2, pi/2) as lambda approaches 2 pi); they hold lambda
         just below 2 pi.
Table 12 an equal-area map of the sphere onto the square [-1,1]^2, quadrant
         u, v >= 0: the octahedral equal-area map of Clarberg ("Fast equal-area
         mapping of the (hemi)sphere using SIMD", J. Graphics Tools 13(3), 2008).
         With d = 1 - (u + v), r = 1 - |d|, phi = ((v - u)/r + 1) pi/4:
         z = sign(d)(1 - r^2), x = r sqrt(2 - r^2) cos phi, y = r sqrt(2 - r^2) sin phi.
         The cells hold (-x, -y, z); 2500 triples, rows y = 0..49, x = 0..49.
"""

import math
import os
import sys

import mpmath as mp

import lookup_table_files
from lookup_table_files import f32

mp.mp.dps = 30
N = 50
LAST = N - 1


# --------------------------------------------------------------------------
# Table 1: square onto disc
# --------------------------------------------------------------------------
HALF = mp.mpf(1) / 2
K_HALF = mp.ellipk(HALF)  # K of modulus 1/sqrt(2) = 2 F(1)
F_ONE = mp.quad(lambda t: 1 / mp.sqrt(1 + t ** 4), [0, 1])


def square_to_disc(z):
    """w with F(w)/F(1) = z for z in the first quadrant of the square."""
    z = mp.mpc(z)
    if abs(z) == 0:
        return mp.mpc(0)
    c = mp.ellipfun('cn', K_HALF * z, m=HALF)
    if abs(1 + c) == 0:
        return mp.expjpi(mp.mpf(1) / 4)
    w = mp.sqrt((1 - c) / (1 + c))
    return mp.mpc(abs(w.real), abs(w.imag))


def disc_to_square(w):
    """F(w)/F(1), the forward map, for the checks."""
    return w * mp.hyp2f1(0.25, 0.5, 1.25, -w ** 4) / F_ONE


def make_table1():
    values = []
    worst = 0
    for y in range(N):
        for x in range(y + 1):
            z = mp.mpc(x, y) / LAST
            w = square_to_disc(z)
            if abs(w) < 0.999999:
                worst = max(worst, abs(disc_to_square(w) - z))
            values += [w.real, w.imag]
    print('table 1: worst |F(w)/F(1) - z| inside the disc %.3g' % worst)
    return values


# --------------------------------------------------------------------------
# Table 2: cube face onto the sphere
# --------------------------------------------------------------------------
LEMNISCATE_HALF = mp.quad(lambda t: 1 / mp.sqrt(1 - t ** 4), [0, 1])  # varpi/2


def lemniscate_sine(z):
    # sl(z) = sd(sqrt2 z; m = 1/2) / sqrt2
    s2 = mp.sqrt(2)
    return mp.ellipfun('sd', s2 * z, m=HALF) / s2


# spherical Schwarz triangle function: angles pi/4 at t = 0, pi/2 at t = 1,
# pi/3 at t = infinity
LAM, MU, NU = mp.mpf(1) / 4, mp.mpf(1) / 2, mp.mpf(1) / 3
SA = (1 - LAM - MU + NU) / 2
SB = (1 - LAM - MU - NU) / 2
SC = 1 - LAM


def schwarz_sphere(t):
    return t ** LAM * mp.hyp2f1(SA + LAM, SB + LAM, 1 + LAM, t) / mp.hyp2f1(SA, SB, SC, t)


# scale that puts the edge midpoint at its stereographic radius tan(pi/8)
STEREO_SCALE = mp.tan(mp.pi / 8) / schwarz_sphere(mp.mpc(1, mp.mpf(10) ** -40)).real


def face_to_stereo(p):
    """Stereographic point (from the antipode of the face centre) of face point p,
    p in the octant 0 <= im <= re <= 1 of the face [-1,1]^2."""
    p = mp.mpc(p)
    if abs(p) == 0:
        return mp.mpc(0)
    if abs(p - mp.mpc(1, 1)) < mp.mpf(10) ** -20:
        corner_angle = mp.acos(1 / mp.sqrt(3))
        return mp.tan(corner_angle / 2) * mp.expjpi(mp.mpf(1) / 4)
    t = lemniscate_sine(LEMNISCATE_HALF * p) ** 4
    # keep t in the closed upper half plane, on the upper side of every cut
    eps = mp.mpf(10) ** -40 * (1 + abs(t))
    t = mp.mpc(t.real, max(t.imag, 0) + eps)
    return STEREO_SCALE * schwarz_sphere(t)


def face_to_sphere(p):
    """Unit vector (X, Y, Z) of face point p in the octant (0 <= im <= re)."""
    q = face_to_stereo(p)
    r2 = abs(q) ** 2
    return (2 * q.real / (1 + r2), 2 * q.imag / (1 + r2), (1 - r2) / (1 + r2))


def face_to_sphere_any(p):
    """face_to_sphere for any point of the face, by the face's symmetries."""
    re, im = mp.mpf(p.real), mp.mpf(p.imag)
    sx = -1 if re < 0 else 1
    sy = -1 if im < 0 else 1
    re, im = abs(re), abs(im)
    swap = im > re
    if swap:
        re, im = im, re
    X, Y, Z = face_to_sphere(mp.mpc(re, im))
    if swap:
        X, Y = Y, X
    return (sx * X, sy * Y, Z)


def check_table2_conformal():
    """Conformality: at a few face points the two partial derivatives of the
    sphere map are perpendicular and of equal length."""
    worst = 0
    h = mp.mpf(10) ** -8
    for p in [mp.mpc(0.3, 0.1), mp.mpc(0.7, 0.2), mp.mpc(0.9, 0.85), mp.mpc(0.55, 0.5),
              mp.mpc(0.95, 0.05), mp.mpc(0.2, 0.15)]:
        a = face_to_sphere_any(p + h)
        b = face_to_sphere_any(p - h)
        c = face_to_sphere_any(p + mp.mpc(0, h))
        d = face_to_sphere_any(p - mp.mpc(0, h))
        du = [(a[i] - b[i]) / (2 * h) for i in range(3)]
        dv = [(c[i] - d[i]) / (2 * h) for i in range(3)]
        lu = mp.sqrt(sum(x * x for x in du))
        lv = mp.sqrt(sum(x * x for x in dv))
        dot = sum(du[i] * dv[i] for i in range(3)) / (lu * lv)
        worst = max(worst, abs(lu / lv - 1), abs(dot))
    # and across the diagonal: the symmetric extension must stay smooth
    return worst


def make_table2():
    values = []
    for y in range(N):
        for x in range(y + 1):
            # stored cells have x <= y: fold, evaluate, swap back
            X, Y, Z = face_to_sphere(mp.mpc(y, x) / LAST)
            X, Y = Y, X
            values += [-X, -Y]
    worst = check_table2_conformal()
    print('table 2: worst conformality defect %.3g' % worst)
    assert worst < 1e-6
    # diagonal symmetry: a point on the diagonal maps onto the sphere's diagonal plane
    for k in range(1, N):
        X, Y, Z = face_to_sphere(mp.mpc(k, k) / LAST)
        assert abs(X - Y) < 1e-12, (k, X, Y)
    # the edge x = 1 maps onto the great circle x = z
    for k in range(N):
        X, Y, Z = face_to_sphere(mp.mpc(LAST, k) / LAST)
        assert abs(X - Z) < 1e-12, (k, X, Z)
    return values


# --------------------------------------------------------------------------
# Table 10: inverse of the Winkel Tripel term
# --------------------------------------------------------------------------
WT_X = 2.570796326312263
WT_Y = 1.5707963267948966


def aitoff_term(lam, phi):
    c = mp.cos(phi)
    alpha = mp.acos(mp.cos(lam / 2) * c)
    k = 1 if alpha == 0 else alpha / mp.sin(alpha)
    return ((2 * k * c * mp.sin(lam / 2) + lam * 2 / mp.pi) / 2, (k * mp.sin(phi) + phi) / 2)


LAMBDA_LIMIT = 2 * mp.pi - mp.mpf(10) ** -12


def invert_aitoff(tx, ty, guess):
    lam, phi = mp.mpf(guess[0]), mp.mpf(guess[1])
    h = mp.mpf(10) ** -12
    for _ in range(200):
        fx, fy = aitoff_term(lam, phi)
        ex, ey = fx - tx, fy - ty
        if abs(ex) + abs(ey) < mp.mpf(10) ** -22:
            break
        # numerical Jacobian (one-sided steps that stay in the domain)
        hl = -h if lam + h > LAMBDA_LIMIT else h
        hp = -h if phi + h > mp.pi / 2 else h
        ax, ay = aitoff_term(lam + hl, phi)
        bx, by = aitoff_term(lam, phi + hp)
        j11, j21 = (ax - fx) / hl, (ay - fy) / hl
        j12, j22 = (bx - fx) / hp, (by - fy) / hp
        det = j11 * j22 - j12 * j21
        if det == 0:
            break
        dl = (ex * j22 - ey * j12) / det
        dp = (ey * j11 - ex * j21) / det
        # damped step that keeps the point in 0 <= lambda < 2 pi, 0 <= phi <= pi/2
        step = 1
        e0 = abs(ex) + abs(ey)
        while True:
            nl = min(max(lam - step * dl, 0), LAMBDA_LIMIT)
            np_ = min(max(phi - step * dp, 0), mp.pi / 2)
            gx, gy = aitoff_term(nl, np_)
            if abs(gx - tx) + abs(gy - ty) < e0 or step < 1e-6:
                break
            step /= 2
        if nl == lam and np_ == phi:
            break
        lam, phi = nl, np_
    return lam, phi, abs(ex) + abs(ey)


def make_table10():
    values = []
    unreached = []
    worst_inside = 0
    for y in range(N):
        ty = mp.mpf(WT_Y) * y / LAST
        guess = (mp.mpf(0), ty)  # lambda = 0 gives y = phi
        for x in range(N):
            tx = mp.mpf(WT_X) * x / LAST
            if y == LAST:
                # the pole row: y = pi/2 for every lambda and x = lambda/pi,
                # so lambda = pi x up to the fold at lambda = 2 pi
                lam, phi = min(mp.pi * tx, LAMBDA_LIMIT), mp.pi / 2
                err = 0 if mp.pi * tx <= LAMBDA_LIMIT else 1
            else:
                lam, phi, err = invert_aitoff(tx, ty, guess)
            if err > 1e-15:
                unreached.append((x, y))
            elif lam <= mp.pi:
                worst_inside = max(worst_inside, err)
            guess = (lam, phi)
            values += [lam, phi]
    print('table 10: cells beyond the continuation %s' % unreached)
    print('table 10: worst residual on the map %.3g' % worst_inside)
    return values


# --------------------------------------------------------------------------
# Table 12: octahedral equal-area map
# --------------------------------------------------------------------------
def octahedral_equal_area(u, v):
    d = 1 - (u + v)
    r = 1 - abs(d)
    phi = ((v - u) / r + 1) * math.pi / 4 if r != 0 else 0.0
    z = math.copysign(1 - r * r, d)
    s = r * math.sqrt(max(0.0, 2 - r * r))
    return (s * math.cos(phi), s * math.sin(phi), z)


def make_table12():
    values = []
    for y in range(N):
        for x in range(N):
            X, Y, Z = octahedral_equal_area(x / LAST, y / LAST)
            values += [-X, -Y, Z]
    return values


# --------------------------------------------------------------------------
# Checks of the telling cells and output
# --------------------------------------------------------------------------
def cell(values, x, y, width):
    if width == 'tri':
        # x <= y storage: row y starts at y(y+1)/2
        index = y * (y + 1) // 2 + x
        return values[2 * index], values[2 * index + 1]
    index = y * N + x
    return tuple(values[width * index: width * index + width])


def mirrored(values, x, y):
    if x <= y:
        return cell(values, x, y, 'tri')
    b, a = cell(values, y, x, 'tri')
    return a, b


def near(got, want, tolerance=5e-6):
    return all(abs(float(g) - w) <= tolerance for g, w in zip(got, want))


def check(t1, t2, t10, t12):
    r = math.sqrt(0.5)
    s3 = 1 / math.sqrt(3)
    checks = [
        ('table 1 cell (0,0)', mirrored(t1, 0, 0), (0, 0)),
        ('table 1 cell (49,0)', mirrored(t1, 49, 0), (1, 0)),
        ('table 1 cell (49,49)', mirrored(t1, 49, 49), (r, r)),
        ('table 2 cell (0,0)', mirrored(t2, 0, 0), (0, 0)),
        ('table 2 cell (49,0)', mirrored(t2, 49, 0), (-r, 0)),
        ('table 2 cell (49,49)', mirrored(t2, 49, 49), (-s3, -s3)),
        ('table 10 cell (0,0)', cell(t10, 0, 0, 2), (0, 0)),
        ('table 10 cell (49,0)', cell(t10, 49, 0, 2), (math.pi, 0)),
        ('table 12 cell (0,0)', cell(t12, 0, 0, 3), (0, 0, 1)),
        ('table 12 cell (49,0)', cell(t12, 49, 0, 3), (-1, 0, 0)),
        ('table 12 cell (0,49)', cell(t12, 0, 49, 3), (0, -1, 0)),
        ('table 12 cell (49,49)', cell(t12, 49, 49, 3), (0, 0, -1)),
    ]
    ok = True
    for name, got, want in checks:
        good = near(got, want)
        ok = ok and good
        print('%-24s %-44s %s' % (name, tuple('%.7f' % float(g) for g in got), 'ok' if good else 'WRONG'))
    lam = float(cell(t10, 49, 49, 2)[0])
    print('table 10 cell (49,49) lambda %.7f (beyond the outline: > pi)' % lam)
    ok = ok and lam > 6.28 and lam < 2 * math.pi
    if not ok:
        sys.exit('a telling cell is wrong')


def write_table(folder, number, values, comment):
    lookup_table_files.write_table(folder, number, values, comment, 'gen_lookup_tables.py')


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'projection', 'tables')
    t1 = make_table1()
    t2 = make_table2()
    t10 = make_table10()
    t12 = make_table12()
    check(t1, t2, t10, t12)
    os.makedirs(folder, exist_ok=True)
    write_table(folder, 1, t1, 'Conformal map of the square onto the unit disc; 1275 pairs, cells x <= y.')
    write_table(folder, 2, t2, 'Conformal map of a cube face onto the sphere, (-X, -Y); 1275 pairs, cells x <= y.')
    write_table(folder, 10, t10, 'Inverse of the Winkel Tripel term, (lambda, phi); 2500 pairs.')
    write_table(folder, 12, t12, 'Octahedral equal-area map (Clarberg 2008), (-x, -y, z); 2500 triples.')


if __name__ == '__main__':
    main()
