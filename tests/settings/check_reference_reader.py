#!/usr/bin/env python3
"""Cross-checks the C++ settings reader with the reference reader.

  check_reference_reader.py SETTINGS_TOOL DATA_DIR

1. Every fixture reads to the same values (and the same refusal) in both.
2. Each fixture cut short inside its last field is refused by both.
3. The default settings file written by the C++ writer equals the fixture
   byte for byte; with a thumbnail it differs only by the block, whose JPEG
   has its markers in order and decodes with djpeg to 128 x 128.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import q2q_reference as q  # noqa: E402

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def dump(tool, path):
    out = subprocess.run([tool, "dump", path], stdout=subprocess.PIPE, check=True, text=True).stdout
    fields = dict(line.split(" ", 1) for line in out.splitlines())
    return fields


def reference(data):
    try:
        values, info = q.read(data)
        return values, info
    except q.Refused:
        return None, None


def compare(tool, path, data, label):
    cpp = dump(tool, path)
    values, info = reference(data)
    if values is None:
        if cpp["status"] == "0":
            fail("%s: reference refuses, C++ reads" % label)
        return
    if cpp["status"] != "0":
        fail("%s: C++ refuses (status %s), reference reads" % (label, cpp["status"]))
        return
    if int(cpp["hasPicture"]) != info["hasPicture"]:
        fail("%s: hasPicture C++ %s, reference %d" % (label, cpp["hasPicture"], info["hasPicture"]))
    for name in q.VALUE_NAMES:
        mine = cpp[name]
        theirs = values[name]
        if isinstance(theirs, float):
            same = q.f32(float(mine)) == q.f32(theirs)
        else:
            same = int(mine) == theirs
        if not same:
            fail("%s: %s C++ %s, reference %r" % (label, name, mine, theirs))


def check_fixtures(tool, data_dir):
    names = sorted(n for n in os.listdir(data_dir) if n.endswith(".q2q"))
    if len(names) < 50:
        fail("fixtures missing in %s" % data_dir)
    with tempfile.TemporaryDirectory() as tmp:
        for name in names:
            path = os.path.join(data_dir, name)
            data = open(path, "rb").read()
            compare(tool, path, data, name)
            # Cut inside the last four bytes: both refuse.
            cut = os.path.join(tmp, "cut.q2q")
            with open(cut, "wb") as f:
                f.write(data[:-1])
            # (a version-30 file ends after its legacy picture, whatever follows)
            version = struct.unpack(">i", data[:4])[0]
            if reference(data[:-1])[0] is not None and version != 30:
                fail("%s: reference reads a cut file" % name)
            compare(tool, cut, data[:-1], name + " cut")


def check_written(tool, data_dir):
    with tempfile.TemporaryDirectory() as tmp:
        plain = os.path.join(tmp, "plain.q2q")
        subprocess.run([tool, "write-default", plain], check=True, stdout=subprocess.PIPE)
        expected = open(os.path.join(data_dir, "default_settings.q2q"), "rb").read()
        if open(plain, "rb").read() != expected:
            fail("default settings file differs from the fixture")
        withpic = os.path.join(tmp, "picture.q2q")
        subprocess.run([tool, "write-default", withpic, "thumbnail"], check=True, stdout=subprocess.PIPE)
        data = open(withpic, "rb").read()
        head, tail = expected[:84 * 4], expected[85 * 4:]
        flag, width, height, count = struct.unpack(">iiii", data[336:352])
        jpeg = data[352:352 + count]
        if (flag, width, height) != (1, 128, 128):
            fail("thumbnail header %r" % ((flag, width, height),))
        if data[:336] != head or data[352 + count:] != tail or len(data) != 336 + 16 + count + len(tail):
            fail("settings file with thumbnail differs outside its block")
        values, info = reference(data)
        if values is None or info["hasPicture"] != 1:
            fail("reference reader does not read the written thumbnail")
        markers = q.jpeg_segments(jpeg)
        if markers[:3] != [0xD8, 0xE0, 0xFE] or any(m in markers for m in (0xE1, 0xE2, 0xED, 0xEE)):
            fail("thumbnail markers %s" % [hex(m) for m in markers])
        if not jpeg.endswith(b"\xff\xd9"):
            fail("thumbnail stream does not end with EOI")
        djpeg = shutil.which("djpeg")
        if djpeg is None:
            fail("djpeg not found")
            return
        ppm = subprocess.run([djpeg, "-pnm"], input=jpeg, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if ppm.returncode != 0 or ppm.stderr:
            fail("djpeg: %s" % ppm.stderr.decode(errors="replace"))
        elif not ppm.stdout.startswith(b"P6\n128 128\n255\n"):
            fail("djpeg output header %r" % ppm.stdout[:16])
        else:
            pixels = ppm.stdout[len(b"P6\n128 128\n255\n"):]
            centre = pixels[(64 * 128 + 64) * 3:(64 * 128 + 64) * 3 + 3]
            corner = pixels[0:3]
            if not (centre[0] > 180 and centre[1] < 90 and corner[0] > 230 and corner[2] > 230):
                fail("decoded thumbnail pixels %r %r" % (centre, corner))


def main():
    tool, data_dir = sys.argv[1], sys.argv[2]
    check_fixtures(tool, data_dir)
    check_written(tool, data_dir)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
