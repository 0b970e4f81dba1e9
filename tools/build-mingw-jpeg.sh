#!/usr/bin/env bash
# Builds Debian's libjpeg-turbo source for the mingw-w64 cross build (Debian
# ships the library for the native build only). Installs into the folder given
# as $1 (default build/mingw-jpeg); does nothing when it is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="$(realpath -m "${1:-build/mingw-jpeg}")"
if [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ]; then
  exit 0
fi
work="$(realpath -m build/mingw-jpeg-src)"
rm -rf "$work" && mkdir -p "$work"
# The library's source comes from the archives the machine is already set up
# to use: their entries, as deb-src, in a file of our own (rewritten each
# time), unless source entries are configured there already.
apt_dir="${ORBALIX_APT_DIR:-/etc/apt}"
own="$apt_dir/sources.list.d/orbalix-deb-src.sources"
derived="$(python3 - "$apt_dir" "$own" <<'PY'
import glob, os, sys

apt_dir, own = sys.argv[1], sys.argv[2]
lists = [os.path.join(apt_dir, "sources.list")] + sorted(glob.glob(os.path.join(apt_dir, "sources.list.d", "*.list")))
deb822 = [f for f in sorted(glob.glob(os.path.join(apt_dir, "sources.list.d", "*.sources"))) if f != own]
have_src = False
stanzas = []
for path in lists:
    if not os.path.isfile(path):
        continue
    for line in open(path, encoding="utf-8", errors="replace"):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        if words[0] == "deb-src":
            have_src = True
        if words[0] != "deb":
            continue
        words = words[1:]
        options = {}
        if words and words[0].startswith("["):
            text = []
            while words:
                w = words.pop(0)
                text.append(w)
                if w.endswith("]"):
                    break
            for item in " ".join(text).strip("[] ").split():
                if "=" in item:
                    key, value = item.split("=", 1)
                    options[key] = value.replace(",", " ")
        if len(words) < 2:
            continue
        stanza = {"Types": "deb-src", "URIs": words[0], "Suites": words[1]}
        if len(words) > 2:
            stanza["Components"] = " ".join(words[2:])
        names = {"signed-by": "Signed-By", "trusted": "Trusted", "arch": "Architectures"}
        for key, value in options.items():
            if key in names and key != "arch":
                stanza[names[key]] = value
        stanzas.append(stanza)
for path in deb822:
    fields = {}
    entries = []
    last = None
    for line in open(path, encoding="utf-8", errors="replace").read().split("\n") + [""]:
        if line.startswith("#"):
            continue
        if not line.strip():
            if fields:
                entries.append(fields)
            fields, last = {}, None
            continue
        if line[0] in " \t" and last:
            fields[last] += "\n" + line
            continue
        if ":" in line:
            last, value = line.split(":", 1)
            fields[last.strip()] = value.strip()
    for fields in entries:
        types = fields.get("Types", "").split()
        if fields.get("Enabled", "yes").lower() == "no":
            continue
        if "deb-src" in types:
            have_src = True
        if "deb" not in types:
            continue
        stanza = {k: v for k, v in fields.items() if k not in ("Types", "Architectures")}
        stanza["Types"] = "deb-src"
        stanzas.append(stanza)
if have_src:
    print("configured")
    sys.exit(0)
out = []
for stanza in stanzas:
    order = ["Types"] + [k for k in stanza if k != "Types"]
    out.append("\n".join("%s: %s" % (k, stanza[k]) for k in order))
print("\n\n".join(out))
PY
)"
if [ "$derived" = configured ]; then
  rm -f "$own"  # source entries of the machine's own: ours would repeat them
elif [ -n "$derived" ]; then
  if [ ! -f "$own" ] || [ "$(cat "$own")" != "$derived" ]; then
    printf '%s\n' "$derived" > "$own"
    apt-get update -q >/dev/null || echo "apt-get update reported errors; trying the source download anyway" >&2
  fi
fi
if ! (cd "$work" && apt-get source -q --download-only libjpeg-turbo >/dev/null 2>&1); then
  echo "cannot download the libjpeg-turbo source: no deb-src entry of the configured archives offers it" >&2
  exit 1
fi
(cd "$work" && tar xzf libjpeg-turbo_*.orig.tar.gz && mv libjpeg-turbo-*/ src)
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -Wno-dev >/dev/null
cmake --build "$work/build" -j "$(nproc)" >/dev/null
cmake --install "$work/build" >/dev/null
rm -rf "$work"
