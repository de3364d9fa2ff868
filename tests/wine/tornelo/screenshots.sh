#!/usr/bin/env bash
# Pictures of tornelo in a Japanese session: the open tray menu with its
# check marks, the about box and the settings dialog, each cut out of the
# screen with a small margin, and the whole turning desktop at half size. Needs the win64 build.
#   tests/wine/tornelo/screenshots.sh [OUTPUT_FOLDER]   (default docs/images)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
export BUILD_ROOT=${BUILD_ROOT:-$root/build}
bin=$BUILD_ROOT/win64/bin
out=${1:-$root/docs/images}
wine=/usr/lib/wine/wine64

for file in tornelo.exe standin-desktop.exe tornelo-drive.exe tornelo_menu_probe.dll; do
  [[ -f $bin/$file ]] || { echo "screenshots: $bin/$file is missing: build win64 first" >&2; exit 1; }
done
mkdir -p "$out"

export WINE_SESSION_LOCALE=ja
eval "$("$root/scripts/wine-session" start)"
work=$(mktemp -d)
cleanup() {
  "$root/scripts/wine-session" stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Wine ends the driver's lines with CR LF.
drive() { timeout 60 "$wine" "$bin/tornelo-drive.exe" "$@" | tr -d '\r'; }

# Cuts the frame "left top right bottom" plus a margin out of the screen.
shoot() {
  local name=$1 margin=16 left top right bottom
  read -r left top right bottom <<<"$2"
  import -window root -display "$DISPLAY" "$work/screen.png"
  local x=$((left > margin ? left - margin : 0)) y=$((top > margin ? top - margin : 0))
  local width=$((right + margin - x)) height=$((bottom + margin - y))
  convert "$work/screen.png" -crop "${width}x${height}+${x}+${y}" +repage -strip "$out/$name"
  echo "screenshots: $out/$name (${width}x${height})"
}

printf '%s\n' ごみ箱 "マイ ドキュメント" 写真 音楽 メモ帳 "tornelo フォルダ" 電卓 予定表 地図 天気 \
  ニュース 辞書 > "$work/labels.txt"
labels="Z:${work//\//\\}\\labels.txt"
"$wine" "$bin/standin-desktop.exe" --labels "$labels" >/dev/null 2>&1 &
deadline=$((SECONDS + 30))
until timeout 10 "$wine" "$bin/standin-desktop.exe" --dump >/dev/null 2>&1; do
  ((SECONDS < deadline)) || { echo "screenshots: the stand-in desktop did not come up" >&2; exit 1; }
  sleep 0.5
done

printf '%s' '30,300,2.000,1.000,0.200,180,500,1' > "$work/tornelo.ini"
(cd "$work" && exec "$wine" "$bin/tornelo.exe" >/dev/null 2>&1) &

sleep 3
import -window root -display "$DISPLAY" -resize 50% -strip "$out/tornelo-desktop.png"
echo "screenshots: $out/tornelo-desktop.png"

drive choose 4                # repeat on: a second check mark beside the mode's
shoot tornelo-menu.png "$(drive press 760 560)"
drive dismiss

drive choose 7
shoot tornelo-about.png "$(drive dialog about)"
drive close about

drive choose 6 900 700
shoot tornelo-settings.png "$(drive dialog settings)"
drive close settings

drive quit
