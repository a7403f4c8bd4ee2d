#!/usr/bin/env bash
# Idle cost: the program with 20 and with 200 stored notes, idle for 30 s in an X server.
# Prints CPU time (share of one core) and wake-ups (voluntary context switches of all its
# threads) per second; the 200-note figures also as a ratio to the 20-note run.
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
            printf '[帖子%d]\r\n窗体宽度=3345\r\n窗体高度=2400\r\nx坐标=%d\r\ny坐标=%d\r\n闹钟=False\r\n' \
                "$i" $(((i % 20) * 900)) $(((i / 20) * 600))
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

measure() {  # measure N: prints "cpu_percent wakeups_per_second"
    local dir="$E2E_TMP/store$1"
    make_store "$dir" "$1"
    "$dir/jotpin" >"$dir/log" 2>&1 &
    local pid=$!
    E2E_PIDS+=($pid)
    sleep 5  # loaded and settled
    local t0 w0 t1 w1
    t0=$(ticks $pid)
    w0=$(wakeups $pid)
    sleep "$seconds"
    t1=$(ticks $pid)
    w1=$(wakeups $pid)
    kill -TERM $pid
    wait $pid || true
    local hz
    hz=$(getconf CLK_TCK)
    awk -v dt=$((t1 - t0)) -v dw=$((w1 - w0)) -v s="$seconds" -v hz="$hz" \
        'BEGIN {printf "%.3f %.2f\n", 100 * dt / hz / s, dw / s}'
}

read -r cpu20 wake20 <<<"$(measure 20)"
read -r cpu200 wake200 <<<"$(measure 200)"
printf 'idle for %d s, X server with a window manager\n\n' "$seconds"
printf '%-10s %12s %16s\n' notes "CPU (% core)" "wake-ups per s"
printf '%-10s %12s %16s\n' 20 "$cpu20" "$wake20"
printf '%-10s %12s %16s\n' 200 "$cpu200" "$wake200"
awk -v a="$wake200" -v b="$wake20" 'BEGIN {
    if (b > 0) printf "\nwake-ups, 200 notes against 20: ratio %.2fx\n", a / b
    else printf "\nwake-ups, 200 notes against 20: both %s per second\n", a }'
