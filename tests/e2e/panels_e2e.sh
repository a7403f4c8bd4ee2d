#!/usr/bin/env bash
# Trays that are not there when the program starts, on a session bus of the test's own: a
# StatusNotifierItem tray (watcher and host of trayhost.py) that starts later, shows the tray
# menu over D-Bus with its checks and clicks its items, and starts again; an XEmbed tray that
# starts later while a session bus is there; no tray at all (a notification, else a box), also
# in a session that names no desktop; the desktop entry's actions acting on the running program.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
PY=/usr/bin/python3
"$PY" -c 'import dbus, gi' 2>/dev/null || { echo "SKIP: python3-dbus or python3-gi is missing"; exit 77; }
for tool in dbus-daemon trayer; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
host="$(cd "$(dirname "$0")" && pwd)/trayhost.py"
start_x
program_folder "$program"
export XDG_CURRENT_DESKTOP=jotpin-test
rm -f "$XDG_STATE_HOME/jotpin/told.ini"  # this test is about being told

start_helper dbus "$E2E_TMP/dbus.log" "test -s '$E2E_TMP/bus'" \
    "dbus-daemon --session --nofork --print-address=3 3>'$E2E_TMP/bus'"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/bus")
export DBUS_SESSION_BUS_ADDRESS

start_program() {
    "$app/jotpin" "$@" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
}
stop_program() {
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    forget_pid "$pid"
}
# start_host watcher|notifications: its log is $E2E_TMP/<kind>.log, its pid $<kind>_pid.
start_host() {
    : >"$E2E_TMP/$1.log"
    start_helper "$1" "$E2E_TMP/$1-out.log" "grep -q ready '$E2E_TMP/$1.log'" \
        "$PY '$host' $1 '$E2E_TMP/$1.log'"
    printf -v "${1}_pid" %s "${E2E_PIDS[-1]}"
}
stop_host() {
    kill "$1"
    wait "$1" 2>/dev/null || true
    forget_pid "$1"
}
# notes_at_least N: the program shows N windows or more (notes, and a box).
notes_at_least() { [ "$(visible_geometries "$pid" | wc -l)" -ge "$1" ]; }
fewer_than() { ! notes_at_least "$1"; }
layout() { "$PY" "$host" layout; }
# box_shown: a box titled "Jotpin" (the notes are titled "jotpin", which xdotool takes for it).
box_shown() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        xprop -id "$id" _NET_WM_NAME | grep -qx '_NET_WM_NAME(UTF8_STRING) = "Jotpin"' && return 0
    done
    return 1
}
export -f layout
export PY host
e2e_report() { layout 2>&1 | head -n 20; }

# No store: the program starts with one new note, and no tray. Once it runs, a tray of the
# StatusNotifierItem kind starts: the icon goes there, with the tray menu.
start_program
# A note shown: the start, which looks for a tray before it shows the notes, is over. A login's
# panel comes seconds after the autostart; the program takes a tray up whenever it comes.
wait_for 20 notes_at_least 1 || fail "no note at the start"
start_host watcher
wait_for 15 grep -q '^item ' "$E2E_TMP/watcher.log" || fail "the icon did not get into a tray that started later"
wait_for 10 layout || fail "the tray menu is not there over D-Bus: $(layout 2>&1)"
expected="返回||-1|True
新建帖子||-1|True
显示所有帖子||-1|True
帖子列表||-1|True
帖子在前|checkmark|0|True
隐藏帖子||-1|True
提醒声音开启|checkmark|1|True
自动运行|checkmark|1|True
使用说明||-1|True
检查是否有新版本||-1|True
退出||-1|True"
[ "$(layout)" = "$expected" ] || fail "tray menu over D-Bus: $(layout)"
# A panel that leaves the menu to the program: it comes up, and the call returns at once.
"$PY" "$host" contextmenu || fail "ContextMenu did not return while the menu is up"
wait_for 10 notes_at_least 2 || fail "ContextMenu showed no menu"
xdotool key Escape
wait_for 10 fewer_than 2 || fail "the menu did not close"

