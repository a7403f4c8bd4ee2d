#!/usr/bin/env bash
# The running program with a tray host (trayer): tray clicks, the tray menu, notes on top, the
# exit command, saving soon after typing (kill -9 loses nothing), a second start, and a tray
# host that starts after the program.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
command -v trayer >/dev/null 2>&1 || { echo "SKIP: trayer is not installed"; exit 77; }
start_x

program_folder "$program"
# A store with no note: the program starts with no window but its tray icon.
printf '[\xb3\xf5\xca\xbc\xd6\xb5]\r\n\xb4\xb0\xcc\xe5\xca\xfd\xc4\xbf=-1\r\n' >"$app/tie.dat"

start_program() {
    "$app/jotpin" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
}
# The tray icon: a small window of the program inside the tray host's strip at the top.
tray_icon_centre() {
    local id x y w h
    for id in $(xdotool search --pid "$pid" 2>/dev/null); do
        read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
            /Width:/ {w=$NF} /Height:/ {h=$NF} /Map State: IsViewable/ {v=1} END {if (v) print x, y, w, h}') || continue
        if [ -n "${w:-}" ] && [ "$w" -le 40 ] && [ "$y" -le 30 ]; then
            echo "$((x + w / 2)) $((y + h / 2))"
            return 0
        fi
    done
    return 1
}
export -f tray_icon_centre
note_ids() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        if [ "$(xwininfo -id "$id" | awk '/Width:/ {print $NF}')" = 223 ]; then echo "$id"; fi
    done
    return 0
}
# menu_shown: a menu of the program is up: a window that is no note (a utility window), nor the
# tool tip that the pointer resting on the tray icon brings up.
menu_shown() {
    local id type
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        type=$(xprop -id "$id" _NET_WM_WINDOW_TYPE)
        [[ $type != *UTILITY* && $type != *TOOLTIP* ]] &&
            [ "$(xwininfo -id "$id" | awk '/Width:/ {print $NF}')" -gt 40 ] && return 0
    done
    return 1
}
tray_menu() {  # tray_menu N: the N-th item of the tray menu, separators not counted
    wait_for 5 eval '! menu_shown' || fail "the last menu stayed up"
    read -r cx cy <<<"$(tray_icon_centre)"
    # Two presses on the icon within Qt's double-click time (400 ms) are a double click, and a
    # double click opens no menu: the last item may have been chosen only a moment ago.
    sleep 0.4
    xdotool mousemove "$cx" "$cy" click 3
    wait_for 5 menu_shown || fail "no tray menu came up"
    local keys=()
    for ((k = 0; k < $1; k++)); do keys+=(Down); done
    xdotool key "${keys[@]}" Return
}

# A tray host that appears after the program: the icon shows up in it.
start_program
# Nothing to wait for: no tray icon may come up within a second.
sleep 1
tray_icon_centre >/dev/null && fail "a tray icon without a tray host"
start_tray
wait_for 15 bash -c "pid=$pid; tray_icon_centre" || fail "the icon did not appear in the tray host"

# Left click with no note: one note, flush with the right edge.
read -r cx cy <<<"$(tray_icon_centre)"
xdotool mousemove "$cx" "$cy" click 1
wait_for 10 bash -c "visible_geometries $pid | grep -q '^1057 27 223 255$'" ||
    fail "left click: $(visible_geometries "$pid")"

# "帖子在前" (5th item) puts the note into the window manager's above band, without unmapping.
# Read whole: a head that stops at the first line would end note_ids by SIGPIPE, which pipefail
# counts as a failure.
first_note() { local ids; ids=$(note_ids); echo "${ids%%$'\n'*}"; }
note=$(first_note)
tray_menu 5
wait_for 5 sh -c "xprop -id $note _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" || fail "note not above others"
[ "$(first_note)" = "$note" ] || fail "the note was mapped again"

# Typing is saved within 5 seconds; kill -9 afterwards loses nothing.
xdotool mousemove 1150 150 click 1
xdotool type --delay 20 "saved soon"
# saved: the text is in the note's file, and the save has put the settings file in place after it.
saved() {
    grep -q 'saved soon' "$app/tie/tie1.tie" 2>/dev/null && [ ! -e "$app/tie.journal" ] &&
        [ ! "$app/tie.dat" -ot "$app/tie/tie1.tie" ] &&
        grep -qx '窗体数目=1' <(iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r')
}
wait_for 5 saved || fail "typed text not saved within 5 s: $(cat "$app/tie/tie1.tie" 2>&1)"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
grep -q 'saved soon' "$app/tie/tie1.tie" || fail "typed text not saved: $(cat "$app/tie/tie1.tie" 2>&1)"

# A new start: the note comes back. "隐藏帖子" (6th) hides it; a second start brings it up.
start_program
wait_for 10 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "restart: no note"
wait_for 10 bash -c "pid=$pid; tray_icon_centre" || fail "restart: no tray icon"
tray_menu 6
wait_for 5 bash -c "[ -z \"\$(visible_geometries $pid)\" ]" || fail "hide all left $(visible_geometries "$pid")"
first=$pid
timeout 10 "$app/jotpin" >"$E2E_TMP/second.log" 2>&1 || fail "second start did not exit 0 at once"
wait_for 5 bash -c "[ -n \"\$(visible_geometries $first)\" ]" || fail "second start did not bring the note up"
# Brought up means activated too, and the activation follows the window's mapping: a tray
# menu opened before it lands is closed by it.
wait_for 5 eval '[ "$(xdotool getactivewindow 2>/dev/null)" = "$(note_ids)" ]' ||
    fail "second start did not activate the note"
kill -0 "$first" || fail "the first program ended"

# "退出" (11th item), then OK: the store and the auto-start entry are written, the program ends.
tray_menu 11
wait_active 退出软件
xdotool key Return
wait_for 10 bash -c "! kill -0 $first 2>/dev/null" || fail "exit + OK did not end the program"
entry="$XDG_CONFIG_HOME/autostart/jotpin.desktop"
[ -f "$entry" ] || fail "no auto-start entry"
grep -qx "Exec=$app/jotpin" "$entry" || fail "auto-start entry: $(cat "$entry")"
grep -qx "是否在前=True" <(iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r') || fail "switch not stored"
grep -qx "visible=True" <(iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r') || fail "shown state not stored"
echo "PASS: tray icon, tray menu, notes on top, saving soon, second start and exit"
