# shellcheck shell=bash
# What every script here shares; each sources it first. It moves to the
# checkout's root and sets: $version (the CMake project version, the one
# place it is kept), the folders that are not a preset's build folder, the
# compiler cache, and these functions. Build folders are named only in
# CMakePresets.json: tav_build says where a preset's is.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

version=$(sed -n 's/^project(Tavendrillox VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }

deb_dir=build-deb      # the Debian package's clean copy of the tree
dist_dir=dist          # what a user gets: the .deb, the zip, the installer

# Compiled objects are kept between runs, outside the checkout, so a second
# build of unchanged sources (another clone, another build folder) is quick.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tavendrillox/ccache}
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
fi

# Installs what is missing for the given sets (see setup.sh), unless a
# script that started this one has set everything up already.
tav_setup() {
  [[ ${TAV_SETUP_DONE:-} == 1 ]] || bash scripts/setup.sh "$@"
}

# Configures and builds a preset: tav_build PRESET [TARGET...]. Sets
# $tav_dir to the preset's build folder, as CMake reports it.
tav_build() {
  local preset=$1
  shift
  tav_dir=$(cmake --preset "$preset" | sed -n 's/^-- Build files have been written to: //p')
  cmake --build --preset "$preset" -j"$(nproc)" ${1:+--target "$@"}
}

# Builds wxMSW once per machine (or finds it) for the windows preset.
tav_wxmsw() {
  TAV_WXMSW=$(bash scripts/wxmsw.sh)
  export TAV_WXMSW
}

# Starts a virtual display (Xvfb) in a session of its own and points DISPLAY
# at it, for a program a person runs from a terminal: Ctrl+C there reaches the
# program alone, which closes and saves, and not the display under it. The
# display goes when the calling script ends.
tav_private_display() {
  local ready number
  ready=$(mktemp -u) && mkfifo "$ready"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  tav_display_pid=$!
  trap 'kill "$tav_display_pid" 2>/dev/null' EXIT
  read -r -t 20 number <"$ready" || true
  rm -f "$ready"
  [[ -n ${number:-} ]] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$number"
}

# Runs a command on a virtual display. -noreset: by default Xvfb resets
# whenever its last client leaves, and a program that connects during that
# reset cannot start GTK.
tav_on_display() {
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
}
