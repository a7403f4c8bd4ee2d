#!/usr/bin/env bash
# A store in a folder that a real sync engine keeps in step between two computers: two Syncthing
# daemons over the loopback, two X servers, a Jotpin on each side's copy. A note typed on a shows
# on b, one made on b shows on a; different notes changed on both sides at once, and the same
# note changed on both, end with every change on both sides; a note deleted on a closes on b.
# After SIGTERM on both, the two stores hold the same notes, everything typed, and no conflict
# copy of the sync engine. Each step has its own deadline and prints how long it took.
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/xsession.sh"
source "$(dirname "$0")/twomachines.sh"
# A change is saved 2 s after the last key, reaches the other side in about 1 s, and is merged
# there within 2 s; a conflict takes a second round through the sync engine, and reading what
# both sides show takes a quarter of a second a note. 20 s leaves room for a busy machine.
step_limit=20

start_both

# step WHAT COMMAND...: polls COMMAND until it succeeds, at most step_limit seconds from now,
# and prints how long it took.
step() {
    local what=$1 t0
    shift
    t0=$(now_ms)
    while ! "$@" >/dev/null 2>&1; do
        (($(now_ms) - t0 < step_limit * 1000)) || fail "$what: not within $step_limit s"
        sleep 0.2
    done
    printf '%s: %d.%d s\n' "$what" $((($(now_ms) - t0) / 1000)) $((($(now_ms) - t0) % 1000 / 100))
}
# type_into SIDE ID TEXT: TEXT at the end of that note.
type_into() {
    on "$1" timeout 5 xdotool windowactivate --sync "$2" >/dev/null 2>&1 || fail "note $2 on side $1 cannot be activated"
    on "$1" xdotool key ctrl+End type --delay 20 "$3"
}
# new_note SIDE TEXT: Ctrl+N in the first note of that side, and TEXT typed into the new note.
new_note() {
    local side=$1 before id
    before=$(note_ids "$side")
    on "$side" timeout 5 xdotool windowactivate --sync "$(head -1 <<<"$before")" >/dev/null 2>&1 ||
        fail "a note on side $side cannot be activated"
    on "$side" xdotool key ctrl+n
    wait_for 10 eval '[ "$(note_count $side)" -gt "$(wc -l <<<"$before")" ]' || fail "Ctrl+N made no note on side $side"
    id=$(note_ids "$side" | grep -vxF "$before" | sed -n 1p)
    type_into "$side" "$id" "$2"
}
both_show() { shows a "$1" && shows b "$1"; }
# type_at_once NOTE_ON_A TEXT_A NOTE_ON_B TEXT_B: both typed at the same moment; a note is
# named by a word it shows.
type_at_once() {
    local typing_a typing_b
    type_into a "$(note_with a "$1")" "$2" &
    typing_a=$!
    type_into b "$(note_with b "$3")" "$4" &
    typing_b=$!
    wait "$typing_a" && wait "$typing_b" || fail "typing on both sides at once failed"
}

new_note a " made-on-a"
step "a note typed on a shows on b" shows b made-on-a
step "the stores agree" settled

new_note b " made-on-b"
step "a note made on b shows on a" shows a made-on-b
step "the stores agree" settled

# Different notes at the same moment: the second note on a, the third on b.
type_at_once 'note two' " edit-a-two" 'note three' " edit-b-three"
both_changes() { both_show edit-a-two && both_show edit-b-three; }
step "different notes changed at once: both changes on both sides" both_changes
step "the stores agree" settled

# The same note at the same moment: each side keeps a version, and the other comes up too.
type_at_once 'note one' " same-a" 'note one' " same-b"
both_versions() { both_show same-a && both_show same-b; }
step "the same note changed on both sides: both versions on both sides" both_versions
step "the stores agree" settled
for side in a b; do
    echo "side $side shows $(note_count "$side") notes; the store's first lines:"
    store_notes "$side" | cut -c 1-100 | sed 's/^/  /'
done

# Delete on a, by the note's delete button and OK: the note closes on b.
doomed=$(note_with a edit-b-three) || fail "no note with edit-b-three on side a"
count_b=$(note_count b)
read -r x y <<<"$(on a xwininfo -id "$doomed" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')"
on a xdotool mousemove $((x + 208)) $((y + 11)) click 1
on a wait_active 删除帖子
on a xdotool key Return
closed_on_b() { [ "$(note_count b)" -eq $((count_b - 1)) ] && ! shows b edit-b-three; }
step "a note deleted on a closes on b" closed_on_b
step "the stores agree" settled

# Both ended at once: each saves what it holds, and the sync engine carries the saves across.
kill -TERM "${JPID[a]}" "${JPID[b]}"
for side in a b; do
    wait_for 15 eval "! kill -0 ${JPID[$side]}" || fail "SIGTERM did not end side $side's program"
    wait "${JPID[$side]}" && rc=0 || rc=$?
    [ "$rc" -eq 0 ] || fail "side $side's program ended with $rc after SIGTERM"
done
forget_pid "${JPID[a]}" "${JPID[b]}"
JPID=()
step "after SIGTERM, the stores agree" settled
for side in a b; do
    copies=$(conflict_copies "$side")
    [ -z "$copies" ] || fail "conflict copies left in side $side's store: $copies"
    notes=$(store_notes "$side")
    for word in "note two" made-on-a made-on-b edit-a-two same-a same-b; do
        grep -qF -- "$word" <<<"$notes" || fail "side $side's store lost '$word'"
    done
    ! grep -qF edit-b-three <<<"$notes" || fail "the deleted note is still in side $side's store"
done
echo "PASS: two Jotpins on a store kept in step by Syncthing share every change and lose none"
