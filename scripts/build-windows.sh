#!/usr/bin/env bash
# Makes the Windows program: installs what is missing, builds wxMSW once (or
# reuses it), cross-compiles the program with mingw-w64 and writes
# dist/tavendrillox-<version>-win64.zip. build-windows.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-win-dist}

bash scripts/setup.sh --windows
wx=$(bash scripts/wxmsw.sh)
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTAV_WERROR=ON -DTAV_BUILD_TESTS=OFF -DTAV_BUILD_BENCH=OFF -DwxWidgets_CONFIG_EXECUTABLE="$wx/bin/wx-config" \
  >/dev/null
cmake --build "$dir" -j"$(nproc)" --target windows_zip

version=$(sed -n 's/^#define TAV_VERSION "\(.*\)"$/\1/p' "$dir/res/version.h")
mkdir -p dist
cp "$dir/tavendrillox-$version-win64.zip" dist/
echo "dist/tavendrillox-$version-win64.zip"
