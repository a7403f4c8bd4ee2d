#!/usr/bin/env bash
# "cmake --install" into a temporary prefix, and the Debian package that cpack makes, unpacked
# into a throw-away root: the program, its shipped files, a valid desktop entry, the software
# centre's description, the manual pages and the icons land where a Linux desktop looks for
# them, and lintian has nothing to object to. Each installed program starts in an X server,
# finds its shipped files and keeps its notes in the user's data folder; --help and --version
# answer without a display and leave the running one and its store alone.
# install_e2e.sh BUILD_DIR [SANITIZED]: an instrumented build is installed but not packaged.
set -euo pipefail
builddir=$1
sanitized=${2:-OFF}
source "$(dirname "$0")/xsession.sh"
for tool in desktop-file-validate appstreamcli man cpack dpkg-deb lintian; do
    command -v "$tool" >/dev/null ||
        { echo "SKIP: $tool is not installed (bash scripts/test.sh installs it)"; exit 77; }
done
start_x

# check_files PREFIX: what a desktop needs is there and valid.
check_files() {
    local prefix=$1 file size page
    for file in bin/jotpin share/jotpin/kvz.dat share/jotpin/kvz.mid "share/jotpin/Jotpin说明.htm" \
        share/icons/hicolor/scalable/apps/jotpin.svg; do
        [ -f "$prefix/$file" ] || fail "not installed: $file"
    done
    # Sound and printing are modules of their own, loaded at their first use.
    for file in libjotpin_sound.so libjotpin_print.so; do
        find "$prefix/lib" -path "*/jotpin/$file" | grep -q . || fail "not installed: $file"
    done
    ! readelf -d "$prefix/bin/jotpin" | grep -E 'NEEDED.*(Multimedia|PrintSupport)' ||
        fail "the program links sound or printing: a start would map them"
    for size in 16 22 24 32 48 64 128 256; do
        [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/jotpin.png" ] || fail "no ${size} px icon"
    done
    local metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
    [ -f "${metainfo[0]}" ] || fail "no metainfo in $prefix/share/metainfo"
    appstreamcli validate --no-net "${metainfo[@]}" >"$E2E_TMP/appstream.log" 2>&1 ||
        fail "the metainfo does not validate: $(cat "$E2E_TMP/appstream.log")"
    ! grep -E '^[EW]:' "$E2E_TMP/appstream.log" || fail "the metainfo has warnings"
    # The software centre starts the entry the metainfo names.
    local launchable
    launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "${metainfo[0]}")
    [ -f "$prefix/share/applications/$launchable" ] || fail "no desktop entry $launchable"
    desktop-file-validate "$prefix/share/applications/$launchable" ||
        fail "the desktop entry does not validate"
    for page in share/man/man1/jotpin.1.gz share/man/en/man1/jotpin.1.gz; do
        [ -f "$prefix/$page" ] || fail "no manual page $page"
        LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$prefix/$page" \
            2>"$E2E_TMP/man.log" >/dev/null || fail "man cannot format $page"
        [ ! -s "$E2E_TMP/man.log" ] || fail "$page: $(cat "$E2E_TMP/man.log")"
    done
}

# A snapshot of the user's folders: what is there, how big, when last written.
user_files() {
    { find "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CONFIG_HOME" -printf '%p %s %T@\n' 2>/dev/null || true; } |
        sort
}

# True when the user's folders stayed as they are for a second.
files_settled() {
    local before
    before=$(user_files)
    sleep 1
    [ "$(user_files)" = "$before" ]
}

# maps_module PID FOLDER FILE: the process has FILE mapped from somewhere below FOLDER.
maps_module() {
    awk -v folder="$2" -v file="/$3" 'index($6, folder) == 1 &&
        substr($6, length($6) - length(file) + 1) == file {found = 1} END {exit !found}' "/proc/$1/maps"
}

