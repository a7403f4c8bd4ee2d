#!/usr/bin/env bash
# Idle cost: the program with 20, 200 and 500 stored notes, every other one with a reminder
# armed (due in a later year), idle for 30 s in an X server, their title clocks running; then
# 500 again with one note capturing text that another program holds on the clipboard.
# Prints CPU time (share of one core) of the program and of the X server, and wake-ups
# (voluntary context switches) per second of the main thread and of all threads; the larger
# runs also as a ratio to the 20-note run.
# Usage: bash bench/bench_idle.sh [build/jotpin] [seconds]
set -euo pipefail
program=${1:-build/jotpin}
seconds=${2:-30}
source "$(dirname "$0")/../tests/e2e/xsession.sh"
start_x

make_store() {  # make_store DIR N
    local dir=$1 n=$2 i
    mkdir -p "$dir/tie"
    cp "$program" "$dir/"
    {
        for ((i = 1; i <= n; i++)); do
            printf '[帖子%d]\r\n窗体宽度=3345\r\n窗体高度=2400\r\nx坐标=%d\r\ny坐标=%d\r\n' \
                "$i" $(((i % 20) * 900)) $(((i / 20) * 600))
            if ((i % 2)); then
                printf '闹钟=True\r\nImage3=2099年1月1日*09:00**00\r\n'
            else
                printf '闹钟=False\r\n'
            fi
            printf '{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0\\fs18 note %d \\b bold\\b0\\par}\r\n' \
                "$i" >"$dir/tie/tie$i.tie"
        done
        printf '[初始值]\r\n窗体数目=%d\r\n' "$n"
    } | iconv -f utf-8 -t gbk >"$dir/tie.dat"
}

ticks() {  # user + system clock ticks of a process
    awk '{print $14 + $15}' "/proc/$1/stat"
}
wakeups() {  # voluntary context switches over all threads
    cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'
}
main_wakeups() {  # voluntary context switches of the main thread
    awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$1/task/$1/status"
}
xserver=$(pgrep -n -x Xvfb)
clip_text="clipboard-of-another-program"
"$(dirname "$program")/bench/clipboard_owner" "$clip_text" &
E2E_PIDS+=($!)

# The topmost note of a process switches clipboard capture on through its note menu (the
# eighth item), and the captured text reaches its content file.
capture_on() {  # capture_on PID DIR
    local pid=$1 dir=$2 id top="" x y
    local ours
    ours=" $(xdotool search --onlyvisible --pid "$pid" | tr '\n' ' ') "
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2); do
        [[ "$ours" == *" $((id)) "* ]] && top=$((id))
    done
    read -r x y < <(xwininfo -id "$top" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
    xdotool mousemove $((x + 16)) $((y + 10)) click 1 sleep 0.5
    xdotool key Down Down Down Down Down Down Down Down Return
    wait_for 20 grep -q "$clip_text" "$dir"/tie/*.tie || fail "no note captured the clipboard"
    # The user goes back to another program: the note's caret stops blinking (two repaints a
    # second while the note has the focus).
    xmessage -geometry +600+600 "other work" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    xdotool search --sync --onlyvisible --name '^xmessage$' windowactivate
}

measure() {  # measure N [capture]: prints "cpu% X-cpu% main-wakeups/s all-wakeups/s"
    local dir="$E2E_TMP/store$1${2:-}"
    make_store "$dir" "$1"
    "$dir/jotpin" >"$dir/log" 2>&1 &
    local pid=$!
    E2E_PIDS+=($pid)
    sleep 5  # loaded and settled
    if [ -n "${2:-}" ]; then
        capture_on "$pid" "$dir"
        sleep 2
    fi
    local t0 w0 m0 x0 t1 w1 m1 x1
    t0=$(ticks $pid)
    w0=$(wakeups $pid)
    m0=$(main_wakeups $pid)
    x0=$(ticks "$xserver")
    sleep "$seconds"
    t1=$(ticks $pid)
    w1=$(wakeups $pid)
    m1=$(main_wakeups $pid)
    x1=$(ticks "$xserver")
    kill -TERM $pid
    wait $pid || true
    local hz
    hz=$(getconf CLK_TCK)
    awk -v dt=$((t1 - t0)) -v dx=$((x1 - x0)) -v dm=$((m1 - m0)) -v dw=$((w1 - w0)) \
        -v s="$seconds" -v hz="$hz" \
        'BEGIN {printf "%.3f %.3f %.2f %.2f\n", 100 * dt / hz / s, 100 * dx / hz / s, dm / s, dw / s}'
}

printf 'idle for %d s, X server with a window manager\n\n' "$seconds"
printf '%-8s %14s %14s %18s %18s\n' notes "CPU (% core)" "X server (%)" "main wake-ups/s" "all wake-ups/s"
base=""
for n in 20 200 500; do
    read -r cpu xcpu main all <<<"$(measure $n)"
    printf '%-8s %14s %14s %18s %18s' "$n" "$cpu" "$xcpu" "$main" "$all"
    if [ -z "$base" ]; then
        base=$main
        echo
    else
        awk -v a="$main" -v b="$base" 'BEGIN { if (b > 0) printf "   main wake-ups %.2fx the 20-note run\n", a / b; else print "" }'
    fi
done
# One of the 500 captures what another program put on the clipboard.
read -r cpu xcpu main all <<<"$(measure 500 capture)"
printf '%-8s %14s %14s %18s %18s\n' "500+clip" "$cpu" "$xcpu" "$main" "$all"
