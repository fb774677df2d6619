#!/usr/bin/env bash
# scripts/screenshots --windows [OUTPUT_FOLDER]: pictures of stravener-tool.exe under Wine
# on a virtual display, in both languages: the main window after Open port and Information
# on a simulated logger, its notice, and the Setup, About and Configuration dialogs, as
# main_window_win32_en.png and so on. The program runs in Wine's own desktop window, so
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
start_virtual_display
start_wine_prefix
# The title bar symbols (Marlett) from Wine's own fonts. Its "MS Sans Serif" stays out: it
# has no Polish letters, while the font Wine takes in its place has them all.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
sh tests/windows/sim_service_ctl.sh start build/tests/windows/stravener-sim-service "$WORK/sim-service.port" >/dev/null
export STRAVENER_SIM_SERVICE_FILE="$WORK/sim-service.port"

say "taking the pictures"
timeout 300 wine explorer /desktop=shots,1024x768 build-windows/tests/windows/windows_screenshots.exe "Z:${WORK//\//\\}" \
  </dev/null
for bmp in "$WORK"/*.bmp; do
  convert "$bmp" "$OUT/$(basename "${bmp%.bmp}").png"
done
say "written to $OUT"
ls "$OUT"/*_win32_*.png
