# Sourced by every script that runs Wine: the project's own 32-bit prefix under
# build/, never ~/.wine, created once and then reused.
ZEMA_ROOT=${ZEMA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${ZEMA_WINEPREFIX:-$ZEMA_ROOT/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: nothing of ours needs them and their prompts
# would block a headless run.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

zema_prefix_ready() { [ -f "$WINEPREFIX/.zema-ready" ]; }

zema_make_prefix() {
  zema_prefix_ready && return 0
  echo "wine: creating the project's prefix in $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.zema-ready"
}
