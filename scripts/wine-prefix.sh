# shellcheck shell=bash
# Sourced by the scripts that run Windows programs under Wine, with
# WINEPREFIX set (a private prefix, so a run never depends on or disturbs a
# user's Wine set-up) and a display: sets $wine and $wineserver and makes the
# prefix on first use.
# No Mono or Gecko: nothing here needs them, and asking for them would stall.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

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
  $wineserver -w
  touch "$WINEPREFIX/.tav-ready"
fi
