# Shared by the project's scripts: installing what a fresh Debian 12 machine lacks, and
# configuring and building the project. Source it; do not run it.

STRAVENER_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
STRAVENER_JOBS="$(nproc 2>/dev/null || echo 2)"

say() { printf '==> %s\n' "$*" >&2; }

# ensure_packages PKG...: installs the Debian packages that are missing, in one apt-get run.
ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  say "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq || true
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
}

# ensure_locale NAME: generates a locale (for example pl_PL.UTF-8) when it is missing.
ensure_locale() {
  local name="$1" want
  want="$(echo "$name" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')"
  if locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$want"; then return 0; fi
  ensure_packages locales
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  say "generating the locale $name"
  if ! grep -q "^$name UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "$name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
}

# What building and testing the native program needs.
BUILD_PACKAGES=(cmake g++ ninja-build make libgtest-dev libgmock-dev googletest pkg-config libfmt-dev)
GUI_PACKAGES=(qt6-base-dev qt6-svg-dev qt6-translations-l10n fonts-dejavu-core fontconfig)
# Only for scripts/screenshots: a virtual display and the tools to run it.
SCREENSHOT_PACKAGES=(xvfb xauth imagemagick)
TEST_PACKAGES=(gpsbabel libxml2-utils librsvg2-bin locales tzdata)
# What the Windows build and its tests under Wine need (googletest brings the sources that
# are built with the cross compiler; the desktop program's window tests need a display, a
# virtual one; the programs use {fmt} header-only, from libfmt-dev's headers).
WINDOWS_PACKAGES=(cmake ninja-build g++ googletest libfmt-dev g++-mingw-w64-x86-64-posix wine wine64 locales xvfb
                  xauth)
# Only for scripts/package: dpkg-shlibdeps finds the Debian package's dependencies (it needs
# file); makensis builds the Windows installer.
PACKAGE_PACKAGES=(dpkg-dev file)
WINDOWS_PACKAGE_PACKAGES=(nsis)
# Only for scripts/fuzz: clang with libFuzzer and its sanitizer runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# The builds of the project's scripts: Release (what users and packagers build), with
# warnings as errors, which a user's own build does not have. STRAVENER_BUILD_TYPE chooses
# another type (the sanitizer build keeps its debug information).
# configure_build BUILD_DIR [CMAKE_ARGS...]: configures a build folder (again, when its
# options changed; cmake keeps what did not change).
configure_build() {
  local dir="$1"; shift
  cmake -S "$STRAVENER_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${STRAVENER_BUILD_TYPE:-Release}" \
    -DSTRAVENER_WERROR=ON "$@" >/dev/null
}

# configure_windows_build: configures build-windows/ for mingw-w64, with build/ as the native
# build whose helpers the tests under Wine use.
configure_windows_build() {
  configure_build build-windows -DCMAKE_TOOLCHAIN_FILE="$STRAVENER_ROOT/cmake/toolchain-mingw64.cmake" \
    -DSTRAVENER_NATIVE_BUILD="$STRAVENER_ROOT/build"
}

# configure_and_build BUILD_DIR [CMAKE_ARGS...]
configure_and_build() {
  configure_build "$@"
  cmake --build "$1" -j "$STRAVENER_JOBS"
}

# run_tests BUILD_DIR: runs a build's tests, leaving out the soak and manual ones. Most run
# side by side; the real-time ones (label realtime: a simulated logger keeping line time)
# run afterwards one at a time, and a failed one is run again up to twice, since a loaded
# machine can hold up pseudo-terminal bytes for longer than a logger's timing allows. Every
# failure is printed, also one that passes when repeated. Fails when either pass fails.
#
# Under Wine (run_tests BUILD_DIR wine) a test program now and then ends at its start with
# status 1 and no output at all, while being listed or run, on a loaded machine; the same
# program passes when run again. So a failed side-by-side pass is run once more there, after
# its failures are printed; a test that fails both times fails the stage.
run_tests() {
  local status=0
  if ! ctest --test-dir "$1" --output-on-failure -j "$STRAVENER_JOBS" -LE 'soak|manual|realtime'; then
    if [ "${2:-}" = wine ]; then
      say "a test program failed or could not be listed under Wine (above); running the side-by-side tests once more"
      ctest --test-dir "$1" --output-on-failure -j "$STRAVENER_JOBS" -LE 'soak|manual|realtime' || status=1
    else
      status=1
    fi
  fi
  say "the real-time tests, one at a time"
  ctest --test-dir "$1" --output-on-failure -L realtime -LE 'soak|manual' --repeat until-pass:3 || status=1
  return "$status"
}

# start_wine_prefix: makes a throwaway Wine prefix in $WINEPREFIX (exported), boots it and
# starts a persistent wineserver, so the test programs do not each wait for a new one.
# The server's own output is dropped: a pseudo-terminal it opens as a COM port becomes its
# controlling terminal, and at every hang-up (each simulated logger's end) it lists all its
# objects, some megabytes.
# stop_wine_prefix (also safe when nothing was started) ends the server and removes it.
start_wine_prefix() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/stravener-wine.XXXXXX")"
  export WINEPREFIX
  say "booting a Wine prefix in $WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver -w
  wineserver -p >/dev/null 2>&1
  # Wine's own background processes start with the first program and stay with the
  # server; started here, they hold no output pipe of a test that ctest waits on.
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

stop_wine_prefix() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
}

# start_virtual_display [WIDTHxHEIGHT]: starts Xvfb (1280x1024 unless told) on a free
# display number and exports DISPLAY, so the programs under Wine can show windows.
# stop_virtual_display (also safe when nothing was started) ends it.
start_virtual_display() {
  local numbers
  numbers="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp 3>"$numbers" >/dev/null 2>&1 &
  STRAVENER_XVFB_PID=$!
  local i=0
  while [ ! -s "$numbers" ]; do
    if [ $i -ge 100 ] || ! kill -0 "$STRAVENER_XVFB_PID" 2>/dev/null; then
      rm -f "$numbers"
      say "Xvfb did not start"
      return 1
    fi
    sleep 0.1
    i=$((i + 1))
  done
  export DISPLAY=":$(head -n 1 "$numbers")"
  rm -f "$numbers"
  say "virtual display $DISPLAY"
}

stop_virtual_display() {
  if [ -n "${STRAVENER_XVFB_PID:-}" ]; then
    kill "$STRAVENER_XVFB_PID" 2>/dev/null || true
    wait "$STRAVENER_XVFB_PID" 2>/dev/null || true
    STRAVENER_XVFB_PID=""
  fi
}
