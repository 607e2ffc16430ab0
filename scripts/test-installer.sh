#!/usr/bin/env bash
# Builds the Windows installer and works it under Wine as a user would, in a
# fresh prefix on a virtual display: test-installer.sh
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"
if [[ ${1:-} != --on-display ]]; then
  tav_setup --tests
  bash scripts/package.sh windows
  tav_on_display bash "$root/scripts/test-installer.sh" --on-display
  exit
fi
scratch=$(mktemp -d)
# Wine links Documents to $HOME and adds menu entries there: a home of its own.
export HOME=$scratch WINEPREFIX=$scratch/prefix
source scripts/wine-prefix.sh
trap '$wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
cp "$dist_dir/tavendrillox-$version-setup.exe" "$WINEPREFIX/drive_c/setup.exe"

fail() { echo "installer test: $*" >&2; exit 1; }
files() { LC_ALL=C ls -A "$1" | tr '\n' ' '; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavendrillox'
user=$($wine cmd /c echo %USERPROFILE% | tr -d '\r')
folder=$user\\AppData\\Local\\Programs\\Tavendrillox
link=$user\\AppData\\Roaming\\Microsoft\\Windows\\Start\ Menu\\Programs\\Tavendrillox.lnk
dir=$($wine winepath -u "$folder") lnk=$($wine winepath -u "$link")
ini=$($wine winepath -u "$user\\Documents\\tavendrillox.ini")
installed='tavendrillox-dialog.png tavendrillox.exe tavendrillox.html uninstall.exe '

echo "== Silent install into the default folder, then the program from its link"
$wine 'C:\setup.exe' /S
[[ $(files "$dir") == "$installed" && -f $lnk ]] || fail "installed: $(files "$dir"); link: $(ls "$lnk")"
entry=$($wine reg query "$key" | tr -d '\r')
for value in "DisplayName    REG_SZ    Tavendrillox" "DisplayVersion    REG_SZ    $version" \
  "DisplayIcon    REG_SZ    $folder\\tavendrillox.exe,0" "UninstallString    REG_SZ    \"$folder\\uninstall.exe\""; do
  grep -qxF "    $value" <<<"$entry" || fail "the uninstall entry lacks $value: $entry"
done
timeout 60 $wine start /wait "$link" &
program=$!
timeout 30 xdotool search --sync --name '^Tavendrillox$' >/dev/null || fail "no dialog"
# While it runs, the uninstaller (run in place, and so waited for) must take nothing.
! $wine "$folder\\uninstall.exe" /S "_?=$folder" || fail "uninstalled a running program"
xdotool key Escape
wait $program || fail "the program ended with status $?"
[[ -f $ini && $(files "$dir") == "$installed" ]] || fail "no $ini, or the program's folder holds $(files "$dir")"

echo "== Silent uninstall"
$wine "$folder\\uninstall.exe" /S
$wineserver -w  # the uninstaller goes on from a copy of itself in %TEMP%
[[ ! -e $dir && ! -e $lnk ]] || fail "left the link, or in the folder: $(files "$dir")"
if $wine reg query "$key" >/dev/null 2>&1; then fail "left the uninstall entry"; fi

echo "== Silent install into a folder of the user's (/D=, last and unquoted), then uninstall"
mine=$WINEPREFIX/drive_c/My\ Tools
mkdir "$mine" && echo mine >"$mine/keep.txt"
$wine cmd /c 'C:\setup.exe /S /D=C:\My Tools'
[[ $(files "$mine") == "keep.txt $installed" ]] || fail "installed: $(files "$mine")"
$wine 'C:\My Tools\uninstall.exe' /S && $wineserver -w
[[ $(files "$mine") == "keep.txt " ]] || fail "the uninstaller left: $(files "$mine")"
echo "installer: installs, starts and uninstalls cleanly"
