#!/bin/sh
# The real program on a virtual X display, in a scratch working directory:
# where it opens, dragging it, keys, what Alt+F4 and Alt+F9 save, the command line and its usage box.
# usage: clock_on_xvfb.sh BUILD_DIR
build=$(cd "$1" && pwd)
clock="$build/tavrin"
passed=0
failed=0
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

display=:71
while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=":$(( ${display#:} + 1 ))"; done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 60); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.25; done
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

placement() { sed -n 2p "$work/tavrin.sty" | sed 's/^[^(]*(\([-0-9]*\),\([-0-9]*\))(\([0-9]*\),\([0-9]*\)).*/\1 \2 \3 \4/'; }

# A first start without a style file, ended with Alt+F4, writes one.
start_clock
check "the window opens" test -n "$wid"
check "Alt+F4 ends the clock" press F4
check "Alt+F4 writes tavrin.sty" test -s "$work/tavrin.sty"
check "the style file starts with its version line" test "$(head -n 1 "$work/tavrin.sty")" = "QZ1.1"

# The placement in the file is where the clock opens, and what it writes back.
sed -i '2s/(\([-0-9]*\),\([-0-9]*\))(\([0-9]*\),\([0-9]*\))/(123,77)(420,330)/' "$work/tavrin.sty"
start_clock
check "the clock opens at the placement of the style file" test "$(geometry)" = "123 77 420 330"
# Dragged by its face: 30 right and 10 down, through a few steps.
xdotool mousemove 300 250 mousedown 1 mousemove 310 255 mousemove 330 260 sleep 0.2 mouseup 1
sleep 0.5
check "dragging moves the window by the cursor's movement" test "$(geometry)" = "153 87 420 330"
check "Alt+F4 ends the clock again" press F4
check "the placement written back is the window's" test "$(placement)" = "153 87 420 330"

# Alt+F9 leaves the file as it was.
before=$(md5sum < "$work/tavrin.sty")
sed -i '2s/ C / R /' "$work/tavrin.sty"
changed=$(md5sum < "$work/tavrin.sty")
start_clock
# Esc hides the bars; the window keeps the keyboard, so S squares it and Esc brings them back.
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key Escape sleep 0.5 key s sleep 0.5 key Escape 2>/dev/null
sleep 0.5
check "keys still reach the clock after its bars were hidden" test "$(geometry)" = "153 87 375 375"
check "Alt+F9 ends the clock" press F9
check "Alt+F9 leaves tavrin.sty untouched" test "$(md5sum < "$work/tavrin.sty")" = "$changed"

# A frozen time on the command line: the fixed rectangle, and no saving even after Alt+F4.
start_clock 12 30
check "12 30 opens at the fixed rectangle" test "$(geometry)" = "10 5 526 564"
check "Alt+F4 ends the frozen clock" press F4
check "12 30 does not save the style" test "$(md5sum < "$work/tavrin.sty")" = "$changed"
[ "$before" != "$changed" ] || failed=$((failed + 1))

# A question mark anywhere: only the usage box, then exit code 0 once it is answered.
(cd "$work" && exec "$clock" 12 30 '?') &
pid=$!
box=$(window_named 'Tavrin Command line parameters')
check "a question mark shows the usage box" test -n "$box"
check "no clock window beside it" test -z "$(xdotool search --name '^the Tavrin Clock$' 2>/dev/null)"
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key Return 2>/dev/null
wait "$pid"
check "OK ends the program with exit code 0" test "$?" -eq 0

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
