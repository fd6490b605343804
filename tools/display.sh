# Sourced: a private virtual X display with a window manager, for the tests and
# for `make run` on a machine without a display. Without a window manager Wine
# under Xvfb gets neither Alt+F4 nor the close box, and activation fails.
ZEMA_XVFB_PID=""
ZEMA_WM_PID=""

zema_start_display() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  ZEMA_XVFB_PID=$!
  export DISPLAY=":$n"
  local tries=0
  until xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then echo "display: Xvfb did not start" >&2; return 1; fi
    sleep 0.1
  done
  openbox --sm-disable >/dev/null 2>&1 &
  ZEMA_WM_PID=$!
  sleep 0.5
}

zema_stop_display() {
  [ -n "$ZEMA_WM_PID" ] && kill "$ZEMA_WM_PID" 2>/dev/null && wait "$ZEMA_WM_PID" 2>/dev/null
  [ -n "$ZEMA_XVFB_PID" ] && kill "$ZEMA_XVFB_PID" 2>/dev/null && wait "$ZEMA_XVFB_PID" 2>/dev/null
  ZEMA_WM_PID=""; ZEMA_XVFB_PID=""
}
