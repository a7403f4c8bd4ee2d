#!/usr/bin/env bash
# A reminder rings in a real session: the program's clock set from outside (faketime; Qt's
# timers stay on the monotonic clock), its sound going to a PulseAudio null sink. A hidden note
# due a few seconds after start comes up, stays above other windows, blinks its alarm icon and
# plays the default "kvz.mid", then a wave file; a click on the icon stops the sound.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
for tool in pulseaudio parecord sox; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
# The library itself rather than the faketime command, which would stand between us and the pid.
libfaketime=$(find /usr/lib -name libfaketimeMT.so.1 2>/dev/null | head -n 1)
[ -n "$libfaketime" ] || { echo "SKIP: faketime is not installed"; exit 77; }
start_x

export XDG_RUNTIME_DIR="$E2E_TMP/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=e2e" >"$E2E_TMP/pulse.log" 2>&1 &
E2E_PIDS+=($!)
wait_for 10 pactl info || fail "PulseAudio did not start"

program_folder "$program" "$(dirname "$program")/kvz.mid"
mkdir "$app/tie"
sox -n -r 44100 -c 2 "$app/bell.wav" synth 4 sine 660 vol 0.5

# listen SECONDS: records what the sink plays over the next SECONDS, in the background.
listen() {
    timeout "$1" parecord -d e2e.monitor --file-format=wav "$E2E_TMP/heard.wav" &
    listening=$!
}
# heard: waits for the last listen to end (in this shell: a subshell cannot wait for it).
heard() { wait "$listening" || true; }
# RMS amplitude of what the last listen heard.
rms() { sox "$E2E_TMP/heard.wav" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
# RMS amplitude of what the sink plays over the next $1 seconds.
loudness() {
    listen "$1"
    heard
    rms
}
louder_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# looks WID GEOMETRY: a checksum of that part of the window's picture.
looks() { import -window "$1" -crop "$2" +repage rgb:- | md5sum; }
# looks_other SUM WID GEOMETRY: that part no longer has the checksum SUM.
looks_other() { [ "$(looks "$2" "$3")" != "$1" ]; }

ring() {
    local sound=$1 pid wid=""
    {
        printf '[帖子1]\r\nx坐标=1500\r\ny坐标=1500\r\n窗体宽度=3345\r\n窗体高度=2400\r\n'
        printf 'visible=False\r\n闹钟=True\r\nImage3=2027年1月31日*14:30**00\r\nImage5=%s\r\n' "$sound"
        printf '[初始值]\r\n窗体数目=1\r\n是否在前=False\r\n提醒声音开启=True\r\n'
    } | iconv -f utf-8 -t gbk >"$app/tie.dat"
    printf '{\\rtf1\\ansi alarm\\par}' >"$app/tie/tie1.tie"
    # (A sanitizer build wants its runtime first; the preloaded clock goes before it.)
    LD_PRELOAD="$libfaketime" FAKETIME="@2027-01-31 14:29:57" FAKETIME_DONT_FAKE_MONOTONIC=1 \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
        "$app/jotpin" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
    # Due 3 s after the start: for the first second nothing may show.
    sleep 1
    [ -z "$(visible_geometries "$pid")" ] || fail "the hidden note showed before its time"
    wait_for 8 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "$sound: the note did not come up"
    # From the moment the note is up: a short sound may be over once the looks below are checked.
    listen 3
    for id in $(xdotool search --onlyvisible --pid "$pid"); do
        [ "$(xwininfo -id "$id" | awk '/Width:/ {print $NF}')" -gt 40 ] && wid=$id
    done
    xprop -id "$wid" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "$sound: the note is not on top"
    # The alarm icon, at (27, 1) 17 x 17, blinks every half second; the title clock's seconds
    # change.
    local before
    before=$(looks "$wid" 17x17+27+1)
    wait_for 3 looks_other "$before" "$wid" 17x17+27+1 || fail "$sound: the alarm icon does not blink"
    before=$(looks "$wid" 97x17+72+5)
    wait_for 3 looks_other "$before" "$wid" 97x17+72+5 || fail "$sound: the title clock stands still"
    heard
    louder_than "$(rms)" 0.005 || fail "$sound: nothing was heard"
    # The alarm icon, blinking at (27, 1) 17 x 17 in the note.
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    xdotool mousemove $((X + 35)) $((Y + 9)) click 1
    # The sound stops within half a second of the click: what plays after that must be silence.
    sleep 0.5
    louder_than 0.0005 "$(loudness 1.5)" || fail "$sound: the click did not stop the sound"
    kill -TERM "$pid"
    wait_for 5 bash -c "! kill -0 $pid 2>/dev/null" || fail "the program did not end"
}

ring "$app/kvz.mid"
ring "$app/bell.wav"
echo "PASS: a hidden note came up on time, on top, blinking and ringing (MIDI and wave); a click stopped it"
