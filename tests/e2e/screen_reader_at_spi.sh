#!/bin/sh
# The real program as a screen reader meets it over the accessibility bus (AT-SPI): the
# clock's reading, the event when it changes at a boundary, and a dialog field's name.
# usage: screen_reader_at_spi.sh BUILD_DIR
# Runs itself again inside a private session bus, where the accessibility bus is started.
if [ -z "$TAVRIN_A11Y_SESSION" ]; then
  command -v dbus-run-session >/dev/null || { echo "FAILED: dbus-run-session is missing"; exit 1; }
  TAVRIN_A11Y_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"
start_display

launcher=$(ls /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher 2>/dev/null | head -n 1)
libfaketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
check "the accessibility bus launcher is installed" test -n "$launcher"
check "libfaketime is installed" test -n "$libfaketime"
check "pyatspi is installed" /usr/bin/python3 -c "import pyatspi"
"$launcher" --launch-immediately >/dev/null 2>&1 &
bus=$!
trap 'kill $pid $bus $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0

# The clock starts ten seconds before 12:25 on a clock of its own that then runs at the real pace.
export TZ=UTC0 FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1
(cd "$work" && FAKETIME="@2026-01-01 12:24:50" LD_PRELOAD="$libfaketime" exec "$clock") &
pid=$!
wid=$(window_named 'the Tavrin Clock')
check "the window opens" test -n "$wid"

# Prints, one a line: the reading first heard, the reading after the boundary, and how many
# description changes the window and the clock's area each announced.
/usr/bin/python3 - > "$work/heard" 2>"$work/python.log" <<'EOF'
import time, pyatspi
from gi.repository import GLib

def find(root, test, depth=0):
    if root is None or depth > 8:
        return None
    if test(root):
        return root
    for child in root:
        found = find(child, test, depth + 1)
        if found is not None:
            return found
    return None

def clock_area():
    for _ in range(60):
        desktop = pyatspi.Registry.getDesktop(0)
        area = find(desktop, lambda a: a.name == "the Tavrin Clock" and a.getRole() != pyatspi.ROLE_FRAME
                    and a.description != "")
        if area is not None:
            return area
        time.sleep(0.25)
    raise SystemExit("no clock on the accessibility bus")

area = clock_area()
first = area.description
changes = {"frame": 0, "area": 0}
def changed(event):
    if event.source.name == "the Tavrin Clock":
        changes["frame" if event.source.getRole() == pyatspi.ROLE_FRAME else "area"] += 1
pyatspi.Registry.registerEventListener(changed, "object:property-change:accessible-description")
started = time.time()
def look():
    if area.description != first and time.time() - started > 1 and sum(changes.values()) > 0 \
            or time.time() - started > 15:
        pyatspi.Registry.stop()
        return False
    return True
GLib.timeout_add(250, look)
pyatspi.Registry.start()
print(first)
print(area.description)
print(changes["frame"], changes["area"])
EOF
heard() { sed -n "$1p" "$work/heard"; }
check "the reader hears the face before 12:25" \
  test "$(heard 1)" = "12 o'clock, 4 of 12 divisions: between 12:20 and 12:25"
check "and after the boundary the new one" \
  test "$(heard 2)" = "12 o'clock, 5 of 12 divisions: between 12:25 and 12:30"
check "the window and the clock's area each announce the change once" test "$(heard 3)" = "1 1"

# The fudge factor dialog, opened from the menu: its field goes by the label before it.
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key --delay 150 alt+m v a 2>/dev/null
dlg=$(window_named "Shift displayed time with a fudge factor")
check "the fudge factor dialog opens" test -n "$dlg"
/usr/bin/python3 - > "$work/field" 2>>"$work/python.log" <<'EOF'
import time, pyatspi

def find(root, test, depth=0):
    if root is None or depth > 8:
        return None
    if test(root):
        return root
    for child in root:
        found = find(child, test, depth + 1)
        if found is not None:
            return found
    return None

for _ in range(40):
    dialog = find(pyatspi.Registry.getDesktop(0), lambda a: a.name == "Shift displayed time with a fudge factor")
    field = find(dialog, lambda a: a.getRole() in (pyatspi.ROLE_ENTRY, pyatspi.ROLE_TEXT))
    if field is not None:
        print(field.name)
        print(field.description)
        break
    time.sleep(0.25)
EOF
check "its field is named by its label" test "$(sed -n 1p "$work/field")" = "WHEN THE TIME IS REALLY 12:"
check "and described by the text after it" test "$(sed -n 2p "$work/field")" = "(mm:ss)"
xdotool windowfocus --sync "$dlg" key Escape 2>/dev/null
sleep 0.5
check "Alt+F4 ends the clock" press F4
[ "$failed" -eq 0 ] || cat "$work/heard" "$work/python.log"
finish
