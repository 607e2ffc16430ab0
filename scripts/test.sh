#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build,
# then the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --tests

run_ctest() {
  # GUI tests need a display; xvfb-run provides one on a headless machine.
  # -noreset: by default Xvfb resets whenever its last client leaves, and a
  # test process that connects during that reset cannot start GTK.
  (cd "$1" && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j"$(nproc)")
}

echo "== Build and test"
bash scripts/build.sh build
run_ctest build

echo "== Sanitizer build and test (ASan + UBSan)"
bash scripts/build.sh build-sanitize -DTAV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-sanitize

# The Windows program and its tests under Wine, then what a user gets: the
# zip and the installer (made together), the installer tried under Wine.
# TAV_SKIP_WINDOWS=1 leaves them out of a quick local run, never out of CI.
if [[ ${TAV_SKIP_WINDOWS:-} == 1 && ${CI:-} != true ]]; then
  echo "== Windows steps skipped (TAV_SKIP_WINDOWS=1)"
else
  echo "== Windows build (mingw-w64) and test under Wine"
  bash scripts/test-windows.sh
  echo "== Windows zip and installer: install, start, uninstall under Wine"
  bash scripts/test-installer.sh
fi

# Each fuzz target for a short, fixed time; a longer run is: bash tests/fuzz/run.sh 3600
echo "== Fuzzing (libFuzzer, ASan + UBSan)"
bash tests/fuzz/run.sh "${TAV_FUZZ_SECONDS:-$([[ ${CI:-} == true ]] && echo 45 || echo 10)}"

echo "== Debian package: build, install, start, purge"
bash scripts/test-package.sh build
