#!/bin/sh
# Starts and stops the native stravener-sim-service for the Windows tests under Wine (the
# ctest fixture "sim_service"). The service links its lines into the dosdevices folder of
# $WINEPREFIX (default ~/.wine), the prefix the tests run in.
#
#   sim_service_ctl.sh start SERVICE PORT_FILE
#   sim_service_ctl.sh stop PORT_FILE
set -eu

stop() {
  pidfile="$1.pid"
  if [ -f "$pidfile" ]; then
    pid="$(cat "$pidfile")"
    if kill "$pid" 2>/dev/null; then
      i=0
      while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    fi
    rm -f "$pidfile"
  fi
  rm -f "$1"
}

case "${1:-}" in
start)
  service="$2"
  portfile="$3"
  dosdevices="${WINEPREFIX:-$HOME/.wine}/dosdevices"
  if [ ! -d "$dosdevices" ]; then
    echo "no $dosdevices: the Wine prefix is not set up (wineboot)" >&2
    exit 1
  fi
  stop "$portfile"
  # Its own session and no pipe of ctest's, so ctest does not wait for it.
  setsid "$service" --dosdevices "$dosdevices" --port-file "$portfile" --idle-exit 900 \
    </dev/null >"$portfile.log" 2>&1 &
  echo $! >"$portfile.pid"
  i=0
  while [ ! -s "$portfile" ]; do
    if [ $i -ge 100 ] || ! kill -0 "$(cat "$portfile.pid")" 2>/dev/null; then
      echo "stravener-sim-service did not start:" >&2
      cat "$portfile.log" >&2
      exit 1
    fi
    sleep 0.1
    i=$((i + 1))
  done
  echo "stravener-sim-service on port $(cat "$portfile"), lines in $dosdevices"
  ;;
stop)
  stop "$2"
  ;;
*)
  echo "usage: $0 start SERVICE PORT_FILE | stop PORT_FILE" >&2
  exit 2
  ;;
esac
