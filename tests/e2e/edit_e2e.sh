#!/usr/bin/env bash
# Editing a note as a user does, in an X server: type, find a word (Ctrl+F) and make it bold
# through the right-click menu, find again with F3 and type over the match, insert two icons
# from the picker, chosen by a click. After SIGTERM the note's content file holds the bold run
# and two pictures.
set -euo pipefail
program=$1
appdir=$2
source "$(dirname "$0")/xsession.sh"
start_x

program_folder "$program" "$appdir/kvz.dat"
"$app/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 40 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "no note came up"
read -r x y w h <<<"$(visible_geometries "$pid")"

# The window of the process, other than the note, that came up last: a menu, a box, the picker.
new_window() {  # new_window MIN_HEIGHT: prints "id x y w h"
    local id line
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        line=$(xwininfo -id "$id" | awk '
            /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
            /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
        read -r wx wy ww wh <<<"$line"
        [ "$wx $wy" != "$x $y" ] && [ "$wh" -ge "$1" ] && echo "$id $line"
    done | tail -1
}
wait_window() {  # wait_window MIN_HEIGHT: waits up to 10 s for new_window, prints it
    local i line
    for ((i = 0; i < 100; i++)); do
        line=$(new_window "$1")
        [ -n "$line" ] && echo "$line" && return 0
        sleep 0.1
    done
    return 1
}
find_word() {  # find_word WORD: Ctrl+F, the word, Enter
    xdotool key ctrl+f
    wait_active Jotpin
    xdotool type --delay 30 "$1"
    xdotool key Return
    wait_for 10 eval '! active_is Jotpin' || fail "the find box stayed"
}
menu_gone() { [ -z "$(new_window 300)" ]; }

xdotool mousemove $((x + 100)) $((y + 200)) click 1
xdotool type --delay 30 "alpha beta alpha gamma"
find_word beta
# The right-click menu and its "粗体" item.
xdotool mousemove $((x + 100)) $((y + 200)) click 3
menu=$(wait_window 300) || fail "no edit menu"
read -r _ mx my _ _ <<<"$menu"
xdotool mousemove $((mx + 40)) $((my + 169)) click 1
wait_for 5 menu_gone || fail "the edit menu stayed"
find_word alpha
xdotool key F3
xdotool type --delay 30 "omega"

# Two icons from the palette: a click selects its first picture, which goes in twice, while
# the clipboard holds text (the last letter of the note).
xdotool key ctrl+End shift+Left ctrl+c ctrl+End
xdotool key ctrl+i
picker=$(wait_window 150) || fail "no icon picker"
read -r _ px py _ _ <<<"$picker"
xdotool mousemove $((px + 12)) $((py + 32)) click 1
xdotool mousemove $((px + 16)) $((py + 10)) click 1 sleep 0.3 click 1  # 加入图标 twice, as a hand
# SIGTERM does not come through the X server and may overtake the clicks, and nothing shows
# that the program has taken them: half a second for that.
sleep 0.5

kill -TERM "$pid"
wait "$pid" || fail "exit code $? after SIGTERM"
content="$app/tie/tie1.tie"
[ -f "$content" ] || fail "no content file"
# F3 went on to the second alpha, which "omega" replaced.
grep -q 'omega' "$content" && grep -q 'gamma' "$content" &&
    [ "$({ grep -o alpha "$content" || true; } | wc -l)" -eq 1 ] ||
    fail "find and F3 did not select the second alpha: $(cat "$content")"
grep -q '\\b beta\\b0' "$content" || fail "beta is not bold: $(cat "$content")"
# Each picture as a PNG and, for the Windows program's RichEdit, as a metafile.
pictures=$({ grep -o '\\shppict{\\pict\\pngblip' "$content" || true; } | wc -l)
[ "$pictures" -eq 2 ] || fail "$pictures pictures in the note, expected 2"
copies=$({ grep -o '\\nonshppict{\\pict\\wmetafile8' "$content" || true; } | wc -l)
[ "$copies" -eq 2 ] || fail "$copies metafiles of the pictures in the note, expected 2"
echo "PASS: bold through the edit menu, find and F3, two icons from the picker, all saved"
