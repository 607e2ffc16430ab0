#!/usr/bin/env bash
# Cross-compiles the program and every test for Windows with mingw-w64 and
# runs them under Wine on a virtual display: test-windows.sh
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

tav_setup --tests
tav_wxmsw
tav_build windows core_tests ui_tests app_tests tavbench tavendrillox
bash scripts/check-vector-code.sh "$tav_dir/ui/tavendrillox.exe"

export WINEPREFIX=${WINEPREFIX:-$tav_dir/wineprefix}
tav_on_display bash scripts/wine-tests.sh "$tav_dir"
