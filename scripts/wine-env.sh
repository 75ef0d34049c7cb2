# Sourced by scripts/wine-run and scripts/with-wine.sh: the project's Wine
# environment. A private prefix, quiet debug output and no Mono/Gecko unless
# the caller sets WINEDEBUG or WINEDLLOVERRIDES itself (to turn on a debug
# channel, for example), and the Chinese (PRC) locale unless LARCH_LANG
# says otherwise. On the emulated PC (scripts/x86-pc.sh) the prefix lives
# on the PC's own disk, which is much faster for Wine's many small files.
larch_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -n "${LARCH_PC_DISK:-}" ]; then
  export LARCH_WINEPREFIX=${LARCH_WINEPREFIX:-$LARCH_PC_DISK/wineprefix}
else
  export LARCH_WINEPREFIX=${LARCH_WINEPREFIX:-$larch_root/build/wineprefix}
fi
export WINEPREFIX=$LARCH_WINEPREFIX
# The shell's recycle bin (files the tests delete to the trash).
export XDG_DATA_HOME=${XDG_DATA_HOME:-$WINEPREFIX/xdg-data}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export LANG=${LARCH_LANG:-zh_CN.UTF-8}
