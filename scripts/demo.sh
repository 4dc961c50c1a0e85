#!/usr/bin/env bash
# The demo: the program with a simulated ZEL module and a loop-back (echo) device, each on a
# virtual serial port, and a throwaway profile whose settings file names them: the terminal
# page opens the echo port at start, the configuration page has the module selected. The
# user's own settings file is never read or written.
#
#   scripts/demo.sh              the window on this display; ends when it is closed
#   scripts/demo.sh --headless   the window on a virtual display (Xvfb): the program reads the
#                                module, sends a line to the echo port, saves a picture of
#                                each page, prints what went over both lines and ends
# Options: --out DIR (pictures of --headless; default $SP_BUILD_DIR/demo or build/demo),
#          --program PATH (the program to run; default the build's vornicspcomm),
#          --lang zh_CN|en|auto (the window's language; default the program's choice).
# Ctrl+C, a kill or the window's close end everything the demo started.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SP_BUILD_DIR:-$root/build}"
program="$build/vornicspcomm"
tools="$build/tools"
out="$build/demo"
headless=0
language=()
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) headless=1 ;;
    --out) out="$2"; shift ;;
    --program) program="$2"; shift ;;
    --lang) language=(--lang "$2"); shift ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

children=()
work=""

# Ends the processes this script started (TERM, then KILL for any that linger) and removes
# the throwaway directory. Runs on every way out: normal end, error, Ctrl+C, kill.
cleanup() {
  trap - EXIT INT TERM HUP
  local pid
  for pid in "${children[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for _ in $(seq 50); do
    local alive=0
    for pid in "${children[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
    [ "$alive" -eq 0 ] && break
    sleep 0.1
  done
  for pid in "${children[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "$work" ] && rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Waits up to 10 s for `path` to name a character device (a virtual port's link).
wait_for_port() {
  for _ in $(seq 100); do
    [ -c "$1" ] && return 0
    sleep 0.1
  done
  echo "demo.sh: $1 did not appear; see $2" >&2
  return 1
}

# Starts one device program (further arguments go to it) with its link in the port directory.
start_device() {
  local name="$1" tool="$2"
  shift 2
  "$tools/$tool" --link "$ports/$name" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  children+=($!)
  wait_for_port "$ports/$name" "$work/$name.err"
}

# Starts Xvfb on the first free display and sets DISPLAY to it.
start_virtual_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  children+=($!)
  for _ in $(seq 100); do
    if [ -s "$work/display" ] && grep -q '^[0-9]' "$work/display"; then
      export DISPLAY=":$(head -n1 "$work/display")"
      unset WAYLAND_DISPLAY
      export QT_QPA_PLATFORM=xcb
      return 0
    fi
    sleep 0.1
  done
  echo "demo.sh: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  return 1
}

work="$(mktemp -d "${TMPDIR:-/tmp}/vornicspcomm-demo.XXXXXX")"
chmod 700 "$work"
ports="$work/ports"
profile="$work/profile"
mkdir -m 700 "$ports" "$profile"
# No session bus for the program: where none runs, libdbus would start one on demand
# (dbus-launch --autolaunch) that outlives the demo. An address nobody listens on makes every
# bus call fail at once instead; the program needs no bus.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  # The toolkit wants a private runtime directory and complains without one.
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

# The module holds other values than the page shows before a read, so that a read shows:
# 434.500 MHz, 25Kbps, power 5, 19200bps, even parity, 200ms, delay 20 ms, no error
# correction, addresses 12 and 34, 64-byte packets, packet-complete off; version 2.1.0.
start_device zel-module zel_simulator --version 2.1.0 --block "06 A1 44 04 05 04 02 02 14 00 0C 22 06 00"
start_device echo echo_device
cat >"$profile/VornicSPCommTool.ini" <<EOF
[VornicSPCommTool_USART]
Serial Port=$ports/echo
Hex Display=0
Transmit Hex=0
Transmit Data Char=Hello, VornicSPComm!
[VornicSPCommTool_ZEL]
Serial Port=$ports/zel-module
EOF
echo "Demo ports: $ports/zel-module (ZEL module simulator), $ports/echo (echo device)"

arguments=("${language[@]}")
if [ "$headless" -eq 1 ]; then
  start_virtual_display
  arguments+=(--demo-script "$out")
else
  echo "Configuration page: press 读取配置 (Read settings) to read the simulated module."
  echo "Terminal page: the echo port is open; whatever you send comes back."
fi
USERPROFILE="$profile" VORNICSPCOMM_PORTS_DIR="$ports" "$program" "${arguments[@]}" &
children+=($!)
status=0
wait "${children[-1]}" || status=$?
exit "$status"
