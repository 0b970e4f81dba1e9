#!/usr/bin/python3
"""Reads a PSD file with two independent readers, psd-tools and ImageMagick,
and compares what they decode with the pixels the test expects.

  read_psd.py FILE.psd LAYER.raw MERGED.raw

LAYER.raw holds the expected samples of the (one) layer, MERGED.raw those of
the merged image data's channels that the header counts; both as
little-endian 32-bit words a sample, pixels row by row, channels
interleaved, in the file's units (8- and 16-bit integers, or the bits of a
32-bit float). A layer file of no bytes means the document has no layers.

Prints key=value lines: what psd-tools reads of the header, layers and
resources, and the largest difference each reader's pixels have from the
expected ones (in the file's units; for ImageMagick's float reading, in
16-bit units of the clamped value).
"""
import subprocess
import sys

import numpy as np
from psd_tools import PSDImage
from psd_tools.constants import Resource


def expected(path, height, width, depth):
    words = np.fromfile(path, dtype="<u4")
    if words.size == 0:
        return None
    words = words.reshape(height, width, -1)
    if depth == 32:
        return words.astype("<u4").view("<f4").astype(np.float64)
    return words.astype(np.float64)


def to_file_units(array, depth):
    """psd-tools gives 0..1 for integer depths and the floats as they are."""
    if depth == 32:
        return array.astype(np.float64)
    full = 255.0 if depth == 8 else 65535.0
    return np.round(array.astype(np.float64) * full)


def magick(path, frame, depth, channels):
    """ImageMagick's pixels of one frame: 0 the merged image, 1.. the layers."""
    bits = 8 if depth == 8 else 16
    out = subprocess.run(
        ["convert", "%s[%d]" % (path, frame), "-depth", str(bits), "-endian", "MSB", channels + ":-"],
        check=True, capture_output=True).stdout
    dtype = ">u1" if bits == 8 else ">u2"
    return np.frombuffer(out, dtype=dtype).astype(np.float64)


def magick_units(values, depth):
    """What ImageMagick (16-bit quanta) should give for expected samples."""
    if depth == 32:
        return np.round(np.clip(values, 0.0, 1.0) * 65535.0)
    return values


def main():
    psd_path, layer_raw, merged_raw = sys.argv[1:4]
    psd = PSDImage.open(psd_path)
    depth, height, width = psd.depth, psd.height, psd.width
    print("width=%d" % width)
    print("height=%d" % height)
    print("depth=%d" % depth)
    print("channels=%d" % psd.channels)
    layers = list(psd)
    print("layer_count=%d" % len(layers))
    print("layer_names=%s" % ",".join(layer.name for layer in layers))
    print("layer_opacities=%s" % ",".join(str(layer.opacity) for layer in layers))
    resources = psd.image_resources
    url = resources.get_data(Resource.URL)
    print("url=%s" % (url.decode("ascii") if url else ""))
    icc = resources.get_data(Resource.ICC_PROFILE)
    print("icc_size=%d" % (len(icc) if icc else 0))

    want_layer = expected(layer_raw, height, width, depth)
    want_merged = expected(merged_raw, height, width, depth)

    if want_layer is not None and layers:
        got = to_file_units(layers[0].numpy(), depth)
        print("psdtools_layer_max_diff=%g" % np.max(np.abs(got - want_layer)))
        im = magick(psd_path, 1, depth, "rgba").reshape(height, width, 4)
        print("magick_layer_max_diff=%g" % np.max(np.abs(im - magick_units(want_layer, depth))))

    got = to_file_units(psd.numpy(), depth)
    channels = min(got.shape[2], want_merged.shape[2])
    print("psdtools_merged_max_diff=%g" % np.max(np.abs(got[:, :, :channels] - want_merged[:, :, :channels])))
    im = magick(psd_path, 0, depth, "rgb").reshape(height, width, 3)
    print("magick_merged_max_diff=%g" % np.max(np.abs(im - magick_units(want_merged[:, :, :3], depth))))


if __name__ == "__main__":
    main()
