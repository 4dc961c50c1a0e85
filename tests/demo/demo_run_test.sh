#!/usr/bin/env bash
# The demo as the run command starts it: without a display it runs by itself on Xvfb, prints
# the module's reply and the echoed line, leaves two pictures and nothing running; with a
# display, Ctrl+C (SIGINT to its process group) ends everything it started.
# Arguments: the source tree and the build tree. Exit 77: skipped (no Xvfb here).
set -euo pipefail
root="$1"
export SP_BUILD_DIR="$2"
command -v Xvfb >/dev/null || exit 77
scratch="$(mktemp -d)"
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$scratch"' EXIT
set -m  # each background job in a process group of its own, as a terminal would run it

fail() {
  echo "FAIL: $*" >&2
  cat "$scratch/log" >&2 || true
  exit 1
}

# The demo's throwaway directory, as its first line names it.
demo_dir() { sed -n 's/^Demo ports: \(.*\)\/ports\/zel-module .*/\1/p' "$scratch/log"; }

# Nothing of the job's process group may be left; its throwaway directory must be gone.
check_ended() {
  local group="$1"
  # The script's last children may still be on their way out: wait for the group to empty.
  for _ in $(seq 100); do
    pgrep -g "$group" >/dev/null || break
    sleep 0.1
  done
  if pgrep -g "$group" >/dev/null; then
    ps -eo pid,pgid,cmd | awk -v g="$group" 'NR == 1 || $2 == g' >&2 || true
    fail "processes of the demo are still running"
  fi
  local work
  work="$(demo_dir)"
  [ -n "$work" ] || fail "the demo did not name its ports"
  [ ! -e "$work" ] || fail "$work was left behind"
}

# 1. No display: the scripted run.
(unset DISPLAY WAYLAND_DISPLAY; exec "$root/scripts/demo.sh" --headless --out "$scratch/pictures") \
  >"$scratch/log" 2>&1 &
job=$!
status=0
wait "$job" || status=$?
[ "$status" -eq 0 ] || fail "the headless demo ended with status $status"
sent="$(sed -n 's/^  sent      \([0-9A-F ]*\)  ".*/\1/p' "$scratch/log")"
received="$(sed -n 's/^  received  \([0-9A-F ]*\)  ".*/\1/p' "$scratch/log")"
[ -n "$sent" ] && [ "$sent" = "$received" ] || fail "the echoed line differs: '$sent' / '$received'"
grep -q '^  received  24 00 00 13 02 01 00 24 ' "$scratch/log" || fail "no module reply printed"
for page in configuration terminal; do
  [ "$(head -c 8 "$scratch/pictures/$page.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "no PNG picture of the $page page"
done
check_ended "$job"

# 2. A display and Ctrl+C while the window is open.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n1 "$scratch/display")" "$root/scripts/demo.sh" >"$scratch/log" 2>&1 &
job=$!
# The window is up once the program holds the echo port open (it opens it at start).
echo_open() {
  local program work
  program="$(pgrep -g "$job" -x vornicspcomm)" || return 1
  work="$(demo_dir)"
  [ -n "$work" ] || return 1
  ls -l "/proc/$program/fd" 2>/dev/null | grep -q -- "-> $(readlink "$work/ports/echo")\$"
}
for _ in $(seq 200); do echo_open && break; sleep 0.1; done
echo_open || fail "the program did not open the echo port"
kill -INT -- "-$job"
status=0
wait "$job" || status=$?
[ "$status" -eq 130 ] || fail "Ctrl+C ended the demo with status $status"
check_ended "$job"
echo "demo run: ok"