# A click on an item does what the item does; a switch shows its new check at the next look.
"$PY" "$host" click 新建帖子
wait_for 10 notes_at_least 2 || fail "新建帖子 from the tray's menu made no note"
"$PY" "$host" click 帖子在前
wait_for 10 bash -c 'layout | grep -qx "帖子在前|checkmark|1|True"' || fail "check not shown: $(layout)"

# The tray starts again (a panel restarted): the icon goes into it again.
stop_host "$watcher_pid"
start_host watcher
wait_for 15 grep -q '^item ' "$E2E_TMP/watcher.log" || fail "the icon did not come back to a restarted tray"
wait_for 10 bash -c 'layout | grep -qx "帖子在前|checkmark|1|True"' || fail "menu after the restart: $(layout 2>&1)"

# A desktop action with the program running: the running one makes the note, the new start leaves.
timeout 10 "$app/jotpin" --new-note >"$E2E_TMP/action.log" 2>&1 || fail "jotpin --new-note did not leave at once"
wait_for 10 notes_at_least 3 || fail "jotpin --new-note made no note in the running program"
stop_program
stop_host "$watcher_pid"

# An XEmbed tray that starts after the program, while a session bus is there.
start_program
wait_for 20 notes_at_least 1 || fail "no note at the second start"
start_tray
xembed_icon() {
    local id
    for id in $(xdotool search --pid "$pid" 2>/dev/null); do
        xwininfo -id "$id" | awk '/Width:/ {w=$NF} /Absolute upper-left Y/ {y=$NF}
            /Map State: IsViewable/ {v=1} END {exit !(v && w <= 40 && y <= 30)}' && return 0
    done
    return 1
}
export -f xembed_icon
wait_for 15 bash -c "pid=$pid; xembed_icon" || fail "the icon did not get into an XEmbed tray that started later"
stop_program
stop_host "${E2E_PIDS[-1]}"  # trayer

# No tray: told once, by a notification where a server is there...
start_host notifications
start_program
wait_for 30 grep -q '^notify Jotpin|.*再启动一次 Jotpin' "$E2E_TMP/notifications.log" ||
    fail "no tray, and no notification: $(cat "$E2E_TMP/notifications.log")"
stop_program
# ... also in a session that names no desktop (openbox started by hand), with advice that needs
# no applications menu.
XDG_CURRENT_DESKTOP= start_program
wait_for 30 grep -q '^notify Jotpin|.*jotpin --new-note' "$E2E_TMP/notifications.log" ||
    fail "no tray, no desktop's name, and no notification: $(cat "$E2E_TMP/notifications.log")"
stop_program
stop_host "$notifications_pid"
# ... else in a box (another desktop: told once on each).
export XDG_CURRENT_DESKTOP=jotpin-test-2
start_program
wait_for 30 box_shown || fail "no tray, no notification server, and no box"

# 退出 as a desktop action: the running program asks, and ends on OK.
timeout 10 "$app/jotpin" --quit >>"$E2E_TMP/action.log" 2>&1 || fail "jotpin --quit did not leave at once"
wait_for 10 bash -c "xdotool search --onlyvisible --pid $pid --name '^退出软件$'" || fail "--quit did not ask"
xdotool windowactivate --sync "$(xdotool search --onlyvisible --pid "$pid" --name '^退出软件$' | head -n 1)" key Return
wait_for 15 bash -c "! kill -0 $pid 2>/dev/null" || fail "--quit and OK did not end the program"
forget_pid "$pid"
# With none running, --quit starts nothing.
timeout 10 "$app/jotpin" --quit || fail "jotpin --quit with none running"
! pgrep -f "^$app/jotpin" >/dev/null || fail "--quit started a program"
echo "PASS: late trays of both kinds, the tray menu over D-Bus, a restarted tray, no tray, desktop actions"
