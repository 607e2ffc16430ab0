#!/usr/bin/env bash
# Runs the Windows test programs of a build folder under Wine, on the display
# and in the prefix that scripts/test-windows.sh sets up: wine-tests.sh DIR
set -euo pipefail
dir=$1
# shellcheck source=scripts/wine-prefix.sh
source "$(dirname "$0")/wine-prefix.sh"

rc=0
for test in tests/core_tests tests/ui/ui_tests tests/ui/app_tests; do
  echo "== ${test##*/}.exe under Wine"
  timeout 900 $wine "$dir/$test.exe" --gtest_brief=1 </dev/null || rc=1
done
# The program must run on any x86-64 processor: the environment holds the
# engine to the lowest code path, as bench/CMakeLists.txt checks on Linux.
echo "== tavbench.exe paths with TAV_SIMD=plain under Wine"
paths=$(TAV_SIMD=plain $wine "$dir/bench/tavbench.exe" paths </dev/null) || rc=1
echo "$paths"
[[ $paths == *"in use: plain"* ]] || rc=1
$wineserver -w || true  # leave no Wine server behind
exit "$rc"
