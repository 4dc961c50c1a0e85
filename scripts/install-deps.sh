#!/usr/bin/env bash
# Installs what building, testing and running need on Debian 12, only when something is missing.
# Extra package names given as arguments are installed too (e.g. the fuzzers' clang).
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools libudev-dev libgtest-dev libgmock-dev
          xvfb xauth fonts-noto-cjk procps dpkg-dev ser2net "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
