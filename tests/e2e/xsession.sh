# Shared by the end-to-end tests: a private X server with a window manager, cleaned up on exit.
# Source it, then call start_x. Needs Xvfb, openbox, xdotool, xwininfo (Debian packages).

for tool in Xvfb openbox xdotool xwininfo xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (bash scripts/test.sh installs it)"
        exit 77
    fi
done

E2E_PIDS=()
E2E_TMP=$(mktemp -d)
# The program's per-user files (the autostart entry, the fallback store) stay in the test.
export XDG_CONFIG_HOME="$E2E_TMP/config" XDG_DATA_HOME="$E2E_TMP/data"

cleanup_x() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$E2E_TMP"
}
trap cleanup_x EXIT

fail() {
    echo "FAIL: $*"
    local log pid
    # What each of our programs was doing: a rare hang must be readable from the CI log.
    for pid in "${E2E_PIDS[@]}"; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null && echo "--- process $pid had ended" ||
                echo "--- process $pid had ended with status $?"
            continue
        fi
        [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = jotpin ] || continue
        echo "--- jotpin $pid is still running; its threads:"
        command -v gdb >/dev/null &&
            timeout 30 gdb -p "$pid" -batch -ex "thread apply all bt 12" 2>/dev/null | grep -E '^(#|Thread)' || true
        local id
        for id in $(xdotool search --pid "$pid" 2>/dev/null); do
            echo "window $id: $(xwininfo -id "$id" | grep -E 'geometry|Map State' | tr -s ' \n' ' ')"
        done
    done
    xwininfo -root -tree 2>/dev/null | grep -E '^ +0x' | head -n 20 || true
    for log in "$E2E_TMP"/*.log; do
        [ -s "$log" ] && printf -- '--- %s\n%s\n' "$(basename "$log")" "$(tail -n 20 "$log")"
    done
    exit 1
}

# wait_for SECONDS COMMAND...: polls every 0.1 s until COMMAND succeeds.
wait_for() {
    local limit=$(($1 * 10))
    shift
    local i
    for ((i = 0; i < limit; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

start_x() {
    # Xvfb picks a free display itself and writes its number once it accepts clients. Without
    # -noreset it resets when the probing xprop leaves, and refuses the next client meanwhile.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_for 20 test -s "$E2E_TMP/display" || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(tr -d '[:space:]' <"$E2E_TMP/display")"
    wait_for 20 xprop -root || fail "no X server on $DISPLAY"
    # Ready once it runs the start-up command: a window mapped while it still starts up may
    # never be managed (seen: a note that stayed unmapped).
    openbox --startup "touch $E2E_TMP/openbox.ready" >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_for 20 test -e "$E2E_TMP/openbox.ready" ||
        fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
}

# program_folder FILE...: a program folder of the test's own, $app, holding these files.
program_folder() {
    app="$E2E_TMP/app"
    mkdir -p "$app"
    cp "$@" "$app/"
}

# The mapped top-level windows of a process, one "x y width height" line each; its tray icon
# (a small window) left out.
visible_geometries() {
    local pid=$1 id
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        xwininfo -id "$id" | awk '
            /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
            /Width:/ {w=$NF} /Height:/ {h=$NF} /Map State: IsViewable/ {v=1}
            END { if (v && w > 40) print x, y, w, h }'
    done | sort
}
# For the "bash -c" conditions given to wait_for.
export -f visible_geometries
