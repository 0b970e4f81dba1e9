#!/usr/bin/env bash
# Checks that two builds of the orbalix program write the same bytes: a set
# of inputs (8 and 16-bit and float TIFF, 8 and 16-bit PNG, JPEG; grey, RGB,
# with and without alpha; a noise image that does not compress; a very
# narrow one) rendered by both into TIFF, PNG and JPEG, on a few outputs,
# the new build at its default thread count, at 1 and at 3 threads. TIFFs
# count as the same when their pixels and tags are, however the strips are
# compressed.
#
#   bash bench/compare_builds.sh OLD_ORBALIX NEW_ORBALIX
set -euo pipefail
old=$1
new=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
# The system's Python, which has numpy and PIL (psd-tools needs both).
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" - "$work/in" <<'PY'
# Writes the inputs: TIFF and 16-bit PNG by hand (uncompressed TIFF with
# the samples of a pixel together), the rest through PIL.
import numpy as np, struct, zlib, sys
from PIL import Image
out = sys.argv[1]
rng = np.random.default_rng(7)
def tiff(path, a, fmt):  # a: HxWxC, fmt 1 uint 3 float
    h, w, c = a.shape
    data = a.astype(a.dtype.newbyteorder('<')).tobytes()
    bits = a.dtype.itemsize * 8
    tags = []
    def tag(t, typ, n, v): tags.append((t, typ, n, v))
    ext = 8 + len(data)
    bps_off = ext
    extra = struct.pack('<' + 'H' * c, *([bits] * c))
    tag(256, 4, 1, w); tag(257, 4, 1, h)
    tag(258, 3, c, bps_off if c > 2 else struct.unpack('<I', (extra + b'\0' * 4)[:4])[0])
    tag(259, 3, 1, 1); tag(262, 3, 1, 2 if c >= 3 else 1); tag(273, 4, 1, 8)
    tag(277, 3, 1, c); tag(278, 4, 1, h); tag(279, 4, 1, len(data)); tag(284, 3, 1, 1)
    if c in (2, 4): tag(338, 3, 1, 2)
    tag(339, 3, c, bps_off + 16 if c > 2 else struct.unpack('<I', (struct.pack('<' + 'H' * c, *([fmt] * c)) + b'\0' * 4)[:4])[0])
    tags.sort()
    ifd_off = ext + 32
    body = b'II*\0' + struct.pack('<I', ifd_off) + data + extra.ljust(16, b'\0') + struct.pack('<' + 'H' * c, *([fmt] * c)).ljust(16, b'\0')
    ifd = struct.pack('<H', len(tags))
    for t, typ, n, v in tags: ifd += struct.pack('<HHII', t, typ, n, v)
    ifd += b'\0\0\0\0'
    open(path, 'wb').write(body + ifd)
def png16(path, a):
    h, w, c = a.shape
    raw = b''.join(b'\0' + a[y].astype('>u2').tobytes() for y in range(h))
    ct = {1: 0, 2: 4, 3: 2, 4: 6}[c]
    def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    open(path, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 16, ct, 0, 0, 0)) + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
W, H = 1200, 600
y, x = np.mgrid[0:H, 0:W]
base = np.stack([np.sin(x / 37.0) * 0.5 + 0.5, np.cos(y / 23.0) * 0.5 + 0.5, (x * y % 997) / 997.0, ((x + y) % 300) / 300.0], -1)
base = np.clip(base + rng.normal(0, 0.05, base.shape), 0, 1)
tiff(f'{out}/rgb16.tif', (base[..., :3] * 65535).astype(np.uint16), 1)
tiff(f'{out}/rgba16.tif', (base * 65535).astype(np.uint16), 1)
tiff(f'{out}/rgbf.tif', (base[..., :3] * 1.5).astype(np.float32), 3)
tiff(f'{out}/greyf.tif', (base[..., :1]).astype(np.float32), 3)
tiff(f'{out}/rgba8.tif', (base * 255).astype(np.uint8), 1)
tiff(f'{out}/grey8.tif', (base[..., :1] * 255).astype(np.uint8), 1)
tiff(f'{out}/noise8.tif', rng.integers(0, 256, (H, W, 3)).astype(np.uint8), 1)
tiff(f'{out}/tall8.tif', (base[:, :7, :3] * 255).astype(np.uint8).repeat(3, 0), 1)
png16(f'{out}/rgb16.png', (base[..., :3] * 65535).astype(np.uint16))
Image.fromarray((base[..., :3] * 255).astype(np.uint8)).save(f'{out}/rgb8.png')
Image.fromarray((base * 255).astype(np.uint8)).save(f'{out}/rgba8.png')
Image.fromarray((base[..., :3] * 255).astype(np.uint8)).save(f'{out}/rgb8.jpg', quality=92)
PY
"$old" render /usr/share/xplanet/images/earth.jpg "$work/in/earth.tif" --size 2048x1024 >/dev/null
# The same pixels and tags: PNG and JPEG byte for byte; TIFF after taking the
# compression off both, so that builds that compress the strips differently
# still compare equal when everything else is the same.
command -v tiffcp >/dev/null || {
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q --no-install-recommends libtiff-tools >/dev/null
}
same_output() {
  case $1 in
    *.tif)
      cmp -s "$1" "$2" && return 0
      tiffcp -c none "$1" "$work/old-plain.tif" && tiffcp -c none "$2" "$work/new-plain.tif" &&
        cmp -s "$work/old-plain.tif" "$work/new-plain.tif" ;;
    *) cmp -s "$1" "$2" ;;
  esac
}
compared=0
different=0
for f in "$work"/in/*; do
  for ext in tif png jpg; do
    for args in "--output sinusoidal" "--output mollweide --grid 15" "--output 1 --edges on"; do
      # shellcheck disable=SC2086
      "$old" render "$f" "$work/old.$ext" $args >/dev/null 2>&1 || { echo "old build failed: $f $ext $args"; continue; }
      for threads in "" "--threads 1" "--threads 3"; do
        # shellcheck disable=SC2086
        if ! "$new" render "$f" "$work/new.$ext" $args $threads >/dev/null 2>&1; then
          echo "new build failed: $(basename "$f") -> .$ext $args $threads"
          different=$((different + 1))
          continue
        fi
        compared=$((compared + 1))
        same_output "$work/old.$ext" "$work/new.$ext" || {
          echo "different: $(basename "$f") -> .$ext $args $threads"
          different=$((different + 1))
        }
      done
    done
  done
done
echo "$compared outputs compared, $different different or failed"
[ "$different" -eq 0 ]
