# Two computers on one machine, side "a" and side "b": each its own X server with openbox, its
# own per-user folders and its own copy of the note store, $E2E_TMP/a/notes and
# $E2E_TMP/b/notes, kept in step by two Syncthing daemons (syncthing.sh). Source after
# xsession.sh; start_machines, write side a's store, sync_first_store, then start_jotpin a and b.
source "$(dirname "${BASH_SOURCE[0]}")/syncthing.sh"
for tool in xclip iconv perl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (bash scripts/test.sh installs it)"
        exit 77
    fi
done

declare -A DISP JPID
store_of() { echo "$E2E_TMP/$1/notes"; }
# on SIDE COMMAND...: COMMAND (a function too) on that side's display.
on() {
    local side=$1
    shift
    DISPLAY=${DISP[$side]} "$@"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

start_machines() {
    local side
    for side in a b; do
        start_x "$side"
        DISP[$side]=$DISPLAY
        mkdir -p "$(store_of "$side")"
    done
    start_syncthing "$(store_of a)" "$(store_of b)"
}

# store_files SIDE: "checksum path" of every file of the store; Syncthing's own files left out.
store_files() {
    (cd "$(store_of "$1")" && find . -path ./.stfolder -prune -o -type f ! -name '.syncthing.*' -print0 |
        sort -z | xargs -0 -r md5sum)
}
# same_files: both copies hold the same files, and neither daemon has work left.
same_files() {
    [ "$(store_files a)" = "$(store_files b)" ] && st_idle a && st_idle b
}
# store_summary SIDE: the notes that side's store holds, their values and texts. The files may
# differ where the notes do not: a note made here is saved without an opacity, and the same
# note read from the store is saved with 255.
store_summary() {
    iconv -f gbk -t utf-8 "$(store_of "$1")/tie.dat" 2>/dev/null | tr -d '\r' |
        awk '/^\[/ {section = $0; next} /=/ {sub(/^透明度=$/, "透明度=255"); print section, $0}' | sort
    store_notes "$1"
}
# settled: both stores hold the same notes, neither daemon has work left, and a second later
# still the same (no save on its way).
settled() {
    local first
    st_idle a && st_idle b || return 1
    first=$(store_summary a)
    [ "$first" = "$(store_summary b)" ] || return 1
    sleep 1
    st_idle a && st_idle b && [ "$(store_summary a)" = "$first" ] && [ "$(store_summary b)" = "$first" ]
}
# sync_first_store: side b's store becomes what was written on side a.
sync_first_store() {
    local t0
    t0=$(now_ms)
    wait_for 30 same_files || fail "side a's store did not reach side b"
    echo "the first store reached side b in $(($(now_ms) - t0)) ms"
}

# start_jotpin SIDE: the program on that side's display and store, with that side's own per-user
# folders (settings, state, the single-instance lock). Its output goes to jotpin-SIDE.log.
start_jotpin() {
    local side=$1 home="$E2E_TMP/$1"
    mkdir -p "$home/config" "$home/data" "$home/state"
    mkdir -p -m 700 "$home/run"
    DISPLAY="${DISP[$side]}" told_no_tray "$home/state"
    env DISPLAY="${DISP[$side]}" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_STATE_HOME="$home/state" XDG_RUNTIME_DIR="$home/run" \
        "$program" --store "$(store_of "$side")" >>"$E2E_TMP/jotpin-$side.log" 2>&1 &
    JPID[$side]=$!
    E2E_PIDS+=($!)
}

# start_both: both machines with the seeded store on each side and a Jotpin on each, once
# each shows the three notes.
start_both() {
    local side
    start_machines
    seed_store a
    sync_first_store
    start_jotpin a
    start_jotpin b
    for side in a b; do
        wait_for 40 eval '[ "$(note_count $side)" -eq 3 ]' || fail "the three notes did not come up on side $side"
    done
}

# note_ids SIDE: the note windows shown on that side, one id a line. A note is a utility window
# without a name; the tray icon, menus, boxes and the program's messages are not.
note_ids() {
    local id
    for id in $(on "$1" xdotool search --onlyvisible --pid "${JPID[$1]}" 2>/dev/null); do
        [[ $(on "$1" xprop -id "$id" _NET_WM_WINDOW_TYPE WM_NAME 2>/dev/null) =~ \
            _NET_WM_WINDOW_TYPE_UTILITY.*WM_NAME\([A-Z0-9_]+\)\ =\ $ ]] && echo "$id"
    done
    return 0
}
note_count() { note_ids "$1" | wc -l; }
# clipboard_stamp SIDE: the time the clipboard's owner took it, as the owner tells it.
clipboard_stamp() { on "$1" timeout 5 xclip -o -selection clipboard -t TIMESTAMP 2>&1 || true; }
# note_text SIDE ID: the text the note window shows, as the clipboard has it after select all
# and copy in it: read once the copy has taken the clipboard, which then has a new stamp.
note_text() {
    local side=$1 before
    on "$side" timeout 5 xdotool windowactivate --sync "$2" >/dev/null 2>&1 || return 1
    before=$(clipboard_stamp "$side")
    on "$side" xdotool key ctrl+a ctrl+c
    wait_for 2 eval '[ "$(clipboard_stamp "$side")" != "$before" ]' || return 1
    on "$side" timeout 5 xclip -o -selection clipboard 2>/dev/null
}
# note_with SIDE WORD: the id of a note on that side that shows WORD.
note_with() {
    local id
    for id in $(note_ids "$1"); do
        [[ $(note_text "$1" "$id") == *"$2"* ]] && { echo "$id"; return 0; }
    done
    return 1
}
shows() { note_with "$@" >/dev/null; }

# rtf_text FILE: the text of an RTF file written by the program, roughly: GBK escapes decoded,
# control words and braces dropped. Enough to find a word or a first line.
rtf_text() {
    perl -0pe "s/\\\\'([0-9a-fA-F]{2})/chr(hex(\$1))/ge" "$1" | iconv -f gbk -t utf-8 2>/dev/null |
        perl -0pe 's/\{\\fonttbl.*?\}\}//s; s/\{\\\*[^{}]*\}//g; s/\\par[d]?\b/\n/g; s/\\[a-zA-Z]+-?\d* ?//g; s/[{}\r]//g; s/\n+/\n/g'
}
# store_notes SIDE: one line per stored note, "n: its text on one line", in number order.
store_notes() {
    local dir count n
    dir=$(store_of "$1")
    count=$(iconv -f gbk -t utf-8 "$dir/tie.dat" 2>/dev/null | tr -d '\r' | sed -n 's/^窗体数目=//p')
    for ((n = 1; n <= ${count:-0}; n++)); do
        if [ -f "$dir/tie/tie$n.tie" ]; then
            echo "$n: $(rtf_text "$dir/tie/tie$n.tie" | tr -s '\n' ' ')"
        else
            echo "$n: (no file)"
        fi
    done
}
# conflict_copies SIDE: the sync tool's conflict copies left in that side's store.
conflict_copies() { find "$(store_of "$1")" -name '*.sync-conflict-*'; }

# On failure: each side's program output, its windows, its store and what it moved aside.
e2e_report() {
    local side id
    for side in a b; do
        echo "=== side $side"
        [ -s "$E2E_TMP/jotpin-$side.log" ] && { echo "--- jotpin-$side.log"; cat "$E2E_TMP/jotpin-$side.log"; }
        if [ -n "${JPID[$side]:-}" ]; then
            echo "--- notes shown: $(note_ids "$side" | tr '\n' ' ')"
            for id in $(on "$side" xdotool search --onlyvisible --pid "${JPID[$side]}" 2>/dev/null); do
                echo "window $id: $(on "$side" xprop -id "$id" WM_NAME | sed 's/.*= //')"
            done
        fi
        echo "--- store"
        (cd "$(store_of "$side")" && ls -laR --time-style=+%T.%N) || continue
        echo "--- tie.dat"
        iconv -f gbk -t utf-8 "$(store_of "$side")/tie.dat" 2>&1 | tr -d '\r'
        echo "--- notes"
        store_notes "$side"
        echo "--- moved aside: $(find "$E2E_TMP/$side/state" -path '*conflicts*' -type f 2>/dev/null | tr '\n' ' ')"
    done
    echo "=== where the stores' notes differ, a (<) against b (>)"
    diff <(store_summary a) <(store_summary b)
}

# seed_store SIDE: three notes side by side at x = 100, 400 and 700, y = 100, 223 x 255 pixels,
# saying "note one", "note two" and "note three".
seed_store() {
    local dir i words=(one two three)
    dir=$(store_of "$1")
    mkdir -p "$dir/tie"
    {
        for i in 1 2 3; do
            printf '[帖子%d]\r\n建立时间=26/12/0%d 9:0:0\r\nx坐标=%d\r\ny坐标=1500\r\n' "$i" "$i" $((1500 + (i - 1) * 4500))
            printf '窗体宽度=3345\r\n窗体高度=3825\r\nvisible=True\r\n'
        done
        printf '[初始值]\r\n窗体数目=3\r\n是否在前=False\r\n'
    } | iconv -f utf-8 -t gbk >"$dir/tie.dat"
    for i in 1 2 3; do printf '{\\rtf1\\ansi note %s\\par}' "${words[i - 1]}" >"$dir/tie/tie$i.tie"; done
}
