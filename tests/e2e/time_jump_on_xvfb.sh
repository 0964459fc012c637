#!/bin/sh
# The real program under a faked clock that jumps an hour forward, as after a resume or a clock
# change: the face follows within a second. And what the shell is told at a normal end.
# usage: time_jump_on_xvfb.sh BUILD_DIR
. "$(dirname "$0")/lib.sh"
start_display

libfaketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
check "libfaketime is installed" test -n "$libfaketime"
# The fake wall clock jumps; the clock of elapsed time stays real, as it does across a clock change.
export TZ=UTC0 FAKETIME_TIMESTAMP_FILE="$work/faketime" FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1

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
jumped=$(shot jumped)
end_clock F9
check "Alt+F9 ends the clock with exit status 0" test "$status" -eq 0

# A clock that starts at the time jumped to shows what the first one should show by now.
faked_clock 13:24:00
fresh=$(shot fresh)
end_clock F4
check "Alt+F4 ends the clock with exit status 0" test "$status" -eq 0

check "the face changed when the clock jumped" test "$before" != "$jumped"
check "within a second it shows the time jumped to" test "$jumped" = "$fresh"

finish
