#!/bin/sh
# The real program on a virtual X display, in a scratch working directory:
# where it opens, dragging it, keys, what Alt+F4 and Alt+F9 save, the command line and its usage box.
# usage: clock_on_xvfb.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

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

finish
