#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the current
# folder (its settings file, tavendrillox.ini, goes there). Without a display
# it runs on a virtual one, where nobody can see it: it waits there until it
# is closed (Ctrl+C, which also saves its settings).
set -euo pipefail
here=$PWD
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

tav_setup
tav_build program

program=$tav_dir/ui/tavendrillox
cd "$here"
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$program"
fi
echo "No display: running the program on a virtual one (invisible; Ctrl+C closes it)." >&2
tav_private_display
"$program"
