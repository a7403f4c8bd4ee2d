#!/usr/bin/env bash
# With notes on top, a dialog the program opens stands above every note: two overlapping notes,
# the save dialog of the first (Ctrl+S) must be the topmost window of the stack while it is
# open, and both notes are back on top after it closes.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
start_x

program_folder "$program"
mkdir "$app/tie"
{
    printf '[帖子1]\r\nx坐标=1500\r\ny坐标=1500\r\n窗体宽度=6000\r\n窗体高度=6000\r\n'
    printf '[帖子2]\r\nx坐标=4500\r\ny坐标=3000\r\n窗体宽度=6000\r\n窗体高度=6000\r\n'
    printf '[初始值]\r\n窗体数目=2\r\n是否在前=True\r\n'
} | iconv -f utf-8 -t gbk >"$app/tie.dat"

"$app/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 40 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 2 ]" || fail "the two notes did not come up"

stack() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g' | tr ' ' '\n'; }
above() { [[ $(xprop -id "$1" _NET_WM_STATE) == *_NET_WM_STATE_ABOVE* ]]; }
notes=$(xdotool search --onlyvisible --pid "$pid" | sort)
# The first note stands at 100,100.
first_active() { [[ $(xwininfo -id "$(xdotool getactivewindow)") == *"Absolute upper-left X:  100"$'\n'* ]]; }
dialog_on_top() { [ "$(printf '%d' "$(stack | tail -1)")" = "$dialog" ]; }
notes_above() {
    local note
    for note in $notes; do above "$note" || return 1; done
}

xdotool mousemove 200 200 click 1  # into the first note's text
wait_for 5 first_active || fail "the first note did not take the keyboard"
xdotool key ctrl+s
wait_active 另存为
dialog=$(xdotool getactivewindow)
wait_for 5 dialog_on_top || fail "the save dialog is not on top: the stack is $(stack | tr '\n' ' ')"

xdotool key Escape
wait_for 5 bash -c "! xdotool search --onlyvisible --name '^另存为\$' | grep -q ." || fail "the dialog stayed"
wait_for 5 notes_above || fail "a note left the topmost band: $(for n in $notes; do echo "$n: $(xprop -id "$n" _NET_WM_STATE)"; done)"
echo "PASS: the save dialog stood above both notes on top, and they are on top again"
