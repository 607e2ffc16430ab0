#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), skipping packages that
# are already there. With --tests, also what every test step needs; with
# --package, what building and checking the Debian package needs.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  googletest libgtest-dev libgmock-dev
  libwxgtk3.2-dev
  # the desktop icons are rendered from their drawings at build time
  librsvg2-bin imagemagick
  # a virtual display, for running the program on a headless machine
  xvfb xauth
)
if [[ ${1:-} == --package ]]; then
  packages+=(dpkg-dev debhelper lintian desktop-file-utils appstream)
fi
if [[ ${1:-} == --tests ]]; then
  packages+=(
    # the real program driven with key presses
    xdotool
    # fuzzing (clang + libFuzzer) and the Windows build run under Wine
    clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine64
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
