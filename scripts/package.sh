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
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

deb() {
  bash scripts/setup.sh --package
  local version changelog_version
  version=$(sed -n 's/^project(Tavendrillox VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  changelog_version=$(dpkg-parsechangelog -S Version)
  if [[ $version != "$changelog_version" ]]; then
    echo "debian/changelog is at $changelog_version but CMakeLists.txt at $version:" \
      "add a changelog entry for $version." >&2
    exit 1
  fi

  # The tracked files and any new ones not ignored, as they are in the work
  # tree, so that build folders never reach the source package.
  local work=build-deb
  local src=$work/tavendrillox-$version
  rm -rf "$work"
  mkdir -p "$src" dist
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [[ -e $f ]] && printf '%s\0' "$f"; done |
    xargs -0 cp --parents -t "$src"

  (cd "$src" && dpkg-buildpackage -us -uc)
  local arch deb
  arch=$(dpkg --print-architecture)
  deb=tavendrillox_${version}_${arch}.deb
  cp "$work/$deb" dist/

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
  dpkg-deb -x "dist/$deb" "$work/root"
  desktop-file-validate "$work/root/usr/share/applications/tavendrillox.desktop"
  appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml

  echo "Built dist/$deb ($(stat -c %s "dist/$deb") bytes)"
}

windows() {
  local dir=build-win-dist version
  bash scripts/build-windows.sh "$dir"
  cmake --build "$dir" --target windows_setup
  version=$(sed -n 's/^#define TAV_VERSION "\(.*\)"$/\1/p' "$dir/res/version.h")
  cp "$dir/tavendrillox-$version-setup.exe" dist/
  echo "Built dist/tavendrillox-$version-setup.exe ($(stat -c %s "dist/tavendrillox-$version-setup.exe") bytes)"
}

case ${1:-} in
  deb) deb ;;
  windows) windows ;;
  *)
    echo "usage: package.sh deb|windows" >&2
    exit 2
    ;;
esac
