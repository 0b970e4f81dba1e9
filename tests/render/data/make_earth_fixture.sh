#!/bin/sh
# The photographic panorama of the render tests: the 2048 x 1024
# equirectangular earth image that comes with xplanet, decoded and reduced to
# 256 x 128 by djpeg (libjpeg's own reader), as a binary PPM.
set -e
cd "$(dirname "$0")"
djpeg -scale 1/8 -pnm /usr/share/xplanet/images/earth.jpg > earth_256x128.ppm
