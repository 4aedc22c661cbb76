#!/usr/bin/env bash
# Usage: wine-prefix.sh [win64|win32] (default: $VELMORA_WINEARCH, else win64).
# Creates the project's own Wine prefix of that arch once, with the Japanese UI fonts mapped
# and web pages opened by Wine's browser launcher; at every start gives it Wine's Marlett font
# and sets whether its windows are managed. The caller keeps VELMORA_WINEARCH set to the same
# arch for every later Wine start in that prefix.
set -euo pipefail
case "${1:-}" in
  '') ;;
  win32|win64) export VELMORA_WINEARCH=$1 ;;
  *) echo "wine-prefix.sh: unknown arch $1 (win64 or win32)" >&2; exit 2 ;;
esac
. "$(dirname "$0")/wine-env.sh"
if [ "$WINEARCH" = win32 ] && ! velmora_wine32_available; then
  echo "wine-prefix.sh: Wine's 32-bit half (wine32:i386) is not installed" >&2
  exit 1
fi
# A 64-bit prefix of ours made before Wine's 32-bit half came has an empty syswow64, and then
# nothing starts in it ("could not load kernel32.dll"): it is made again.
if [ "$WINEARCH" = win64 ] && [ -f "$WINEPREFIX/.velmora-ready-3" ] && velmora_wine32_available \
   && [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "wine: remaking $WINEPREFIX with Wine's 32-bit half"
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
# The marker names the current set of settings: an older prefix is brought up to date.
if [ ! -f "$WINEPREFIX/.velmora-ready-3" ]; then
  echo "wine: creating prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wineserver -w
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n\r\n'
    # The designed font is not installed; map it (and its usual neighbours) to the IPA fonts.
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS PGothic"="IPAPGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n"MS Shell Dlg"="IPAPGothic"\r\n"MS Shell Dlg 2"="IPAPGothic"\r\n"Tahoma"="IPAPGothic"\r\n'
    printf '"ＭＳ Ｐ明朝"="IPAPMincho"\r\n"ＭＳ 明朝"="IPAMincho"\r\n"MS PMincho"="IPAPMincho"\r\n"MS Mincho"="IPAMincho"\r\n'
    # The extensions' classes come with Wine's HTML engine, which wine-env.sh leaves out: the
    # help page would have no program. Wine's launcher hands pages to the desktop's browser.
    printf '\r\n[HKEY_CLASSES_ROOT\\.htm]\r\n@="htmlfile"\r\n"Content Type"="text/html"\r\n'
    printf '\r\n[HKEY_CLASSES_ROOT\\.html]\r\n@="htmlfile"\r\n"Content Type"="text/html"\r\n'
    printf '\r\n[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\r\n'
    printf '@="\\"C:\\\\windows\\\\system32\\\\winebrowser.exe\\" \\"%%1\\""\r\n'
  } | iconv -f UTF-8 -t CP932 > "$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 </dev/null || true
  wineserver -w
  rm -f "$reg"
  touch "$WINEPREFIX/.velmora-ready-3"
fi

# Wine draws caption buttons, menu checks and scroll arrows with Marlett (fonts-wine), and
# shows letters without it; Debian's Wine looks for it in the prefix's Fonts folder only.
marlett=/usr/share/wine/fonts/marlett.ttf
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then ln -s "$marlett" "$fonts/marlett.ttf"; fi

# VELMORA_WINE_UNMANAGED=1 (an Xvfb without a window manager, as the tests' and run.sh's own):
# managed windows would make every destroy wait two seconds for a withdrawal that never comes.
# Otherwise the desktop's window manager frames the windows. Changed only when it differs.
x11_managed_off() {
  sed -n '/^\[Software\\\\Wine\\\\X11 Driver\]/,/^\[/p' "$WINEPREFIX/user.reg" 2>/dev/null | grep -q '^"Managed"="N"'
}
if [ "${VELMORA_WINE_UNMANAGED:-0}" = 1 ]; then
  if ! x11_managed_off; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    wineserver -w
  fi
elif x11_managed_off; then
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 </dev/null
  wineserver -w
fi

# VELMORA_WINE_SILENT=1 (the tests): no audio driver. Test machines have no sound card, and
# alsa-lib would write nine lines into the log at every start of the program.
audio_off() {
  sed -n '/^\[Software\\\\Wine\\\\Drivers\]/,/^\[/p' "$WINEPREFIX/user.reg" 2>/dev/null | grep -q '^"Audio"=""'
}
if [ "${VELMORA_WINE_SILENT:-0}" = 1 ]; then
  if ! audio_off; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1 </dev/null
    wineserver -w
  fi
elif audio_off; then
  wine reg delete 'HKCU\Software\Wine\Drivers' /v Audio /f >/dev/null 2>&1 </dev/null
  wineserver -w
fi
