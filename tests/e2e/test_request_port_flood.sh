#!/usr/bin/env bash
# A hostile host playing 250 addresses of the LAN holds two pinging keep-alive connections from
# each to the request port of a serving host, reopening each as it is closed. A real peer, known
# to the serving host through discovery, must still list and download, its keep-alive must hold,
# and a fresh client that nobody knows must still be answered.
# Usage: test_request_port_flood.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_require_root
e2e_init "$1"

ATTACKERS=250
ROUNDS=5
e2e_add_host 1
e2e_add_host 2
e2e_add_host 3
SERVER=$(e2e_addr 1)
PEER=$(e2e_addr 2)
# The attacker's addresses: 10.77.0.4 to 10.77.0.253, all on host 3's one interface.
SOURCES=()
for i in $(seq 4 $((ATTACKERS + 3))); do
    SOURCES+=("10.77.0.$i")
    echo "addr add 10.77.0.$i/24 dev eth0"
done >"$E2E_TMP/addresses.batch"
ip -n "$(e2e_ns 3)" -batch "$E2E_TMP/addresses.batch" || exit 1

mkdir -p "$E2E_TMP/share"
head -c 2000000 /dev/urandom >"$E2E_TMP/share/data.bin"
e2e_config "$E2E_TMP/server.ini" pc-a
"$E2E_CLI" --config "$E2E_TMP/server.ini" share add pub "$E2E_TMP/share" || e2e_fail "share add"
e2e_config "$E2E_TMP/peer.ini" pc-b
e2e_config "$E2E_TMP/client.ini" pc-client
e2e_start_serve 1 "$E2E_TMP/server.ini" "$E2E_TMP/server.out"
e2e_start_serve 2 "$E2E_TMP/peer.ini" "$E2E_TMP/peer.out"
e2e_check "the serving host knows the real peer" \
    e2e_wait_for_line "$E2E_TMP/server.out" "^host appeared: $PEER\$" 5
e2e_check "the real peer knows the serving host" \
    e2e_wait_for_line "$E2E_TMP/peer.out" "^host appeared: $SERVER\$" 5
# Both keep-alives are up before the flood starts.
sleep 2

e2e_log "flooding from $ATTACKERS addresses"
timeout -s KILL 60 ip netns exec "$(e2e_ns 3)" python3 "$(dirname "$0")/flood_peers.py" \
    "$SERVER" 12346 30 "${SOURCES[@]}" >"$E2E_TMP/flood.out" 2>&1 &
FLOOD_PID=$!
E2E_PIDS+=("$FLOOD_PID")
sleep 6

answered=0
for round in $(seq "$ROUNDS"); do
    dest="$E2E_TMP/dest$round"
    mkdir -p "$dest"
    if e2e_cli 2 20 --config "$E2E_TMP/client.ini" ls "$SERVER" >"$E2E_TMP/ls$round" 2>&1 &&
        grep -q "<DIR>  pub$" "$E2E_TMP/ls$round" &&
        e2e_cli 2 20 --config "$E2E_TMP/client.ini" ls "$SERVER" /pub 2>&1 | grep -q "data.bin$" &&
        e2e_cli 2 30 --config "$E2E_TMP/client.ini" get "$SERVER" /pub/data.bin "$dest" \
            >/dev/null 2>&1 &&
        cmp -s "$E2E_TMP/share/data.bin" "$dest/data.bin"; then
        answered=$((answered + 1))
    else
        e2e_log "round $round: the real peer was not served: $(cat "$E2E_TMP/ls$round")"
    fi
    sleep 1
done
e2e_log "the real peer listed and downloaded in $answered of $ROUNDS rounds"
e2e_check "the real peer lists and downloads in every round" test "$answered" -eq "$ROUNDS"
e2e_check "a fresh client that nobody knows is answered" \
    e2e_cli 3 20 --config "$E2E_TMP/client.ini" ls "$SERVER"

wait "$FLOOD_PID"
e2e_log "flood: $(cat "$E2E_TMP/flood.out")"
most=$(sed -n 's/.*most=\([0-9]*\).*/\1/p' "$E2E_TMP/flood.out")
e2e_check "the flood held many connections at once (${most:-none})" test "${most:-0}" -ge 150
e2e_check "the serving host never lost the real peer" \
    bash -c "! grep -q '^host gone: $PEER' '$E2E_TMP/server.out'"
e2e_check "the real peer never lost the serving host" \
    bash -c "! grep -q '^host gone: $SERVER' '$E2E_TMP/peer.out'"
if [ "$E2E_FAILURES" -ne 0 ]; then
    for f in server.out peer.out; do
        echo "--- $f"
        tail -20 "$E2E_TMP/$f"
    done
fi
e2e_finish
