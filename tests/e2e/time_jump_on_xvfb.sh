#!/bin/sh
# The real program under a faked clock that jumps an hour forward while the machine "sleeps":
# the clock learns of the resume from logind on the system bus, here a private bus standing in
# for it, and the face follows within a second. And what the shell is told at a normal end.
# usage: time_jump_on_xvfb.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

libfaketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
check "libfaketime is installed" test -n "$libfaketime"
# The fake wall clock jumps; the clock of elapsed time stays real, as it does across a clock change.
export TZ=UTC0 FAKETIME_TIMESTAMP_FILE="$work/faketime" FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
bus_pid=$(echo "$bus" | sed -n 2p)
trap 'kill $bus_pid $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DBUS_SYSTEM_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)

resume() {  # what logind says on the system bus when the machine wakes up
  /usr/bin/python3 - <<'PY'
import os, time
import dbus
bus = dbus.bus.BusConnection(os.environ["DBUS_SYSTEM_BUS_ADDRESS"])
bus.request_name("org.freedesktop.login1")
time.sleep(0.2)  # the clock's bus thread hears of the new owner before the signal
signal = dbus.lowlevel.SignalMessage("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep")
signal.append(False, signature="b")
bus.send_message(signal)
bus.flush()
PY
}

faked_clock() {  # starts the clock at the fake time given; sets pid and wid
  echo "@2026-01-01 $1" > "$FAKETIME_TIMESTAMP_FILE"
  (cd "$work" && LD_PRELOAD="$libfaketime" exec "$clock") &
  pid=$!
  wid=$(window_named 'the Tavrin Clock')
  sleep 1
}

end_clock() {  # a key pressed with Alt held; sets status to the clock's exit status
  xdotool windowfocus --sync "$wid" 2>/dev/null
  xdotool keydown alt key "$1" keyup alt 2>/dev/null
  for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
  kill -0 "$pid" 2>/dev/null && kill "$pid"
  wait "$pid"
  status=$?
}

shot() { "$build/tavrin-screenshot" "$work/$1.png" && md5sum < "$work/$1.png"; }

faked_clock 12:24:00
before=$(shot before)
echo "@2026-01-01 13:24:00" > "$FAKETIME_TIMESTAMP_FILE"
sleep 1.5
asleep=$(shot asleep)
resume
sleep 1
woken=$(shot woken)
end_clock F9
check "Alt+F9 ends the clock with exit status 0" test "$status" -eq 0

# A clock that starts at the time jumped to shows what the first one should show by now.
faked_clock 13:24:00
fresh=$(shot fresh)
end_clock F4
check "Alt+F4 ends the clock with exit status 0" test "$status" -eq 0

check "nothing polls the clock: until the resume the face stays" test "$before" = "$asleep"
check "the face changed after the resume" test "$before" != "$woken"
check "within a second of the resume it shows the time jumped to" test "$woken" = "$fresh"

finish
