#!/usr/bin/env bash
# Crash soak: kill -9 the real program, round after round, at random moments of three kinds:
# while a note is typed into; during the renumbering save after a delete (at a random step in
# the store, seen by inotifywait); and during loading: the start after such a kill, which may
# be mending the store, killed within 1.5 s. After each kill the program is started again and
# ended with SIGTERM, and the store is checked: it loads, every note's text is under its own
# colour and lock, it is the store before the round or (after a delete) the one without that
# note, nothing saved before is lost, and text typed 6 s before a kill is saved (a save comes
# at most 5 s after a change). Not part of the test suite: 200 rounds take about 20 minutes.
#
#   bash bench/crash_soak.sh build/jotpin [ROUNDS]     JOTPIN_TEST_SEED=<seed> repeats a run
set -euo pipefail
program=$(realpath "$1")
rounds=${2:-200}
source "$(dirname "$0")/../tests/e2e/xsession.sh"
for tool in inotifywait iconv; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
e2e_seed
start_x
program_folder "$program"

# A note is known by its id, "n1" to "n8": its text says "the note nK", its colour and place
# are its own, and notes n3 and n7 are locked (a locked note cannot be deleted or typed into).
ids=() colour=() lock=() place=()
declare -A typed=()  # id -> tokens found in its file after a kill: they must stay
fresh_store() {
    rm -rf "$app/tie" "$app/tie.dat"
    mkdir "$app/tie"
    ids=()
    typed=()
    local k id
    for k in 1 2 3 4 5 6 7 8; do
        id=n$k
        ids+=("$id")
        colour[k]=$((1000000 + k * 1111))
        place[k]="$((60 + (k - 1) % 4 * 240)) $((100 + (k - 1) / 4 * 300))"
        lock[k]=无密码
        [ "$k" = 3 ] || [ "$k" = 7 ] && lock[k]=pw$k
        typed[$id]=""
    done
    for k in 1 2 3 4 5 6 7 8; do
        local x y h=3825 restore=638
        read -r x y <<<"${place[k]}"
        [ "${lock[k]}" = 无密码 ] || { h=638 restore=3825; }
        printf '[帖子%d]\nImage3=\nImage5=\n背景颜色=%s\n建立时间=26/12/01 9:0:%d\n' "$k" "${colour[k]}" "$k"
        printf '窗体宽度=3345\n窗体高度=%d\n实际高度=%d\n闹钟=False\nx坐标=%d\ny坐标=%d\n' \
            "$h" "$restore" $((x * 15)) $((y * 15))
        printf '透明度=255\nvisible=True\n加锁=%s\n' "${lock[k]}"
        printf '{\\rtf1\\ansi the note n%d\\par}' "$k" >"$app/tie/tie$k.tie"
    done | sed 's/$/\r/' | iconv -f utf-8 -t gbk >"$app/tie.dat"
    printf '[初始值]\r\n窗体数目=8\r\n是否在前=False\r\n提醒声音开启=True\r\n自动运行=False\r\n' |
        iconv -f utf-8 -t gbk >>"$app/tie.dat"
}
index_of() {  # index_of ID: the number in colour/lock/place of note ID
    echo "${1#n}"
}

