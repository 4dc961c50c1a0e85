#!/usr/bin/env bash
# Installs what is missing, builds the program if needed and starts it.
#   ./run.sh            the program with your own settings; on a machine without a serial
#                       port you may open, the demo instead (see scripts/demo.sh)
#   ./run.sh --demo     the demo in any case
#   ./run.sh --no-demo  the program with your own settings in any case
# Without a display (no DISPLAY, no WAYLAND_DISPLAY) the demo runs by itself on a virtual
# display, saves a picture of each page, prints what was exchanged and ends.
# Further arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
build="${SP_BUILD_DIR:-$root/build}"
choice=auto
case "${1:-}" in
  --demo) choice=demo; shift ;;
  --no-demo) choice=program; shift ;;
  -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac

"$root/scripts/build.sh" --target vornicspcomm zel_simulator echo_device list_ports

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "$choice" != program ]; then
  echo "No display: running the demo on a virtual display."
  exec "$root/scripts/demo.sh" --headless --out "$build/demo"
fi
if [ "$choice" = auto ]; then
  # A port counts when this user may open it: ports that exist but refuse the user (no
  # dialout group) leave nothing to work with, so the demo is the useful start there too.
  listed="$("$build/tools/list_ports" || true)"
  usable="$("$build/tools/list_ports" --usable || true)"
  if [ -z "$usable" ]; then
    choice=demo
    if [ -n "$listed" ]; then
      echo "Serial ports found, but you may not open any of them: $(echo $listed)."
      echo "Join the dialout group to use them (sudo usermod -aG dialout \$USER, then log out and in)."
    else
      echo "No serial port found."
    fi
    echo "Starting the demo (./run.sh --no-demo starts the program with your own settings)."
  fi
fi
if [ "$choice" = demo ]; then
  exec "$root/scripts/demo.sh"
fi
exec "$build/vornicspcomm" "$@"
