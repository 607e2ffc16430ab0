#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build,
# the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer,
# the Windows program and its tests under Wine, the installer, the fuzz
# targets and the Debian package.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

# Once for every step below, which are told so.
bash scripts/setup.sh --tests --package
export TAV_SETUP_DONE=1

# Each step's heading, with how long the one before it took.
step_started=$SECONDS
step() {
  echo "== $* (the step before took $((SECONDS - step_started)) s)"
  step_started=$SECONDS
}

step "Build and test"
tav_build default
tav_on_display ctest --preset default -j"$(nproc)"

step "Sanitizer build and test (ASan + UBSan)"
tav_build sanitize
tav_on_display ctest --preset sanitize -j"$(nproc)"

# The split reads ahead on a second thread: the core's tests, again, with
# ThreadSanitizer watching the two.
step "ThreadSanitizer build and core tests"
tav_build tsan
ctest --preset tsan -j"$(nproc)"

# The Windows program and its tests under Wine, then what a user gets: the
# zip and the installer (made together, in the same build folder), the
# installer tried under Wine.
# TAV_SKIP_WINDOWS=1 leaves them out of a quick local run, never out of CI.
if [[ ${TAV_SKIP_WINDOWS:-} == 1 && ${CI:-} != true ]]; then
  echo "== Windows steps skipped (TAV_SKIP_WINDOWS=1)"
else
  step "Windows build (mingw-w64) and test under Wine"
  bash scripts/test-windows.sh
  step "Windows zip and installer: install, start, uninstall under Wine"
  bash scripts/test-installer.sh
fi

# Each fuzz target for a short, fixed time; a longer run is: bash tests/fuzz/run.sh 3600
step "Fuzzing (libFuzzer, ASan + UBSan)"
bash tests/fuzz/run.sh "${TAV_FUZZ_SECONDS:-$([[ ${CI:-} == true ]] && echo 45 || echo 10)}"

step "Debian package: build, install, start, purge"
bash scripts/test-package.sh
step "All steps passed"
