#!/usr/bin/env bash
# From SIGTERM to the end of the process with 500 notes loaded, against ending a `sleep` the
# same way, in the same run. The store must be complete afterwards.
# Usage: bench/bench_quit.sh build/jotpin [runs]
set -euo pipefail
program=$(realpath "$1")
runs=${2:-5}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/tie"
cp "$program" "$dir/jotpin"
{
    for n in $(seq 1 500); do
        printf '[帖子%d]\r\nx坐标=%d\r\ny坐标=%d\r\n窗体高度=1500\r\n' "$n" $(((n % 40) * 300)) $(((n / 40) * 600))
    done
    printf '[初始值]\r\n窗体数目=500\r\n'
} | iconv -f utf-8 -t gbk >"$dir/tie.dat"
for n in $(seq 1 500); do printf '{\\rtf1\\ansi note %d\\par}' "$n" >"$dir/tie/tie$n.tie"; done

now() { date +%s%N; }
# Waits until the process has used no CPU for half a second: it has loaded.
wait_idle() {
    local prev=-1 cpu same=0
    while ((same < 5)); do
        sleep 0.1
        cpu=$(awk '{print $14 + $15}' "/proc/$1/stat")
        if [ "$cpu" = "$prev" ]; then same=$((same + 1)); else same=0; fi
        prev=$cpu
    done
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

quits=()
floors=()
for ((r = 0; r < runs; r++)); do
    QT_QPA_PLATFORM=offscreen "$dir/jotpin" 2>/dev/null &
    pid=$!
    wait_idle "$pid"
    t0=$(now)
    kill -TERM "$pid"
    wait "$pid" || { echo "jotpin ended with an error"; exit 1; }
    quits+=($((($(now) - t0) / 1000)))
    iconv -f gbk -t utf-8 "$dir/tie.dat" | tr -d '\r' | grep -qx '窗体数目=500' || { echo "store incomplete"; exit 1; }
    [ "$(ls "$dir/tie" | wc -l)" -ge 500 ] || { echo "content files missing"; exit 1; }

    sleep 100 &
    pid=$!
    sleep 0.2
    t0=$(now)
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    floors+=($((($(now) - t0) / 1000)))
done
quit=$(printf '%s\n' "${quits[@]}" | median)
floor=$(printf '%s\n' "${floors[@]}" | median)
printf 'SIGTERM to exit, 500 notes   %8.1f ms   a sleep process %6.1f ms   ratio %6.1fx   (median of %d)\n' \
    "$(echo "$quit / 1000" | bc -l)" "$(echo "$floor / 1000" | bc -l)" "$(echo "$quit / $floor" | bc -l)" "$runs"
