# Two Syncthing daemons on this machine, each sharing one folder with the other: side "a" and
# side "b", as two computers would. Everything they say goes over the loopback: no discovery,
# relays, NAT traversal, usage or crash reports, upgrades. Source after xsession.sh (their pids
# join E2E_PIDS, their logs $E2E_TMP/syncthing-a.log and -b.log), then call
# start_syncthing FOLDER_A FOLDER_B.

for tool in syncthing curl ss; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (bash scripts/test.sh installs it)"
        exit 77
    fi
done

declare -A ST_ID ST_KEY ST_GUI ST_LISTEN ST_FOLDER ST_PID
ST_TAKEN=" "

# free_port: a TCP port nobody listens on, none given out before in this run. Another program may
# still take it before the daemon does; the daemon's start then fails and says so in its log.
free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 40000))
        [[ $ST_TAKEN == *" $port "* ]] && continue
        [ -z "$(ss -Htan "sport = :$port")" ] || continue
        ST_TAKEN+="$port "
        echo "$port"
        return 0
    done
}

# st_api SIDE PATH: a GET on that daemon's REST API.
st_api() {
    curl -sf --max-time 5 -H "X-API-Key: ${ST_KEY[$1]}" "http://127.0.0.1:${ST_GUI[$1]}$2"
}

# st_config SIDE PEER: the whole config.xml of SIDE. Options left out take Syncthing's defaults;
# a folder's left out are zero, not what a folder added in the GUI gets: the ones that matter are
# spelled out (without maxConflicts, the losing side of a conflict is deleted, not kept as a copy).
st_config() {
    local side=$1 peer=$2
    cat <<EOF
<configuration version="36">
    <folder id="jotpin" label="jotpin" path="${ST_FOLDER[$side]}" type="sendreceive"
            rescanIntervalS="10" fsWatcherEnabled="true" fsWatcherDelayS="1" autoNormalize="true">
        <device id="${ST_ID[$side]}"></device>
        <device id="${ST_ID[$peer]}"></device>
        <minDiskFree unit="%">1</minDiskFree>
        <maxConflicts>10</maxConflicts>
    </folder>
    <device id="${ST_ID[$side]}" name="$side" compression="metadata">
        <address>dynamic</address>
    </device>
    <device id="${ST_ID[$peer]}" name="$peer" compression="metadata">
        <address>tcp://127.0.0.1:${ST_LISTEN[$peer]}</address>
    </device>
    <gui enabled="true" tls="false">
        <address>127.0.0.1:${ST_GUI[$side]}</address>
        <apikey>${ST_KEY[$side]}</apikey>
    </gui>
    <options>
        <listenAddress>tcp://127.0.0.1:${ST_LISTEN[$side]}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <stunKeepaliveStartS>0</stunKeepaliveStartS>
        <announceLANAddresses>false</announceLANAddresses>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <startBrowser>false</startBrowser>
    </options>
</configuration>
EOF
}

# st_connected SIDE PEER: SIDE has a connection to PEER.
st_connected() {
    [[ $(st_api "$1" /rest/system/connections | tr -d ' \n') =~ \"${ST_ID[$2]}\":\{[^}]*\"connected\":true ]]
}
# st_idle SIDE: the shared folder is neither scanning nor pulling.
st_idle() {
    [[ $(st_api "$1" '/rest/db/status?folder=jotpin' | tr -d ' \n') == *'"state":"idle"'* ]]
}
# st_loopback_only SIDE: every socket of that daemon is on 127.0.0.1, at both ends.
st_loopback_only() {
    local foreign
    foreign=$(ss -Htuanp | grep "pid=${ST_PID[$1]}," | awk '{print $5, $6}' | tr ' ' '\n' |
        grep -v -e '^127\.0\.0\.1:' -e '^\*$' -e '^0\.0\.0\.0:\*$' || true)
    [ -z "$foreign" ] || { echo "syncthing $1 has sockets off the loopback: $foreign"; return 1; }
}

start_syncthing() {
    ST_FOLDER[a]=$1 ST_FOLDER[b]=$2
    local side peer home
    for side in a b; do
        home="$E2E_TMP/st-$side"
        syncthing generate --home="$home" --no-default-folder >"$E2E_TMP/st-generate-$side.out" 2>&1 ||
            fail "syncthing generate: $(cat "$E2E_TMP/st-generate-$side.out")"
        ST_ID[$side]=$(syncthing serve --home="$home" --device-id)
        ST_KEY[$side]=$(sed -n 's:.*<apikey>\(.*\)</apikey>.*:\1:p' "$home/config.xml")
        ST_GUI[$side]=$(free_port)
        ST_LISTEN[$side]=$(free_port)
        # The marker tells Syncthing the folder is there on purpose, not a missing disk.
        mkdir -p "${ST_FOLDER[$side]}/.stfolder"
    done
    for side in a b; do
        peer=$([ "$side" = a ] && echo b || echo a)
        st_config "$side" "$peer" >"$E2E_TMP/st-$side/config.xml"
        start_helper "syncthing $side" "$E2E_TMP/syncthing-$side.log" "st_api $side /rest/system/ping" \
            "env STNODEFAULTFOLDER=1 STNOUPGRADE=1 syncthing serve --home='$E2E_TMP/st-$side' --no-browser --no-upgrade --no-restart"
        ST_PID[$side]=${E2E_PIDS[-1]}
    done
    local t0=$SECONDS
    wait_for 30 st_connected a b || fail "syncthing a did not connect to b"
    wait_for 30 st_connected b a || fail "syncthing b did not connect to a"
    wait_for 30 st_idle a || fail "the shared folder did not come up on side a"
    wait_for 30 st_idle b || fail "the shared folder did not come up on side b"
    st_loopback_only a || fail "traffic off the loopback"
    st_loopback_only b || fail "traffic off the loopback"
    echo "syncthing: both daemons connected and the folder idle after $((SECONDS - t0)) s"
}
