#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, checks the files it
# put down, runs the end-to-end table (X11) on the installed program, then
# purges it and checks that nothing of it is left. Needs root, like apt-get.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

bash scripts/package.sh deb
deb=./$dist_dir/tavendrillox_${version}_$(dpkg --print-architecture).deb

export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -o DPkg::Lock::Timeout=900 -o Dpkg::Use-Pty=0 -y -qq)
installed() { dpkg-query -W -f='${db:Status-Status}' tavendrillox 2>/dev/null | grep -qx installed; }
# A copy left by an earlier run would make apt keep its own files; and
# however this test ends, it leaves the package uninstalled.
if installed; then "${apt[@]}" purge tavendrillox; fi
trap 'if installed; then "${apt[@]}" purge tavendrillox >/dev/null; fi' EXIT
"${apt[@]}" install "$deb"

echo "== Installed files"
expected=(
  /usr/bin/tavendrillox
  /usr/share/applications/tavendrillox.desktop
  /usr/share/doc/tavendrillox/changelog.gz
  /usr/share/doc/tavendrillox/copyright
  /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/tavendrillox.png
  /usr/share/icons/hicolor/scalable/apps/tavendrillox.svg
  /usr/share/lintian/overrides/tavendrillox
  /usr/share/man/man1/tavendrillox.1.gz
  /usr/share/metainfo/invalid.tavendrillox.tavendrillox.metainfo.xml
  /usr/share/tavendrillox/tavendrillox-dialog.png
  /usr/share/tavendrillox/tavendrillox.html
)
installed=$(dpkg -L tavendrillox | while read -r f; do [[ -f $f ]] && echo "$f"; done | sort)
if [[ $installed != "$(printf '%s\n' "${expected[@]}" | sort)" ]]; then
  echo "the package installed other files than expected:" >&2
  diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$installed") >&2 || true
  exit 1
fi
# Each icon has the size its folder names; the program finds its libraries.
for png in /usr/share/icons/hicolor/*x*/apps/tavendrillox.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  [[ $(identify -format '%wx%h' "$png") == "$size" ]] || { echo "$png is not $size" >&2; exit 1; }
done
if ldd /usr/bin/tavendrillox | grep 'not found'; then exit 1; fi
echo "as expected: ${#expected[@]} files"

echo "== The installed program, worked as a user would"
tests/ui/app_gtk_test.py x11 /usr/bin/tavendrillox

echo "== Purge"
"${apt[@]}" purge tavendrillox
if dpkg-query -W -f='${db:Status-Status}' tavendrillox 2>/dev/null | grep -vqx not-installed; then
  echo "dpkg still knows the package" >&2
  exit 1
fi
left=()
for f in "${expected[@]}" /usr/share/tavendrillox /usr/share/doc/tavendrillox; do
  [[ -e $f ]] && left+=("$f")
done
((${#left[@]} == 0)) || { echo "left behind: ${left[*]}" >&2; exit 1; }
echo "purged: nothing of the package is left"
