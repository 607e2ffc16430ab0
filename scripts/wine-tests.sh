#!/usr/bin/env bash
# Runs the Windows test programs of a build folder under Wine, on the display
# and in the prefix that scripts/test-windows.sh sets up: wine-tests.sh DIR
set -euo pipefail
dir=$1
wine=/usr/lib/wine/wine64

# Wine's windows live on a virtual desktop of their own: there, as under a
# window manager, a new window gets the focus and a closed one goes at once.
# Set in the registry, it keeps the programs' exit status (explorer /desktop
# would not). The first start creates the prefix, which takes a few seconds.
if [[ ! -f $WINEPREFIX/.tav-ready ]]; then
  $wine wineboot -i >/dev/null 2>&1
  $wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  $wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
  # Debian's Wine keeps its own fonts (MS Sans Serif, Marlett for the title
  # bar's buttons) out of a new prefix; without them dialogs fall back to the
  # system font and the template's dialog units are not tested.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.tav-ready"
fi

rc=0
for test in tests/core_tests tests/ui/ui_tests tests/ui/app_tests; do
  echo "== ${test##*/}.exe under Wine"
  timeout 900 $wine "$dir/$test.exe" --gtest_brief=1 </dev/null || rc=1
done
/usr/lib/wine/wineserver -w || true  # leave no Wine server behind
exit "$rc"
