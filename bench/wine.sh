#!/usr/bin/env bash
# Times the Windows program's split engine under Wine beside the same engine
# on Linux, on the same files, on every code path, reading in the run (1
# thread) and ahead on a second thread (2): bash bench/wine.sh [MIB] [RUNS]
#   MIB   size of each generated source, LF and CR LF lines (default 1024)
#   RUNS  counted runs per case, code path and system; medians (default 5)
# Both are built optimised alike (presets bench and bench-windows) and time
# the split inside the process ("tavbench time"), which leaves Wine's
# start-up out. Each run starts with the last run's pieces deleted and
# everything written back (sync). Each round runs every path on both
# systems; the first round is not counted, and its pieces must be the same
# for every path and system.
set -euo pipefail
shopt -s inherit_errexit
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/../scripts/lib.sh"
size=${1:-1024}
runs=${2:-5}

tav_setup --tests
tav_wxmsw
# Relative folders, which Wine finds under its drive for / (Z:).
tav_build bench tavbench
linux_dir=$(realpath --relative-to=. "$tav_dir")
tav_build bench-windows tavbench
windows_dir=$(realpath --relative-to=. "$tav_dir")

export WINEPREFIX=$PWD/$windows_dir/wineprefix
# shellcheck source=scripts/wine-prefix.sh
source scripts/wine-prefix.sh
$wineserver -p  # one server for every run, stopped at the end
linux=$linux_dir/bench/tavbench
windows=$windows_dir/bench/tavbench.exe
work=$linux_dir/wine-work
trap 'rm -rf "$work"; $wineserver -k || true' EXIT
rm -rf "$work" && mkdir -p "$work"

read -r -a paths <<<"$($linux paths | sed -n 's/^available: //p')"
[[ $($wine $windows paths </dev/null | tr -d '\r' | sed -n 's/^available: //p') == "${paths[*]}" ]] ||
  { echo "Wine offers other code paths than Linux" >&2; exit 1; }

# One run: SYSTEM PATH THREADS SOURCE LINES KB; prints its seconds, leaves its pieces.
run() {
  rm -rf "$work/out" && mkdir "$work/out" && sync
  local program=("$linux")
  [[ $1 == wine ]] && program=("$wine" "$windows")
  local line
  line=$(TAV_SIMD=$2 TAV_THREADS=$3 "${program[@]}" time "$4" "$work/out" "$5" "$6" </dev/null | tr -d '\r')
  [[ ${line%% *} == "$2" ]] || { echo "$1 ran '$line', not $2" >&2; exit 1; }
  echo "$line" | cut -d' ' -f2
}
median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(uname -sr), $($wine --version)"
echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'); load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Medians of $runs runs, $size MiB per source, seconds."
echo
echo "| source | case | code path | threads | Linux s | Wine s | Wine/Linux |"
echo "|---|---|---|---:|---:|---:|---:|"
for kind in lf crlf; do
  source=$work/source-$kind.txt
  name="LF lines" && [[ $kind == crlf ]] && name="CR LF lines"
  $linux generate "$kind" "$size" "$source"
  for case in "LINES 100000" "KB 10240" "LINES 0"; do
    lines='' kb=''
    [[ $case == LINES* ]] && lines=${case#* } || kb=${case#* }
    declare -A times=()
    first=''
    for ((r = -1; r < runs; r++)); do
      for p in "${paths[@]}"; do
        for threads in 1 2; do
          for system in linux wine; do
            t=$(run "$system" "$p" "$threads" "$source" "$lines" "$kb")
            if ((r >= 0)); then
              times[$system.$p.$threads]+="$t "
            else
              pieces=$(cd "$work/out" && md5sum -- * | md5sum)
              [[ -z $first || $pieces == "$first" ]] ||
                { echo "$kind $case: $system on $p with $threads threads wrote other pieces" >&2; exit 1; }
              first=$pieces
            fi
          done
        done
      done
    done
    for ((i = ${#paths[@]} - 1; i >= 0; i--)); do
      p=${paths[i]}
      for threads in 1 2; do
        l=$(median <<<"${times[linux.$p.$threads]}")
        w=$(median <<<"${times[wine.$p.$threads]}")
        printf '| %s | %s | %s | %s | %.3f | %.3f | %.2f |\n' "$name" "$case" "$p" "$threads" "$l" "$w" \
          "$(awk -v w="$w" -v l="$l" 'BEGIN { print w / l }')"
      done
    done
    unset times
  done
  rm -f "$source"
done
echo
echo "Load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
