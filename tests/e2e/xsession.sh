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
export XDG_CONFIG_HOME="$E2E_TMP/config" XDG_DATA_HOME="$E2E_TMP/data" XDG_STATE_HOME="$E2E_TMP/state"

# The shell that sourced this file. Subshells inherit the EXIT trap, and bash runs it in one
# killed before its command starts (a background job ended early): only this shell cleans up,
# or a killed helper would take the X server and the test folder with it.
E2E_SHELL=$BASHPID
e2e_own_shell() { [ "$BASHPID" = "$E2E_SHELL" ]; }

cleanup_x() {
    e2e_own_shell || return 0
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$E2E_TMP"
}
trap cleanup_x EXIT

# forget_pid PID...: takes processes that have been waited for out of E2E_PIDS, so that the
# cleanup and a failure's report leave their numbers alone (a long run reuses numbers).
forget_pid() {
    local gone pid kept=()
    for pid in "${E2E_PIDS[@]}"; do
        for gone in "$@"; do [ "$pid" = "$gone" ] && continue 2; done
        kept+=("$pid")
    done
    E2E_PIDS=("${kept[@]}")
}

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
    # What else a test wants to see on failure: it defines e2e_report.
    if declare -F e2e_report >/dev/null; then e2e_report || true; fi
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

# active_is TITLE: the window with the keyboard is titled exactly TITLE.
active_is() { [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ]; }
# wait_active TITLE [SECONDS]: waits until the window titled TITLE has the keyboard, 10 s unless
# told; fails naming the window that has it instead.
wait_active() {
    local limit=${2:-10}
    wait_for "$limit" active_is "$1" ||
        fail "no '$1' window had the keyboard within $limit s; the active one: $(xdotool getactivewindow getwindowname 2>&1)"
}

# start_helper NAME LOG READY COMMAND: starts the shell command COMMAND in the background (its
# pid in E2E_PIDS) and waits up to 20 s until the shell command READY succeeds. A helper that
# ended before it was ready shows that its start failed (two servers taking the same free
# display at once, say): that start alone is tried once more, and the output says so. A
# helper still running but never ready, or a second failed start, fails the test; nothing
# else in a test is ever tried again.
start_helper() {
    local name=$1 log=$2 ready=$3 command=$4 try pid status
    for try in 1 2; do
        eval "exec $command" >"$log" 2>&1 &
        pid=$!
        E2E_PIDS+=($pid)
        local i
        for ((i = 0; i < 200; i++)); do
            eval "$ready" >/dev/null 2>&1 && return 0
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        eval "$ready" >/dev/null 2>&1 && return 0
        kill -0 "$pid" 2>/dev/null && fail "$name did not get ready within 20 s: $(tail -n 20 "$log")"
        wait "$pid" && status=0 || status=$?
        [ "$try" = 1 ] || fail "$name failed to start again (status $status): $(tail -n 20 "$log")"
        echo "NOTE: $name ended while starting (status $status), so it is started once more; its log:"
        tail -n 20 "$log"
    done
}