# printer_dialog PID: a window of the process is titled as the printer dialog. (xdotool's
# --name does not match Chinese.)
printer_dialog() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$1"); do
        [ "$(xdotool getwindowname "$id")" = 打印 ] && return 0
    done
    return 1
}

# run_installed PREFIX [ASK]: starts PREFIX/bin/jotpin on a store from another machine, types
# into its note, ends it with SIGTERM and checks the store in the data folder. With ASK, asks
# another copy for --help and --version while it runs.
run_installed() {
    local prefix=$1 ask=${2:-}
    rm -rf "$XDG_DATA_HOME" "$XDG_STATE_HOME"
    told_no_tray
    # A note from another machine without a sound of its own takes the default, kvz.mid.
    local store="$XDG_DATA_HOME/jotpin"
    mkdir -p "$store"
    printf '[帖子1]\r\n窗体高度=3000\r\nx坐标=1500\r\ny坐标=1500\r\n[初始值]\r\n窗体数目=1\r\n' |
        iconv -f utf-8 -t gbk >"$store/tie.dat"
    "$prefix/bin/jotpin" >"$E2E_TMP/jotpin.log" 2>&1 &
    local pid=$!
    E2E_PIDS+=($pid)
    wait_for 40 bash -c "[ -n \"\$(visible_geometries $pid)\" ]" || fail "no note came up"
    [ -z "$ask" ] || ask_while_running "$prefix" "$pid"
    local nx ny note
    read -r nx ny _ _ <<<"$(visible_geometries "$pid")"
    note=$(xdotool search --onlyvisible --pid "$pid")
    note=${note%%$'\n'*}
    # The installed program finds its printing module: Ctrl+P opens the printer dialog.
    xdotool mousemove $((nx + 100)) $((ny + 100)) click 1
    wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$note" ]' || fail "the note took no keyboard"
    xdotool key ctrl+p
    wait_for 20 maps_module "$pid" "$prefix/lib/" libjotpin_print.so ||
        fail "Ctrl+P did not load the installed printing module"
    wait_for 20 printer_dialog "$pid" || fail "no printer dialog came up"
    xdotool key Escape
    wait_for 10 eval '! printer_dialog "$pid"' || fail "the printer dialog did not close"
    xdotool mousemove $((nx + 100)) $((ny + 100)) click 1
    wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$note" ]' || fail "the note took no keyboard"
    xdotool type "x"  # a change: the store is written
    # SIGTERM does not come through the X server and may overtake the key, and nothing shows
    # that the program has taken it: a moment for that.
    sleep 0.3
    kill -TERM "$pid"
    wait "$pid" || fail "exit code $? after SIGTERM"
    forget_pid "$pid"

    [ -f "$store/tie/tie1.tie" ] || fail "no note saved in $store: $(ls -R "$store" "$prefix/bin")"
    [ ! -e "$prefix/bin/tie.dat" ] || fail "the installed program wrote its store beside itself"
    # The default alarm sound of a note is the installed one.
    grep -q "Image5=$prefix/share/jotpin/kvz.mid" <(iconv -f gbk -t utf-8 "$store/tie.dat") ||
        fail "the default sound is not the installed kvz.mid: $(iconv -f gbk -t utf-8 "$store/tie.dat")"
}

# load_saved PREFIX: the store in the data folder names the installed sound, and no save is
# under way.
load_saved() {
    local store="$XDG_DATA_HOME/jotpin"
    [ ! -e "$store/tie.journal" ] &&
        grep -q "^Image5=$1/share/jotpin/kvz.mid" <(iconv -f gbk -t utf-8 "$store/tie.dat")
}

