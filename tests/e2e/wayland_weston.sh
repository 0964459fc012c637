#!/bin/sh
# The clock beside a Wayland compositor (weston, headless): X11 stays the
# default where both serve, and on Wayland alone the clock runs, with its bars
# shown or hidden. Weston's headless backend has no input devices, so dragging
# and keys on Wayland are not driven from here.
# usage: wayland_weston.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="${TAVRIN_E2E_WAYLAND:-tavrin-e2e}-$$"
weston --backend=headless-backend.so --use-pixman --socket="$socket" --idle-time=0 --width=1024 --height=768 \
  >"$work/weston.log" 2>&1 &
compositor=$!
trap 'kill $compositor $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 40); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.25; done
check "weston runs headless" test -S "$XDG_RUNTIME_DIR/$socket"

colours=$(printf 'e1e1e1,%.0s' $(seq 16))
write_style() {  # flags
  printf 'QZ1.1\nArial,-33,0 1280x1024 (100,80)(420,330) %s C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 ff0000,0,e1e1e1 0 0 Arial,-33,0\n%s\n' \
    "$1" "$colours" > "$work/tavrin.sty"
}

# A Wayland session that also offers X11: the clock takes X11, where it can
# place itself, even where Qt would take Wayland by itself.
write_style 485
export WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland
start_clock
check "with both, the clock opens on X11" test -n "$wid"
check "at its saved place" test "$(geometry)" = "100 80 420 330"
check "Alt+F4 ends it" press F4

runs_on_wayland() {  # flags: the clock on Wayland alone still runs after a few seconds
  # (without a platform it could start on, Qt ends it at once)
  write_style "$1"
  (cd "$work" && DISPLAY= exec "$clock") >"$work/clock.log" 2>&1 &
  pid=$!
  sleep 3
  kill -0 "$pid" 2>/dev/null || { cat "$work/clock.log"; return 1; }
  kill "$pid"; wait "$pid" 2>/dev/null || true
}
# Wayland alone, with nothing naming the session: X11 is tried first, then Wayland.
unset XDG_SESSION_TYPE
check "on Wayland alone the clock runs with its bars shown" runs_on_wayland 485
check "and with them hidden" runs_on_wayland 405

finish
