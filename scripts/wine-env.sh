# Sourced: the environment every Wine start of this project uses. VELMORA_WINEARCH=win32 picks
# a 32-bit prefix (build/wine-prefix32 unless VELMORA_WINEPREFIX names one); Wine refuses to
# start in a prefix made for the other arch, so the two never share one.
velmora_root=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
export WINEARCH=${VELMORA_WINEARCH:-win64}
if [ "$WINEARCH" = win32 ]; then
  export WINEPREFIX=${VELMORA_WINEPREFIX:-$velmora_root/build/wine-prefix32}
else
  export WINEPREFIX=${VELMORA_WINEPREFIX:-$velmora_root/build/wine-prefix}
fi
export WINEDEBUG=-all
# A crash ends the process instead of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export LC_ALL=ja_JP.UTF-8
unset LANGUAGE

# Wine's 32-bit half (Debian's wine32:i386): its loader is what the wine wrapper looks for.
velmora_wine32_available() { [ -x /usr/lib/wine/wine ]; }
