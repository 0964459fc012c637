#!/bin/sh
# The setting dialogs worked with the keyboard alone on a virtual X display:
# opened through the menu, a value typed, Enter pressed, and the effect found in the saved style file.
# usage: setting_dialogs_by_keyboard.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

keys() { xdotool windowfocus --sync "$wid" 2>/dev/null; xdotool key --delay 150 "$@" 2>/dev/null; }
type_in() {  # dialog title, text for the field that has the focus, then Enter
  dlg=$(window_named "$1")
  [ -n "$dlg" ] || return 1
  xdotool windowfocus --sync "$dlg" 2>/dev/null
  xdotool type --delay 50 "$2" 2>/dev/null
  xdotool key Return 2>/dev/null
  sleep 0.5
  [ -z "$(xdotool search --name "^$1\$" 2>/dev/null)" ]
}
data_line() { sed -n 2p "$work/tavrin.sty"; }
# The fudge factor and quarter 'til: the two numbers after the last colour triple.
fudge_and_quarter() { data_line | sed 's/.* [0-9a-f]*,[0-9a-f]*,[0-9a-f]* \(-\?[0-9]*\) \([0-9]*\) .*/\1 \2/'; }
# The flag word: the hexadecimal after the placement.
flags() { data_line | sed 's/.*([-0-9]*,[-0-9]*)([0-9]*,[0-9]*) \([0-9A-F]*\) .*/\1/'; }

start_clock
check "the window opens" test -n "$wid"
keys alt+m v a
check "Models, Advanced, Fudge factor opens its dialog and Enter closes it" \
  type_in "Shift displayed time with a fudge factor" "27:30"
keys alt+m v q
check "Models, Advanced, Quarter 'til opens its dialog and Enter closes it" \
  type_in "Show \"a quarter 'till\", not \"three-quarters past\"." "42:30"
keys alt+m d    # D is Date's letter alone in Models: it opens the dialog at once
check "Models, Date opens its dialog and Enter shows the date" type_in "Date font and format" ""
keys alt+h d
dlg=$(window_named "Fast-forward demonstration")
check "Help, Demo opens the demo dialog" test -n "$dlg"
xdotool windowfocus --sync "$dlg" key Escape 2>/dev/null
sleep 0.5
check "Esc closes it" test -z "$(xdotool search --name '^Fast-forward demonstration$' 2>/dev/null)"
keys alt+m t
dlg=$(window_named "Tick-tock")
check "Models, Ticker opens its dialog" test -n "$dlg"
# Focus starts on the checked middle place; two arrow presses move on to bottom-left.
xdotool windowfocus --sync "$dlg" key --delay 150 Down Down Return 2>/dev/null
sleep 0.5
check "Alt+F4 ends the clock" press F4
check "the ticker runs at bottom-left (on, location 7)" test $(( 0x$(flags) & 0x2F )) -eq $(( 0x27 ))
check "the fudge factor 27:30 is saved as 150 and quarter 'til 42:30 as 2550" \
  test "$(fudge_and_quarter)" = "150 2550"
check "the date line is on in the saved flags" test $(( 0x$(flags) & 0x200 )) -ne 0

# Reopened, the fudge dialog shows the saved value; Esc leaves it alone.
start_clock
keys alt+m v a
dlg=$(window_named "Shift displayed time with a fudge factor")
check "the fudge dialog opens again" test -n "$dlg"
xdotool windowfocus --sync "$dlg" key Escape 2>/dev/null
sleep 0.5
check "Esc closes it" test -z "$(xdotool search --name '^Shift displayed time with a fudge factor$' 2>/dev/null)"
check "Alt+F4 ends the clock again" press F4
check "the fudge factor is still 150" test "$(fudge_and_quarter)" = "150 2550"

finish
