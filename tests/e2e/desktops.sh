# Shared by the end-to-end tests that run on more than one desktop: starts a desktop's window
# manager from Debian's packages and moves windows the way that desktop does. Source it after
# xsession.sh, then call start_desktop NAME.
#
#   openbox   Xvfb + openbox (as start_x)
#   kwin      Xvfb + kwin_x11, default settings, on a session bus of its own
#   mutter    Xvfb + mutter --x11, on a session bus of its own
#   xfwm4     Xvfb + xfwm4
#   sway      sway on its headless backend with XWayland; sway refuses root, so as root it
#             runs as the user jotpin-sway (made when missing), which lets root use its display
#
# After start_desktop: DISPLAY is the X display; for sway also WAYLAND_DISPLAY (a full path)
# and SWAYSOCK. DESKTOP is the desktop's name.

# desktop_tools NAME: exits 77 (skip) when a tool the desktop needs is missing.
desktop_tools() {
    local tool tools=()
    case $1 in
        openbox) tools=(openbox) ;;
        kwin) tools=(kwin_x11 dbus-daemon) ;;
        mutter) tools=(mutter dbus-daemon) ;;
        xfwm4) tools=(xfwm4) ;;
        sway) tools=(sway Xwayland swaymsg xhost grim) ;;
        *) fail "no desktop called $1" ;;
    esac
    for tool in "${tools[@]}" wmctrl; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed (bash scripts/test.sh installs it)"
            exit 77
        fi
    done
}

# start_session_bus: a D-Bus session bus of the test's own (KWin, mutter and xfwm4 want one).
start_session_bus() {
    start_helper dbus "$E2E_TMP/dbus.log" "test -s '$E2E_TMP/bus'" \
        "dbus-daemon --session --nofork --nopidfile --print-address=3 3>'$E2E_TMP/bus'"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/bus")
    export DBUS_SESSION_BUS_ADDRESS
}

# wm_named NAME: the window manager that runs on DISPLAY calls itself NAME (its check window).
wm_named() {
    local check
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK | awk '/window id/ {print $NF}')
    [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME | grep -qi "$1"
}
export -f wm_named

start_desktop() {
    DESKTOP=$1
    desktop_tools "$DESKTOP"
    case $DESKTOP in
        openbox) start_x ;;
        kwin)
            start_xvfb
            start_session_bus
            # Compositing changes nothing asked here and costs a core on a software renderer.
            start_helper kwin "$E2E_TMP/kwin.log" 'wm_named kwin' 'env KWIN_COMPOSE=N kwin_x11 --replace'
            ;;
        mutter)
            start_xvfb
            start_session_bus
            start_helper mutter "$E2E_TMP/mutter.log" 'wm_named mutter' 'mutter --x11 --replace --sm-disable'
            ;;
        xfwm4)
            start_xvfb
            # Its settings come from xfconfd over the session bus: without one it ends at once.
            start_session_bus
            start_helper xfwm4 "$E2E_TMP/xfwm4.log" 'wm_named xfwm4' 'xfwm4 --replace --compositor=off'
            ;;
        sway) start_sway ;;
    esac
    told_no_tray
}

# start_sway: sway headless with XWayland, one 1280x1024 output.
start_sway() {
    local run=() user
    user=$(id -un)
    if [ "$(id -u)" = 0 ]; then
        user=jotpin-sway
        id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" ||
            fail "could not make the user $user for sway"
        run=(setpriv --reuid="$user" --regid="$user" --init-groups)
        chmod 711 "$E2E_TMP"
    fi
    SWAY_RUNTIME="$E2E_TMP/sway"
    mkdir -m 700 "$SWAY_RUNTIME"
    chown "$user" "$SWAY_RUNTIME"
    # Run by sway once it is up: XWayland starts at its first client; root may use it too.
    cat >"$E2E_TMP/sway-ready.sh" <<EOF
xhost +si:localuser:root >/dev/null 2>&1
echo "\$DISPLAY \$WAYLAND_DISPLAY" >"$SWAY_RUNTIME/ready.tmp" && mv "$SWAY_RUNTIME/ready.tmp" "$SWAY_RUNTIME/ready"
EOF
    cat >"$E2E_TMP/sway.config" <<EOF
xwayland enable
output HEADLESS-1 resolution 1280x1024 position 0 0
exec sh $E2E_TMP/sway-ready.sh
EOF
    chmod 644 "$E2E_TMP/sway-ready.sh" "$E2E_TMP/sway.config"
    start_helper sway "$E2E_TMP/sway.log" "test -s '$SWAY_RUNTIME/ready'" \
        "${run[*]} env -i PATH=/usr/bin:/bin HOME='$SWAY_RUNTIME' XDG_RUNTIME_DIR='$SWAY_RUNTIME' WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c '$E2E_TMP/sway.config'"
    local display wayland
    read -r display wayland <"$SWAY_RUNTIME/ready"
    export DISPLAY=$display WAYLAND_DISPLAY="$SWAY_RUNTIME/$wayland"
    SWAYSOCK=$(ls "$SWAY_RUNTIME"/sway-ipc.*.sock)
    export SWAYSOCK
    wait_for 20 xprop -root || fail "no XWayland on $DISPLAY: $(tail -n 20 "$E2E_TMP/sway.log")"
}

# wm_move ID X Y: the window manager moves window ID so that its top-left stands at X,Y, as an
# Alt+drag, a keyboard move or a pager would; the program never asked for it.
wm_move() {
    local id=$1 x=$2 y=$3
    if [ "$DESKTOP" = sway ]; then
        swaymsg -q "[id=$((id))] move position $x $y" || fail "sway did not move window $id"
    else
        # _NET_MOVERESIZE_WINDOW, sent as a pager sends it.
        wmctrl -i -r "$id" -e "0,$x,$y,-1,-1" || fail "no move of window $id by $DESKTOP"
    fi
}

# pointer_drag X1 Y1 X2 Y2: presses the left button at X1,Y1 and releases it at X2,Y2, in
# three steps. On sway the compositor's own pointer does it: XWayland's XTEST pointer stays
# inside XWayland, where no window manager sees it.
pointer_drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4
    local mx=$(((x1 + x2) / 2)) my=$(((y1 + y2) / 2))
    if [ "$DESKTOP" = sway ]; then
        local seat=(swaymsg -q seat -)
        # A pause between steps, as a hand makes: the program answers each.
        "${seat[@]}" cursor set "$x1" "$y1"
        "${seat[@]}" cursor press button1
        sleep 0.2
        "${seat[@]}" cursor set "$mx" "$my"
        sleep 0.2
        "${seat[@]}" cursor set "$x2" "$y2"
        sleep 0.2
        "${seat[@]}" cursor release button1
    else
        xdotool mousemove "$x1" "$y1" mousedown 1 sleep 0.2 mousemove "$mx" "$my" sleep 0.2 \
            mousemove "$x2" "$y2" sleep 0.2 mouseup 1
    fi
}

# pointer_click X Y: a left click there.
pointer_click() {
    if [ "$DESKTOP" = sway ]; then
        swaymsg -q seat - cursor set "$1" "$2"
        swaymsg -q seat - cursor press button1
        swaymsg -q seat - cursor release button1
    else
        xdotool mousemove "$1" "$2" click 1
    fi
}

# desktop_screenshot FILE: the whole screen as the user sees it.
desktop_screenshot() {
    if [ "$DESKTOP" = sway ]; then grim "$1"; else import -window root "$1"; fi
}
