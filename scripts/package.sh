#!/usr/bin/env bash
# Builds the release zips from the release builds: dist/velmora-<version>-win32.zip and
# dist/velmora-<version>-win64.zip, each a folder "Velmora" with velmora.exe (stripped), its help
# page and sound, a read-me and the license; no data folder (the program makes it at first
# start). Also dist/velmora-<version>-sha256.txt.
#
# The zips are reproducible: the same sources and tool chain give the same bytes. Entries are
# sorted, every time stamp is SOURCE_DATE_EPOCH (default: the last commit's time), and the
# entries carry no extra fields or owner information.
#
# Optional environment:
#   VELMORA_DIST_DIR      where the zips go (default: dist/)
#   VELMORA_PACKAGE_BUILT set to 1 to package the builds as they are, without building first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=${VELMORA_DIST_DIR:-$root/dist}

if [ "${VELMORA_PACKAGE_BUILT:-0}" != 1 ]; then
  "$root/scripts/setup.sh"
  "$root/scripts/build.sh" app
  "$root/scripts/build.sh" app32
fi

# The version is written once, in CMakeLists.txt; the builds carry it in a generated header.
version_of() {
  sed -n 's/^#define VELMORA_VERSION_TEXT "\(.*\)"$/\1/p' "$root/build/$1/generated/velmora_version.h"
}
version=$(version_of win64)
if [ -z "$version" ] || [ "$version" != "$(version_of win32)" ]; then
  echo "package.sh: the two builds do not name the same version ('$version', '$(version_of win32)'): build both again" >&2
  exit 1
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
# strip writes it into the program's header instead of the current time.
export SOURCE_DATE_EPOCH

mkdir -p "$dist"
stage=$(mktemp -d "$dist/.stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# Notepad shows the read-me: UTF-8 with a byte order mark, which every Notepad since Windows 2000
# reads as UTF-8 whatever the system's code page, and CR LF line ends, which older ones need.
text_for_notepad() {
  printf '\xef\xbb\xbf' >"$2"
  sed 's/$/\r/' "$1" >>"$2"
}

stage_release() {
  local build=$1 strip=$2 bits=$3 note_ja=$4 note_en=$5
  local dir="$stage/$build/Velmora"
  mkdir -p "$dir/Help"
  "$strip" -o "$dir/velmora.exe" "$root/build/$build/app/velmora.exe"
  # A build whose resources were not compiled again after a version change would ship the old one.
  python3 - "$dir/velmora.exe" "$version" <<'PY' || { echo "package.sh: build/$build/app/velmora.exe does not carry version $version in its resources: build it again" >&2; exit 1; }
import sys
data, version = open(sys.argv[1], "rb").read(), sys.argv[2]
sys.exit(0 if version.encode("utf-16-le") in data and ('version="%s"' % version).encode() in data else 1)
PY
  cp "$root/res/Velmora.htm" "$dir/Help/Velmora.htm"
  cp "$root/res/start.wav" "$dir/start.wav"
  sed -e "s/@VERSION@/$version/" -e "s/@BITS@/$bits/" -e "s/@BITS_NOTE_JA@/$note_ja/" -e "s/@BITS_NOTE_EN@/$note_en/" \
    "$root/res/release/README.txt" >"$stage/README.txt"
  text_for_notepad "$stage/README.txt" "$dir/README.txt"
  text_for_notepad "$root/LICENSE" "$dir/LICENSE.txt"
}
stage_release win32 i686-w64-mingw32-strip 32-bit \
  "32 ビット版です。32 ビットと 64 ビットのどちらの Windows でも動きます。" \
  "This is the 32-bit program; it runs on 32-bit and 64-bit Windows."
stage_release win64 x86_64-w64-mingw32-strip 64-bit \
  "64 ビット版です。64 ビットの Windows で動きます（32 ビットの Windows には 32 ビット版を）。" \
  "This is the 64-bit program; it runs on 64-bit Windows (take the 32-bit one for 32-bit Windows)."

# Python's zipfile writes exactly the fields it is given: no extra fields, no owner, no
# permissions beyond the DOS archive bit.
make_zip() {
  python3 - "$1" "$2" "$SOURCE_DATE_EPOCH" <<'PY'
import os, sys, time, zipfile
folder, target, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
# DOS times start in 1980 and have two-second steps.
stamp = time.gmtime(max(epoch, 315532800))[:6]
names = []
for base, dirs, files in os.walk(folder):
    for f in files:
        names.append(os.path.relpath(os.path.join(base, f), folder).replace(os.sep, "/"))
with zipfile.ZipFile(target + ".part", "w") as z:
    for name in sorted(names):
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.create_system = 0
        info.external_attr = 0x20
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(folder, name), "rb") as src:
            z.writestr(info, src.read(), compresslevel=9)
os.replace(target + ".part", target)
PY
}

zips=()
for build in win32 win64; do
  zip="velmora-$version-$build.zip"
  make_zip "$stage/$build" "$dist/$zip"
  zips+=("$zip")
done
sums="velmora-$version-sha256.txt"
(cd "$dist" && sha256sum "${zips[@]}" >"$sums.part" && mv "$sums.part" "$sums")
echo "package.sh: made in $dist:"
(cd "$dist" && cat "$sums")