# told_no_tray [STATE_HOME]: the state Jotpin keeps once it has told this session that there is no
# tray, as every start after the first finds it, so that no box comes up in the middle of a test
# (10 s after a start without a tray). Keyed as the program keys it: the desktop's name, else the
# window manager's on DISPLAY. The tests of the telling itself remove told.ini again.
told_no_tray() {
    local state=${1:-$XDG_STATE_HOME} check wm key
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ {print $NF}') || true
    [ -z "$check" ] ||
        wm=$(xprop -id "$check" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME([A-Z0-9_]*) = "\(.*\)"$/\1/p')
    mkdir -p "$state/jotpin"
    {
        echo '[noTray]'
        for key in none ${wm:+"wm-$wm"} ${XDG_CURRENT_DESKTOP:+"$XDG_CURRENT_DESKTOP"}; do
            echo "$(sed 's/[^A-Za-z0-9_-]/-/g' <<<"$key")=true"
        done
    } >"$state/jotpin/told.ini"
}

# start_x [NAME]: an X server with openbox, DISPLAY set to it. A test with two names gets two
# displays, as two machines would have: their files carry the name, "-a" in xvfb-a.log.
start_x() {
    local n=${1:+-$1}
    start_xvfb "$@"
    # Ready once it runs the start-up command: a window mapped while it still starts up may
    # never be managed (seen: a note that stayed unmapped).
    start_helper "openbox$n" "$E2E_TMP/openbox$n.log" "test -e '$E2E_TMP/openbox$n.ready'" \
        "openbox --startup 'touch $E2E_TMP/openbox$n.ready'"
    told_no_tray
}

# start_xvfb [NAME]: an X server without a window manager, DISPLAY set to it.
start_xvfb() {
    local n=${1:+-$1}
    # Xvfb picks a free display itself and writes its number once it accepts clients. Without
    # -noreset it resets when the probing xprop leaves, and refuses the next client meanwhile.
    start_helper "Xvfb$n" "$E2E_TMP/xvfb$n.log" "test -s '$E2E_TMP/display$n'" \
        "Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>'$E2E_TMP/display$n'"
    export DISPLAY=":$(tr -d '[:space:]' <"$E2E_TMP/display$n")"
    wait_for 20 xprop -root || fail "no X server on $DISPLAY"
    told_no_tray
}

# start_tray: a tray host, trayer, in a strip at the top right, ready once its window is shown.
start_tray() {
    start_helper trayer "$E2E_TMP/trayer.log" 'xdotool search --onlyvisible --class trayer' \
        'trayer --edge top --align right --widthtype pixel --width 120 --height 28 --SetDockType true --transparent false'
}

# e2e_seed: seeds $RANDOM with JOTPIN_TEST_SEED, or with a new seed, and prints it: the random
# choices of a failed run are made again with JOTPIN_TEST_SEED set to that seed.
e2e_seed() {
    E2E_SEED=${JOTPIN_TEST_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
    [[ $E2E_SEED =~ ^[0-9]+$ ]] || fail "JOTPIN_TEST_SEED is not a number: $E2E_SEED"
    RANDOM=$E2E_SEED
    echo "seed $E2E_SEED (JOTPIN_TEST_SEED=$E2E_SEED makes the same random choices)"
}

# program_folder PROGRAM FILE...: a program folder of the test's own, $app, holding these files
# and the program's modules (sound, printing).
program_folder() {
    app="$E2E_TMP/app"
    mkdir -p "$app"
    cp "$@" "$(dirname "$1")"/libjotpin_*.so "$app/"
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
# settled_windows PID: the number of its visible_geometries once it is above 0 and has not
# changed for 1 s (within 20 s; else it fails): a start that may mend the store first shows
# one number of notes or another.
settled_windows() {
    local pid=$1 count last=-1 same=0 i
    for ((i = 0; i < 200; i++)); do
        count=$(visible_geometries "$pid" | wc -l)
        if ((count > 0 && count == last)); then
            ((++same < 10)) || { echo "$count"; return 0; }
        else
            last=$count same=0
        fi
        sleep 0.1
    done
    return 1
}

# watch_store_steps PID K HOLD_US: kills PID with kill -9 at the K-th step it takes in the store
# folder $app (a file renamed into it, made or removed there, as inotifywait tells them; a save's
# temporary file, "tie.dat.Ab12Cd", changes nothing that a load reads and is no step). Each step
# is listed in $E2E_TMP/steps. Where strace is, every rename, link and unlink is held HOLD_US
# microseconds after it is made, in every thread, so that the kill lands before the next step.
# stop_watching_steps ends the helpers.
watch_store_steps() {
    local pid=$1 k=$2 hold=$3 calls=rename,renameat,renameat2,link,linkat,unlink,unlinkat
    step_helpers=()
    if command -v strace >/dev/null; then
        strace -f -p "$pid" -o /dev/null -e trace=$calls -e inject=$calls:delay_exit="$hold" \
            2>"$E2E_TMP/strace.log" &
        step_helpers+=($!)
        E2E_PIDS+=($!)
        wait_for 10 grep -q attached "$E2E_TMP/strace.log" || fail "strace did not attach"
    fi
    : >"$E2E_TMP/steps"
    inotifywait -m -e moved_to -e create -e delete --format '%e %w%f' "$app" "$app/tie" \
        >"$E2E_TMP/events" 2>"$E2E_TMP/inotify.log" &
    step_helpers+=($!)
    E2E_PIDS+=($!)
    while read -r event path; do
        [[ $event != MOVED_TO && ${path##*/} =~ ^.+\.[^.]+\.[A-Za-z0-9]{6}$ ]] && continue
        echo "$event $path" >>"$E2E_TMP/steps"
        [ "$(wc -l <"$E2E_TMP/steps")" -ne "$k" ] || kill -9 "$pid"
    done <"$E2E_TMP/events" &
    step_helpers+=($!)
    E2E_PIDS+=($!)
    wait_for 10 grep -q 'Watches established' "$E2E_TMP/inotify.log" || fail "no inotify watch"
}
stop_watching_steps() {
    local helper
    # The last events on their way to the watcher: a step that slipped past the kill shows now.
    sleep 0.2
    for helper in "${step_helpers[@]}"; do
        kill "$helper" 2>/dev/null || true
        wait "$helper" 2>/dev/null || true
    done
    forget_pid "${step_helpers[@]}"
}

# For the "bash -c" conditions given to wait_for.
export -f visible_geometries active_is
