#!/bin/sh
# The real program as a screen reader meets it over the accessibility bus (AT-SPI): the
# clock's reading, the one event when it changes at a boundary, and a dialog field's name.
# usage: screen_reader_at_spi.sh BUILD_DIR (it runs itself again inside a private session bus)
[ -n "$TAVRIN_A11Y_SESSION" ] || TAVRIN_A11Y_SESSION=1 exec dbus-run-session -- "$0" "$@"
. "$(dirname "$0")/lib.sh"
start_display
libfaketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
trap 'kill $pid $bus $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 TZ=UTC0 FAKETIME_DONT_FAKE_MONOTONIC=1

# A reader's look: "clock" prints the reading, the reading after the next change and how many
# changes the window and the clock's area announced meanwhile; "field" a dialog's edit field.
look() {
  /usr/bin/python3 - "$@" 2>>"$work/python.log" <<'EOF'
import sys, time, pyatspi
from gi.repository import GLib
def find(test, root=None, depth=0):
    root = root or pyatspi.Registry.getDesktop(0)
    if test(root):
        return root
    for child in (root if depth < 9 else []):
        found = child and find(test, child, depth + 1)
        if found:
            return found
def wait_for(test):
    for _ in range(60):
        found = find(test)
        if found:
            return found
        time.sleep(0.25)
    sys.exit("not on the bus")
if sys.argv[1] == "field":
    dialog = wait_for(lambda a: a.name == sys.argv[2])
    field = find(lambda a: a.getRole() in (pyatspi.ROLE_ENTRY, pyatspi.ROLE_TEXT), dialog)
    print(f"{field.name} / {field.description}")
    sys.exit()
area = wait_for(lambda a: a.name == "the Tavrin Clock" and a.getRole() != pyatspi.ROLE_FRAME and a.description)
first, changes, start = area.description, {True: 0, False: 0}, time.time()
def changed(event):
    if event.source.name == "the Tavrin Clock":
        changes[event.source.getRole() == pyatspi.ROLE_FRAME] += 1
def done():
    if (area.description != first and sum(changes.values()) and time.time() - start > 1) or time.time() - start > 15:
        pyatspi.Registry.stop()
    return True
pyatspi.Registry.registerEventListener(changed, "object:property-change:accessible-description")
GLib.timeout_add(250, done)
pyatspi.Registry.start()
print(f"{first}\n{area.description}\n{changes[True]} {changes[False]}")
EOF
}

# Ten seconds before 12:25 on a clock of its own that then runs at the real pace.
(cd "$work" && FAKETIME="@2026-01-01 12:24:50" LD_PRELOAD="$libfaketime" exec "$clock") &
pid=$!
wid=$(window_named 'the Tavrin Clock')
look clock > "$work/heard"
check "the reader hears the face before 12:25" \
  test "$(sed -n 1p "$work/heard")" = "12 o'clock, 4 of 12 divisions: between 12:20 and 12:25"
check "and the new face after the boundary" \
  test "$(sed -n 2p "$work/heard")" = "12 o'clock, 5 of 12 divisions: between 12:25 and 12:30"
check "the window and the clock's area each announce the change once" test "$(sed -n 3p "$work/heard")" = "1 1"

xdotool windowfocus --sync "$wid" key --delay 150 alt+m v a 2>/dev/null
check "the fudge factor's field goes by the labels around it" \
  test "$(look field "Shift displayed time with a fudge factor")" = "WHEN THE TIME IS REALLY 12: / (mm:ss)"
xdotool key Escape 2>/dev/null
check "Alt+F4 ends the clock" press F4
[ "$failed" -eq 0 ] || cat "$work/heard" "$work/python.log"
finish
