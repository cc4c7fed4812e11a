#!/usr/bin/env bash
# ./naxo demo: the real program against the lab in network namespaces.
#   tools/demo.sh BUILD_DIR [--scenario F] [--devices N] [--screenshot PATH] [--two-adapters]
# With a display (X11 or Wayland) the window opens there and the lab goes
# down when the program ends. Without one, the program runs under Xvfb, a
# screenshot is taken once the devices are listed, and the demo ends.
set -euo pipefail
BUILD="$1"; shift
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SCENARIO="$ROOT/tools/naxo-lab/scenarios/demo.json"
DEVICES=8
SHOT="$BUILD/demo/main-window.png"
TWO=""
PRESS_START=0
while [ $# -gt 0 ]; do
  case "$1" in
    --scenario) SCENARIO="$2"; shift ;;
    --devices) DEVICES="$2"; shift ;;
    --screenshot) SHOT="$2"; shift ;;
    --two-adapters) TWO="--two-adapters" ;;
    --start-update) PRESS_START=1 ;; # headless: press Enter, then take the picture mid-update
  esac
  shift
done
APP="$BUILD/src/app/naxo-updater"
NETNS="$ROOT/tools/naxo-lab/netns.sh"
STATE="${NAXO_LAB_STATE:-/run/naxo-lab}"
XVFB_PID=""
APP_PID=""

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  "$NETNS" "$BUILD" down >/dev/null 2>&1 || true
}
trap cleanup EXIT INT TERM

"$NETNS" "$BUILD" up "$DEVICES" "$SCENARIO" $TWO
mkdir -p "$BUILD/demo"
DATA="$BUILD/demo/data"
rm -rf "$DATA"; mkdir -p "$DATA"

# The program inside the PC namespace; its downloads go to a demo folder.
run_app() {
  ip netns exec naxo-pc env XDG_DATA_HOME="$DATA" "$@" "$APP"
}

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${NAXO_DEMO_HEADLESS:-}" != 1 ]; then
  echo "naxo demo: the window opens on your display; close it to end the demo"
  if [ -n "${SUDO_USER:-}" ]; then
    chown -R "$SUDO_USER" "$DATA" # the program runs as you and downloads here
    run_app runuser -u "$SUDO_USER" -- env DISPLAY="${DISPLAY:-}" WAYLAND_DISPLAY="${WAYLAND_DISPLAY:-}" \
      XAUTHORITY="${XAUTHORITY:-}" XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-}" XDG_DATA_HOME="$DATA"
  else
    run_app
  fi
  exit 0
fi

echo "naxo demo: no display; running under Xvfb"
SCREEN=":$((90 + RANDOM % 9))"
Xvfb "$SCREEN" -screen 0 1400x700x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${SCREEN#:}" ] && break; sleep 0.1; done
DISPLAY="$SCREEN" QT_QPA_PLATFORM=xcb run_app >/dev/null 2>&1 &
APP_PID=$!
# Listed: every device has answered a status request; then a moment to draw.
for _ in $(seq 150); do
  n=$(grep -c '"query":"action=200"' "$STATE/events.jsonl" 2>/dev/null || true)
  [ "${n:-0}" -ge "$DEVICES" ] && break
  sleep 0.1
done
sleep 1.5
mkdir -p "$(dirname "$SHOT")"
WIN=$(DISPLAY="$SCREEN" xdotool search --onlyvisible --name '^NAXO Updater$' 2>/dev/null | head -1 || true)
if [ "$PRESS_START" = 1 ] && [ -n "$WIN" ]; then
  DISPLAY="$SCREEN" xdotool windowfocus --sync "$WIN" key Return
  sleep "${NAXO_DEMO_UPDATE_WAIT:-1.5}"
fi
DISPLAY="$SCREEN" import -window "${WIN:-root}" "$SHOT"
echo "naxo demo: screenshot of the window with $DEVICES devices: $SHOT"
