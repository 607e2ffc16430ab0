#!/usr/bin/env bash
# Makes the Windows program: installs what is missing, builds wxMSW once (or
# reuses it), cross-compiles the program with mingw-w64 and writes
# dist/tavendrillox-<version>-win64.zip.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

tav_setup --windows
tav_wxmsw
tav_build windows windows_zip
mkdir -p "$dist_dir"
cp "$tav_dir/tavendrillox-$version-win64.zip" "$dist_dir/"
echo "$dist_dir/tavendrillox-$version-win64.zip"
