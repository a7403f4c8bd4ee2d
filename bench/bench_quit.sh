#!/usr/bin/env bash
# Exit with N notes loaded and nothing changed, in an X server with a window manager and a tray
# host: SIGTERM, and the tray menu's "退出" answered with OK, each timed until the process has
# ended; a `sleep` ended by SIGTERM is the floor. The runs take turns at which exit goes first,
# and the store must be complete after every run.
# Usage: bash bench/bench_quit.sh build/jotpin [runs] [notes]
set -euo pipefail
program=$(realpath "$1")
runs=${2:-3}
notes=${3:-500}
source "$(dirname "$0")/../tests/e2e/xsession.sh"
for tool in trayer iconv bc; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 1; }
done
start_x
trayer --edge top --align right --widthtype pixel --width 120 --height 28 \
    --SetDockType true --transparent false >"$E2E_TMP/trayer.log" 2>&1 &
E2E_PIDS+=($!)
wait_for 20 xdotool search --onlyvisible --class trayer || fail "trayer did not start"
export XDG_RUNTIME_DIR="$E2E_TMP/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

app="$E2E_TMP/app"
mkdir -p "$app"
cp "$program" "$app/jotpin"
write_store() {
    rm -rf "$app/tie" "$app/tie.dat"
    mkdir -p "$app/tie"
    local n
    for ((n = 1; n <= notes; n++)); do
        printf '{\\rtf1\\ansi note %d\\par}' "$n" >"$app/tie/tie$n.tie"
    done
    {
        for ((n = 1; n <= notes; n++)); do
            printf '[帖子%d]\r\nx坐标=%d\r\ny坐标=%d\r\n窗体高度=1500\r\n' \
                "$n" $(((n % 40) * 300)) $(((n / 40) * 300))
        done
        printf '[初始值]\r\n窗体数目=%d\r\n' "$notes"
    } | iconv -f utf-8 -t gbk >"$app/tie.dat"
}
check_store() {
    iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r' | grep -qx "窗体数目=$notes" ||
        fail "store incomplete after the $1 exit"
    local files=("$app"/tie/tie*.tie)
    [ "${#files[@]}" -eq "$notes" ] || fail "content files missing after the $1 exit"
}

now() { date +%s%N; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Waits until the process has used no CPU for half a second.
wait_idle() {
    local prev=-1 cpu same=0
    while ((same < 5)); do
        sleep 0.1
        cpu=$(ticks "$1")
        if [ "$cpu" = "$prev" ]; then same=$((same + 1)); else same=0; fi
        prev=$cpu
    done
}
managed() { xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*' | wc -l; }
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

base=$(managed)  # the tray host's windows
gone() { (($(managed) <= base)); }

# Starts the program on a fresh store and waits until every note is managed and it is idle.
start_loaded() {
    wait_for 60 gone || fail "the notes of the last run stayed on screen"
    write_store
    "$app/jotpin" >>"$E2E_TMP/jotpin.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
    local limit=$((600 + notes / 5)) i  # tenths of a second
    for ((i = 0; $(managed) < base + notes; i++)); do
        kill -0 "$pid" 2>/dev/null || fail "jotpin ended before showing its notes"
        ((i < limit)) || fail "jotpin did not show $notes notes in $((limit / 10)) s"
        sleep 0.1
    done
    wait_idle "$pid"
}
# The tray icon: the program's window inside the tray host's strip.
tray_icon_centre() {
    local host
    for host in $(xdotool search --class trayer); do
        xwininfo -id "$host" -tree | awk '/"jotpin"/ {split($NF, at, "+"); split($(NF-1), size, "[x+]");
            print at[2] + int(size[1] / 2), at[3] + int(size[2] / 2); exit}'
    done | head -1
}
question_up() {
    local active
    active=$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*') &&
        xprop -id "$active" WM_NAME | grep -q 退出软件
}

# Each exit sets `took` to the microseconds from the request to the end of the process.
term_exit() {
    local t0
    t0=$(now)
    kill -TERM "$pid"
    wait "$pid" || fail "jotpin ended with an error after SIGTERM"
    took=$((($(now) - t0) / 1000))
}
menu_exit() {
    local cx cy t0 i
    read -r cx cy <<<"$(tray_icon_centre)"
    [ -n "${cy:-}" ] || fail "no tray icon"
    # "退出" is the 11th item; the question comes up once the menu has closed.
    for ((i = 0; ; i++)); do
        ((i < 5)) || fail "the tray menu did not bring up the exit question"
        xdotool mousemove "$cx" "$cy" click 3 sleep 0.5 key Down Down Down Down Down Down Down Down Down Down Down
        t0=$(now)
        xdotool key Return
        wait_for 30 question_up && break
        xdotool key Escape
    done
    asked=$((($(now) - t0) / 1000))
    t0=$(now)
    xdotool key Return
    wait "$pid" || fail "jotpin ended with an error after the exit command"
    took=$((($(now) - t0) / 1000))
}
floor_exit() {
    local sleeper t0
    sleep 100 &
    sleeper=$!
    sleep 0.2
    t0=$(now)
    kill -TERM "$sleeper"
    wait "$sleeper" 2>/dev/null || true
    took=$((($(now) - t0) / 1000))
}

terms=()
menus=()
questions=()  # from the choice of "退出" until the question is seen, polled every 0.1 s
floors=()
for ((r = 0; r < runs; r++)); do
    for which in $( ((r % 2 == 0)) && echo term menu || echo menu term); do
        start_loaded
        if [ "$which" = term ]; then
            term_exit
            terms+=("$took")
        else
            menu_exit
            menus+=("$took")
            questions+=("$asked")
        fi
        check_store "$which"
    done
    floor_exit
    floors+=("$took")
done
term=$(printf '%s\n' "${terms[@]}" | median)
menu=$(printf '%s\n' "${menus[@]}" | median)
floor=$(printf '%s\n' "${floors[@]}" | median)
ms() { echo "$1 / 1000" | bc -l; }
printf 'exit, %d notes: SIGTERM %8.1f ms   tray menu after OK %8.1f ms   ratio %5.2fx   (median of %d)\n' \
    "$notes" "$(ms "$term")" "$(ms "$menu")" "$(echo "$menu / $term" | bc -l)" "$runs"
question=$(printf '%s\n' "${questions[@]}" | median)
printf 'the exit question came up %.1f ms after the choice of 退出 (seen by polling every 100 ms)\n' "$(ms "$question")"
printf 'ending a sleep process the same way %6.1f ms: SIGTERM %6.1fx, tray menu %6.1fx\n' \
    "$(ms "$floor")" "$(echo "$term / $floor" | bc -l)" "$(echo "$menu / $floor" | bc -l)"
