#!/bin/sh
# tavrin.exe under Wine on a virtual X display: the face drawn in its colours, a key,
# a setting dialog from its template worked by keyboard, and the style file Alt+F4 writes,
# whose data line is the one the Linux build writes for the same state.
# usage: wine_clock.sh WIN32_BUILD_DIR [LINUX_BUILD_DIR]
# The Linux build (default: build beside the Windows one) is optional; without it the
# expected line is the start line with the one value the dialog changes.
. "$(dirname "$0")/lib.sh"
wine_run=$(cd "$(dirname "$0")/../../tools" && pwd)/wine-run
linux_build=${2:-$build/../build}
start_display
# A prefix of its own: the unit tests' wineserver serves another display.
export TAVRIN_WINEPREFIX="$build/wine-e2e"

colours=$(printf 'e1e1e1,%.0s' $(seq 16))
start_line='Arial,-33,0 1280x1024 (100,80)(420,330) 485 C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 ff0000,0,e1e1e1 0 0 Arial,-33,0'
write_style() { printf 'QZ1.1\n%s\n%s\n' "$start_line" "$colours" > "$work/tavrin.sty"; }
data_line() { sed -n 2p "$work/tavrin.sty"; }

start_wine_clock() {  # sets pid and wid; the first start also makes the Wine prefix
  (cd "$work" && exec "$wine_run" "$build/tavrin.exe" "$@") >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 240); do
    wid=$(xdotool search --onlyvisible --name '^the Tavrin Clock$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.25
  done
  sleep 1
}

keys() { xdotool windowfocus --sync "$wid" 2>/dev/null; xdotool key --delay 150 "$@" 2>/dev/null; }

# How many pixels of window $1's screenshot lie within $5 of the colour "$2 $3 $4".
pixels_near() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}' | { read -r x y w h
    import -window root -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- 2>/dev/null |
      sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p' |
      awk -v r="$2" -v g="$3" -v b="$4" -v tolerance="$5" '{
        d = ($1 - r) * ($1 - r) + ($2 - g) * ($2 - g) + ($3 - b) * ($3 - b)
        if (d <= tolerance * tolerance) n++ } END { print n + 0 }'; }
}

# The same session for both builds: Models, Advanced, Fudge factor, 27:30 and Enter, then Alt+F4.
fudge_session() {
  keys alt+m v a
  dlg=$(window_named "Shift displayed time with a fudge factor")
  [ -n "$dlg" ] || return 1
  xdotool windowfocus --sync "$dlg" 2>/dev/null
  xdotool type --delay 50 "27:30" 2>/dev/null
  xdotool key Return 2>/dev/null
  # Wine may leave the X window of a closed dialog in place: what is seen there tells.
  dlg_area=$(xwininfo -id "$dlg" 2>/dev/null | awk '/Width:/{w=$NF} /Height:/{h=$NF} END{print w * h}')
  for _ in $(seq 20); do
    sleep 0.5
    [ -z "$(xdotool search --onlyvisible --name '^Shift displayed time with a fudge factor$' 2>/dev/null)" ] && return
    [ "$(pixels_near "$dlg" 245 245 245 6)" -lt $((dlg_area / 4)) ] && return
  done
  return 1
}

# ---- the face, and a key -------------------------------------------------------------------
# The time frozen at 12:30 on the command line: a known face, and nothing saved.
write_style
start_wine_clock 12 30
check "tavrin.exe opens its window under Wine" test -n "$wid"
[ -n "$wid" ] || { finish; exit 1; }   # nothing more to look at
area=$(geometry | { read -r x y w h; echo $((w * h)); })
back=$(pixels_near "$wid" 225 225 225 48)
figures=$(pixels_near "$wid" 0 0 0 48)
echo "face: $back background and $figures figure pixels of $area"
# Half of the black disc with the 2 cut out of it, on the light grey background (on Linux
# three-quarters and a quarter of the window).
check "the background is drawn in its colour (e1e1e1)" test "$back" -gt $((area / 2))
check "the figure is drawn in its colour (black)" test "$figures" -gt $((area / 8))
check "Alt+F4 ends the frozen clock" press F4
check "a frozen time saves nothing" test "$(data_line)" = "$start_line"

# The style's 420x330 is no square (the frozen clock's rectangle is one already on Windows).
start_wine_clock
before=$(geometry)
keys s
sleep 1
check "S squares the window ($before, then $(geometry))" test "$(geometry)" != "$before"
check "Alt+F9 ends the clock" press F9
check "Alt+F9 saves nothing" test "$(data_line)" = "$start_line"

# ---- a setting dialog, and the file Alt+F4 writes ------------------------------------------
write_style
start_wine_clock
check "the fudge dialog opens from its template by keyboard and Enter closes it" fudge_session
check "Alt+F4 ends the clock" press F4
wine_line=$(data_line)
echo "written under Wine: $wine_line"
expected=$(echo "$start_line" | sed 's/ 5 ff0000,0,e1e1e1 0 0 / 5 ff0000,0,e1e1e1 150 0 /')
check "the data line holds the start style with the fudge factor 27:30 as 150" test "$wine_line" = "$expected"
if [ -x "$linux_build/tavrin" ]; then
  write_style
  clock=$(cd "$linux_build" && pwd)/tavrin
  start_clock
  fudge_session
  press F4
  echo "written on Linux:   $(data_line)"
  check "the data line equals the Linux build's for the same session" test "$wine_line" = "$(data_line)"
else
  echo "no Linux build in $linux_build: compared with the start style only"
fi

finish
