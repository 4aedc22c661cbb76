#!/usr/bin/env bash
# Creates the project's own Wine prefix once, with the Japanese UI fonts mapped, and starts its server.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
# The marker names the current set of settings: an older prefix is brought up to date.
if [ ! -f "$WINEPREFIX/.velmora-ready-2" ]; then
  echo "wine: creating prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wineserver -w
  # The designed font is not installed; map it (and its usual neighbours) to the IPA fonts.
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n'
    # The tests' Xvfb has no window manager: managed windows would make every destroy wait
    # two seconds for a withdrawal that never comes. A user's desktop keeps managed windows.
    if [ "${VELMORA_WINE_UNMANAGED:-0}" = 1 ]; then
      printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
    fi
    printf '\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS PGothic"="IPAPGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n"MS Shell Dlg"="IPAPGothic"\r\n"MS Shell Dlg 2"="IPAPGothic"\r\n"Tahoma"="IPAPGothic"\r\n'
    printf '"ＭＳ Ｐ明朝"="IPAPMincho"\r\n"ＭＳ 明朝"="IPAMincho"\r\n"MS PMincho"="IPAPMincho"\r\n"MS Mincho"="IPAMincho"\r\n'
  } | iconv -f UTF-8 -t CP932 > "$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 </dev/null || true
  wineserver -w
  rm -f "$reg"
  touch "$WINEPREFIX/.velmora-ready-2"
fi
