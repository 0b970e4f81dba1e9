#!/usr/bin/env python3
"""A small reference reader and writer of ".q2q" settings files.

Written from the file format's field table alone (big-endian int32 fields,
16-bit colours widened, hundredths for the legacy floats, IEEE singles for the
six angles, the two picture blocks), independently of the C++ reader. Used to
make the test fixtures and to cross-check the C++ reader on them.
"""
import math
import struct

# (number, gate, name, kind); kinds: i32, w16, f32, hund, marker, minus1,
# legacy (old picture block), thumb (JPEG thumbnail block).
FIELDS = [(1, 0, "version", "i32")]
for n, name in zip(range(2, 11), ["tabRed", "tabGreen", "tabBlue", "backdropRed", "backdropGreen",
                                  "backdropBlue", "extraColour1.r", "extraColour1.g", "extraColour1.b"]):
    FIELDS.append((n, 0, name, "w16"))
FIELDS += [(11, 0, "inputProjection", "i32"), (12, 0, "keptField12", "i32"), (13, 0, "keptField13", "i32"),
           (14, 0, "keptField14", "i32"), (15, 0, "latitudeInt", "i32"), (16, 0, "spinInt", "i32")]
FIELDS += [(n, 0, "keptField%d" % n, "i32") for n in range(17, 21)]
FIELDS += [(21, 0, "outputProjection", "i32"), (22, 0, "flip", "i32"), (23, 0, "hqpr", "i32"),
           (24, 0, "keptField24", "i32"), (25, 0, "longitudeInt", "i32"), (26, 0, "tabsInt", "i32"),
           (27, 0, "keptField27", "i32"), (28, 0, "keptField28", "i32"), (29, 0, "keptField29", "i32"),
           (30, 0, "keptField30", "i32")]
FIELDS += [(31, 0, "extraColour4.r", "w16"), (32, 0, "extraColour4.g", "w16"), (33, 0, "extraColour4.b", "w16"),
           (34, 0, "extraColour4.r", "w16"), (35, 0, "extraColour4.g", "w16"), (36, 0, "extraColour4.b", "w16"),
           (37, 2, "extraColour6.r", "w16"), (38, 2, "extraColour6.g", "w16"), (39, 2, "extraColour6.b", "w16"),
           (40, 2, "fovInt", "i32"), (41, 2, "keptField41", "i32"), (42, 2, "grid", "i32"),
           (43, 3, "glue", "i32"), (44, 3, "formatMarker", "marker"),
           (45, 4, "keptField45", "i32"), (46, 4, "keptField46", "i32"), (47, 4, "faces", "i32"),
           (48, 5, "keptField48", "i32"), (49, 5, "keptField49", "i32")]
FIELDS += [(50 + k, 8, "legacyFloat%d" % k, "hund") for k in range(6)]
FIELDS += [(56, 12, "keptField56", "i32"), (57, 14, "keptField57", "i32"), (58, 16, "formatMarker", "marker"),
           (59, 17, "keptField59", "i32"),
           (60, 18, "extraColour2.r", "w16"), (61, 18, "extraColour2.g", "w16"), (62, 18, "extraColour2.b", "w16"),
           (63, 18, "extraColour3.r", "w16"), (64, 18, "extraColour3.g", "w16"), (65, 18, "extraColour3.b", "w16"),
           (66, 22, "legacyPicture", "legacy"),
           (67, 23, "extraColour5.r", "w16"), (68, 23, "extraColour5.g", "w16"), (69, 23, "extraColour5.b", "w16"),
           (70, 26, "minusOneA", "minus1"), (71, 26, "minusOneB", "minus1"),
           (72, 30, "brickLayers", "i32"), (73, 30, "keptField73", "i32"), (74, 30, "spherePlan", "i32"),
           (75, 30, "sphereStats", "i32"), (76, 33, "cubeSide", "i32"), (77, 35, "ldraw", "i32"),
           (78, 35, "brickDiffusion", "i32"), (79, 35, "brickColorset", "i32"), (80, 35, "brickPlates", "i32"),
           (81, 36, "faceSize", "i32"), (82, 37, "sharpeningInt", "i32"), (83, 38, "transparentGaps", "i32"),
           (84, 38, "edges", "i32"), (85, 40, "thumbnail", "thumb"), (86, 41, "anamorphosis", "i32"),
           (87, 42, "dehalo", "i32"), (88, 43, "grid2", "i32"), (89, 44, "previewQuality", "i32"),
           (90, 46, "indicatrix", "i32")]
