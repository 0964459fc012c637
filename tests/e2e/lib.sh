# Shared by the end-to-end scripts: a virtual X display, the clock in a scratch
# working directory, and checks that count. Source it with the build folder in $1.
# TAVRIN_E2E_DISPLAY sets the first display number tried (default 71).
build=$(cd "$1" && pwd)
clock="$build/tavrin"
passed=0
failed=0
work=$(mktemp -d)
xvfb=""
wm=""
trap 'kill $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT

start_display() {  # Xvfb on the first free display from TAVRIN_E2E_DISPLAY; extra arguments go to Xvfb
  display=":${TAVRIN_E2E_DISPLAY:-71}"
  while [ -e "/tmp/.X11-unix/X${display#:}" ] || [ -e "/tmp/.X${display#:}-lock" ]; do
    display=":$(( ${display#:} + 1 ))"
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  for _ in $(seq 60); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.25; done
}
start_openbox() {  # openbox manages the windows of $DISPLAY from here on, with its stock settings
  openbox --sm-disable --config-file /etc/xdg/openbox/rc.xml >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 40); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return
    sleep 0.25
  done
}

stop_openbox() {
  kill $wm 2>/dev/null; wait $wm 2>/dev/null; wm=""
  xprop -root -remove _NET_SUPPORTING_WM_CHECK 2>/dev/null
}

unset QT_QPA_PLATFORM
export FONTCONFIG_FILE="$(cd "$(dirname "$0")/../fonts" && pwd)/standard.conf"

check() {  # name, then a command that must succeed
  name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $name"
  else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

window_named() {  # waits up to 10 s for a window with this exact title; prints its id
  for _ in $(seq 40); do
    found=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return; }
    sleep 0.25
  done
}

start_clock() {  # arguments for the clock; sets pid and wid
  (cd "$work" && exec "$clock" "$@") &
  pid=$!
  wid=$(window_named 'the Tavrin Clock')
  sleep 0.5
}

geometry() {  # "x y w h" of the clock window
  xwininfo -id "$wid" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

press() {  # a key pressed with Alt held, as a person does it; true when the clock then ends
  xdotool windowfocus --sync "$wid" 2>/dev/null
  xdotool keydown alt key "$1" keyup alt 2>/dev/null
  for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid"; return 1; fi
  wait "$pid" || true
}

frame() {  # "x y w h" of the clock window with the window manager's frame round it, if any
  extents=$(xprop -id "$wid" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ' | tr , ' ')
  geometry | { read -r x y w h; set -- ${extents:-0 0 0 0}
    echo "$((x - $1)) $((y - $3)) $((w + $1 + $2)) $((h + $3 + $4))"; }
}

placement() { sed -n 2p "$work/tavrin.sty" | sed 's/^[^(]*(\([-0-9]*\),\([-0-9]*\))(\([0-9]*\),\([0-9]*\)).*/\1 \2 \3 \4/'; }

finish() {  # the closing count; the exit status says whether everything passed
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
