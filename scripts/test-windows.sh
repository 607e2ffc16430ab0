#!/usr/bin/env bash
# Cross-compiles the program and every test for Windows with mingw-w64 and
# runs them under Wine on a virtual display: test-windows.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-win}
bash scripts/setup.sh --tests
wx=$(bash scripts/wxmsw.sh)
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAV_WERROR=ON -DTAV_BUILD_BENCH=ON -DwxWidgets_CONFIG_EXECUTABLE="$wx/bin/wx-config" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target core_tests ui_tests app_tests tavbench
bash scripts/check-vector-code.sh "$dir/ui/tavendrillox.exe"

export WINEPREFIX=${WINEPREFIX:-$PWD/$dir/wineprefix}
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash scripts/wine-tests.sh "$dir"