# The store as "id-by-colour lock id-by-text" lines in number order; "?" where none matches.
read_store() {
    local settings count n c l k text section
    settings=$(iconv -f gbk -t utf-8 "$app/tie.dat" 2>/dev/null | tr -d '\r') || { echo unreadable; return; }
    count=$(sed -n 's/^窗体数目=//p' <<<"$settings")
    [[ $count =~ ^[0-9]+$ ]] || { echo "no count"; return; }
    for ((n = 1; n <= count; n++)); do
        section=$(awk -v s="[帖子$n]" '$0 == s {on = 1; next} /^\[/ {on = 0} on' <<<"$settings")
        c=$(sed -n 's/^背景颜色=//p' <<<"$section")
        l=$(sed -n 's/^加锁=//p' <<<"$section")
        local by_colour="?" by_text="(none)"
        for k in 1 2 3 4 5 6 7 8; do [ "$c" = "${colour[k]}" ] && by_colour=n$k; done
        if [ -f "$app/tie/tie$n.tie" ]; then
            text=$(grep -o 'the note n[0-9]' "$app/tie/tie$n.tie" | sort -u | tr '\n' ',')
            by_text=${text%,}
            by_text=${by_text#the note }
            [ -n "$by_text" ] || by_text="?"
        fi
        echo "$by_colour ${l:-?} $by_text"
    done
}
# What the store should read as with these ids, in order.
expected_store() {
    local id
    for id in "$@"; do echo "$id ${lock[$(index_of "$id")]} $id"; done
}

running() {
    local state
    state=$(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$1/status" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ]
}
launch() {
    "$app/jotpin" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
}
shown() { visible_geometries "$pid" | wc -l; }
wait_shown() {
    local i
    for ((i = 0; i < 200; i++)); do
        [ "$(shown)" -eq "$1" ] && return 0
        running "$pid" || return 1
        sleep 0.1
    done
    return 1
}
kill_program() {
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    forget_pid "$pid"
}

# delete_and_kill: deletes a random unlocked note by its delete button and kills the program at
# its k-th step in the store (a rename into it, a file made or removed there; a save's temporary
# files are no step), k at random; where the save ends before that step, after it. With strace,
# each step is held a tenth of a second so that the kill comes before the next one.
delete_and_kill() {
    local deletable=() id x y k count last quiet deadline
    for id in "${ids[@]}"; do [ "${lock[$(index_of "$id")]}" = 无密码 ] && deletable+=("$id"); done
    deleted=${deletable[RANDOM % ${#deletable[@]}]}
    k=$((1 + RANDOM % (${#ids[@]} + 3)))
    watch_store_steps "$pid" "$k" 100000
    read -r x y <<<"${place[$(index_of "$deleted")]}"
    xdotool mousemove $((x + 208)) $((y + 11)) click 1
    if wait_for 10 bash -c "xdotool getactivewindow getwindowname | grep -qx 删除帖子"; then
        sleep 0.2
        xdotool key Return
    else
        problem "no delete box for $deleted"
    fi
    # The save comes within 5 s; it is over 2 s after the settings file was put in place.
    deadline=$((SECONDS + 20)) last=-1 quiet=0
    while running "$pid" && ((SECONDS < deadline)); do
        count=$(wc -l <"$E2E_TMP/steps")
        if grep -q "^MOVED_TO $app/tie.dat\$" "$E2E_TMP/steps" && [ "$count" = "$last" ]; then
            ((++quiet < 20)) || break
        else
            last=$count quiet=0
        fi
        sleep 0.1
    done
    kill_program
    stop_watching_steps
    detail=", $deleted, kill at step $k, after $(wc -l <"$E2E_TMP/steps")"
}

declare -A done_rounds=() failed_rounds=() mixed_on_disk=() back_empty=()
failures=()
problem() {
    failures+=("round $round ($kind$detail): $*")
    failed_rounds[$kind]=$((${failed_rounds[$kind]:-0} + 1))
    echo "round $round: $kind$detail: FAILED: $*"
}

mkfifo "$E2E_TMP/events"
fresh_store
start=$SECONDS
for ((round = 1; round <= rounds; round++)); do
    # At least four notes: below that a fresh store of eight.
    ((${#ids[@]} >= 4)) || fresh_store
    before=("${ids[@]}")
    deleted=""
    choice=$((RANDOM % 3))
    kind=$([ "$choice" = 0 ] && echo typing || { [ "$choice" = 1 ] && echo delete || echo loading; })
    detail=""
    launch
    if ! wait_shown "${#ids[@]}"; then
        problem "the store did not load: $(shown) of ${#ids[@]} notes shown"
        kill_program
        fresh_store
        continue
    elif [ "$kind" = typing ]; then
        unlocked=()
        for id in "${ids[@]}"; do [ "${lock[$(index_of "$id")]}" = 无密码 ] && unlocked+=("$id"); done
        target=${unlocked[RANDOM % ${#unlocked[@]}]}
        wait_s=$((RANDOM % 8)).$((RANDOM % 10))
        detail=", into $target, kill after $wait_s s"
        read -r x y <<<"${place[$(index_of "$target")]}"
        xdotool mousemove $((x + 100)) $((y + 80)) click 1
        sleep 0.3
        xdotool key --delay 0 ctrl+End
        token="qz${round}x"
        xdotool type --delay 25 " $token"
        typedAt=$(date +%s.%N)
        text=$(printf ' the quick brown fox jumps over the lazy dog%.0s' $(seq 5))
        xdotool type --delay 40 "$text" &
        typing=$!
        sleep "$wait_s"
        kill_program
        killedAt=$(date +%s.%N)
        kill "$typing" 2>/dev/null || true
        wait "$typing" 2>/dev/null || true
        xdotool keyup --delay 0 $(printf '%s ' {a..z}) space 2>/dev/null || true
    else
        delete_and_kill
        if [ "$kind" = loading ]; then
            # The start after that kill, which may be mending the store, killed in its turn.
            wait_ms=$((RANDOM % 1500))
            detail+=", start killed after $wait_ms ms"
            launch
            sleep "$(awk -v m="$wait_ms" 'BEGIN { printf "%.3f", m / 1000 }')"
            kill_program
        fi
    fi
    done_rounds[$kind]=$((${done_rounds[$kind]:-0} + 1))

    raw=$(read_store)
    # Started again, the program may mend the store; it must load, and SIGTERM ends it.
    launch
    shown_after=$(settled_windows "$pid") || shown_after=0
    kill -TERM "$pid"
    wait "$pid" && rc=0 || rc=$?
    ((rc == 0)) || problem "exit code $rc after SIGTERM"
    forget_pid "$pid"
    after=$(read_store)
    if [ "$shown_after" != "$(wc -l <<<"$after")" ]; then
        problem "the store did not load whole: $shown_after notes shown, $(wc -l <<<"$after") stored"
    fi
    after_ids=($(awk '{print $1}' <<<"$after"))
    old=$(expected_store "${before[@]}")
    new=""
    if [ -n "$deleted" ]; then
        remaining=()
        for id in "${before[@]}"; do [ "$id" = "$deleted" ] || remaining+=("$id"); done
        new=$(expected_store "${remaining[@]}")
    fi
    [ "$raw" = "$old" ] || [ "$raw" = "$new" ] || mixed_on_disk[$kind]=$((${mixed_on_disk[$kind]:-0} + 1))
    if [ "$after" = "$old" ]; then
        :
    elif [ -n "$new" ] && [ "$after" = "$new" ]; then
        ids=("${remaining[@]}")
    elif [ -n "$deleted" ] && [ "$after" = "$(expected_store "${before[@]}" | sed "s/^$deleted \(.*\) $deleted\$/$deleted \1 (none)/")" ]; then
        # The delete removes the note's file at once, before the save: the old store with
        # the deleted note back, empty. Nothing is lost or mixed; counted, not failed.
        back_empty[$kind]=$((${back_empty[$kind]:-0} + 1))
        fresh_store
        echo "round $round: $kind$detail: the deleted note came back empty; a fresh store"
        continue
    else
        problem "the store is neither the old nor the new one: $(tr '\n' ';' <<<"$after")"
        fresh_store
        continue
    fi
    # Saved text stays, in its own note's file.
    for id in "${ids[@]}"; do
        n=0
        for a in "${after_ids[@]}"; do
            n=$((n + 1))
            [ "$a" = "$id" ] && break
        done
        for t in ${typed[$id]}; do
            grep -q "$t" "$app/tie/tie$n.tie" || problem "'$t', saved before in $id, is lost"
        done
    done
    if [ "$kind" = typing ]; then
        n=0
        for a in "${after_ids[@]}"; do
            n=$((n + 1))
            [ "$a" = "$target" ] && break
        done
        if grep -q "$token" "$app/tie/tie$n.tie"; then
            typed[$target]+=" $token"
        elif awk -v a="$typedAt" -v b="$killedAt" 'BEGIN { exit !(b - a >= 6) }'; then
            problem "'$token', typed into $target 6 s or more before the kill, is lost"
        fi
    fi
    echo "round $round: $kind$detail: on disk $([ "$raw" = "$old" ] && echo old || { [ "$raw" = "$new" ] && echo new || echo mixed; }), after a start $([ "$after" = "$old" ] && echo old || echo new)"
done

echo
echo "seed $E2E_SEED, $rounds rounds in $((SECONDS - start)) s"
for kind in typing delete loading; do
    printf '%-8s %4d rounds, %3d failed; before the restart the store on disk was neither' \
        "$kind" "${done_rounds[$kind]:-0}" "${failed_rounds[$kind]:-0}"
    printf ' old nor new %d times; the deleted note came back empty %d times\n' \
        "${mixed_on_disk[$kind]:-0}" "${back_empty[$kind]:-0}"
done
if ((${#failures[@]})); then
    printf '%s\n' "${failures[@]}"
    exit 1
fi
echo "no failure"
