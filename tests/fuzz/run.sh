#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60):
#   bash tests/fuzz/run.sh [SECONDS] [TARGET...]
# The saved inputs in tests/fuzz/corpus/TARGET are read but never written; new
# inputs go to a scratch folder that is removed afterwards. A crash leaves its
# input as tests/fuzz/crash-TARGET-*: add it to the corpus, where every
# normal build replays it under ctest.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/../../scripts/lib.sh"
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(textfile split settings)

tav_setup --tests
tav_build fuzz >/dev/null

work=$(mktemp -d /dev/shm/tavfuzz-run-XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
# The targets keep their files in a folder of their own under TMPDIR: a RAM
# disk here, removed even when a crash kills the target.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The targets run side by side, each for the whole time and in a scratch
# folder of its own; each one's report follows when all have ended.
fuzz() {
  local t=$1 corpus=()
  mkdir -p "$work/$t" "$work/$t.tmp"
  [[ -d tests/fuzz/corpus/$t ]] && corpus+=("tests/fuzz/corpus/$t")
  TMPDIR=$work/$t.tmp "$tav_dir/tests/fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$PWD/tests/fuzz/crash-$t-" "$work/$t" \
    "${corpus[@]}" 2>"$work/$t.log"
}
echo "== fuzz ${targets[*]}, side by side, for ${seconds}s"
pids=()
for t in "${targets[@]}"; do
  fuzz "$t" &
  pids+=($!)
done
rc=0
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  if wait "${pids[$i]}"; then
    echo "== fuzz $t"
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+[[:space:]]+DONE)' "$work/$t.log" || true
  else
    tail -n 60 "$work/$t.log"
    echo "fuzz $t: FAILED"
    rc=1
  fi
done
exit "$rc"
