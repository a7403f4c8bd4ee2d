#!/usr/bin/env bash
# What a screen reader finds of the notes, read through AT-SPI on a private session bus: each
# note a named frame, its clock named, a locked note's text neither in the tree nor anywhere
# else readable, and the edit menu's items named without their keys.
set -euo pipefail
program=$1
for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIP: $tool is not installed (bash scripts/test.sh installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "SKIP: python3-pyatspi is not installed"; exit 77; }
# A bus of our own: the screen-reader bus it starts goes with it.
if [ -z "${JOTPIN_E2E_OWN_BUS:-}" ]; then
    JOTPIN_E2E_OWN_BUS=1 exec timeout 100 dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/xsession.sh"
start_x

program_folder "$program"
mkdir "$app/tie"
{
    printf '[帖子1]\r\nx坐标=1500\r\ny坐标=1500\r\n窗体宽度=3345\r\n窗体高度=3825\r\n建立时间=26/12/06 9:5:3\r\nvisible=True\r\n'
    printf '[帖子2]\r\nx坐标=7500\r\ny坐标=1500\r\n窗体宽度=3345\r\n窗体高度=638\r\n实际高度=3825\r\n'
    printf '建立时间=26/12/07 10:0:0\r\n加锁=Secret1\r\nvisible=True\r\n'
    printf '[初始值]\r\n窗体数目=2\r\n是否在前=False\r\n'
} | iconv -f utf-8 -t gbk >"$app/tie.dat"
printf '{\\rtf1\\ansi shopping list\\par milk\\par}' >"$app/tie/tie1.tie"
printf '{\\rtf1\\ansi bank pin 4321\\par}' >"$app/tie/tie2.tie"

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$app/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 40 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 2 ]" || fail "the two notes did not come up"

probe="$(cd "$(dirname "$0")" && pwd)/atspi_tree.py"
tree() { timeout 30 /usr/bin/python3 "$probe" "$pid"; }
# The tree fills as the windows are shown: read it once both notes are in it.
wait_for 20 bash -c "[ \$(timeout 30 /usr/bin/python3 '$probe' $pid | grep -c '^  frame | ') -ge 2 ]" ||
    { tree >"$E2E_TMP/tree.log" 2>&1 || true; fail "two note frames were not in the tree"; }
tree >"$E2E_TMP/tree.log" 2>&1 || fail "the tree could not be read"
e2e_report() { echo "--- the tree"; cat "$E2E_TMP/tree.log"; }

grep -q '^  frame | 帖子：shopping list$' "$E2E_TMP/tree.log" || fail "the first note is not a frame named after its first line"
grep -q '^  frame | 加锁的帖子' "$E2E_TMP/tree.log" || fail "the locked note is not named as locked"
grep -q '| 时钟' "$E2E_TMP/tree.log" || fail "no clock is named"
grep -q 'shopping list' "$E2E_TMP/tree.log" || fail "the open note's text is not readable"
! grep -q -e '4321' -e 'bank pin' "$E2E_TMP/tree.log" || fail "the locked note's text is readable"

# The edit menu, opened by its key in the first note's text with its first item ready; Up goes
# round to the last.
xdotool mousemove 150 200 click 1
timeout 30 /usr/bin/python3 "$probe" "$pid" --focus \
    xdotool key shift+F10 --then xdotool key Up >"$E2E_TMP/focus.log" 2>&1 || fail "no focus events"
e2e_report() { echo "--- what took the focus"; cat "$E2E_TMP/focus.log"; }
grep -qx 'menu item | 插入图标' "$E2E_TMP/focus.log" || fail "Shift+F10 gave no named first item"
grep -qx 'menu item | 查找下一个' "$E2E_TMP/focus.log" || fail "the last item is not named by its caption"
! grep -q '\\t' "$E2E_TMP/focus.log" || fail "a name holds a tab"
xdotool key Escape
echo "PASS"