# ask_while_running PREFIX PID: --help and --version print and end at once, with no display:
# they neither reach the running program (without a tray it would open its menu) nor write.
ask_while_running() {
    local prefix=$1 pid=$2 shown before option
    # The start gives the note what the other machine's store lacks (a creation time, the
    # default sound) and saves that two seconds later: a write of its own, not of --help's.
    wait_for 10 load_saved "$prefix" || fail "the start did not save what it gave the note"
    shown=$(visible_geometries "$pid")
    before=$(user_files)
    env -u DISPLAY "$prefix/bin/jotpin" --help >"$E2E_TMP/help.log" 2>&1 ||
        fail "--help ended with $?"
    for option in --help --version --store --platform JOTPIN_STORE; do
        grep -q -- "$option" "$E2E_TMP/help.log" || fail "--help does not mention $option"
    done
    env -u DISPLAY "$prefix/bin/jotpin" --version >"$E2E_TMP/version.log" 2>&1 ||
        fail "--version ended with $?"
    wait_for 1 bash -c "[ \"\$(visible_geometries $pid)\" != '$shown' ]" &&
        fail "the running Jotpin reacted to --help or --version"
    kill -0 "$pid" 2>/dev/null || fail "the running Jotpin ended"
    [ "$(user_files)" = "$before" ] || fail "--help or --version wrote: $(diff <(echo "$before") <(user_files))"
}

prefix="$E2E_TMP/prefix"
cmake --install "$builddir" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
    fail "install: $(cat "$E2E_TMP/install.log")"
check_files "$prefix"
run_installed "$prefix"
echo "PASS: installed under a prefix, started, store in the data folder"

if [ "$sanitized" = ON ]; then
    echo "PASS (no package: the build is instrumented)"
    exit 0
fi
(cd "$builddir" && cpack -G DEB -B "$E2E_TMP/package") >"$E2E_TMP/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$E2E_TMP/cpack.log")"
deb=("$E2E_TMP"/package/jotpin_*.deb)
[ -f "${deb[0]}" ] || fail "no package: $(ls "$E2E_TMP/package")"
dpkg-deb -c "$deb" | awk '{print $6}' >"$E2E_TMP/contents.log"
! grep -v '^\./usr/' "$E2E_TMP/contents.log" | grep -v '^\./$' ||
    fail "the package puts files outside /usr"
# What linking does not show: the X server's and the pictures' Qt plugins, the players of the
# alarm sounds and their soundfont, the Chinese font and Qt's Chinese texts.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6widgets6 libqt6multimedia6 qt6-qpa-plugins qt6-wayland qt6-image-formats-plugins \
    libqt6svg6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad \
    gstreamer1.0-plugins-ugly gstreamer1.0-libav timgm6mb-soundfont fonts-noto-cjk \
    qt6-translations-l10n; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the package does not depend on $package: $depends"
done
# Read whole first: a grep -q that stops at its match would end the writer by SIGPIPE, which
# pipefail counts as a failure.
description=$(dpkg-deb -f "$deb" Description)
[[ $description == *帖子* ]] || fail "no Chinese description"
# One version everywhere: the program, the package, its changelog, the software centre's release.
dpkg -x "$deb" "$E2E_TMP/root"
version=$(dpkg-deb -f "$deb" Version)
[ "$(env -u DISPLAY "$E2E_TMP/root/usr/bin/jotpin" --version)" = "jotpin $version" ] ||
    fail "jotpin --version does not say $version"
changelog=$(zcat "$E2E_TMP/root/usr/share/doc/jotpin/changelog.gz")
[[ ${changelog%%$'\n'*} == *"jotpin ($version)"* ]] ||
    fail "the changelog does not start with $version"
grep -qF "<release version=\"$version\"" "$E2E_TMP"/root/usr/share/metainfo/*.metainfo.xml ||
    fail "the metainfo has no release $version"
lintian --fail-on error,warning "$deb" >"$E2E_TMP/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$E2E_TMP/lintian.log")"
check_files "$E2E_TMP/root/usr"
run_installed "$E2E_TMP/root/usr" ask
echo "PASS: packaged ($(du -k "$deb" | cut -f1) kB, lintian clean), unpacked, started, --help and --version"
