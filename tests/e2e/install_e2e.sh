#!/usr/bin/env bash
# "cmake --install" into a temporary prefix: the program, its shipped files, a valid desktop
# entry and the icons land where a Linux desktop looks for them; the installed program starts
# in an X server, finds its shipped files and keeps its notes in the user's data folder.
set -euo pipefail
builddir=$1
source "$(dirname "$0")/xsession.sh"
command -v desktop-file-validate >/dev/null || { echo "SKIP: desktop-file-validate missing"; exit 77; }
start_x

prefix="$E2E_TMP/prefix"
cmake --install "$builddir" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
    fail "install: $(cat "$E2E_TMP/install.log")"
for file in bin/jotpin share/jotpin/kvz.dat share/jotpin/kvz.mid "share/jotpin/Jotpin说明.htm" \
    share/icons/hicolor/scalable/apps/jotpin.svg; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
for size in 16 22 24 32 48 64 128 256; do
    [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/jotpin.png" ] || fail "no ${size} px icon"
done
desktop-file-validate "$prefix/share/applications/jotpin.desktop" ||
    fail "the desktop entry does not validate"

# A note from another machine without a sound of its own takes the default, kvz.mid.
store="$XDG_DATA_HOME/jotpin"
mkdir -p "$store"
printf '[帖子1]\r\n窗体高度=3000\r\nx坐标=1500\r\ny坐标=1500\r\n[初始值]\r\n窗体数目=1\r\n' |
    iconv -f utf-8 -t gbk >"$store/tie.dat"
"$prefix/bin/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_for 40 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "no note came up"
read -r nx ny _ _ <<<"$(visible_geometries "$pid")"
xdotool mousemove $((nx + 100)) $((ny + 100)) click 1 sleep 0.3 type "x"  # a change: the store is written
sleep 0.3
kill -TERM "$pid"
wait "$pid" || fail "exit code $? after SIGTERM"

[ -f "$store/tie/tie1.tie" ] || fail "no note saved in $store: $(ls -R "$store" "$prefix/bin")"
[ ! -e "$prefix/bin/tie.dat" ] || fail "the installed program wrote its store beside itself"
# The default alarm sound of a note is the installed one.
iconv -f gbk -t utf-8 "$store/tie.dat" | grep -q "Image5=$prefix/share/jotpin/kvz.mid" ||
    fail "the default sound is not the installed kvz.mid: $(iconv -f gbk -t utf-8 "$store/tie.dat")"
echo "PASS: installed under a prefix, started, store in the data folder"
