#!/usr/bin/env bash
# Finding a hidden note from another one, as a user does: Ctrl+K in a note opens the note list
# with the keyboard in its search field, words typed in another order and letter case keep the
# hidden note, Enter brings it up with the first word found selected, and F3 goes on to the
# next one. The selections are read back through the clipboard.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
command -v xclip >/dev/null || { echo "SKIP: xclip is not installed"; exit 77; }
start_x

program_folder "$program"
mkdir "$app/tie"
{
    printf '[帖子1]\r\nx坐标=1500\r\ny坐标=1500\r\n窗体宽度=3345\r\n窗体高度=3825\r\nvisible=True\r\n'
    printf '[帖子2]\r\nx坐标=7500\r\ny坐标=1500\r\n窗体宽度=3345\r\n窗体高度=3825\r\nvisible=False\r\n'
    printf '[初始值]\r\n窗体数目=2\r\n是否在前=False\r\n'
} | iconv -f utf-8 -t gbk >"$app/tie.dat"
printf '{\\rtf1\\ansi shopping list\\par}' >"$app/tie/tie1.tie"
printf '{\\rtf1\\ansi Dentist on Tuesday\\par call the dentist first\\par}' >"$app/tie/tie2.tie"

"$app/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 40 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 1 ]" || fail "the visible note did not come up"

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }
copied() { [ "$(clipboard)" = "$1" ]; }
# The note at x = 500 (the hidden one) is the active window.
second_active() { [[ $(xwininfo -id "$(xdotool getactivewindow)") == *"Absolute upper-left X:  500"$'\n'* ]]; }

xdotool mousemove 200 200 click 1
xdotool key ctrl+k
wait_for 10 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 2 ]" || fail "Ctrl+K opened no note list"
xdotool sleep 0.3 type --delay 30 "TUESDAY dentist"
xdotool sleep 0.3 key Return
wait_for 10 second_active || fail "the hidden note was not brought up: $(visible_geometries "$pid")"
xdotool key ctrl+c
wait_for 5 copied Dentist || fail "the first word found is not selected: '$(clipboard)'"
xdotool key F3 ctrl+c
wait_for 5 copied dentist || fail "F3 did not go on to the next one: '$(clipboard)'"
echo "PASS: Ctrl+K, words typed, Enter: the hidden note came up with its first match selected, and F3 went on"
