# shellcheck shell=bash
# Sourced by tools/run-viewer.sh after tools/wine-env.sh: a Chromium cache and
# a Firefox cache written by the real browsers (Debian's chromium and
# firefox-esr, headless, on a gallery site served from 127.0.0.1), made once
# into build/run-caches and again only when the scripts that make them change,
# then placed where Edge ("Default") and Firefox keep theirs in the project's
# prefix, so that the viewer finds them as it finds a user's.
#
# The tests share the prefix and count the caches they place themselves:
# zema_remove_browser_caches takes everything placed here away again.
ZEMA_FIREFOX_PROFILE=k3x9t2qa.default-release
ZEMA_APP_DATA=""
ZEMA_PLACED_CACHES=()  # relative to ZEMA_APP_DATA

zema_local_app_data() {
  local windows
  windows=$(wine cmd /c echo %LOCALAPPDATA% </dev/null 2>/dev/null | tr -d '\r')
  [ -n "$windows" ] && [ "$windows" != "%LOCALAPPDATA%" ] || return 1
  winepath -u "$windows" 2>/dev/null
}

zema_place_browser_caches() {
  local made=$ZEMA_ROOT/build/run-caches
  python3 "$ZEMA_ROOT/tools/browser-caches/make-caches.py" --gallery --if-changed "$made" ||
    return 1
  if ! ZEMA_APP_DATA=$(zema_local_app_data) || [ ! -d "$ZEMA_APP_DATA" ]; then
    echo "run: no local application-data folder in $WINEPREFIX" >&2
    return 1
  fi
  local -A targets=(
    [chromium-simple]="Microsoft/Edge/User Data/Default/Cache/Cache_Data"
    [firefox]="Mozilla/Firefox/Profiles/$ZEMA_FIREFOX_PROFILE/cache2"
  )
  local cache target
  for cache in "${!targets[@]}"; do
    target=$ZEMA_APP_DATA/${targets[$cache]}
    ZEMA_PLACED_CACHES+=("${targets[$cache]}")
    rm -rf "$target"
    mkdir -p "$target" && cp -r "$made/$cache/." "$target/" || return 1
  done
  echo "browser caches: Edge (Default) and Firefox ($ZEMA_FIREFOX_PROFILE) placed"
}

# Each placed cache folder, then its parents up to the local application-data
# folder while they are empty: a browser folder that was there before stays.
zema_remove_browser_caches() {
  local relative
  for relative in "${ZEMA_PLACED_CACHES[@]}"; do
    rm -rf "${ZEMA_APP_DATA:?}/$relative"
    while [[ $relative == */* ]]; do
      relative=${relative%/*}
      rmdir "$ZEMA_APP_DATA/$relative" 2>/dev/null || break
    done
  done
  ZEMA_PLACED_CACHES=()
}
