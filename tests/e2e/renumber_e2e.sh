#!/usr/bin/env bash
# A kill -9 during the save that renumbers the notes after a delete. Five notes, each of its own
# colour and with a text that names it, notes 3 and 5 locked; note 2 is deleted by its delete
# button, and the program is killed at its k-th step in the store folder or tie/ from then on
# (a rename into it, a file made or removed there, as inotifywait tells them). After each kill
# the program is started again (it may mend the store then) and ended with SIGTERM: the store
# must be the whole old one or the whole new one, never a text under another note's colour or
# lock. A save that ends before its k-th step must leave the new one. Each step is held for a
# moment (strace) so that the kill comes before the next one.
#
# The suite kills at two steps chosen at random (tst_notestore crashes a save at each of its
# steps in-process); "all" kills at k = 1, 2, ... until a save ends before its k-th step, as
# bench/crash_rounds.sh does.
#
#   bash tests/e2e/renumber_e2e.sh build/jotpin [ROUNDS|all]   JOTPIN_TEST_SEED=<seed> repeats a run
set -euo pipefail
program=$1
rounds=${2:-2}
source "$(dirname "$0")/xsession.sh"
for tool in inotifywait strace iconv; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
start_x

# Colour names and values (BGR, as the settings file keeps them); none is the default colour,
# which a lost section would fall back to.
names=(yellow green pink orange cyan)
colours=(8454143 12648384 16744703 8438015 16777088)
locks=(无密码 无密码 pw3 无密码 pw5)
# One note's signature: "colour lock text", as the store should pair them.
signature() { echo "${names[$1]} ${locks[$1]} ${names[$1]}"; }
old_store=$(for i in 0 1 2 3 4; do signature "$i"; done)
new_store=$(for i in 0 2 3 4; do signature "$i"; done)

make_store() {
    rm -rf "$E2E_TMP/app"
    program_folder "$program"
    mkdir "$app/tie"
    local i
    for i in 0 1 2 3 4; do
        printf '[帖子%d]\nImage3=\nImage5=\n背景颜色=%s\n建立时间=26/12/0%d 9:0:0\n' \
            $((i + 1)) "${colours[i]}" $((i + 1))
        # A locked note is its title strip high, 43 px; its height before the lock is kept.
        if [ "${locks[i]}" = 无密码 ]; then
            printf '窗体宽度=3345\n窗体高度=3825\n实际高度=638\n'
        else
            printf '窗体宽度=3345\n窗体高度=638\n实际高度=3825\n'
        fi
        printf '闹钟=False\nx坐标=%d\ny坐标=1500\n透明度=255\nvisible=True\n加锁=%s\n' \
            $((900 + i * 3600)) "${locks[i]}"
    done | sed 's/$/\r/' | iconv -f utf-8 -t gbk >"$app/tie.dat"
    printf '[初始值]\r\n窗体数目=5\r\n是否在前=False\r\n提醒声音开启=True\r\n自动运行=False\r\n' |
        iconv -f utf-8 -t gbk >>"$app/tie.dat"
    for i in 0 1 2 3 4; do
        printf '{\\rtf1\\ansi the %s note\\par}' "${names[i]}" >"$app/tie/tie$((i + 1)).tie"
    done
}

# The store as "colour lock text" lines, one per note in number order.
read_store() {
    local settings count n colour lock name i text
    settings=$(iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r')
    count=$(sed -n 's/^窗体数目=//p' <<<"$settings")
    for ((n = 1; n <= ${count:-0}; n++)); do
        local section
        section=$(awk -v s="[帖子$n]" '$0 == s {on = 1; next} /^\[/ {on = 0} on' <<<"$settings")
        colour=$(sed -n 's/^背景颜色=//p' <<<"$section")
        lock=$(sed -n 's/^加锁=//p' <<<"$section")
        name="colour:$colour"
        for i in 0 1 2 3 4; do [ "$colour" = "${colours[i]}" ] && name=${names[i]}; done
        text=none
        if [ -f "$app/tie/tie$n.tie" ]; then
            text=other
            for i in 0 1 2 3 4; do grep -q "the ${names[i]} note" "$app/tie/tie$n.tie" && text=${names[i]}; done
        fi
        echo "$name ${lock:-none} $text"
    done
}
verdict() {
    case "$1" in
    "$old_store") echo old ;;
    "$new_store") echo new ;;
    *) echo mixed ;;
    esac
}