FIELDS += [(91 + k, 47, name, "f32") for k, name in
           enumerate(["latitude", "longitude", "spin", "fov", "tabs", "sharpen"])]
assert [f[0] for f in FIELDS] == list(range(1, 97))

# The names that hold a value (the markers and the -1 pair hold none).
VALUE_NAMES = []
for _, _, name, kind in FIELDS:
    if kind in ("i32", "w16", "f32", "hund") and name not in VALUE_NAMES:
        VALUE_NAMES.append(name)


def f32(x):
    """x rounded to IEEE single."""
    return struct.unpack(">f", struct.pack(">f", x))[0]


def defaults():
    """A zero-filled block after the default settings."""
    v = {name: 0 for name in VALUE_NAMES}
    for name in VALUE_NAMES:
        if name in ("latitude", "longitude", "spin", "fov", "tabs", "sharpen") or name.startswith("legacyFloat"):
            v[name] = 0.0
    v.update(inputProjection=1, outputProjection=1, fovInt=120, fov=120.0, tabsInt=33, tabs=33.0,
             sharpeningInt=30, sharpen=30.0, tabRed=55255, tabGreen=44204, tabBlue=56540,
             backdropRed=65535, backdropGreen=65535, backdropBlue=65535, keptField56=21, glue=1,
             brickLayers=20, brickColorset=63, spherePlan=1, sphereStats=1, cubeSide=256, faceSize=500,
             transparentGaps=1, grid2=1, previewQuality=2)
    return v


def write(values, version=47, thumbnail=None, legacy=None):
    """The stream of a file of `version` holding `values`.

    thumbnail: None (flag 0) or (flag, width, height, payload bytes).
    legacy: None (flag 0) or (side, rgb bytes).
    """
    out = bytearray()
    for number, gate, name, kind in FIELDS:
        if version < gate:
            continue
        if number == 1:
            out += struct.pack(">i", version)
        elif kind == "i32":
            out += struct.pack(">i", values[name])
        elif kind == "w16":
            out += struct.pack(">i", values[name] & 0xFFFF)
        elif kind == "f32":
            out += struct.pack(">f", values[name])
        elif kind == "hund":
            # rounded to the nearest hundredth, so that values read back as
            # n / 100 are written as n again
            out += struct.pack(">i", int(math.copysign(math.floor(abs(values[name] * 100.0) + 0.5),
                                                        values[name])))
        elif kind == "marker":
            out += struct.pack(">i", 1)
        elif kind == "minus1":
            out += struct.pack(">i", -1)
        elif kind == "legacy":
            if legacy is None:
                out += struct.pack(">i", 0)
            else:
                side, rgb = legacy
                out += struct.pack(">iii", 1, side, len(rgb)) + rgb
        elif kind == "thumb":
            if thumbnail is None:
                out += struct.pack(">i", 0)
            else:
                flag, w, h, payload = thumbnail
                out += struct.pack(">iiii", flag, w, h, len(payload)) + payload
    return bytes(out)


class Refused(Exception):
    pass


class Stream:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, n):
        if n < 0 or self.pos + n > len(self.data):
            raise Refused("file ends at %d, %d more bytes wanted" % (len(self.data), n))
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def i32(self):
        return struct.unpack(">i", self.take(4))[0]

    def f32(self):
        return struct.unpack(">f", self.take(4))[0]


def read_thumbnail(s, info):
    flag = s.i32()
    if flag == 0:
        return
    if flag < 0:
        raise Refused("negative thumbnail flag")
    w, h, count = s.i32(), s.i32(), s.i32()
    if count < 0:
        raise Refused("negative thumbnail byte count")
    payload = s.take(count)
    w, h = min(max(w, 0), 128), min(max(h, 0), 128)
    if flag == 1 and w > 0 and h > 0 and count <= 49152:
        info["hasPicture"] = 1
        info["jpeg"] = payload
        info["pictureSize"] = (w, h)


