#!/bin/sh
# Where the clock stands, without a window manager and under openbox: hiding the
# bars, dragging, squaring, what is saved over several sessions, keys after the
# bars come back, the menu bar's keyboard mode, and a clock kept on the second
# of two monitors.
# usage: window_managers.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

colours=$(printf 'e1e1e1,%.0s' $(seq 16))
write_style() {  # x y w h flags: a style file with this placement and flag word
  printf 'QZ1.1\nArial,-33,0 1280x1024 (%s,%s)(%s,%s) %s C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 ff0000,0,e1e1e1 0 0 Arial,-33,0\n%s\n' \
    "$1" "$2" "$3" "$4" "$5" "$colours" > "$work/tavrin.sty"
}

drag_by() {  # dx dy: pressed on the middle of the face, moved in two steps, released
  geometry | { read -r x y w h
    cx=$((x + w / 2)); cy=$((y + h / 2))
    xdotool mousemove "$cx" "$cy" mousedown 1 mousemove $((cx + $1 / 2)) $((cy + $2 / 2)) \
      mousemove $((cx + $1)) $((cy + $2)) sleep 0.2 mouseup 1; }
  sleep 0.5
}

moved() {  # "x y w h" dx dy: the rectangle moved by dx, dy
  echo "$1" | { read -r x y w h; echo "$((x + $2)) $((y + $3)) $w $h"; }
}

menu_strip() {  # a digest of the top 20 rows of the window, where the menu bar is
  import -window "$wid" -crop "$(geometry | cut -d' ' -f3)x20+0+0" png:- 2>/dev/null | md5sum
}
colour_triple() { sed -n 2p "$work/tavrin.sty" | sed 's/^.*) [0-9A-Fa-f]* . \([0-9a-f]*,[0-9a-f]*,[0-9a-f]*\) .*/\1/'; }

window_checks() {  # $1 names the pass
  write_style 100 80 420 330 485
  start_clock
  check "$1: the clock opens at the placement of the style file" test "$(frame)" = "100 80 420 330"
  xdotool windowfocus --sync "$wid" 2>/dev/null
  xdotool key Escape 2>/dev/null
  sleep 0.5
  at=$(frame)
  exact=yes
  for _ in 1 2 3 4 5; do
    drag_by 30 10
    at=$(moved "$at" 30 10)
    [ "$(frame)" = "$at" ] || exact="no: $(frame) instead of $at"
  done
  check "$1: five drags of +30,+10 with the bars hidden move it exactly ($exact)" test "$exact" = yes
  xdotool key s 2>/dev/null
  sleep 0.5
  geometry | { read -r x y w h; [ "$w" = "$h" ]; }
  check "$1: S squares the face" test $? -eq 0
  check "$1: S keeps the top-left corner" test "$(frame | cut -d' ' -f1,2)" = "$(echo "$at" | cut -d' ' -f1,2)"
  at=$(frame)
  check "$1: Alt+F4 ends the clock" press F4
  check "$1: the placement saved is the window's" test "$(placement)" = "$at"

  # Sessions that hide and show the bars neither move nor grow the clock.
  for flags in 405 485; do
    sed -i "2s/) [0-9A-Fa-f]* C /) $flags C /" "$work/tavrin.sty"
    saved=$(placement)
    steady=yes
    for _ in 1 2 3; do
      start_clock
      [ "$(frame)" = "$saved" ] || steady="no: opened at $(frame) for $saved"
      xdotool windowfocus --sync "$wid" key Escape sleep 0.5 key Escape sleep 0.5 2>/dev/null
      press F4 || steady="no: Alt+F4 did not end it"
      [ "$(placement)" = "$saved" ] || steady="no: saved $(placement) for $saved"
    done
    check "$1: three sessions starting with flags $flags open and save the same placement ($steady)" test "$steady" = yes
  done

  # The keyboard stays with the clock while the pointer is elsewhere.
  write_style 100 80 420 330 485
  start_clock
  xdotool windowfocus --sync "$wid" mousemove 1270 1010 2>/dev/null
  before=$(geometry)
  xdotool key Escape sleep 0.5 key Escape sleep 0.5 key s sleep 0.5 2>/dev/null
  check "$1: Esc, Esc, S reach the clock with the pointer away from it" test "$(geometry)" != "$before"
  xdotool keydown alt key F4 keyup alt 2>/dev/null
  for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
  check "$1: and so does Alt+F4" test "$(kill -0 "$pid" 2>/dev/null || echo ended)" = ended
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null

  # Alt+C, Esc: the menu bar keeps the keyboard and shows the title it has
  # selected; one more Esc gives the keys back, so C cycles the colours.
  write_style 100 80 420 330 485
  start_clock
  xdotool windowfocus --sync "$wid" 2>/dev/null
  plain=$(menu_strip)
  xdotool key alt+c sleep 0.5 key Escape sleep 0.5 2>/dev/null
  check "$1: after Alt+C, Esc the menu bar shows its selected title" test "$(menu_strip)" != "$plain"
  xdotool key Escape sleep 0.5 2>/dev/null
  check "$1: one more Esc takes the selection away" test "$(menu_strip)" = "$plain"
  xdotool key c sleep 0.5 2>/dev/null
  check "$1: Alt+F4 ends the clock after Alt+C, Esc, Esc, C" press F4
  check "$1: and C has cycled the colours" test "$(colour_triple)" != "ff0000,0,e1e1e1"
}

window_checks "no window manager"
start_openbox
check "openbox runs" test -n "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id')"
window_checks "openbox"

# Two monitors side by side on the one screen: a clock on the right one stays there.
xrandr --setmonitor left 640/163x1024/260+0+0 screen >/dev/null 2>&1 &&
  xrandr --setmonitor right 640/163x1024/260+640+0 none >/dev/null 2>&1
check "the display has two monitors" test "$(xrandr --listmonitors | head -n 1)" = "Monitors: 2"
write_style 700 100 400 300 485
start_clock
check "a clock placed on the second monitor opens there" test "$(frame)" = "700 100 400 300"
check "Alt+F4 ends it" press F4
check "and it is saved there" test "$(placement)" = "700 100 400 300"

finish
