#!/usr/bin/env bash
# Checks the vector code of a Windows program built with mingw-w64 (with its
# symbols): check-vector-code.sh EXE
# - it holds the AVX2 and AVX-512 code paths (or the checks below say nothing);
# - no aligned move of a 32- or 64-byte register touches the stack (%rsp,
#   %rbp): Win64 keeps the stack 16-byte aligned only (core/CMakeLists.txt);
# - no aligned vector move at all in those paths, whose objects the assembler
#   writes with unaligned moves only;
# - AVX instructions (VEX and EVEX, "v...") appear in those paths only, so
#   the rest of the program runs on any x86-64 processor;
# - the processor check asks the system whether it saves those registers
#   (XGETBV), which __builtin_cpu_supports does in libgcc.
set -euo pipefail
exe=$1
x86_64-w64-mingw32-objdump -d --no-show-raw-insn "$exe" | awk -v exe="$exe" '
  /^[0-9a-f]+ <.*>:$/ {
    name = $2; sub(/:$/, "", name)
    path = name ~ /^<_ZN3tav8textscan4avx2/ ? "avx2" : name ~ /^<_ZN3tav8textscan6avx512/ ? "avx512" : ""
    if (path != "") seen[path]++
    next
  }
  /\txgetbv/ { xgetbv++ }
  {
    aligned = $0 ~ /\tv?mov(dqa|dqa32|dqa64|aps|apd)[ \t]/
    wide = $0 ~ /%[yz]mm/
    if (aligned && wide && $0 ~ /\(%r[sb]p/) { print "aligned wide move on the stack in " name ": " $0; bad++ }
    else if (aligned && path != "") { print "aligned move in " name ": " $0; bad++ }
    if (path == "" && $2 ~ /^v/ && $2 !~ /^ver[rw]$/) { print "AVX outside the AVX paths in " name ": " $0; bad++ }
  }
  END {
    if (!seen["avx2"] || !seen["avx512"]) { print exe ": no AVX2 or no AVX-512 code path"; bad++ }
    if (!xgetbv) { print exe ": no XGETBV, so nothing asks whether the system saves the wider registers"; bad++ }
    if (bad) exit 1
    printf "%s: %d AVX2 and %d AVX-512 functions, no aligned wide stack moves\n", exe, seen["avx2"], seen["avx512"]
  }'
