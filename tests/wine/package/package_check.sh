#!/usr/bin/env bash
# The release archives as a Windows user gets them: scripts/package makes
# them, the sums check, each archive lists exactly the expected files, and
# package_test.exe, in a Japanese session, runs both programs from the
# 64-bit archive unpacked into a folder whose path holds blanks and Japanese
# characters, and reads every program's width and version record.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
cd "$root"
export BUILD_ROOT=${BUILD_ROOT:-$root/build}
work=$BUILD_ROOT/package-check
version=$(head -n 1 VERSION)

say() { echo "package-check: $*"; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

rm -rf "$work"
scripts/package --out "$work/dist"
BUILD_TARGETS="package_test standin-desktop" scripts/build win64
(cd "$work/dist" && sha256sum -c SHA256SUMS)

expected=$(printf "tornelo-$version/%s\n" "" tornelo.exe lokari.exe mayimmayim.mid README.txt LICENSE.txt)
unpack() {  # archive folder
  local listing
  listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$1")
  if [[ "$listing" != "$expected" ]]; then
    say "$(basename "$1") lists"; echo "$listing"; say "instead of"; echo "$expected"; exit 1
  fi
  mkdir -p "$2"
  python3 -m zipfile -e "$1" "$2"
}
folder64="$work/渦巻き テスト フォルダ"
unpack "$work/dist/tornelo-$version-win64.zip" "$folder64"
unpack "$work/dist/tornelo-$version-win32.zip" "$work/win32"

export PACKAGE_FOLDER_WIN64 PACKAGE_FOLDER_WIN32 STANDIN_DESKTOP_EXE TORNELO_MCI_LOG
PACKAGE_FOLDER_WIN64=$(windows_path "$folder64/tornelo-$version")
PACKAGE_FOLDER_WIN32=$(windows_path "$work/win32/tornelo-$version")
STANDIN_DESKTOP_EXE=$(windows_path "$BUILD_ROOT/win64/bin/standin-desktop.exe")
trace=$work/trace.log
TORNELO_MCI_LOG=$(windows_path "$trace")
# Wine's trace goes to the standard error, which tornelo inherits.
scripts/wine-session run --locale ja --timeout 240 \
  sh -c 'exec "$0" exec --locale ja "$1" "$2" 2>"$3"' \
  scripts/wine-session /usr/lib/wine/wine64 "$BUILD_ROOT/win64/bin/package_test.exe" "$trace"
say "the unpacked archive works from $folder64"
