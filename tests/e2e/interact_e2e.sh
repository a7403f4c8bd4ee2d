#!/usr/bin/env bash
# A first start in an X server: one note at the right screen edge. The user drags it by its
# title, resizes it by a grip and types into it; after SIGTERM the store holds all of that.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
start_x

program_folder "$program"
"$app/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 40 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "no note came up"
read -r x y w h <<<"$(visible_geometries "$pid")"
[ "$x $y $w $h" = "1057 27 223 255" ] || fail "first note at $x $y $w $h, expected 1057 27 223 255"
id=$(xdotool search --onlyvisible --pid "$pid" | head -1)

# Drag by the title strip: 420 px left, 188 px down, with a pause between steps as a hand makes:
# the program answers each.
xdotool mousemove $((x + 120)) $((y + 12)) mousedown 1 sleep 0.2 mousemove $((x + 20)) $((y + 100)) \
    sleep 0.2 mousemove $((x - 300)) $((y + 200)) sleep 0.2 mouseup 1
wait_for 5 bash -c "[ \"\$(visible_geometries $pid)\" = '637 215 223 255' ]" ||
    fail "after the drag: $(visible_geometries "$pid")"

# A quick click on the title moves nothing, and the note does not follow the mouse afterwards:
# for half a second after the move it must stay where it is.
xdotool mousemove 757 227 click 1 sleep 0.3 mousemove 400 700 sleep 0.5
[ "$(visible_geometries "$pid")" = '637 215 223 255' ] ||
    fail "a click on the title moved the note: $(visible_geometries "$pid")"

# The bottom-right grip: 80 px wider, 60 px higher, in steps as the drag above.
gx=$((637 + 223 - 3))
gy=$((215 + 255 - 3))
xdotool mousemove $gx $gy mousedown 1 sleep 0.2 mousemove $((gx + 40)) $((gy + 30)) sleep 0.2 \
    mousemove $((gx + 80)) $((gy + 60)) sleep 0.2 mouseup 1
wait_for 5 bash -c "[ \"\$(visible_geometries $pid)\" = '637 215 303 315' ]" ||
    fail "after the resize: $(visible_geometries "$pid")"

xdotool mousemove 700 400 click 1
xdotool type --delay 20 "hello there"
# SIGTERM does not come through the X server and may overtake the keys, and nothing shows that
# the program has taken them: a moment for that.
sleep 0.3

kill -TERM "$pid"
wait "$pid" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after SIGTERM"
settings=$(iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r')
for line in "x坐标=9555" "y坐标=3225" "窗体宽度=4545" "窗体高度=4725" "窗体数目=1"; do
    grep -qx "$line" <<<"$settings" || fail "no '$line' in the store:
$settings"
done
grep -q 'hello there' "$app/tie/tie1.tie" || fail "typed text not saved: $(cat "$app/tie/tie1.tie")"
echo "PASS: a note dragged, resized and typed into is saved as it stands"
