#!/usr/bin/env bash
# Builds the benchmark optimised and runs it: bash bench/run.sh [MIB] [RUNS] [PATHS] [THREADS]
#   MIB      size of each generated source (default 1024; 64 for a quick look)
#   RUNS     runs per measurement, the median is reported (default 5)
#   PATHS    the split engine's code paths to time, each with its own table:
#            "all" (the default: every one this processor has, in turn), or a
#            list such as avx512,avx2
#   THREADS  "1,2" (the default): each path reading in the run (1 thread) and
#            ahead on a second thread (2), each with its own table; "1", "2",
#            or "auto" for the program's own choice
# Sources and pieces go to a folder in the bench preset's build folder (the
# same file system for both) and are removed afterwards. Needs GNU coreutils
# (split, cp, cat).
# With TAV_DIFF_ITERATIONS=N set, the differential test of the split engine
# is also run with N random cases (the test suite runs a few hundred).
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/../scripts/lib.sh"
size=${1:-1024}
runs=${2:-5}
paths=${3:-all}
threads=${4:-1,2}

tav_build bench tavbench

if [[ -n ${TAV_DIFF_ITERATIONS:-} ]]; then
  tav_build bench core_tests
  "$tav_dir/tests/core_tests" --gtest_filter='*SplitDifferential*'
fi

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(uname -sr)"
echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'); load: $(cut -d' ' -f1-3 /proc/loadavg)"
work=$tav_dir/work
trap 'rm -rf "$work"' EXIT
"$tav_dir/bench/tavbench" run --size "$size" --runs "$runs" --dir "$work" --paths "$paths" --threads "$threads"
echo "Load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
