#!/usr/bin/env bash
# scripts/screenshots --windows [OUTPUT_FOLDER]: pictures of stravener-tool.exe under Wine
# on a virtual display, in both languages: the main window after Open port and Information
# on a simulated logger, its notice, and the Setup, About and Configuration dialogs, as
# main_window_win32_en.png and so on; and in English at 150 % and 200 % scale, as
# main_window_win32_en_150.png and so on. The program runs in Wine's own desktop window, so
# the title bars are drawn as on Windows (a bare X display has no window manager).
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$STRAVENER_ROOT"

OUT="$(realpath -m "${1:-docs}")"
# fonts-wine: the font of the title bar symbols.
ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}" fonts-wine
say "building the simulated loggers' service in build/ and the picture taker in build-windows/"
configure_build build
cmake --build build -j "$STRAVENER_JOBS" --target stravener-sim-service
configure_windows_build
cmake --build build-windows -j "$STRAVENER_JOBS" --target windows_screenshots
mkdir -p "$OUT"

WORK="$(mktemp -d)"
cleanup() {
  sh tests/windows/sim_service_ctl.sh stop "$WORK/sim-service.port" || true
  stop_wine_prefix
  stop_virtual_display
  rm -rf "$WORK"
}
trap cleanup EXIT
start_virtual_display 1600x1200
start_wine_prefix
# The title bar symbols (Marlett) from Wine's own fonts. Its "MS Sans Serif" stays out: it
# has no Polish letters, while the font Wine takes in its place has them all.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
sh tests/windows/sim_service_ctl.sh start build/tests/windows/stravener-sim-service "$WORK/sim-service.port" >/dev/null
export STRAVENER_SIM_SERVICE_FILE="$WORK/sim-service.port"

# set_scale PERCENT: Wine draws the programs started next at this scale (the system's DPI),
# as Windows does after the display's scale is set.
set_scale() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $(($1 * 96 / 100)) /f </dev/null >/dev/null 2>&1
}

# The pictures at 100 % in both languages, at 150 % and 200 % in English (or in the
# languages of STRAVENER_SCALED_LANGUAGES: en, pl or both).
for scale in 100 150 200; do
  languages=both
  [ "$scale" -eq 100 ] || languages="${STRAVENER_SCALED_LANGUAGES:-en}"
  say "taking the pictures at $scale %"
  set_scale "$scale"
  timeout 300 wine explorer "/desktop=shots$scale,1600x1200" build-windows/tests/windows/windows_screenshots.exe \
    "Z:${WORK//\//\\}" "$scale" "$languages" </dev/null
done
for bmp in "$WORK"/*.bmp; do
  convert "$bmp" "$OUT/$(basename "${bmp%.bmp}").png"
done
say "written to $OUT"
ls "$OUT"/*_win32_*.png
