# Shared by the Wine scripts (sourced, not run): starts a private X virtual framebuffer.
#
#   xvfb_start WIDTHxHEIGHT   starts Xvfb on the first free display from $MURIVALE_DISPLAY_FIRST
#                             (default 92), exports DISPLAY and sets XVFB_PID.
#   xvfb_stop                 stops the server started by xvfb_start, if any.

XVFB_PID=""

xvfb_start() {
  local size=${1:-1024x768}
  local first=${MURIVALE_DISPLAY_FIRST:-92}
  local n tries=0
  command -v Xvfb >/dev/null || { echo "xvfb: Xvfb is not installed" >&2; return 1; }
  for ((n = first; n < first + 40; n++)); do
    # A lock file or socket means the number is taken (possibly by a server that died, left as is).
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    local waited=0
    while ((waited < 100)); do
      if ! kill -0 "$XVFB_PID" 2>/dev/null; then
        break  # lost a race for this number: try the next one
      fi
      if [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
      waited=$((waited + 1))
    done
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    tries=$((tries + 1))
    ((tries < 5)) || break
  done
  echo "xvfb: could not start Xvfb on any display from :$first" >&2
  return 1
}

xvfb_stop() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
  fi
}
