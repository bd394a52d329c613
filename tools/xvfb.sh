# Shared by the Wine scripts (sourced, not run): starts a private X virtual framebuffer.
#
#   xvfb_start WIDTHxHEIGHT   starts Xvfb on the first free display from $MURIVALE_DISPLAY_FIRST
#                             (default 92), exports DISPLAY and sets XVFB_PID.
#   xvfb_stop                 stops the server started by xvfb_start, if any.
#   xvfb_middle_shows PICTURE SCRATCH
#                             true when the middle of a 1024x768 screen shows PICTURE as Wine's
#                             desktop places a wallpaper (see below).

XVFB_PID=""
XVFB_MIDDLE_DIFF=""

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
XVFB_MIDDLE_DIFF=""
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
XVFB_MIDDLE_DIFF=""
  fi
}

# xvfb_middle_shows PICTURE SCRATCH: true when the 64x64 square in the middle of the 1024x768
# screen matches that square of PICTURE as Wine's desktop places it: centred, or at the top left
# when it is larger than the screen. The two squares are kept in the folder SCRATCH; the
# difference (RMSE, 0 to 1) is left in XVFB_MIDDLE_DIFF.
xvfb_middle_shows() {
  local w h ax ay
  XVFB_MIDDLE_DIFF=""
  read -r w h <<<"$(identify -format '%w %h\n' "$1" 2>/dev/null | head -n 1)"
  [ -n "$h" ] || return 1
  ax=$(((1024 - w) / 2)) ay=$(((768 - h) / 2))
  ((ax >= 0)) || ax=0
  ((ay >= 0)) || ay=0
  xwd -root -silent 2>/dev/null | convert xwd:- -crop 64x64+480+352 +repage -type TrueColor \
    "png24:$2/shown-middle.png" 2>/dev/null || return 1
  convert "$1" -crop "64x64+$((480 - ax))+$((352 - ay))" +repage -type TrueColor \
    "png24:$2/wanted-middle.png" 2>/dev/null || return 1
  XVFB_MIDDLE_DIFF=$(compare -metric RMSE "$2/shown-middle.png" "$2/wanted-middle.png" null: 2>&1 |
    sed 's/.*(\(.*\)).*/\1/')
  awk -v d="$XVFB_MIDDLE_DIFF" 'BEGIN { exit !(d < 0.03) }'
}
