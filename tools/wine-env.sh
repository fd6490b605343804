# Sourced by every script that runs Wine: the project's own prefix under
# build/, never ~/.wine, created once and then reused, and the Wine of the
# architecture this machine runs (tools/wine-arch.sh).
ZEMA_ROOT=${ZEMA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export ZEMA_WIN_ARCH=${ZEMA_WIN_ARCH:-$("$ZEMA_ROOT/tools/wine-arch.sh")}
# The Windows tree whose programs run here.
if [ "$ZEMA_WIN_ARCH" = i686 ]; then
  export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
  export ZEMA_WIN_TREE=${ZEMA_WIN_TREE:-build/win}
  export ZEMA_WINEPREFIX=${ZEMA_WINEPREFIX:-$ZEMA_ROOT/build/wineprefix}
else
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  export ZEMA_WIN_TREE=${ZEMA_WIN_TREE:-build/win64}
  export ZEMA_WINEPREFIX=${ZEMA_WINEPREFIX:-$ZEMA_ROOT/build/wineprefix64}
fi
export WINEPREFIX=$ZEMA_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: nothing of ours needs them and their prompts
# would block a headless run.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Debian's wine and wineserver commands pick the 32-bit loader whenever it is
# installed, runnable or not: these go to the chosen one.
wine() { "$WINELOADER" "$@"; }
wineserver() { "$WINESERVER" "$@"; }
wineboot() { "$WINELOADER" wineboot.exe "$@"; }
winepath() { "$WINELOADER" winepath.exe "$@"; }
export -f wine wineserver wineboot winepath

zema_prefix_ready() { [ -f "$WINEPREFIX/.zema-ready" ]; }

zema_make_prefix() {
  zema_prefix_ready && return 0
  echo "wine: creating the project's prefix in $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.zema-ready"
}
