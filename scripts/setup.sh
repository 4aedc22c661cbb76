#!/usr/bin/env bash
# Installs what building, running and testing Velmora need on Debian; quick when all is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  libgtest-dev googletest libbenchmark-dev libjpeg-dev
  dpkg-dev nasm
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 fonts-wine xvfb xauth x11-utils libx11-dev imagemagick
  fonts-ipafont-gothic fonts-ipafont-mincho locales
  python3 unzip
  python3-fusepy fuse3
  clang libclang-rt-dev
)

sudo_cmd=()
if [ "$(id -u)" != 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine's 32-bit half runs the 32-bit build's tests; Debian keeps it in the i386 architecture.
# Where it cannot be had, the rest still works and test.sh says the 32-bit suite is left out.
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  if [ "$(dpkg --print-architecture)" = amd64 ]; then
    echo "setup: installing wine32:i386"
    export DEBIAN_FRONTEND=noninteractive
    if ! dpkg --print-foreign-architectures | grep -qx i386; then "${sudo_cmd[@]}" dpkg --add-architecture i386; fi
    { "${sudo_cmd[@]}" apt-get update -q && "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends wine32:i386; } ||
      echo "setup: Wine's 32-bit half (wine32:i386) could not be installed; the 32-bit tests will not run"
  else
    echo "setup: Wine's 32-bit half needs an amd64 Debian with the i386 architecture; the 32-bit tests will not run"
  fi
fi

# Wine needs the Linux locale to pass Japanese command-line arguments through intact.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  "${sudo_cmd[@]}" sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi

# libjpeg for the mingw builds, cross-built once from the distribution's source package.
"$(dirname "$0")/libjpeg-cross.sh"
