#!/usr/bin/env bash
# From SIGTERM to the end of the process while a note of tens of megabytes is still being laid
# out, at several moments after the start, against ending a `sleep` the same way in the same run.
# The store must read whole afterwards.
# Usage: bench/bench_quit_huge.sh build/jotpin [megabytes]
set -euo pipefail
program=$(realpath "$1")
megabytes=${2:-50}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/tie"
cp "$program" "$dir/jotpin"
printf '[帖子1]\r\nx坐标=3000\r\ny坐标=1500\r\n窗体高度=3000\r\n[初始值]\r\n窗体数目=1\r\n' |
    iconv -f utf-8 -t gbk >"$dir/tie.dat"
# One paragraph of words, as a text file: the store reads it and writes it back as RTF.
(yes 'lorem ipsum dolor sit amet' || true) | tr '\n' ' ' | head -c $((megabytes * 1024 * 1024)) >"$dir/tie/tie1.tie" || true

now() { date +%s%N; }
ms() { echo "scale=1; $1 / 1000000" | bc; }

sleep 100 &
pid=$!
sleep 0.2
t0=$(now)
kill -TERM "$pid"
wait "$pid" 2>/dev/null || true
floor=$(($(now) - t0))

printf '%d MB note, SIGTERM at each moment after the start; a sleep process ends in %s ms\n' \
    "$megabytes" "$(ms "$floor")"
for after in 0.5 2 5 10; do
    QT_QPA_PLATFORM=offscreen "$dir/jotpin" 2>/dev/null &
    pid=$!
    sleep "$after"
    t0=$(now)
    kill -TERM "$pid"
    wait "$pid" || { echo "jotpin ended with an error"; exit 1; }
    took=$(($(now) - t0))
    iconv -f gbk -t utf-8 "$dir/tie.dat" | tr -d '\r' | grep -qx '窗体数目=1' || { echo "store incomplete"; exit 1; }
    size=$(stat -c %s "$dir/tie/tie1.tie")
    printf '  at %4s s   SIGTERM to exit %8s ms   ratio %7.1fx   note file %d bytes\n' \
        "$after" "$(ms "$took")" "$(echo "$took / $floor" | bc -l)" "$size"
done
