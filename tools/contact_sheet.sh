#!/usr/bin/env bash
# Renders every output drawn from a net of the catalogue (the solids with a
# ready-made net and the flat layouts) from one panorama and tiles the
# pictures, each under its number and name, into one contact sheet, so that
# a person can look them all over at once.
#
# Usage: tools/contact_sheet.sh [PANORAMA [SHEET.png]] [-- OPTION...]
#   PANORAMA  an equirectangular picture (default: the Earth map of Debian's
#             xplanet-images package)
#   SHEET     the sheet to write (default: out/catalogue-nets.png)
#   OPTION    further options of `orbalix render` for every picture, such as
#             --tabs 10 or --grid 30
# Environment: ORBALIX (the program, default build/release/app/orbalix, built
# when missing), TILE (the size of one picture, default 480x360), OUTPUTS (the
# output numbers to render, default all of the catalogue's).
set -euo pipefail
cd "$(dirname "$0")/.."
panorama=/usr/share/xplanet/images/earth.jpg
sheet=out/catalogue-nets.png
extra=()
positional=()
while [ $# -gt 0 ]; do
  case "$1" in
    --) shift; extra=("$@"); break ;;
    *) positional+=("$1"); shift ;;
  esac
done
[ ${#positional[@]} -ge 1 ] && panorama=${positional[0]}
[ ${#positional[@]} -ge 2 ] && sheet=${positional[1]}
tile=${TILE:-480x360}
orbalix=${ORBALIX:-build/release/app/orbalix}
if [ ! -x "$orbalix" ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/release -j "$(nproc)" --target orbalix
fi
command -v montage >/dev/null || { echo "contact_sheet.sh: needs ImageMagick's montage" >&2; exit 1; }
[ -r "$panorama" ] || { echo "contact_sheet.sh: cannot read $panorama" >&2; exit 1; }

# The outputs whose net the catalogue holds: nets of solids first, then the
# flat layouts, then the outputs whose shape names a catalogue net.
default_outputs="6 7 8 9 10 25 26 27 28 29 30 31 32 33 34 44 47 54 55 168 172 173 \
21 41 42 64 86 97 98 100 101 102 103 104 105 106 107 113 114 115 116 117 122 123 124 125 126 127 129 \
137 144 150 167 145 151 152 153 154 155 156 157 158 162 163 166"
outputs=${OUTPUTS:-$default_outputs}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
declare -A names
while read -r number name; do
  names[$number]=${name%%  (*}  # without a note such as "(recorded as ...)"
done < <("$orbalix" list outputs)

tiles=()
failed=0
for n in $outputs; do
  picture=$(printf '%s/%04d.png' "$work" "$n")
  label="$n ${names[$n]:-}"
  if "$orbalix" render "$panorama" "$picture" --output "$n" --size "$tile" "${extra[@]}" >/dev/null 2>"$work/err"; then
    tiles+=(-label "$label" "$picture")
  else
    echo "contact_sheet.sh: output $n failed: $(tail -1 "$work/err")" >&2
    failed=$((failed + 1))
  fi
done
[ ${#tiles[@]} -gt 0 ] || { echo "contact_sheet.sh: nothing rendered" >&2; exit 1; }
mkdir -p "$(dirname "$sheet")"
count=$((${#tiles[@]} / 3))
columns=$(( count < 8 ? count : 8 ))
# A font ImageMagick knows for the labels (its default may be missing).
font=()
known_fonts=$(montage -list font 2>/dev/null || true)
for f in DejaVu-Sans Liberation-Sans FreeSans; do
  if grep -qx "  Font: $f" <<<"$known_fonts"; then font=(-font "$f"); break; fi
done
montage "${font[@]}" -pointsize 16 "${tiles[@]}" -tile "${columns}x" -geometry +6+6 -background white "$sheet"
echo "wrote $sheet: $count pictures, $failed failed"
[ "$failed" -eq 0 ]
