#!/usr/bin/env bash
# From a save on one computer to the note shown on the other, through Syncthing: the set-up of
# the end-to-end test (tests/e2e/twomachines.sh), two daemons over the loopback and a Jotpin on
# each side. Each round makes a new note on side a (Ctrl+N) and times, from inotify events and
# the window list: a's save in place on a's disk, its files landed on b (Syncthing's part), the
# note's window on b (Jotpin's part). The baseline, in the same round: a plain file written on a
# until it lands on b, Syncthing alone. Medians, least and most of each, and the ratios.
# Usage: bash bench/bench_sync.sh build/jotpin [rounds]
set -euo pipefail
program=$(realpath "$1")
rounds=${2:-10}
source "$(dirname "$0")/../tests/e2e/xsession.sh"
source "$(dirname "$0")/../tests/e2e/twomachines.sh"
for tool in inotifywait bc; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 1; }
done

start_both

# watch SIDE: every file put in place in that side's store and tie/, "time event path" a line in
# $E2E_TMP/events-SIDE, stamped as it comes (EPOCHREALTIME: no process started per event).
watch() {
    local side=$1 dir
    dir=$(store_of "$side")
    mkfifo "$E2E_TMP/fifo-$side"
    inotifywait -m -e moved_to -e close_write --format '%e %w%f' "$dir" "$dir/tie" \
        >"$E2E_TMP/fifo-$side" 2>"$E2E_TMP/inotify-$side.log" &
    E2E_PIDS+=($!)
    while read -r event path; do echo "$EPOCHREALTIME $event $path"; done \
        <"$E2E_TMP/fifo-$side" >"$E2E_TMP/events-$side" &
    E2E_PIDS+=($!)
    wait_for 10 grep -q 'Watches established' "$E2E_TMP/inotify-$side.log" || fail "no inotify watch on side $side"
}
watch a
watch b

# first_event SIDE SINCE PATTERN: the time of the first event at or after SINCE whose
# "event path" matches the extended regular expression PATTERN.
first_event() {
    awk -v since="$2" -v re="$3" '$1 >= since && ($2 " " $3) ~ re {print $1; exit}' "$E2E_TMP/events-$1"
}
clients() { on b xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*' | wc -l; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%d", (b - a) * 1000}'; }

store_a=$(store_of a)
store_b=$(store_of b)
first_note=$(note_ids a | sed -n 1p)
plain=() syncs=() shows=() totals=() saves=()
for ((r = 1; r <= rounds; r++)); do
    wait_for 30 settled || fail "round $r: the stores did not agree before it"

    # Syncthing alone: a plain file the size of a note's file, put in place as a save does.
    head -c 300 /dev/urandom | base64 >"$store_a/.probe.tmp"
    t0=$EPOCHREALTIME
    mv "$store_a/.probe.tmp" "$store_a/probe.txt"
    wait_for 20 eval '[ -n "$(first_event b $t0 "^MOVED_TO $store_b/probe.txt\$")" ]' ||
        fail "round $r: the plain file did not reach b"
    plain+=("$(ms "$t0" "$(first_event b "$t0" "^MOVED_TO $store_b/probe.txt\$")")")
    wait_for 30 settled || fail "round $r: the stores did not agree after the plain file"

    before=$(clients)
    on a timeout 5 xdotool windowactivate --sync "$first_note" >/dev/null 2>&1 || fail "round $r: note 1 on a cannot be activated"
    key=$EPOCHREALTIME
    on a xdotool key ctrl+n
    # Polled every 20 ms: the window manager has taken on the note's window.
    shown=''
    for ((i = 0; i < 1000; i++)); do
        (($(clients) > before)) && { shown=$EPOCHREALTIME; break; }
        sleep 0.02
    done
    saved=$(first_event a "$key" "^MOVED_TO $store_a/tie.dat\$")
    [ -n "$saved" ] || fail "round $r: no save on a"
    # Landed: the later of the settings file and the note's text file.
    settings=$(first_event b "$key" "^MOVED_TO $store_b/tie.dat\$")
    text=$(first_event b "$key" "^MOVED_TO $store_b/tie/tie[0-9]+\\.tie\$")
    [ -n "$settings" ] && [ -n "$text" ] || fail "round $r: a's save did not land on b whole"
    landed=$(awk -v a="$settings" -v b="$text" 'BEGIN {print (a > b ? a : b)}')
    [ -n "$shown" ] || fail "round $r: saved on a $(ms "$key" "$saved") ms after the key, landed on b" \
        "$(ms "$saved" "$landed") ms later, and not shown there within 20 s"
    saves+=("$(ms "$key" "$saved")")
    syncs+=("$(ms "$saved" "$landed")")
    shows+=("$(ms "$landed" "$shown")")
    totals+=("$(ms "$saved" "$shown")")
    echo "round $r: saved on a $(ms "$key" "$saved") ms after the key; landed on b after ${syncs[-1]} ms," \
        "shown ${shows[-1]} ms later; a plain file took ${plain[-1]} ms"
done

# stats NAME VALUES...: median, least and most.
stats() {
    local name=$1
    shift
    printf '%s\n' "$@" | sort -n | awk -v name="$name" '{v[NR] = $1}
        END {printf "  %-46s %7d %7d %7d\n", name, v[int((NR + 1) / 2)], v[1], v[NR]}'
}
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
printf '%-48s %7s %7s %7s\n' "a new note on a shown on b, $rounds rounds (ms)" median least most
stats "a plain file, written on a to landed on b" "${plain[@]}"
stats "the key on a to a's save (the save's delay)" "${saves[@]}"
stats "a's save to landed on b (Syncthing's part)" "${syncs[@]}"
stats "landed on b to shown on b (Jotpin's part)" "${shows[@]}"
stats "a's save to shown on b" "${totals[@]}"
base=$(median "${plain[@]}")
printf 'against the plain file: Syncthing'"'"'s part %.2fx, Jotpin'"'"'s part %.2fx, save to shown %.2fx\n' \
    "$(echo "$(median "${syncs[@]}") / $base" | bc -l)" "$(echo "$(median "${shows[@]}") / $base" | bc -l)" \
    "$(echo "$(median "${totals[@]}") / $base" | bc -l)"
