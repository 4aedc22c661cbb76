# Sourced: the environment every Wine start of this project uses.
velmora_root=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
export WINEPREFIX=${VELMORA_WINEPREFIX:-$velmora_root/build/wine-prefix}
export WINEDEBUG=-all
export WINEARCH=win64
# A crash ends the process instead of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export LC_ALL=ja_JP.UTF-8
unset LANGUAGE
