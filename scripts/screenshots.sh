#!/usr/bin/env bash
# Makes the README's pictures: starts the real program under a virtual display (Xvfb) with a
# prepared store and folders, and saves PNGs, cropped to the window, into docs/screenshots:
#   main-window.png   a binder and a registered folder in detail view
#   thumbnails.png    icon view with thumbnails, and the preview pane
#   registration.png  the registration box that Explorer's Send To opens
# It has a Wine prefix of its own (build/wine-prefix-shots), where the program and the folders
# it shows sit on drive C:.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshots}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win64 velmora velmora_screenshots

# Always a display of our own: a fixed size, no window manager (Wine frames the windows).
unset DISPLAY
export VELMORA_WINEPREFIX="$root/build/wine-prefix-shots" VELMORA_WINE_UNMANAGED=1
. "$root/scripts/xvfb.sh"
velmora_start_xvfb
shots=$(mktemp -d /tmp/velmora-shots.XXXXXX)
finish() {
  wineserver -k 2>/dev/null || true
  [ -n "${VELMORA_XVFB_PID:-}" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null
  rm -rf "$shots"
}
trap finish EXIT
"$root/scripts/wine-prefix.sh"
. "$root/scripts/wine-env.sh"

# The program in C:\Velmora with a store of two binders; the folders they hold on C: too.
c="$WINEPREFIX/drive_c"
rm -rf "$c/Velmora" "$c/仕事" "$c/写真"
mkdir -p "$c/Velmora/data" "$c/仕事/資料/過去の資料" "$c/仕事/見積" "$c/仕事/新しい案件" "$c/写真/旅行/2026年夏"
cp -r "$root/build/win64/app/velmora.exe" "$root/build/win64/app/Help" "$root/build/win64/app/start.wav" "$c/Velmora/"
store() { sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$c/Velmora/data/$1"; }
printf '仕事\n写真\n' | store titlelist.txt
store folderlist.ini <<'EOF'
[仕事]
C:\仕事\資料=2
C:\仕事\見積=1
cmp=1

[写真]
C:\写真\旅行=0
cmp=1

[Orvik]
FRG=0
WID=152

EOF

# Documents of several kinds and sizes, with fixed dates so the pictures do not change.
docs="$c/仕事/資料"
head -c 3200 /dev/zero | tr '\0' 'a' >"$docs/会議メモ.txt"
head -c 48000 /dev/zero >"$docs/見積書_2026.pdf"
head -c 21000 /dev/zero >"$docs/予算.xlsx"
head -c 96000 /dev/zero >"$docs/報告書.docx"
head -c 1500 /dev/zero >"$docs/連絡先.csv"
convert -size 320x200 gradient:white-steelblue "$docs/構成図.png"
# Pictures drawn from fixed seeds: the same every time.
photos="$c/写真/旅行"
i=0
for pic in "海:skyblue-navy" "夕焼け:orange-purple" "森:yellowgreen-darkgreen" "花畑:gold-orchid" "雪山:white-slategray" "湖:lightcyan-teal"; do
  i=$((i + 1))
  convert -size 640x480 -seed "$i" "plasma:${pic#*:}" -blur 0x1 -quality 85 "$photos/${pic%%:*}.jpg"
done
convert -size 480x640 -seed 9 plasma:pink-white "BMP3:$photos/桜.bmp"
printf '1日目 東京\r\n2日目 京都\r\n' >"$photos/旅程.txt"
find "$c/仕事" "$c/写真" -exec touch -d '2026-08-20 10:30' {} +

# Wine's own messages (no sound card, say) go to a log, shown when the driver fails.
if ! wine "$root/build/win64/tests/velmora_screenshots.exe" 'C:\Velmora' "$shots" 資料 旅行 海.jpg 'C:\仕事\新しい案件' \
  >"$shots/driver.log" 2>&1 </dev/null; then
  cat "$shots/driver.log"
  exit 1
fi
grep '^screenshots:' "$shots/driver.log"

mkdir -p "$out"
for name in main-window thumbnails registration; do
  # No text chunks or times: the same picture gives the same file.
  convert "$shots/$name.bmp" -strip -define png:compression-level=9 -define png:exclude-chunks=date,time "$out/$name.png"
done
du -b "$out"/*.png
