#!/usr/bin/env bash
# Awkward machines: no tray host, where a second start pops up the tray menu at the cursor; a
# store whose note file is a link out of it; a program folder on a read-only disk, whose store
# moves to the data folder.
set -euo pipefail
program=$1
source "$(dirname "$0")/xsession.sh"
start_x

program_folder "$program"
start_program() {
    "$app/jotpin" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
    wait_for 20 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "no note came up"
}
windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }
export -f windows_of

# No tray host: a second start pops up the tray menu of the first. Closing it, and ending the
# program afterwards, lose nothing.
start_program
timeout 10 "$app/jotpin" >"$E2E_TMP/second.log" 2>&1 || fail "second start did not exit 0"
wait_for 5 bash -c "[ \$(windows_of $pid) -ge 2 ]" || fail "no tray menu at the cursor"
xdotool key Escape
wait_for 5 bash -c "[ \$(windows_of $pid) -eq 1 ]" || fail "the menu did not close"
# Nothing to wait for: the program must still run half a second after the menu closed.
sleep 0.5
kill -0 "$pid" || fail "the program died when the menu closed: $(cat "$E2E_TMP/jotpin.log")"
xdotool mousemove 1150 150 click 1
xdotool type --delay 20 "after the menu"
# Again, and this time "新建帖子" from the menu.
timeout 10 "$app/jotpin" >>"$E2E_TMP/second.log" 2>&1 || fail "third start did not exit 0"
wait_for 5 bash -c "[ \$(windows_of $pid) -ge 2 ]" || fail "no tray menu the second time"
xdotool key Down Down Return
wait_for 5 bash -c "[ \$(visible_geometries $pid | wc -l) -eq 2 ]" || fail "no new note from the menu"
kill -TERM "$pid"
wait "$pid" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after SIGTERM: $(cat "$E2E_TMP/jotpin.log")"
grep -qx "窗体数目=2" <(iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r') || fail "the new note was lost"
grep -q 'after the menu' "$app/tie/tie1.tie" || fail "typing was lost"

# A settings file that is a FIFO: the start neither hangs nor writes over it, and SIGTERM
# ends the program.
special="$E2E_TMP/special"
mkdir -p "$special"
cp "$program" "$special/"
mkfifo "$special/tie.dat"
"$special/jotpin" >"$E2E_TMP/special.log" 2>&1 &
spid=$!
E2E_PIDS+=($spid)
wait_for 10 grep -q 'tie.dat' "$E2E_TMP/special.log" || fail "the FIFO held the start"
kill -TERM "$spid"
wait_for 5 bash -c "! kill -0 $spid 2>/dev/null" || fail "SIGTERM did not end a program on a FIFO store"
[ -p "$special/tie.dat" ] || fail "the FIFO was written over"

# A note of 20 MB in one paragraph is shown within seconds and laid out to its end (Qt's own
# layout stops for good past 8.4 million pixels of height); SIGTERM ends the program, and a
# store that nothing changed stays as it was.
big="$E2E_TMP/big"
mkdir -p "$big/tie"
cp "$program" "$big/"
# A note with its creation time: one without is given one and written.
printf '[\xcc\xfb\xd7\xd31]\r\n\xbd\xa8\xc1\xa2\xca\xb1\xbc\xe4=26/12/07 9:0:0\r\n[\xb3\xf5\xca\xbc\xd6\xb5]\r\n\xb4\xb0\xcc\xe5\xca\xfd\xc4\xbf=1\r\n' >"$big/tie.dat"
{
    printf '{\\rtf1\\ansi '
    yes 'lorem ipsum dolor sit amet' | tr '\n' ' ' | head -c 20971520 || true  # yes ends by SIGPIPE
    printf '}'
} >"$big/tie/tie1.tie"
before=$(md5sum "$big/tie.dat" "$big/tie/tie1.tie")
"$big/jotpin" >"$E2E_TMP/big.log" 2>&1 &
bpid=$!
E2E_PIDS+=($bpid)
wait_for 20 bash -c "[ -n \"\$(visible_geometries $bpid)\" ]" || fail "a big note was not shown within 20 s"
cpu() { awk '{print $14 + $15}' "/proc/$bpid/stat"; }
# idle: no CPU time used over a whole second: the layout has ended.
idle() { local a; a=$(cpu); sleep 1; [ "$(cpu)" = "$a" ]; }
deadline=$((SECONDS + 60))
until idle; do ((SECONDS < deadline)) || fail "the layout of a big note never ends"; done
kill -TERM "$bpid"
wait_for 3 bash -c "! kill -0 $bpid 2>/dev/null" || fail "SIGTERM did not end a program with a big note"
[ "$(md5sum "$big/tie.dat" "$big/tie/tie1.tie")" = "$before" ] || fail "the big note's store changed"

# A note's file that is a link out of the store (a sync tool carries links as links, and anyone
# who can write a synced folder can plant one): the file it names is neither shown nor written
# over; the user is told, and the note is saved as a file of the store.
linked="$E2E_TMP/linked"
mkdir -p "$linked/tie"
cp "$program" "$linked/"
printf 'precious data\n' >"$E2E_TMP/precious.txt"
ln -s "$E2E_TMP/precious.txt" "$linked/tie/tie1.tie"
printf '[帖子1]\nx坐标=1500\ny坐标=1500\n窗体宽度=3345\n窗体高度=3825\n建立时间=26/12/07 9:0:0\n[初始值]\n窗体数目=1\n' |
    sed 's/$/\r/' | iconv -f utf-8 -t gbk >"$linked/tie.dat"
"$linked/jotpin" >"$E2E_TMP/linked.log" 2>&1 &
lpid=$!
E2E_PIDS+=($lpid)
wait_for 20 bash -c "[ -n \"\$(visible_geometries $lpid)\" ]" || fail "no note from a store with a link out"
wait_for 10 grep -q '帖子文件夹以外的链接' "$E2E_TMP/linked.log" || fail "a link out of the store was not told"
xdotool mousemove 200 250 click 1
xdotool type --delay 20 "typed"
wait_for 8 grep -q 'typed' "$linked/tie/tie1.tie" || fail "typing in the note was not saved"
kill -TERM "$lpid"
wait "$lpid" || fail "exit after SIGTERM with a link out of the store failed"
[ "$(cat "$E2E_TMP/precious.txt")" = "precious data" ] || fail "the file a link named was written over"
[ -f "$linked/tie/tie1.tie" ] && [ ! -L "$linked/tie/tie1.tie" ] || fail "the note was not saved as a file of the store"
! grep -q precious "$linked/tie/tie1.tie" || fail "the linked file was shown in the note"
[ -L "$linked/tie/tie1.tie.unreadable" ] || fail "the link was not set aside: $(ls -l "$linked/tie")"

# Mounting takes root: a read-only program folder and a full disk.
if ! mount --bind "$app" "$app" 2>/dev/null; then
    echo "PASS (no tray host, a FIFO store, a big note, a link out of the store); read-only folder and full disk skipped: mounting needs root"
    exit 0
fi
mount -o remount,ro,bind "$app" || { umount "$app"; fail "cannot remount read-only"; }
unmount_app() {
    e2e_own_shell || return 0
    local p
    for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${E2E_PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
    umount "$app" 2>/dev/null || true
    cleanup_x
}
trap unmount_app EXIT
data="$XDG_DATA_HOME/jotpin"
start_program
# Two notes, and the box that tells where they live now (there is no tray to tell it).
wait_for 5 bash -c "[ \$(visible_geometries $pid | grep -c ' 223 255$') -eq 2 ]" ||
    fail "the notes of the read-only folder are not shown: $(visible_geometries "$pid")"
[ -f "$data/tie.dat" ] && [ -f "$data/tie/tie1.tie" ] || fail "the store was not copied to $data"
grep -q "$data" "$E2E_TMP/jotpin.log" || fail "the user was not told where the notes live now"
xdotool mousemove 1150 150 click 1
xdotool type --delay 20 "moved"
kill -TERM "$pid"
wait "$pid" || fail "exit after SIGTERM failed"
grep -q 'moved' "$data"/tie/tie*.tie || fail "typing in the moved store was lost"
# The copy is made once: the next start keeps the store in the data folder as it is.
before=$(md5sum "$data/tie/tie1.tie")
start_program
kill -TERM "$pid"
wait "$pid" || true
[ "$(md5sum "$data/tie/tie1.tie")" = "$before" ] || fail "the store in the data folder was copied over"
umount "$app"

# A full disk: what was saved stays whole, and the program says the new text is not saved.
disk="$E2E_TMP/disk"
mkdir -p "$disk"
# The program without its debugging data, and 1 MB for the store.
strip -o "$E2E_TMP/jotpin.small" "$program"
mount -t tmpfs -o size=$(($(stat -c %s "$E2E_TMP/jotpin.small") / 1024 + 1024))k tmpfs "$disk" ||
    fail "cannot mount a tmpfs"
app="$disk"  # unmount_app unmounts it at the end
cp "$E2E_TMP/jotpin.small" "$disk/jotpin"
"$disk/jotpin" >"$E2E_TMP/disk.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 20 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "no note on the small disk"
xdotool mousemove 1150 150 click 1
xdotool type --delay 20 "kept safe"
wait_for 10 grep -q 'kept safe' "$disk/tie/tie1.tie" || fail "nothing saved on the small disk"
saved=$(md5sum "$disk/tie/tie1.tie" "$disk/tie.dat")
dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null || true  # the disk is full now
xdotool type --delay 20 " and more that finds no room"
wait_for 15 grep -q '没有保存' "$E2E_TMP/disk.log" || fail "a failed save was not told"
kill -TERM "$pid"
wait "$pid" || fail "exit after SIGTERM on a full disk failed"
[ "$(md5sum "$disk/tie/tie1.tie" "$disk/tie.dat")" = "$saved" ] || fail "the saved store changed on a full disk"
[ "$(ls "$disk/tie")" = "tie1.tie" ] || fail "files left behind: $(ls "$disk/tie")"
echo "PASS: no tray host, a FIFO store, a big note, a link out of the store, a read-only program folder and a full disk"
