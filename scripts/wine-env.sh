# Sourced by scripts/wine-run and scripts/with-wine.sh: the project's Wine
# environment. A private prefix, quiet debug output and no Mono/Gecko unless
# the caller sets WINEDEBUG or WINEDLLOVERRIDES itself (to turn on a debug
# channel, for example), and the Chinese (PRC) locale unless LARCH_LANG
# says otherwise.
larch_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export LARCH_WINEPREFIX=${LARCH_WINEPREFIX:-$larch_root/build/wineprefix}
export WINEPREFIX=$LARCH_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export LANG=${LARCH_LANG:-zh_CN.UTF-8}
