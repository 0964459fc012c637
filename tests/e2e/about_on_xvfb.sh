#!/bin/sh
# The About box of the real program on a virtual X display: the A key opens it,
# its settings line goes to the X clipboard with Ctrl+A, Ctrl+C and with the
# mouse, and it is the data line that the style file gets at exit.
# usage: about_on_xvfb.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }

start_clock
check "the window opens" test -n "$wid"
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key a 2>/dev/null
about=$(window_named 'About Tavrin.exe')
check "A opens the About box" test -n "$about"

# The settings line has the keyboard when the box opens.
xdotool windowfocus --sync "$about" 2>/dev/null
xdotool key ctrl+a key ctrl+c 2>/dev/null
sleep 0.5
by_keys=$(clipboard)
check "Ctrl+A, Ctrl+C copy the settings line" test -n "$by_keys"

# Highlighted with the mouse: a double click takes the word under it.
printf '' | xclip -selection clipboard
eval "$(xdotool getwindowgeometry --shell "$about")"
# The field sits near the bottom of the box; its first line starts with two blanks and the font's name.
xdotool mousemove $((X + 40)) $((Y + HEIGHT * 74 / 100)) click --repeat 2 --delay 80 1 2>/dev/null
xdotool key ctrl+c 2>/dev/null
sleep 0.5
by_mouse=$(clipboard)
check "a word highlighted with the mouse is copied" test -n "$by_mouse"
case "$by_keys" in *"$by_mouse"*) inside=yes ;; *) inside=no ;; esac
check "the word comes from the settings line" test "$inside" = yes

xdotool key Escape 2>/dev/null
sleep 0.5
check "Esc closes the About box" test -z "$(xdotool search --name '^About Tavrin.exe$' 2>/dev/null)"
check "Alt+F4 ends the clock" press F4
check "the line copied is two blanks and the style file's data line" \
  test "$by_keys" = "  $(sed -n 2p "$work/tavrin.sty")"

finish
