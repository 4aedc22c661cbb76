#!/usr/bin/env bash
# Cross-builds libjpeg-turbo for the mingw builds from Debian's own source package, once.
# Result: build/libjpeg-turbo/<x86_64|i686>/{include,lib/libjpeg.a}, which CMake looks for.
# Quick when both are there; a half-finished run is redone from where it stopped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
base="$root/build/libjpeg-turbo"
arches=(x86_64 i686)

built() { [ -f "$base/$1/lib/libjpeg.a" ] && [ -f "$base/$1/include/jconfig.h" ]; }
todo=()
for arch in "${arches[@]}"; do built "$arch" || todo+=("$arch"); done
[ ${#todo[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" != 0 ]; then sudo_cmd=(sudo); fi

mkdir -p "$base"
if [ ! -f "$base/src/jpeglib.h" ]; then
  # apt-get source needs a deb-src entry for the distribution the machine runs.
  if ! apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package:'; then
    . /etc/os-release
    list=/etc/apt/sources.list.d/velmora-deb-src.sources
    echo "setup: adding a deb-src entry for $ID $VERSION_CODENAME ($list)"
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$VERSION_CODENAME" | "${sudo_cmd[@]}" tee "$list" >/dev/null
    "${sudo_cmd[@]}" apt-get update -q
  fi
  echo "setup: fetching Debian's libjpeg-turbo source package"
  fetch=$(mktemp -d "$base/fetch.XXXXXX")
  (cd "$fetch" && apt-get source -q --only-source libjpeg-turbo >apt-source.log 2>&1) || {
    cat "$fetch/apt-source.log" >&2
    rm -rf "$fetch"
    exit 1
  }
  unpacked=$(find "$fetch" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  rm -rf "$base/src"
  mv "$unpacked" "$base/src"
  rm -rf "$fetch"
fi

jobs=$(nproc 2>/dev/null || echo 2)
for arch in "${todo[@]}"; do
  echo "setup: cross-building libjpeg-turbo for $arch-w64-mingw32"
  work="$base/build-$arch"
  cmake -S "$base/src" -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_PREFIX="$base/$arch" \
    >"$work.log" 2>&1 || { cat "$work.log" >&2; exit 1; }
  cmake --build "$work" --target jpeg-static -j "$jobs" >>"$work.log" 2>&1 || { tail -n 40 "$work.log" >&2; exit 1; }
  # Only the library and the four headers a program includes.
  out="$base/$arch"
  rm -rf "$out"
  mkdir -p "$out/include" "$out/lib.tmp"
  cp "$base/src/jpeglib.h" "$base/src/jerror.h" "$base/src/jmorecfg.h" "$work/jconfig.h" "$out/include/"
  cp "$work/libjpeg.a" "$out/lib.tmp/libjpeg.a"
  mv "$out/lib.tmp" "$out/lib"
  rm -rf "$work" "$work.log"
done