start_program() {
    "$app/jotpin" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
    wait_for 20 bash -c "[ \$(visible_geometries $pid | wc -l) -eq $1 ]" ||
        fail "$label: $1 notes did not come up: $(visible_geometries "$pid")"
}
# Whether a process runs: a killed child stays a zombie until it is waited for.
running() {
    local state
    state=$(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$1/status" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ]
}
end_program() {
    kill -TERM "$pid"
    wait "$pid" && rc=0 || rc=$?
    [ "$rc" -eq 0 ] || fail "$label: exit code $rc after SIGTERM"
    forget_pid "$pid"
}

# kill_at_step K: note 2 deleted, the program killed at its K-th step, started again and ended,
# and the store checked; sets killed=0 where the save ended before its K-th step.
kill_at_step() {
    local k=$1 last quiet count deadline raw after shown
    label="round $round (a kill at step $k)"
    make_store
    start_program 5
    # Each step held a fifth of a second, so that the kill comes before the next.
    watch_store_steps "$pid" "$k" 200000

    # Delete note 2 (at x = 300 px) with its delete button, and OK.
    xdotool mousemove $((300 + 208)) $((100 + 11)) click 1
    wait_active 删除帖子
    xdotool key Return
    # The save comes within 5 s of the change; it is over when no step came for 2 s after the
    # settings file was put in place.
    deadline=$((SECONDS + 20))
    last=-1 quiet=0
    while running "$pid"; do
        ((SECONDS < deadline)) || fail "$label: no save within 20 s after the delete"
        count=$(wc -l <"$E2E_TMP/steps")
        if grep -q "^MOVED_TO $app/tie.dat\$" "$E2E_TMP/steps" && [ "$count" = "$last" ]; then
            ((++quiet < 20)) || break
        else
            last=$count quiet=0
        fi
        sleep 0.1
    done
    killed=0
    running "$pid" || killed=1
    if ((killed)); then
        wait "$pid" 2>/dev/null || true
        forget_pid "$pid"
    fi
    stop_watching_steps
    steps=$(wc -l <"$E2E_TMP/steps")

    if ((!killed)); then
        end_program
        [ "$(verdict "$(read_store)")" = new ] ||
            fail "$label: a save that nothing stopped left: $(read_store | tr '\n' ';')"
        echo "$label: the save ended after $steps steps, before step $k: the new store"
        return 0
    fi
    ((steps == k)) || fail "$label: the kill came after step $steps, not $k: $(cat "$E2E_TMP/steps")"
    raw=$(read_store)
    [ "$(verdict "$raw")" = mixed ] && ((++mixed_raw))
    # Started again, the program may roll its save forward or back; then it ends with SIGTERM,
    # and the store holds the notes it showed.
    "$app/jotpin" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
    shown=$(settled_windows "$pid") || fail "$label: the notes did not come up after the kill"
    end_program
    after=$(read_store)
    [ "$(wc -l <<<"$after")" = "$shown" ] ||
        fail "$label: $shown notes were shown, the store holds $(wc -l <<<"$after")"
    echo "$label: killed after step $steps ($(tail -n 1 "$E2E_TMP/steps")):" \
        "on disk $(verdict "$raw"), after a start $(verdict "$after")"
    if [ "$(verdict "$after")" = mixed ]; then
        mixed+=("a kill after step $k left a store that is neither the old nor the new one:
$(awk '{print "  note " NR ": colour " $1 ", lock " $2 ", text " $3}' <<<"$after")")
    fi
}

mkfifo "$E2E_TMP/events"
mixed_raw=0 mixed=() killed=1
if [ "$rounds" = all ]; then
    for ((round = 1; round <= 40 && killed; round++)); do kill_at_step "$round"; done
    ((!killed)) || fail "the save never ended within 40 steps"
    echo "the delete and its save made $steps steps; after a kill at each, the store on disk" \
        "was mixed $mixed_raw times, and after a start ${#mixed[@]} times"
else
    [[ $rounds =~ ^[0-9]+$ ]] || fail "the rounds are a number or all, not $rounds"
    e2e_seed
    # Up to three steps past one for each note: some saves end before the kill's step.
    for ((round = 1; round <= rounds; round++)); do kill_at_step $((1 + RANDOM % 8)); done
    echo "after $rounds rounds, the store on disk was mixed $mixed_raw times, and after a start" \
        "${#mixed[@]} times"
fi
((${#mixed[@]} == 0)) || fail "$(printf '%s\n' "${mixed[@]}")"
echo "PASS: a kill at a step of a delete and its save left the old store or the new one"