def read_legacy(s, info):
    flag = s.i32()
    if flag == 0:
        return
    side, _count = s.i32(), s.i32()
    if side < 0 or side > 128:
        raise Refused("legacy picture side out of range")
    s.take(side * side * 3)
    if side > 0:
        info["hasPicture"] = 1


def wrap32(x):
    return (x + 2**31) % 2**32 - 2**31


def trunc32(x):
    if math.isnan(x):
        return 0
    return max(-2**31, min(2**31 - 1, int(math.trunc(x))))


def read(data, start=None):
    """Reads a whole file (all fields, with the fix-ups of its version).

    Answers (values, info); raises Refused for a file that ends early or has a
    broken picture block.
    """
    v = dict(start if start is not None else defaults())
    info = {"hasPicture": 0}
    s = Stream(data)
    V = s.i32()
    v["version"] = V

    def fields(first, last):
        for number, gate, name, kind in FIELDS:
            if number < first or number > last or V < gate:
                continue
            if kind == "i32":
                v[name] = s.i32()
            elif kind == "w16":
                v[name] = s.i32() & 0xFFFF
            elif kind == "f32":
                v[name] = s.f32()
            elif kind == "hund":
                v[name] = f32(s.i32() * 0.01)
            elif kind in ("marker", "minus1"):
                s.i32()
            elif kind == "legacy":
                read_legacy(s, info)
            elif kind == "thumb":
                read_thumbnail(s, info)

    fields(2, 66)
    # Fix-ups of older versions, in the order the format gives them.
    if V < 15:
        v["longitudeInt"] = wrap32(100 - v["longitudeInt"])
    if 2 <= V < 11:
        v["grid"] = wrap32(v["grid"] + 1)
    if V < 25:
        v["faces"] = 0
    if 5 <= V <= 12:
        v["keptField49"] = wrap32(100 - v["keptField49"])
    if V < 7:
        for c in "rgb":
            v["extraColour4." + c] = v[{"r": "tabRed", "g": "tabGreen", "b": "tabBlue"}[c]]
        v["keptField48"] = 100
        v["outputProjection"] = 50
    if V < 9:
        v["fovInt"] = 0
    if V < 19:
        v["spinInt"] = 57
    if V < 20:
        v["tabsInt"] = 0
    if V < 21:
        v["fovInt"] = 50
    if V < 27:
        v["faces"] = 0
    if V < 28:
        v["outputProjection"] = wrap32(v["outputProjection"] + 1)
    if V < 29 and v["outputProjection"] >= 25:
        v["outputProjection"] = wrap32(v["outputProjection"] + 1)
    if V < 32 and v["outputProjection"] >= 34:
        v["outputProjection"] = wrap32(v["outputProjection"] + 1)
    if V < 24:
        v["keptField45"] = 0
        v["inputProjection"] = trunc32(v["inputProjection"] / 0.3)
    if V < 40 and v["outputProjection"] >= 16:
        v["outputProjection"] = wrap32(v["outputProjection"] + 1)
    if v["outputProjection"] == 14 and V < 34:
        x = max(f32(v["fovInt"] / 180.0), 0.0)
        if x < 1.0:
            f = f32(math.atan(math.tan(x * 1.5707963265) * 0.5) * 0.6366197724870984)
            v["fovInt"] = trunc32(f * 180.0)
            v["fov"] = f32(f * 180.0)
    if V == 30:
        info["hasPicture"] = 0
        return v, info
    fields(67, 96)
    if V < 45 and v["outputProjection"] == 35:
        v["outputProjection"] = 38
        v["fovInt"] = 33
    if V < 47:
        for name, twin in (("latitude", "latitudeInt"), ("longitude", "longitudeInt"), ("spin", "spinInt"),
                           ("fov", "fovInt"), ("tabs", "tabsInt"), ("sharpen", "sharpeningInt")):
            v[name] = f32(float(v[twin]))
    return v, info


def jpeg_segments(stream):
    """The marker codes from SOI up to SOS."""
    markers = []
    if stream[:2] != b"\xff\xd8":
        return markers
    markers.append(0xD8)
    p = 2
    while p + 4 <= len(stream) and stream[p] == 0xFF:
        marker = stream[p + 1]
        length = struct.unpack(">H", stream[p + 2:p + 4])[0]
        markers.append(marker)
        if marker == 0xDA:
            break
        p += 2 + length
    return markers
