#!/usr/bin/env bash
# Builds the Debian package (as the target "package" does) and proves it complete: installs it with dpkg into a scratch
# root, checks the installed files, checks that every library the program and the
# command-line tool link comes from a package its Depends names (and that apt can resolve
# them all), runs the installed program through the demo and the installed tool's --help.
# Uses the build in $SP_BUILD_DIR (default build/), which it configures and builds when needed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SP_BUILD_DIR:-$root/build}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "check-package: $*" >&2
  exit 1
}

# The package holds the program and the command-line tool: build what they and the demo need,
# then pack.
"$root/scripts/build.sh" --target vornicspcomm vornicspcomm-zel zel_simulator echo_device
rm -f "$build"/vornicspcomm_*.deb
(cd "$build" && cpack -G DEB -B "$build" >"$scratch/cpack.log") || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb="$(ls "$build"/vornicspcomm_*.deb)"
echo "Package: $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/  &/p'

# 1. Install into an empty root of its own (the machine's own /usr is not touched).
instroot="$scratch/root"
mkdir -p "$instroot/var/lib/dpkg/info" "$instroot/var/lib/dpkg/updates"
touch "$instroot/var/lib/dpkg/status"
# The scratch root has none of the dependencies; they are checked against this machine below.
dpkg --root="$instroot" --force-depends --force-not-root --log=/dev/null -i "$deb" >"$scratch/dpkg.log" 2>&1 ||
  { cat "$scratch/dpkg.log" >&2; fail "dpkg cannot install the package"; }
program="$instroot/usr/bin/vornicspcomm"
tool="$instroot/usr/bin/vornicspcomm-zel"
for file in usr/bin/vornicspcomm usr/bin/vornicspcomm-zel usr/share/man/man1/vornicspcomm-zel.1.gz \
            usr/share/applications/vornicspcomm.desktop \
            usr/share/icons/hicolor/scalable/apps/vornicspcomm.svg \
            usr/share/icons/hicolor/256x256/apps/vornicspcomm.png; do
  [ -s "$instroot/$file" ] || fail "the package does not install /$file"
done
[ -x "$program" ] || fail "/usr/bin/vornicspcomm is not executable"
[ -x "$tool" ] || fail "/usr/bin/vornicspcomm-zel is not executable"
if command -v man >/dev/null; then
  man -l "$instroot/usr/share/man/man1/vornicspcomm-zel.1.gz" >/dev/null 2>"$scratch/man.log" && [ ! -s "$scratch/man.log" ] ||
    { cat "$scratch/man.log" >&2; fail "the manual page of vornicspcomm-zel does not format cleanly"; }
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$instroot/usr/share/applications/vornicspcomm.desktop"
fi

# 2. Every library the programs need is found, and its package is among the dependencies.
depends=" $(dpkg-deb --field "$deb" Depends | sed 's/([^)]*)//g; s/[,|]/ /g') "
owner() {
  local path="$1" candidate
  for candidate in "$path" "$(realpath "$path")" "/usr$path" "${path#/usr}"; do
    dpkg -S "$candidate" 2>/dev/null | sed -n '1s/:.*//p' | grep . && return 0
  done
  return 1
}
for binary in "$program" "$tool"; do
  ! ldd "$binary" | grep 'not found' || fail "libraries of $(basename "$binary") missing"
  for library in $(objdump -p "$binary" | awk '$1 == "NEEDED" {print $2}'); do
    path="$(ldd "$binary" | awk -v lib="$library" '$1 == lib {print $3}')"
    package="$(owner "$path")" || fail "no package owns $path ($library)"
    [[ "$depends" == *" $package "* ]] || fail "$library comes from $package, which Depends does not name"
    echo "  $(basename "$binary"): $library: $package"
  done
done
if command -v apt-get >/dev/null; then
  apt-get install --simulate --no-install-recommends "$deb" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log" >&2; fail "apt cannot install the package's dependencies"; }
fi

# 3. The installed program does its job: the demo runs it against the module simulator and
#    the echo device on a virtual display.
QT_QPA_PLATFORM=offscreen "$program" --help 2>/dev/null | grep -q -- '--demo-script' || fail "the program does not start"
"$tool" --help | grep -q -- '--from FILE' || fail "vornicspcomm-zel does not start"
if command -v Xvfb >/dev/null; then
  (unset DISPLAY WAYLAND_DISPLAY; "$root/scripts/demo.sh" --headless --program "$program" --out "$scratch/pictures")
fi
echo "Package ok: $deb"
