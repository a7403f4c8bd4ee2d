#!/usr/bin/env bash
# Starts the real program in an X server from a folder holding a store written the Windows
# way, checks that the stored notes come up where they were, then ends it with SIGTERM and
# checks that the store on disk holds the same values.
set -euo pipefail
program=$1
appdir=$2
source "$(dirname "$0")/xsession.sh"
start_x

app="$E2E_TMP/app 程序"
mkdir -p "$app/tie"
cp "$program" "$app/"
cp "$appdir/kvz.dat" "$appdir/kvz.mid" "$app/"

# Note 1 plain, note 2 locked (138 px wide title strip), note 3 hidden, note 4 with a
# reminder and opacity 180. Positions and sizes in twips (15 per pixel).
crlf() { sed 's/$/\r/'; }
cat <<'INI' | crlf | iconv -f utf-8 -t gbk >"$app/tie.dat"
[帖子1]
Image3=
Image5=/usr/share/sounds/bell.mid
背景颜色=8454143
建立时间=26/12/01 9:5:3
窗体宽度=4500
窗体高度=3000
闹钟=False
x坐标=1500
y坐标=1500
透明度=255
visible=True
加锁=无密码
实际高度=638
[帖子2]
Image3=
Image5=
背景颜色=16761024
建立时间=26/12/02 10:0:0
窗体宽度=3345
窗体高度=638
闹钟=False
x坐标=7500
y坐标=1500
透明度=255
visible=True
加锁=secret
实际高度=2400
[帖子3]
Image3=
Image5=
背景颜色=16777215
建立时间=26/12/03 11:0:0
窗体宽度=3345
窗体高度=3825
闹钟=False
x坐标=3000
y坐标=9000
透明度=255
visible=False
加锁=无密码
实际高度=638
[帖子4]
Image3=2026年12月31日*23:59**05
Image5=/usr/share/sounds/bell.mid
背景颜色=12648384
建立时间=26/12/04 12:0:0
窗体宽度=6000
窗体高度=4500
闹钟=True
x坐标=1500
y坐标=7500
透明度=180
visible=True
加锁=无密码
实际高度=638
[初始值]
窗体数目=4
是否在前=False
提醒声音开启=True
自动运行=False
INI
cp "$app/tie.dat" "$E2E_TMP/before.dat"

for n in 1 2 3 4; do
    text=$(printf '第%s张帖子' "$n" | iconv -f utf-8 -t gbk | od -An -tx1 | tr -s ' \n' ' ' |
        sed "s/ \([0-9a-f][0-9a-f]\)/\\\\'\1/g")
    printf '{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'"'"'cb\\'"'"'ce\\'"'"'cc\\'"'"'e5;}}\r\n\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs18 %s\\par\r\n}\r\n' \
        "$text" >"$app/tie/tie$n.tie"
    cp "$app/tie/tie$n.tie" "$E2E_TMP/tie$n.before"
done

"$app/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)

expected=$(printf '%s\n' "100 100 300 200" "500 100 223 43" "100 500 400 300" | sort)
wait_for 20 bash -c "[ \"\$(visible_geometries $pid)\" = \"$expected\" ]" ||
    fail "windows on screen:
$(visible_geometries "$pid")
expected:
$expected"
if command -v import >/dev/null 2>&1; then import -window root "$appdir/e2e-store.png" 2>/dev/null || true; fi

kill -TERM "$pid"
wait_for 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "SIGTERM did not end the program"
wait "$pid" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after SIGTERM"

if ! cmp -s "$E2E_TMP/before.dat" "$app/tie.dat"; then
    diff <(iconv -f gbk -t utf-8 "$E2E_TMP/before.dat") <(iconv -f gbk -t utf-8 "$app/tie.dat") || true
    cat "$E2E_TMP/jotpin.log"; fail "the store changed over a start and SIGTERM"
fi
# Nothing changed, so no content file was written either.
for n in 1 2 3 4; do
    cmp -s "$E2E_TMP/tie$n.before" "$app/tie/tie$n.tie" ||
        fail "content of note $n changed: $(cat "$app/tie/tie$n.tie")"
done
echo "PASS: 4 stored notes came up as stored, and an unchanged store stayed as it was"
