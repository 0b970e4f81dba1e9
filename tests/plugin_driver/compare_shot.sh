#!/usr/bin/env bash
# Compares the driver's screenshot of the main dialog with its golden image,
# tolerantly: both are scaled to a quarter and compared by their normalised
# root-mean-square difference, so that fonts and anti-aliasing may differ a
# little but a missing preview, background or control does not pass.
#   compare_shot.sh SHOT.bmp GOLDEN.png [LIMIT]
# With ORBALIX_UPDATE_GOLDEN=1 the golden image is written from the shot.
set -euo pipefail
shot=$1
golden=$2
limit=${3:-0.06}
if [ "${ORBALIX_UPDATE_GOLDEN:-0}" = 1 ]; then
  convert "$shot" -resize 25% -strip PNG24:"$golden"
  echo "wrote $golden"
  exit 0
fi
[ -f "$shot" ] || { echo "no screenshot: $shot"; exit 1; }
[ -f "$golden" ] || { echo "no golden image: $golden"; exit 1; }
small=$(mktemp --suffix=.png)
trap 'rm -f "$small"' EXIT
convert "$shot" -resize 25% -strip PNG24:"$small"
# compare prints "absolute (normalised)" on stderr and exits 1 when they differ.
metric=$(compare -metric RMSE "$small" "$golden" null: 2>&1 || true)
value=$(echo "$metric" | sed -n 's/.*(\(.*\)).*/\1/p')
echo "RMSE $metric (limit $limit)"
[ -n "$value" ] && awk -v v="$value" -v l="$limit" 'BEGIN { exit !(v <= l) }'
