#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), skipping packages that
# are already there: setup.sh [--windows] [--tests] [--package]. With
# --windows, also what the Windows program and its installer need; with
# --tests, what every test step needs; with --package, what building and
# checking the Debian package needs.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libwxgtk3.2-dev
  # GTK's own headers: screen readers' names for the fields (ATK), and
  # message boxes ended from outside (a signal)
  libgtk-3-dev
  # a virtual display, for running the program on a headless machine
  xvfb xauth
  # compiled objects kept between builds (scripts/lib.sh)
  ccache
)
# Icons rendered at build time: the desktop's from their drawing (the Debian
# package, and the tests that compare them), the Windows program's .ico.
icons=(librsvg2-bin imagemagick)
# The Windows build: the cross compiler, with which wxMSW is built from
# Debian's source package (scripts/wxmsw.sh), and NSIS for the installer.
windows=(g++-mingw-w64-x86-64-posix nsis "${icons[@]}")
# Every test step: the Windows build too, run under Wine.
tests=(
  googletest libgtest-dev libgmock-dev
  # the real program driven with key presses, read through at-spi (from
  # Debian's Python, in a D-Bus session of its own with the accessibility
  # bus), on X11 and on Wayland: a headless sway, its keyboard and screenshots
  xdotool python3-pyatspi at-spi2-core dbus-daemon sway wtype grim
  # fuzzing (clang + libFuzzer); every build of the tests replays the saved
  # inputs through its FuzzedDataProvider.h
  clang libclang-rt-14-dev
  wine64 fonts-wine
)
for set in "$@"; do
  case $set in
    --windows) packages+=("${windows[@]}") ;;
    --package) packages+=(dpkg-dev debhelper lintian desktop-file-utils appstream "${icons[@]}") ;;
    --tests) packages+=("${tests[@]}" "${windows[@]}") ;;
    *) echo "usage: setup.sh [--windows] [--tests] [--package]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=900 update -qq
  apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
fi
