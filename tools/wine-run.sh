#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix; ctest uses it as
# the emulator of the Windows tree.
source "$(dirname "$0")/wine-env.sh"
zema_make_prefix
exec "$WINELOADER" "$@" </dev/null
