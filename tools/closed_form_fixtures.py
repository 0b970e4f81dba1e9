#!/usr/bin/env python3
"""Reference directions of the closed-form output projections.

Each output's inverse (normalised output point -> direction on the sphere) is
written out here once more from its published formula, in double precision,
sharing no code with the program. The script evaluates it at a handful of
points per output: the centre, points on both sides of the domain's edge
(found by bisection along rows and columns), points on both sides of each
seam, and a few points in between. A point is kept only where the result is
stable (the same inside/outside answer and nearly the same direction for
neighbours 1e-5 away), so single-precision rounding in the program cannot
flip it.

Output file: tests/projection_output/data/closed_forms.txt, lines
  output width height fov nx ny s outside dx dy dz region
with s the plane units per normalised unit (the layout scale), outside 1 or 0,
the unit direction (0 0 0 when outside) and the region (-1 when none).
Run from the repository root:  python3 tools/closed_form_fixtures.py
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "projection_output", "data",
                   "closed_forms.txt")
PI = math.pi
TWO_PI = 2 * math.pi


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


# --- small helpers, each from its written definition ----------------------

# Where a single-precision result cannot be compared with a double one: the
# arc cosine polynomial jumps by 1.4e-4 radians at 0, and within 5e-4 radians
# of a pole the cosine sqrt(1 - s^2) of a single-precision sine is lost.
# A point that meets either is not used.
NEAR_F32_LIMIT = [False]


def equi(u, v):
    """The direction of the equirectangular point (u, v). The cosine of the
    latitude is taken as sqrt(1 - sin^2), so a v beyond 0..1 (past a pole)
    stays on the near side, as the written conversion has it."""
    lon = (u - 0.5) * TWO_PI
    s = math.sin((v - 0.5) * -PI)
    if abs(s) > 1 - 1e-7:
        NEAR_F32_LIMIT[0] = True
    c = math.sqrt(1 - s * s)
    return (math.sin(lon) * c, s, math.cos(lon) * c)


def ang(p, q):
    """atan2(p, q) + pi in [0, 2pi], with the written special cases."""
    if q == 0:
        return 3 * PI / 2 if p > 0 else PI / 2
    a = math.atan(p / q)
    if q >= 0:
        return a + PI
    return a + TWO_PI if p >= 0 else a


def pole_turn(e):
    return (e[0], -e[2], e[1])


def norm(v):
    n = math.sqrt(v[0] ** 2 + v[1] ** 2 + v[2] ** 2)
    return (v[0] / n, v[1] / n, v[2] / n)


def fast_acos(x):
    def poly(t):
        return math.sqrt(1 - t) * (((-0.0187293 * t + 0.074261) * t - 0.2121144) * t + 1.5707288)
    if x > 1 or x < -1:
        return float("nan")
    return poly(x) if x >= 0 else 3.1415927 - poly(-x)




def to_equirect(v):
    if abs(v[1]) < 1e-6:
        NEAR_F32_LIMIT[0] = True
    w = fast_acos(v[1]) * 0.31830987
    if math.isnan(w):
        w = 0.0
    u = (math.atan2(v[0], v[2]) + 3.1415927) * 0.15915494
    return u, w


def stereo_to_sphere(re, im):
    r2 = re * re + im * im
    return (-2 * re / (r2 + 1), -2 * im / (r2 + 1), (1 - r2) / (1 + r2))


def sphere_to_stereo(v):
    if v[2] + 1 <= 0:
        return 0.0, 0.0
    return -v[0] / (v[2] + 1), -v[1] / (v[2] + 1)


def cpow(re, im, p):
    if re == 0 and im == 0:
        return 0.0, 0.0
    th = math.atan2(im, re)
    m = math.exp(math.log(re * re + im * im) * p * 0.5)
    return m * math.cos(th * p), m * math.sin(th * p)


def sphere_power(v, k):
    """The power map with exponent 1/k about the y axis; returns (v, wedge flag)."""
    p = 1.0 / k
    x, y, z = v[0], v[2], -v[1]
    s = 1.0
    if z < 0:
        s, z = -1.0, -z
    wre, wim = sphere_to_stereo((x, y, z))
    ure, uim = -wim, wre
    a = ang(ure, uim) / TWO_PI + 0.75
    f = a - math.floor(a)
    q = (f - 0.5) * 2 * p
    flag = q < -1 or q > 1
    pre, pim = cpow(ure, uim, p)
    X, Y, Z = stereo_to_sphere(pre, pim)
    return (Y, -s * Z, -X), flag


def axis_point(x, y, c):
    d = norm((-x, -y, 1 - c))
    e = -c * d[2]
    t = math.sqrt(1 - c * c + e * e) + e
    return (t * d[0], t * d[1], t * d[2] + c)


def rotate_about_z(v, angle):
    c, s = math.cos(angle), math.sin(angle)
    return (v[0] * c - v[1] * s, v[0] * s + v[1] * c, v[2])


# --- the point handed to every inverse --------------------------------------

class P:
    """nx, ny; X, Y; and the context values A, T, H, F, G, P, s."""

    def __init__(self, case, nx, ny):
        self.nx, self.ny = nx, ny
        self.s = case.s
        self.A = case.A
        self.X = (nx - 0.5) * case.s
        self.Y = (ny - 0.5) * case.s * case.A
        self.T = case.T
        self.H = case.H
        self.F = case.fov
        self.G = case.G
        self.Pk = case.Pk
        self.box = case.plane_box


# Family 1: cylindrical and pseudo-cylindrical maps.

def equirectangular(p):
    if not (-0.5 <= 2 * p.Y <= 0.5 and -0.5 <= p.X <= 0.5):
        return None
    dy = math.sin(-TWO_PI * p.Y)
    r = math.sqrt(1 - dy * dy)
    L = TWO_PI * p.X
    return (-math.sin(L) * r, dy, math.cos(L) * r)


def equi_tall(p):
    dy = math.sin(-(p.ny - 0.5) * PI)
    r = math.sqrt(1 - dy * dy)
    L = TWO_PI * (p.nx - 0.5)
    return (-math.sin(L) * r, dy, math.cos(L) * r)


def sinusoidal(p):
    phi = TWO_PI * p.Y
    if not (-PI / 2 < phi < PI / 2):
        return None
    L = -TWO_PI * p.X / math.cos(phi)
    if not (-PI < L < PI):
        return None
    L += PI
    if L >= PI:
        L -= TWO_PI
    return equi(L / TWO_PI, phi / PI + 0.5)


def cylindrical(p):
    m = min(p.A, 1)
    L = TWO_PI * m * p.X
    return norm((-math.sin(L), -8 * m * p.Y, math.cos(L)))


def mercator(p):
    phi = math.atan(math.sinh(TWO_PI * p.A * (p.ny - 0.5)))
    return equi(1 - p.nx, (phi + PI / 2) / PI)


def equal_area_cylinder(p):
    phi = math.asin(2 * (p.ny - 0.5))
    return equi(-p.nx, phi / 3.141592653 + 0.5)


def lozenge(p):
    v = 2 * p.Y + 0.5
    if not (0 < v < 1):
        return None
    u = p.X + 0.5
    w = 2 * p.Y + 1 if 2 * p.Y < 0 else 1 - 2 * p.Y
    if not w > 0:
        return None
    u = (u - 0.5) / w + 0.5
    if not (0 < u < 1):
        return None
    return equi(1 - u, v)


def ellipse_point(p):
    k = 5.656854249492384
    a, b = k * p.X, k * p.Y
    q = a * a / 4 + b * b
    if q > 2:
        return None
    w = q
    t = math.sqrt(1 - w / 4)
    if not (-1 <= t * b <= 1):
        return None
    return a, b, w, t


def hammer(p):
    e = ellipse_point(p)
    if e is None:
        return None
    a, b, w, t = e
    phi = math.asin(t * b)
    c = math.sqrt(1 - w / 4)
    th = ang(-c * a / 2, w / 2 - 1)
    return equi(1 - (2 * th + PI) / TWO_PI, phi / PI + 0.5)


def mollweide(p):
    e = ellipse_point(p)
    if e is None:
        return None
    a, b, w, t = e
    th = math.asin(b * 0.707106781186548)
    phi = math.asin((math.sin(2 * th) + 2 * th) / PI)
    c = math.cos(th)
    L = a * PI / (2.828427 * c) + PI if 2.828427 * c > 0 else 0
    return equi(1 - L / TWO_PI, phi / PI + 0.5)


# Family 2: azimuthal maps; x = 2X, y = 2Y, th = Ang(X, Y) unless said.

def polar(p, magnified=False):
    x, y = 2 * p.X, 2 * p.Y
    q = x * x + y * y
    if not (0 <= q <= 1):
        return None
    r = math.sqrt(q)
    if magnified:
        r = ((1 / (1.2 - r) - 0.8333333333333334) * 6) / 25
    return pole_turn(equi(-ang(p.X, p.Y) / TWO_PI, r))


def annulus(p):
    a = 1 - p.F / 180
    if a == 1:
        return None
    x, y = 2 * p.X, 2 * p.Y
    q = (x * x + y * y - a) / (1 - a)
    if not (0 <= q <= 1):
        return None
    return equi(-ang(p.X, p.Y) / TWO_PI, math.sqrt(q))


def unnamed_disc(p):
    x, y = 2 * p.X, 2 * p.Y
    q = x * x + y * y
    if not (0 <= q <= 1):
        return None
    return equi(-ang(p.X, p.Y) / TWO_PI, math.sqrt(q))


def half_polar(p):
    x, y = 2 * p.X, 2 * p.Y + 0.5
    r = math.sqrt(x * x + y * y)
    a = ang(x, y)
    L = -2 * (a - PI)
    if not (-PI <= L <= PI and 0 <= r <= 1):
        return None
    return equi((L + PI) / TWO_PI, r)


def werner(p):
    a = 0.6 * 2 * p.X
    b = 0.6 * 2 * p.Y + 0.4166666666666667
    r = math.sqrt(a * a + b * b)
    if r == 1:
        return None
    t = ang(a, b)
    c = -(t - PI) / (1 - r)
    if not (-PI <= c <= PI and 0 <= r <= 1):
        return None
    return equi((c + PI) / TWO_PI, r)


def hyperbolic(p):
    x, y = 2 * p.X, 2 * p.Y
    r = math.sqrt(x * x + y * y)
    return pole_turn(equi(-ang(p.X, p.Y) / TWO_PI, 1 - 1 / (r * p.T + 1)))


def pinwheel(p):
    x, y = 2 * p.X, 2 * p.Y
    q = x * x + y * y
    if q > 1:
        return None
    r = math.sqrt(q)
    a = -ang(p.X, p.Y) + PI * r * r
    if a > TWO_PI:
        a -= TWO_PI
    return pole_turn(equi(a / TWO_PI, 1 - math.sqrt(1 - r)))


def quasar(p):
    x, y = 2 * p.X, 2 * p.Y
    r = (x * x + y * y) ** 0.125
    return pole_turn(equi(-ang(p.X, p.Y) * 0.15915494, r))


def omnimax(p):
    x = 2 * p.X
    y = 2 * (p.Y - 0.135)
    q = x * x + y * y
    if q > 1 or (y > 0 and (y / 0.46) ** 2 + x * x > 1):
        return None
    th = ang(p.X, p.Y - 0.135)
    r = math.sqrt(q)
    v = (1.411269 * r - 0.094389 * r ** 3 + 0.25674 * r ** 5) * 0.6366197723675814
    return pole_turn(equi(-th / TWO_PI, v))


def star(p, n, k0, yoff):
    x = 2 * p.X
    y = 2 * p.Y + (yoff - 1) / 2
    r = math.sqrt(x * x + y * y)
    h = PI / n
    a = ang(x, y)
    f = (a + h) / 6.283185307 * n
    if f < 0:
        f -= 1
    i = int(f)
    on_point = r > 0.4
    shift = (i - k0) * 6.283185307 / n if on_point else 0.0
    b = a + h - shift
    for _ in range(3):
        if b < 0:
            b += TWO_PI
    for _ in range(3):
        if b > TWO_PI:
            b -= TWO_PI
    scale = 1 - (r - 0.4) / (1 - 0.4) if on_point else 1.0
    if scale == 0:
        return None
    c = -(((b + shift - PI) - shift) / scale + shift)
    lo, hi = (-PI / n - shift, h - shift) if on_point else (-PI, PI)
    if not (lo <= c <= hi and 0 <= r <= 1):
        return None
    return pole_turn(equi((c + PI + h) / TWO_PI, r))


def mirror_ball_at(x, y):
    t = 2 * (1 - x * x - y * y) - 1
    if t < -1:
        return None
    k = math.sqrt(2 * (t + 1))
    return (-x * k, -y * k, t)


def mirror_ball(p):
    return mirror_ball_at(2 * p.X, 2 * p.Y)


def curvy(p):
    ball = mirror_ball_at(2 * p.X, 2 * p.Y)
    if ball is None:
        return None
    u, v = to_equirect(ball)
    u = 1.75 * (u - 0.5) + 0.5
    v = 1.75 * (v - 0.5) + 0.5
    if not (0 <= u <= 1 and 0 <= v <= 1):
        return None
    return equi(u, v)


def orthographic(p):
    x, y = -2 * p.X, -2 * p.Y
    q = 1 - x * x - y * y
    if q < 0:
        return None
    return (x, y, math.sqrt(q))


def stereographic(p):
    return stereo_to_sphere(p.X * p.T ** 2 / 2, p.Y * p.T ** 2 / 2)


def semistereo(p):
    return axis_point(p.X * p.T ** 2, p.Y * p.T ** 2, -0.5)


def squoculus(p):
    k = p.T ** 2 * (p.ny + 1)
    return axis_point(k * p.X, k * p.Y, -1)


def goggles(p):
    y = (2 * p.Y / 1.4) * 2
    x = 2 * p.X
    th = ang(p.X, 2 * p.Y / 1.4)
    r = math.sqrt(x * x + y * y)
    e = pole_turn(equi(-th / TWO_PI, 1 - 1 / (2.7 * r + 1)))
    u, v = to_equirect(e)
    u = 1.4 * (u - 0.5) + 0.5
    if not (0 <= u <= 1):
        return None
    return equi(u, v)


def two_circles(p):
    a = p.X - 0.25 if p.X >= 0 else p.X + 0.25
    x, y = 4 * a, 4 * p.Y
    q = x * x + y * y
    if q > 1.001:
        return None
    e = equi(-ang(a, p.Y) / TWO_PI, 1 - 1 / (math.sqrt(q) + 1))
    return (e[0], -e[2], e[1]) if p.X < 0 else (-e[0], -e[2], -e[1])


def loop(p):
    x, y = 2 * p.X, -2 * p.Y
    q = x * x + y * y
    if q > 1 or y == 1:
        return None
    t = (q - 1) / (2 * y - 2)
    if t > 0.5:
        return None
    rho = math.sqrt(x * x + (y - t) ** 2) / 2
    if x == 0:
        u = 0.5  # the limit of both sides
    else:
        w = (t - y) * (1 - y) / x
        L = math.sqrt((y - 1) ** 2 + w * w)
        if L == 0:
            u = 0
        else:
            u = 0.5 - 0.5 / L if x > 0 else 0.5 + 0.5 / L
    v = 0.5 / rho if rho != 0 else 0
    return equi(u, v)


# Family 3: view projections, mostly from nx, ny.

def rectilinear_at(p, shift=0.0):
    x, y = p.nx - 0.5, (p.ny - 0.5) - shift
    if p.A > 1:
        d = (-x * p.T, -y * p.A * p.T, 1)
    else:
        d = (-x * p.T / p.A, -y * p.T, 1)
    return norm(d)


def swoop(p):
    e1 = hyperbolic(p)
    e2 = rectilinear_at(p)
    w = (2 * (p.nx - 0.5)) ** 2
    return norm(tuple(e2[i] + (e1[i] - e2[i]) * w for i in range(3)))


def oculus(p):
    x, y = 2 * p.X, 2 * p.Y
    r = math.sqrt(x * x + y * y)
    th = ang(p.X, p.Y)
    if p.A > 1:
        e2 = norm((-(p.nx - 0.5) * p.T, 1, (p.ny - 0.5) * p.A * p.T))
    else:
        e2 = norm((-(p.nx - 0.5) * p.T / p.A, 1, (p.ny - 0.5) * p.T))
    c = fast_acos(e2[1]) / PI
    m = math.sqrt((p.ny - 0.5) ** 2 + (p.nx - 0.5) ** 2)
    v = c + ((1 - 1 / (r * p.T + 1)) - c) * m
    return pole_turn(equi(-th / TWO_PI, v))


def wetch(p):
    x = 2 * (p.nx - 0.5)
    sg = (x > 0) - (x < 0)
    x = abs(x)
    y = (p.ny - 0.5) * p.s * p.A * p.T
    if not (-0.5 <= y <= 0.5):
        return None
    return equi(0.5 - ((1 - 1 / (p.T * x + 1)) * sg / p.A) / 3, y + 0.5)


def triptych(p):
    f = (p.nx - 0.5) * p.T + 0.5
    k = -1 if f < 1 / 3 else (1 if f > 2 / 3 else 0)
    g = 10.392304
    d = norm((-(f - (k / 3 + 0.5)) * g, -((p.ny - 0.5) * p.T) * p.A * g, 1))
    if k != 0:
        u, v = to_equirect(d)
        d = equi(u - k / 3, v)
    return d


def tetraptych(p):
    f = (p.nx - 0.5) * p.T + 0.5
    k = 3 if f > 0.75 else (2 if f > 0.5 else (1 if f > 0.25 else 0))
    d = norm((-(f - (0.25 * k + 0.125)) * 8, -((p.ny - 0.5) * p.T) * p.A * 8, 1))
    if k != 0:
        u, v = to_equirect(d)
        d = equi(u - 0.25 * k, v)
    return d


def unfish(p):
    a = 0.5 * 1.039501 * p.H * (p.nx - 0.5)
    b = 2.0204332 * p.H * p.A * (0.5 * (p.ny - 0.5) * 1.0)  # output height = source height
    t = 3 * b
    if not (-PI / 2 <= t <= PI / 2):
        return None
    b = math.sin(t) / 3 * (math.atan(4.2 * a) / (4.2 * a) if a != 0 else 1)
    a = a * (math.atan(3.1 * a) / (3.1 * a) if a != 0 else 1)
    if not (-0.5 <= a <= 0.5 and -0.5 <= b <= 0.5):
        return None
    dy = math.sin(-PI * b)
    c = math.sqrt(1 - dy * dy)
    return (-math.sin(TWO_PI * a) * c, dy, math.cos(TWO_PI * a) * c)


def panini(p):
    # The ray from (0, -1, 0) along (-X T/2, 1, Y T/2) against the cylinder
    # x^2 + y^2 = 1: t^2 (dx^2 + 1) - 2t = 0, the far root t = 2/(dx^2 + 1).
    dx, dz = -p.X * p.T / 2, p.Y * p.T / 2
    t = 2 / (dx * dx + 1)
    h = norm((t * dx, -1 + t, t * dz))
    return (h[0], -h[2], h[1])


def zenith_nadir(p):
    if not (-0.25 <= p.Y <= 0.25):
        return None
    if -0.5 <= p.X <= 0:
        e = norm((-(p.X + 0.25) * 4, -4 * p.Y, 1))
        return (e[0], e[2], -e[1]), 1
    if 0 < p.X <= 0.5:
        e = norm((-(p.X - 0.25) * 4, -4 * p.Y, 1))
        return pole_turn(e), 2
    return None


# Family 4: complex-plane and stereographic constructions.

def lagrange(p, k, wedge_outside):
    v = stereo_to_sphere(p.X, p.Y)
    v, flag = sphere_power(v, 1 / k)
    if flag and wedge_outside:
        return None
    return v


def semicircle(p):
    zre, zim = 0.5 - p.Y, p.X
    if zre <= 0:
        return None
    c, s = math.cos(0.78539816325), math.sin(0.78539816325)
    wre, wim = zre * c - zim * s, zre * s + zim * c
    wre, wim = wre * wre - wim * wim, 2 * wre * wim
    v, _ = sphere_power(stereo_to_sphere(wre, wim), 0.5)
    x, y, z = -v[0], -v[1], v[2]
    c, s = math.cos(-0.78539816325), math.sin(-0.78539816325)
    return (x, z * s + y * c, z * c - y * s)


def stereo_power(p, k):
    v = stereo_to_sphere(p.X * p.T ** 2 / 2, p.Y * p.T ** 2 / 2)
    v = (v[0], v[2], -v[1])
    v, _ = sphere_power(v, k)
    return (v[0], -v[2], v[1])


def hyper_power(p, output):
    z = complex(p.X, p.Y)
    w = z * z / 2 if output in (65, 67) else z ** 3
    if output in (65, 66):
        return axis_point(5 * p.T * w.real, 5 * p.T * w.imag, -1)
    w = w * p.T ** 2
    phi = math.atan(math.sinh(TWO_PI * w.imag))
    return equi(1 - (w.real + 0.5), (phi + PI / 2) / PI)


def two_cylinders(p):
    c, s = math.cos(-0.7853981633), math.sin(-0.7853981633)
    wre, wim = c * p.X - s * p.Y, s * p.X + c * p.Y
    a, b = -wre, -wim
    if abs(a) <= abs(b):
        if not (-3.141592653 <= b <= 3.141592653 and math.cos(b) ** 2 + a * a < 1):
            return None
        v = (a, math.sin(b), math.cos(b))
    else:
        if not (-3.141592653 <= a <= 3.141592653 and math.cos(a) ** 2 + b * b < 1):
            return None
        v = (math.sin(a), b, math.cos(a))
    return norm(rotate_about_z(v, 0.7853981633))


def three_cylinders(p):
    xmin, ymin, xmax, ymax = p.box
    scale = min(p.A / (ymax - ymin), 1 / (xmax - xmin))
    px = (p.nx - 0.5) / scale + (xmin + xmax) / 2
    py = (p.ny - 0.5) * p.A / scale + (ymin + ymax) / 2
    a, b = -px, -py
    found = None
    if -3.141592653 <= a <= 3.141592653 and math.cos(a) ** 2 + b * b < 1 and math.sin(a) ** 2 + b * b < 1:
        found = (math.sin(a), b, math.cos(a))
    if -1.5707963267948966 <= b <= 1.5707963267948966:
        c, sn = math.cos(b), math.sin(b)

        def passes(t):
            return c * c + t * t < 1 and sn * sn + t * t < 1
        if passes(a):
            found = (a, sn, c)
        a3 = px - 3.141592653
        if passes(a3):
            found = (a3, sn, -c)
        a4 = PI / 2 - px
        if passes(a4):
            found = (-c, sn, a4)
        a5 = PI / 2 + px
        if passes(a5):
            found = (c, sn, a5)
    return None if found is None else norm(found)


# Family 5: gores.

def profile_point(t, k, mode):
    if mode == 0:
        a = (t - 0.5) * PI
        return (math.cos(a) * k, math.sin(a))
    return (math.sin(t * PI) * 1.34 * k, 2 * ((0.5 * math.cos(t * PI) + 0.5) + 0.8) ** 1.5)


def profile_cache(k, mode):
    cache = [0.0] * 401
    for i in range(1, 400):
        a = profile_point((i - 1) / 399, k, mode)
        b = profile_point(i / 399, k, mode)
        cache[i] = cache[i - 1] + math.hypot(a[0] - b[0], a[1] - b[1])
    cache[400] = cache[399]
    for i in range(400):
        cache[i] /= cache[400]
    return cache


def profile_arc(t, cache):
    t = min(max(t, 0.0), 1.0)
    q = t * 399
    i = min(max(int(q), 0), 399)
    j = min(i + 1, 399)
    return cache[i] + (cache[j] - cache[i]) * (q - i)


def profile_inverse(s, cache):
    s = min(max(s, 0.0), 1.0)
    lo, hi, t = 0.0, 1.0, s
    for _ in range(20):
        if s > profile_arc(t, cache):
            lo = t
        else:
            hi = t
        t = (lo + hi) / 2
    return t


def gore(p, output):
    G = p.G
    f = {53: 1.0, 61: 0.5}.get(output, 2.0)
    x2 = f * p.X
    y2 = f * p.Y
    first, last = 0, int(G)
    if output == 53:
        first, last = 3, 9
    if output == 61:
        first, last = 5, 8
    limit = PI / 2
    if output == 63:
        a0 = 4.712389 - ang(p.X, p.Y)
        if a0 < 0:
            a0 += 6.2831855
        k = math.floor((PI / G + a0) * 8 / 6.2831854820251465)
        j = (18 - k) % 8
        a = j * 0.125 * TWO_PI
        Fp = p.F / 180
        if 0.5 < Fp < 1:
            Fp += (0.0625 - (Fp - 0.75) ** 2) * 0.3
        x2, y2 = ((math.cos(a) * x2 - math.sin(a) * y2) * Fp + 2 * ((2 * j - G) + 1) / (2 * G),
                  (math.sin(a) * x2 + math.cos(a) * y2) * Fp - 0.5)
        first, last = j, j + 1
        limit = p.F * PI / 180 - PI / 2
    g = (x2 + 1) / 2 * G + (0.5 if output == 61 else 0)
    gi = math.floor(g)
    if not (first <= gi < last):
        return None
    yy = y2 * 0.5 * 6.2846084
    xx = ((g - gi) - 0.5) / G * 6.2846084
    if output in (73, 74):
        q = min(max(p.Pk - 1, 0), 1)
        m = (1 - (1 - q) ** 2) * 0.38 + 1
        xx *= m
        yy *= m
    if yy == 0:
        phi = 5e-05
    else:
        phi = yy
        for _ in range(10):
            t = math.tan(phi)
            delta = -(((phi * t + 1) * yy - phi - (phi * phi + xx * xx + yy * yy) * 0.5 * t) / ((phi - yy) / t - 1))
            phi += delta
            if abs(delta) < 5e-06 or abs(delta) > 10:
                break
    if not (-PI / 2 < phi < limit):
        return None
    sphi = math.sin(phi)
    arg = math.tan(phi) * xx
    if sphi == 0:
        lam = 0.0
    elif not (-1 <= arg <= 1):
        return None  # the parallel ends before the point: beyond the gore's edge
    else:
        lam = math.asin(arg) / sphi
    u0 = lam / TWO_PI + 0.5
    v = phi / PI + 0.5
    if output in (73, 74):
        mode = 0 if output == 73 else 1
        cache = profile_cache(p.Pk, mode)
        q = profile_inverse(v, cache)
        pt = profile_point(q, p.Pk, mode)
        c = math.cos(phi)
        rr = pt[0] / c if c != 0 else 1
        u0 = (u0 - 0.5) / (rr / (cache[400] / PI)) + 0.5
    if not (0.5 - 1 / (2 * G) <= u0 <= 0.5 + 1 / (2 * G)):
        return None
    w = gi / G + 0.5 + u0 + 0.5 / G
    u = w - math.floor(w)
    return equi(1 - u, v)


# --- the outputs, their plane boxes and the settings they are tried at ------

HALF = (-0.5, -0.5, 0.5, 0.5)
BAND = (-0.5, -0.25, 0.5, 0.25)

OUTPUTS = {
    # output: (inverse, box)
    1: (equirectangular, (0, 0, 1, 0.5)),
    81: (equi_tall, BAND),
    13: (sinusoidal, BAND),
    17: (cylindrical, HALF),
    62: (mercator, HALF),
    138: (equal_area_cylinder, BAND),
    20: (lozenge, BAND),
    11: (hammer, BAND),
    46: (mollweide, BAND),
    3: (polar, HALF),
    50: (lambda p: polar(p, True), HALF),
    59: (annulus, HALF),
    10054: (unnamed_disc, (-0.5, -0.5, 0.5, 0.23)),
    4: (half_polar, BAND),
    12: (werner, HALF),
    15: (hyperbolic, HALF),
    19: (pinwheel, HALF),
    24: (quasar, HALF),
    43: (omnimax, (-0.5, -0.5, 0.5, 0.23)),
    48: (lambda p: star(p, 3, 1, 0.616), (-0.434, -0.5, 0.434, 0.308)),
    49: (lambda p: star(p, 5, 2, 0.81), (-0.477, -0.5, 0.477, 0.405)),
    2: (mirror_ball, HALF),
    22: (curvy, (-0.391, -0.298, 0.391, 0.298)),
    5: (orthographic, HALF),
    134: (orthographic, HALF),
    139: (orthographic, HALF),
    143: (orthographic, HALF),
    16: (stereographic, HALF),
    82: (semistereo, HALF),
    85: (squoculus, HALF),
    23: (goggles, (-0.4625, -0.1855, 0.4625, 0.1855)),
    40: (two_circles, BAND),
    39: (loop, HALF),
    14: (rectilinear_at, HALF),
    60: (rectilinear_at, HALF),
    52: (swoop, HALF),
    56: (oculus, HALF),
    18: (wetch, HALF),
    57: (triptych, HALF),
    58: (tetraptych, HALF),
    88: (unfish, HALF),
    255: (panini, HALF),
    171: (zenith_nadir, BAND),
    69: (lambda p: lagrange(p, 2, True), (-1, -1, 1, 1)),
    84: (lambda p: lagrange(p, 1.3333333333333333, True), (-2.416, -1.416, 2.416, 1.416)),
    89: (lambda p: lagrange(p, 2, False), (-1, -1, 1, 1)),
    120: (semicircle, (-1, -0.5, 1, 0.5)),
    135: (lambda p: stereo_power(p, 0.5), HALF),
    136: (lambda p: stereo_power(p, 0.3333333333333333), HALF),
    65: (lambda p: hyper_power(p, 65), HALF),
    66: (lambda p: hyper_power(p, 66), HALF),
    67: (lambda p: hyper_power(p, 67), HALF),
    68: (lambda p: hyper_power(p, 68), HALF),
    159: (two_cylinders, (-2.2214415, -2.2214415, 2.2214415, 2.2214415)),
    160: (three_cylinders, HALF),
    36: (lambda p: gore(p, 36), BAND),
    1054: (lambda p: gore(p, 1054), BAND),
    37: (lambda p: gore(p, 37), BAND),
    38: (lambda p: gore(p, 38), BAND),
    53: (lambda p: gore(p, 53), HALF),
    61: (lambda p: gore(p, 61), (-0.5, -1, 0.5, 1)),
    63: (lambda p: gore(p, 63), HALF),
    73: (lambda p: gore(p, 73), BAND),
    74: (lambda p: gore(p, 74), BAND),
}

GORE_COUNTS = {36: 12, 1054: 18, 37: 24, 53: 12, 61: 12, 73: 12, 74: 12, 63: 8}


class Case:
    def __init__(self, output, width, height, fov):
        self.output, self.width, self.height, self.fov = output, width, height, fov
        self.inverse, box = OUTPUTS[output]
        self.A = height / width
        xmin, ymin, xmax, ymax = box
        self.s = 1 / min(1 / (xmax - xmin), self.A / (ymax - ymin))
        self.T = 2 * math.tan(min(fov / 180, 0.999) * PI / 2)
        self.H = 2 * math.tan(min(fov / 360, 0.999) * PI / 2)
        self.G = GORE_COUNTS.get(output, max(3, int(fov / 5)))
        self.Pk = 2 ** (fov / 90 - 1)
        self.plane_box = (-3.141592653, -1.5707963265, 3.92699081625, 1.5707963265)

    def evaluate(self, nx, ny):
        """(direction or None, region)."""
        try:
            r = self.inverse(P(self, nx, ny))
        except (ValueError, ZeroDivisionError, OverflowError):
            return "undefined", -1
        if isinstance(r, tuple) and len(r) == 2 and isinstance(r[1], int):
            return r
        return r, -1


def angle_between(a, b):
    dot = sum(a[i] * b[i] for i in range(3))
    la = math.sqrt(sum(x * x for x in a))
    lb = math.sqrt(sum(x * x for x in b))
    return math.acos(max(-1.0, min(1.0, dot / (la * lb))))


def stable(case, nx, ny):
    NEAR_F32_LIMIT[0] = False
    d, _ = case.evaluate(nx, ny)
    if isinstance(d, str) or NEAR_F32_LIMIT[0]:
        return False
    for dx, dy in ((1e-5, 0), (-1e-5, 0), (0, 1e-5), (0, -1e-5), (1e-5, 1e-5), (-1e-5, -1e-5)):
        e, _ = case.evaluate(nx + dx, ny + dy)
        if isinstance(e, str) or (e is None) != (d is None):
            return False
        if d is not None and angle_between(d, e) > 2e-3:
            return False
    return True


def edge_points(case):
    """Points 2e-3 inside and outside each edge met going out from the centre
    along the rows and columns through the centre and the quarter lines."""
    points = []
    for fixed in (0.3, 0.5, 0.7):
        for horizontal in (True, False):
            for sign in (1, -1):
                def at(t):
                    nx, ny = (0.5 + sign * t, fixed) if horizontal else (fixed, 0.5 + sign * t)
                    return nx, ny
                previous = case.evaluate(*at(0))[0] is None
                steps = 320
                for i in range(1, steps + 1):
                    t = 0.55 * i / steps
                    now = case.evaluate(*at(t))[0] is None
                    if now != previous:
                        lo, hi = 0.55 * (i - 1) / steps, t
                        for _ in range(40):
                            mid = (lo + hi) / 2
                            if (case.evaluate(*at(mid))[0] is None) == previous:
                                lo = mid
                            else:
                                hi = mid
                        points += [at(lo - 2e-3), at(hi + 2e-3)]
                        break
    return points


# Seams and particular points, in normalised coordinates, per output.
def seams(case):
    o = case.output
    T = case.T
    pts = []
    if o in (57, 58):
        cuts = (1 / 3, 2 / 3) if o == 57 else (0.25, 0.5, 0.75)
        for f in cuts:
            nx = (f - 0.5) / T + 0.5
            for ny in (0.5, 0.35):
                pts += [(nx - 1e-3, ny), (nx + 1e-3, ny)]
    if o in (39, 40, 171):
        for ny in (0.45, 0.55, 0.62):
            pts += [(0.5 - 1e-3, ny), (0.5 + 1e-3, ny)]
    if o in (36, 37, 38, 1054, 53, 61, 73, 74):
        # Across the line between two gores, at the equator and 40 degrees north.
        G = case.G
        cut = (2 * 5 / G - 1) / 2 / case.s * {53: 2, 61: 4}.get(o, 1) + 0.5
        for ny in (0.5, 0.4):
            pts += [(cut - 1e-3, ny), (cut + 1e-3, ny)]
    if o in (13, 1, 20, 11, 46, 4, 12):
        pts += [(0.5, 0.5 - 0.3 / case.s / case.A), (0.02, 0.5), (0.98, 0.5)]
    if o in (48, 49):
        for angle in range(0, 360, 36):
            r = 0.45
            pts.append((0.5 + r * math.cos(math.radians(angle)) / 2 / case.s, 0.5 + r * math.sin(math.radians(angle)) / 2 / case.s))
    return pts


GENERIC = [(0.5, 0.5), (0.3, 0.4), (0.7, 0.62), (0.62, 0.3), (0.4, 0.75), (0.15, 0.5), (0.85, 0.45),
           (0.5, 0.12), (0.5, 0.88), (0.2, 0.2), (0.8, 0.83), (0.05, 0.95), (0.93, 0.07), (0.37, 0.55)]

# The settings each output is tried at: (width, height, fov).
SETTINGS = {
    "default": [(200, 200, 120)],
    "world": [(240, 120, 120)],
    "view": [(200, 200, 90), (300, 200, 120), (200, 300, 60)],
}
WORLD = {1, 13, 11, 46, 20, 4, 40, 171, 81, 138, 36, 37, 38, 1054, 73, 74}
VIEWS = {14, 60, 52, 56, 18, 57, 58, 88, 255, 15, 16, 82, 85, 135, 136, 65, 66, 67, 68, 17, 62, 59, 63, 53, 61}


def main():
    lines = ["# Reference directions of the closed-form outputs, from tools/closed_form_fixtures.py.",
             "# columns: output width height fov nx ny s outside dx dy dz region"]
    report = []
    for output in OUTPUTS:
        kind = "world" if output in WORLD else ("view" if output in VIEWS else "default")
        settings = list(SETTINGS[kind])
        if output == 38:
            settings.append((240, 120, 17))
        if output in (73, 74):
            settings.append((240, 120, 150))
        for width, height, fov in settings:
            case = Case(output, width, height, fov)
            candidates = [(f32(nx), f32(ny)) for nx, ny in GENERIC + edge_points(case) + seams(case)]
            kept = []
            seen = set()
            for nx, ny in candidates:
                if (nx, ny) in seen or not stable(case, nx, ny):
                    continue
                seen.add((nx, ny))
                kept.append((nx, ny))
            inside = 0
            for nx, ny in kept:
                d, region = case.evaluate(nx, ny)
                if d is None:
                    lines.append("%d %d %d %g %.9g %.9g %.9g 1 0 0 0 -1" % (output, width, height, fov, nx, ny,
                                                                             case.s))
                else:
                    inside += 1
                    lines.append("%d %d %d %g %.9g %.9g %.9g 0 %.12f %.12f %.12f %d" % (
                        output, width, height, fov, nx, ny, case.s, d[0], d[1], d[2], region))
            report.append("%5d %dx%d fov %g: %d points, %d inside" % (output, width, height, fov, len(kept),
                                                                      inside))
    with open(OUT, "w") as f:
        f.write("\n".join(lines) + "\n")
    print("\n".join(report))


if __name__ == "__main__":
    main()
