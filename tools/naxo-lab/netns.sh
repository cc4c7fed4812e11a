#!/usr/bin/env bash
# The lab in network namespaces (root):
#   netns.sh BUILD_DIR up [N] [scenario.json] [--two-adapters]
#   netns.sh BUILD_DIR down
#   netns.sh BUILD_DIR status
# One namespace per device (198.18.0.11 and up, real ports 9454/80/21), one
# for the update server (198.18.0.2:80), one for the PC (198.18.0.100, and
# 198.19.0.100 with --two-adapters), all on a bridge of their own that
# reaches nothing else. "down" removes exactly what "up" recorded.
set -euo pipefail
BUILD="$1"; shift
CMD="${1:-}"; shift || true
STATE="${NAXO_LAB_STATE:-/run/naxo-lab}"
LAB="$BUILD/tools/naxo-lab/naxo-lab"
PREFIX="${NAXO_LAB_PREFIX:-naxo}"
PC_NS="$PREFIX-pc"

die() { echo "naxo lab: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || die "namespaces need root"

record() { echo "$1 $2" >> "$STATE/made"; }

update_host() {
  local h
  h=$(sed -n 's/^NAXO_UPDATE_HOST:STRING=//p' "$BUILD/CMakeCache.txt" 2>/dev/null || true)
  echo "${h:-updates.naxo.example}"
}

# veth from the bridge into a namespace, with an address.
attach() { # ns bridge hostside nsside address
  ip link add "$3" type veth peer name "$4" netns "$1"
  record link "$3"
  ip link set "$3" master "$2" up
  ip -n "$1" addr add "$5" dev "$4"
  ip -n "$1" link set "$4" up
}

make_ns() {
  ip netns add "$1"
  record netns "$1"
  ip -n "$1" link set lo up
}

make_bridge() {
  ip link add "$1" type bridge
  record link "$1"
  ip link set "$1" up
}

up() {
  local n="${1:-6}" scenario="${2:-}" two=0 a
  for a in "$@"; do [ "$a" = "--two-adapters" ] && two=1; done
  [[ "$n" =~ ^[0-9]+$ ]] || { n=6; }
  [ "$scenario" = "--two-adapters" ] && scenario=""
  [ -x "$LAB" ] || die "build first: $LAB is missing"
  [ -e "$STATE/made" ] && die "a lab is up already ($STATE); run: ./naxo lab down"
  mkdir -p "$STATE"
  : > "$STATE/made"
  local log="$STATE/events.jsonl"
  : > "$log"
  local sargs=(--devices "$n")
  [ -n "$scenario" ] && sargs+=(--scenario "$(realpath "$scenario")")

  make_bridge "${PREFIX}br0"
  make_ns "$PC_NS"
  attach "$PC_NS" "${PREFIX}br0" "${PREFIX}-pc0" eth0 198.18.0.100/24
  # Limited broadcast needs a route; nothing behind this bridge leads out.
  ip -n "$PC_NS" route add default dev eth0
  if [ "$two" = 1 ]; then
    make_bridge "${PREFIX}br1"
    attach "$PC_NS" "${PREFIX}br1" "${PREFIX}-pc1" eth1 198.19.0.100/24
  fi
  mkdir -p "/etc/netns/$PC_NS"
  record dir "/etc/netns/$PC_NS"
  echo "198.18.0.2 $(update_host)" > "/etc/netns/$PC_NS/hosts"

  make_ns "$PREFIX-srv"
  attach "$PREFIX-srv" "${PREFIX}br0" "${PREFIX}-srv" eth0 198.18.0.2/24
  ip netns exec "$PREFIX-srv" "$LAB" server "${sargs[@]}" --log "$log" --port 80 </dev/null >/dev/null &
  record pid $!

  local k
  for k in $(seq 1 "$n"); do
    make_ns "$PREFIX-dev$k"
    attach "$PREFIX-dev$k" "${PREFIX}br0" "${PREFIX}-d$k" eth0 "198.18.0.$((10 + k))/24"
    ip -n "$PREFIX-dev$k" route add default dev eth0
    ip netns exec "$PREFIX-dev$k" "$LAB" device --index "$k" "${sargs[@]}" --log "$log" </dev/null >/dev/null &
    record pid $!
  done
  # Ready when every server listens.
  local tries=0
  until [ "$(grep -c '' <(for k in $(seq 1 "$n"); do ip netns exec "$PREFIX-dev$k" ss -Hltn 'sport = :21' 2>/dev/null; done))" -ge "$n" ] \
        && ip netns exec "$PREFIX-srv" ss -Hltn 'sport = :80' | grep -q .; do
    tries=$((tries + 1)); [ $tries -gt 100 ] && die "lab did not come up"
    sleep 0.05
  done
  echo "naxo lab: $n devices up; PC namespace $PC_NS; events in $log"
}

down() {
  [ -e "$STATE/made" ] || { echo "naxo lab: nothing is up"; return 0; }
  local kind what
  # Processes first, then links and namespaces, in reverse order of making.
  while read -r kind what; do
    [ "$kind" = pid ] && kill "$what" 2>/dev/null || true
  done < "$STATE/made"
  sleep 0.1
  tac "$STATE/made" | while read -r kind what; do
    case "$kind" in
      pid) kill -9 "$what" 2>/dev/null || true ;;
      link) ip link del "$what" 2>/dev/null || true ;;
      netns) ip netns del "$what" 2>/dev/null || true ;;
      dir) rm -rf "$what" ;;
    esac
  done
  rm -f "$STATE/made"
  echo "naxo lab: down"
}

case "$CMD" in
  up) up "$@" ;;
  down) down ;;
  status) [ -e "$STATE/made" ] && cat "$STATE/made" || echo "naxo lab: nothing is up" ;;
  *) die "usage: ./naxo lab up [N] [scenario.json] [--two-adapters] | down | status" ;;
esac
