#!/usr/bin/env bash
# The note commands as a user gives them, in an X server, by the buttons of the title strips:
# lock a note through its menu and see it shrink to its title strip, unlock it with the unlock
# button (the wrong case first), save it as RTF and as text through the file dialog, and delete
# another note with its delete button. After SIGTERM the deleted note's text is nowhere in the
# store and the other two notes are whole.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
start_x

program_folder "$program"
mkdir "$app/tie"
{
    for i in 1 2 3; do
        printf '[帖子%s]\r\nx坐标=%s\r\ny坐标=1500\r\n窗体宽度=3345\r\n窗体高度=3825\r\nvisible=True\r\n' \
            "$i" $((1500 + (i - 1) * 6000))
    done
    printf '[初始值]\r\n窗体数目=3\r\n是否在前=False\r\n'
} | iconv -f utf-8 -t gbk >"$app/tie.dat"
for i in 1 2 3; do printf '{\\rtf1\\ansi note%s text\\par}' "$i" >"$app/tie/tie$i.tie"; done

"$app/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 40 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 3 ]" || fail "the three notes did not come up"
# The notes stand at x = 100, 500 and 900, y = 100, 223 x 255 pixels.
note1=(100 100)
note2=(500 100)

geometry_of_note1() { visible_geometries "$pid" | grep '^100 100 '; }
height_of() { xwininfo -id "$1" | awk '/Height:/ {print $NF}'; }
note_menu() {  # note_menu DOWNS: the menu button of note 1, then the item DOWNS steps down
    xdotool mousemove $((note1[0] + 14)) $((note1[1] + 11)) click 1
    wait_for 10 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 4 ]" || fail "no note menu"
    local i
    for ((i = 0; i < $1; i++)); do xdotool key Down; done
    xdotool key Return
}

# Lock (the fifth item) with a password, typed twice: the note keeps only its title strip.
note_menu 5
wait_active 加锁
first_prompt=$(xdotool getactivewindow)
xdotool type --delay 30 "Secret1"
xdotool key Return
wait_for 5 bash -c "[ \"\$(xdotool getactivewindow)\" != $first_prompt ]" || fail "no second lock prompt"
wait_active 加锁
xdotool type --delay 30 "Secret1"
xdotool key Return
wait_for 5 bash -c "[ \"\$(visible_geometries $pid | grep '^100 100 ')\" = '100 100 223 43' ]" ||
    fail "the locked note is $(geometry_of_note1)"

# Unlock: the wrong case leaves it locked and the prompt open; the exact password, typed over
# it, brings its height back.
xdotool mousemove $((note1[0] + 56)) $((note1[1] + 8)) click 1
wait_active 解锁
prompt=$(xdotool getactivewindow)
height=$(height_of "$prompt")
xdotool type --delay 30 "secret1"
xdotool key Return
# The prompt says why it refuses, on a line of its own: it grows by that line.
wait_for 5 eval '[ "$(height_of "$prompt")" -gt "$height" ]' || fail "the wrong case was not refused"
[ "$(geometry_of_note1)" = '100 100 223 43' ] || fail "the wrong case unlocked: $(geometry_of_note1)"
active_is 解锁 || fail "the unlock prompt closed on a wrong password"
xdotool type --delay 30 "Secret1"
xdotool key Return
wait_for 5 bash -c "! xdotool search --onlyvisible --name '^解锁\$' | grep -q ." || fail "the unlock box stayed"
wait_for 5 bash -c "[ \"\$(visible_geometries $pid | grep '^100 100 ')\" = '100 100 223 255' ]" ||
    fail "the unlocked note is $(geometry_of_note1)"

# Save (the third item): as RTF, the dialog's first file type, then as text, the second.
note_menu 3
wait_active 另存为
xdotool type --delay 20 "$E2E_TMP/saved"
xdotool key Return
wait_for 5 test -s "$E2E_TMP/saved.rtf" || fail "no RTF file saved"
head -c 5 "$E2E_TMP/saved.rtf" | grep -q '{\\rtf' || fail "saved.rtf is not RTF: $(head -c 80 "$E2E_TMP/saved.rtf")"
grep -q 'note1 text' "$E2E_TMP/saved.rtf" || fail "saved.rtf lacks the note's text"

note_menu 3
wait_active 另存为
xdotool type --delay 20 "$E2E_TMP/plain"
# The name's completion list may still be up (a window of its own): a Tab would go to it.
wait_for 10 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 4 ]" ||
    fail "the completion list stayed: $(visible_geometries "$pid" | tr '\n' ';')"
# From the file name, Tab leads to the list of file types: its second entry is "Text Files".
xdotool key Tab Down alt+s
wait_for 5 test -s "$E2E_TMP/plain.txt" || fail "no text file saved; saved: $(ls "$E2E_TMP" | tr '\n' ' ')"
[ "$(od -An -c "$E2E_TMP/plain.txt" | tr -s ' ')" = ' n o t e 1 t e x t \r \n' ] ||
    fail "plain.txt holds: $(od -c "$E2E_TMP/plain.txt")"

# Delete note 2 with its delete button, and OK.
xdotool mousemove $((note2[0] + 208)) $((note2[1] + 11)) click 1
wait_active 删除帖子
xdotool key Return
wait_for 5 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 2 ]" || fail "note 2 is still shown"

kill -TERM "$pid"
wait "$pid" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after SIGTERM"
settings=$(iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r')
grep -qx "窗体数目=2" <<<"$settings" || fail "the store does not hold two notes:
$settings"
grep -qx "加锁=无密码" <<<"$settings" || fail "the unlocked note is stored locked"
! grep -rq 'note2 text' "$app/tie" || fail "the deleted note's text is still in the store"
grep -q 'note1 text' "$app/tie/tie1.tie" || fail "note 1 lost its text"
grep -q 'note3 text' "$app/tie/tie2.tie" || fail "note 3 lost its text"
echo "PASS: lock, unlock, save as RTF and text, and delete by the title-strip buttons"
