#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60):
#   bash fuzz/run.sh [SECONDS] [TARGET...]
# The committed corpus in fuzz/corpus/TARGET is read but never written; new
# inputs go to a scratch folder that is removed afterwards. A crash leaves its
# input as fuzz/crash-TARGET-* in the current folder for a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(textfile split settings)

build=build-fuzz
CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAV_FUZZ=ON -DTAV_BUILD_TESTS=OFF \
  -DTAV_WERROR=ON >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d /dev/shm/tavfuzz-run-XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVFUZZ_SCRATCH=$work
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

for t in "${targets[@]}"; do
  echo "== fuzz $t for ${seconds}s"
  mkdir -p "$work/$t"
  corpus=()
  [[ -d fuzz/corpus/$t ]] && corpus+=("fuzz/corpus/$t")
  "$build/fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$PWD/fuzz/crash-$t-" "$work/$t" "${corpus[@]}" 2>"$work/$t.log" \
    || { tail -n 60 "$work/$t.log"; echo "fuzz $t: FAILED"; exit 1; }
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+[[:space:]]+DONE)' "$work/$t.log" || true
done
