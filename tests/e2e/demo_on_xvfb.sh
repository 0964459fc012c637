#!/bin/sh
# The demo dialog on a virtual X display, driven from the keyboard alone: D opens it,
# a 2-second demo from 3:00 races the figure on, and "Stop demo" brings the real time back.
# usage: demo_on_xvfb.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

shot() { "$build/tavrin-screenshot" "$work/$1.png" >/dev/null 2>&1; md5sum < "$work/$1.png"; }
differ() { test "$1" != "$2"; }

# The real time held a few minutes clear of an increment boundary for the whole run.
export TZ=UTC0 FAKETIME_DONT_FAKE_MONOTONIC=1
(cd "$work" && exec faketime '2026-12-08 14:41:00' "$clock") &
pid=$!
wid=$(window_named 'the Tavrin Clock')
sleep 1
real=$(shot real)

xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key d 2>/dev/null
demo=$(window_named 'Fast-forward demonstration')
check "D opens the demo dialog" test -n "$demo"
xdotool windowfocus --sync "$demo" 2>/dev/null
# The interval field has the focus; Tab moves on to the start field and selects it.
xdotool key ctrl+a type 2 2>/dev/null
xdotool key Tab type 3:00 2>/dev/null
xdotool key Return 2>/dev/null
sleep 0.5
check "Enter starts the demo and closes the dialog" test -z "$(xdotool search --name '^Fast-forward demonstration$' 2>/dev/null)"
first=$(shot first)
check "the display jumps to the start time" differ "$real" "$first"
sleep 2.2
second=$(shot second)
check "two seconds later the figure has moved on" differ "$first" "$second"
sleep 2
third=$(shot third)
check "and again two seconds after that" differ "$second" "$third"

xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key d 2>/dev/null
demo=$(window_named 'Fast-forward demonstration')
check "D opens the dialog again during the demo" test -n "$demo"
xdotool windowfocus --sync "$demo" 2>/dev/null
# Tab past the two fields and "Start demo" to "Stop demo".
xdotool key Tab Tab Tab Return 2>/dev/null
sleep 0.5
check "Stop demo closes the dialog" test -z "$(xdotool search --name '^Fast-forward demonstration$' 2>/dev/null)"
check "the clock shows the real time again" test "$(shot stopped)" = "$real"
stopped=$(shot stopped_later)
sleep 2.2
check "and stays there" test "$(shot later)" = "$stopped"

check "Alt+F4 ends the clock" press F4
finish
