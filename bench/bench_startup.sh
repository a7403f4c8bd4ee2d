#!/usr/bin/env bash
# Start-up of the whole program with N stored notes, in its own X server with a window manager
# and a tray host: wall time from exec until every note is on screen, and the CPU time the
# process used until it went idle, and its memory once idle: resident, of which mapped libraries,
# and the anonymous memory (heap, stacks) a note adds between the first and the last number of
# notes. The floor is build/bench/floor_windows: the same windows as
# plain QTextEdits with the same text, in a process of its own. Each run starts both, taking
# turns at going first; medians and ratios are printed. Given several numbers of notes, it also
# prints the time per note of each against the first: about 1.0 where start-up grows linearly.
# With HIDDEN=k in the environment, the store holds k hidden notes after the N shown ones, which
# the floor does not have: what they cost beside the shown notes.
# Usage: [HIDDEN=k] bash bench/bench_startup.sh build/jotpin [runs] [notes...]
set -euo pipefail
hidden=${HIDDEN:-0}
program=$(realpath "$1")
runs=${2:-5}
counts=("${@:3}")
[ ${#counts[@]} -gt 0 ] || counts=(500)
floor=$(dirname "$program")/bench/floor_windows
for tool in Xvfb openbox trayer xdotool xprop iconv; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 1; }
done
[ -x "$floor" ] || { echo "$floor is missing: build the benchmarks first"; exit 1; }

tmp=$(mktemp -d)
pids=()   # the X session
child=''  # the program being measured
cleanup() {
    local pid
    if [ -n "$child" ]; then kill "$child" 2>/dev/null || true; fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
# The program's per-user files (autostart entry, fallback store) stay in here.
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_STATE_HOME="$tmp/state" XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

wait_for() {  # wait_for SECONDS COMMAND...: polls every 0.1 s
    local limit=$(($1 * 10)) i
    shift
    for ((i = 0; i < limit; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# Xvfb writes its display number once it accepts clients; without -noreset it would reset when
# the first client leaves and refuse the next one meanwhile.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
wait_for 20 test -s "$tmp/display" || { echo "Xvfb did not start"; exit 1; }
DISPLAY=":$(tr -d '[:space:]' <"$tmp/display")"
export DISPLAY
wait_for 20 xprop -root || { echo "no X server on $DISPLAY"; exit 1; }
openbox >"$tmp/openbox.log" 2>&1 &
pids+=($!)
wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { echo "openbox did not start"; exit 1; }
trayer --edge top --align right --widthtype pixel --width 120 --height 28 \
    --SetDockType true --transparent false >"$tmp/trayer.log" 2>&1 &
pids+=($!)
wait_for 20 xdotool search --onlyvisible --class trayer || { echo "trayer did not start"; exit 1; }

# The store: N notes of 223 x 160 pixels in rows of 40, each a small RTF with Chinese text.
app="$tmp/app"
mkdir -p "$app"
cp "$program" "$app/jotpin"
cp "$(dirname "$program")"/libjotpin_*.so "$app/" 2>/dev/null || true  # an older build has none
gbk_escaped() { printf '%s' "$1" | iconv -f utf-8 -t gbk | od -An -v -tx1 | tr -d ' \n' | sed "s/../\\\\'&/g"; }
text='记得明天下午三点开会，带上季度报告。'
hex=$(gbk_escaped "$text")
font=$(gbk_escaped 宋体)
left() { echo $((($1 % 40) * 300)); }  # twips, 15 a pixel
top() { echo $((($1 / 40) * 600)); }
write_store() {
    rm -rf "$app/tie" "$app/tie.dat"
    mkdir -p "$app/tie"
    local n all=$((notes + hidden))
    for ((n = 1; n <= all; n++)); do
        printf '{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 %s;}}\\f0\\fs18 %s note %d\\par}\r\n' \
            "$font" "$hex" "$n" >"$app/tie/tie$n.tie"
    done
    {
        for ((n = 1; n <= all; n++)); do
            printf '[帖子%d]\r\nx坐标=%d\r\ny坐标=%d\r\n窗体宽度=3345\r\n窗体高度=2400\r\n' \
                "$n" "$(left $n)" "$(top $n)"
            ((n <= notes)) || printf 'visible=False\r\n'
        done
        printf '[初始值]\r\n窗体数目=%d\r\n' "$all"
    } | iconv -f utf-8 -t gbk >"$app/tie.dat"
}
# Saved at SIGTERM: still every note, and readable.
check_store() {
    iconv -f gbk -t utf-8 "$app/tie.dat" | tr -d '\r' | grep -qx "窗体数目=$((notes + hidden))" ||
        { echo "store incomplete after the run"; exit 1; }
    local files=("$app"/tie/tie*.tie)
    [ "${#files[@]}" -eq "$((notes + hidden))" ] ||
        { echo "content files missing after the run"; exit 1; }
}
write_floor() {
    local n
    for ((n = 1; n <= notes; n++)); do
        printf '%d\t%d\t%s note %d\n' $(($(left $n) / 15)) $(($(top $n) / 15)) "$text" "$n"
    done >"$tmp/floor.txt"
}

now() { date +%s%N; }
# Windows the window manager has taken on: one property read, cheap enough to poll while the
# program starts (xdotool search takes seconds over 500 windows). The tray icon belongs to the
# tray host and the hidden main window is never mapped, so only notes count.
managed() { xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*' | wc -l; }
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
# memory PID: resident kB, the part of it in shared libraries, the anonymous part.
memory() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { lib = $6 ~ /\.so(\.[0-9.]+)?$/ }
         /^Rss:/ { rss += $2; if (lib) libs += $2 }
         /^Anonymous:/ { anon += $2 }
         END { print rss, libs, anon }' "/proc/$1/smaps"
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
hz=$(getconf CLK_TCK)
base=$(managed)
gone() { (($(managed) <= base)); }

# run jotpin|floor: starts it, appends wall ms and CPU ms to its lists, ends it.
declare -A walls cpus rsss libss anons
run() {
    # The window system's own work grows faster than the number of windows: allow for it.
    local limit=$((1200 + notes * 2))  # twentieths of a second
    local which=$1 t0 pid i
    if [ "$which" = jotpin ]; then write_store; fi
    t0=$(now)
    if [ "$which" = jotpin ]; then
        "$app/jotpin" >>"$tmp/jotpin.log" 2>&1 &
    else
        "$floor" "$tmp/floor.txt" >>"$tmp/floor.log" 2>&1 &
    fi
    pid=$!
    child=$pid
    for ((i = 0; $(managed) < base + notes; i++)); do
        kill -0 "$pid" 2>/dev/null || { echo "$which ended before showing its notes"; exit 1; }
        ((i < limit)) || { echo "$which did not show $notes windows in $((limit / 20)) s"; exit 1; }
        sleep 0.05
    done
    walls[$which]+="$((($(now) - t0) / 1000000)) "
    wait_idle "$pid"
    cpus[$which]+="$(($(ticks "$pid") * 1000 / hz)) "
    local rss libs anon
    read -r rss libs anon <<<"$(memory "$pid")"
    rsss[$which]+="$rss " libss[$which]+="$libs " anons[$which]+="$anon "
    local shown
    shown=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)
    ((shown >= notes)) || { echo "$which: $shown visible windows, not $notes"; exit 1; }
    kill -TERM "$pid"
    wait "$pid" || [ "$which" = floor ] || { echo "jotpin ended with an error"; exit 1; }
    child=''
    if [ "$which" = jotpin ]; then check_store; fi
    wait_for $((20 + notes / 50)) gone || { echo "$which left windows behind"; exit 1; }
}

per_note() { echo "$1 / $notes" | bc -l; }
med() { tr ' ' '\n' <<<"$1" | grep . | median; }
first_wall='' first_cpu='' first_anon='' first_anon0=''
for notes in "${counts[@]}"; do
    write_floor
    walls=() cpus=() rsss=() libss=() anons=()
    for ((r = 0; r < runs; r++)); do
        if ((r % 2 == 0)); then
            run jotpin
            run floor
        else
            run floor
            run jotpin
        fi
    done
    wall=$(med "${walls[jotpin]}")
    wall0=$(med "${walls[floor]}")
    cpu=$(med "${cpus[jotpin]}")
    cpu0=$(med "${cpus[floor]}")
    printf 'start-up wall, %d notes   %7d ms   floor %7d ms   ratio %5.2fx   %6.2f ms a note   (median of %d)\n' \
        "$notes" "$wall" "$wall0" "$(echo "$wall / $wall0" | bc -l)" "$(per_note "$wall")" "$runs"
    printf 'start-up CPU,  %d notes   %7d ms   floor %7d ms   ratio %5.2fx   %6.2f ms a note\n' \
        "$notes" "$cpu" "$cpu0" "$(echo "$cpu / $cpu0" | bc -l)" "$(per_note "$cpu")"
    rss=$(med "${rsss[jotpin]}") rss0=$(med "${rsss[floor]}")
    libs=$(med "${libss[jotpin]}") libs0=$(med "${libss[floor]}")
    anon=$(med "${anons[jotpin]}") anon0=$(med "${anons[floor]}")
    printf 'resident,      %d notes   %7d kB   floor %7d kB   ratio %5.2fx   %+6d kB, libraries %+6d kB\n' \
        "$notes" "$rss" "$rss0" "$(echo "$rss / $rss0" | bc -l)" $((rss - rss0)) $((libs - libs0))
    printf 'anonymous,     %d notes   %7d kB   floor %7d kB   ratio %5.2fx   %+6d kB\n' \
        "$notes" "$anon" "$anon0" "$(echo "$anon / $anon0" | bc -l)" $((anon - anon0))
    if [ -z "$first_wall" ]; then
        first_wall=$(per_note "$wall") first_cpu=$(per_note "$cpu") first_notes=$notes
        first_anon=$anon first_anon0=$anon0
    else
        printf 'a note at %d notes against one at %d: wall %5.2fx, CPU %5.2fx\n' "$notes" "$first_notes" \
            "$(echo "$(per_note "$wall") / $first_wall" | bc -l)" "$(echo "$(per_note "$cpu") / $first_cpu" | bc -l)"
        grown=$(echo "($anon - $first_anon) / ($notes - $first_notes)" | bc -l)
        grown0=$(echo "($anon0 - $first_anon0) / ($notes - $first_notes)" | bc -l)
        printf 'anonymous memory a note, %d to %d notes   %6.1f kB   floor %6.1f kB   ratio %5.2fx\n' \
            "$first_notes" "$notes" "$grown" "$grown0" "$(echo "$grown / $grown0" | bc -l)"
    fi
done
