#!/usr/bin/env bash
# Builds an installable package into dist/: package.sh deb|windows
#
# deb: the Debian package, built the Debian way (dpkg-buildpackage and the
# debian/ folder) from a clean copy of the work tree in build-deb/, then
# checked by lintian, desktop-file-validate and appstreamcli. Any error or
# warning fails the build; lintian's full report is in build-deb/lintian.txt.
#
# windows: the Windows installer, tavendrillox-<version>-setup.exe, made by
# NSIS (res/windows/tavendrillox.nsi) from the program and help page that
# scripts/build-windows.sh builds for the zip.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

deb() {
  tav_setup --package
  local changelog_version
  changelog_version=$(dpkg-parsechangelog -S Version)
  if [[ $version != "$changelog_version" ]]; then
    echo "debian/changelog is at $changelog_version but CMakeLists.txt at $version:" \
      "add a changelog entry for $version." >&2
    exit 1
  fi

  # The tracked files and any new ones not ignored, as they are in the work
  # tree, so that build folders never reach the source package.
  local work=$deb_dir
  local src=$work/tavendrillox-$version
  rm -rf "$work"
  mkdir -p "$src" "$dist_dir"
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [[ -e $f ]] && printf '%s\0' "$f"; done |
    xargs -0 cp --parents -t "$src"

  (cd "$src" && dpkg-buildpackage -us -uc)
  local arch deb
  arch=$(dpkg --print-architecture)
  deb=tavendrillox_${version}_${arch}.deb
  cp "$work/$deb" "$dist_dir/"

  echo "== lintian"
  local rc=0
  lintian -EvIL +pedantic --show-overrides --fail-on error,warning "$work/tavendrillox_${version}_${arch}.changes" \
    >"$work/lintian.txt" 2>&1 || rc=$?
  cat "$work/lintian.txt"
  if ((rc)) || grep -q '^[EW]: ' "$work/lintian.txt"; then
    echo "lintian found errors or warnings" >&2
    exit 1
  fi

  echo "== desktop-file-validate and appstreamcli, on the package's own files"
  dpkg-deb -x "$dist_dir/$deb" "$work/root"
  desktop-file-validate "$work/root/usr/share/applications/tavendrillox.desktop"
  appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml

  echo "Built $dist_dir/$deb ($(stat -c %s "$dist_dir/$deb") bytes)"
}

windows() {
  local setup=tavendrillox-$version-setup.exe
  bash scripts/build-windows.sh
  tav_wxmsw
  tav_build windows windows_setup
  cp "$tav_dir/$setup" "$dist_dir/"
  echo "Built $dist_dir/$setup ($(stat -c %s "$dist_dir/$setup") bytes)"
}

case ${1:-} in
  deb) deb ;;
  windows) windows ;;
  *)
    echo "usage: package.sh deb|windows" >&2
    exit 2
    ;;
esac
