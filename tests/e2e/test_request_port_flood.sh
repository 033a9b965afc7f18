#!/usr/bin/env bash
# A hostile host playing 250 addresses of the LAN holds two pinging keep-alive connections from
# each to the request port of a serving host, reopening each as it is closed. A real peer, known
# to the serving host through discovery, must still list and download, its keep-alive must hold,
# and a fresh client that nobody knows must still be answered.
# Usage: test_request_port_flood.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"

ROUNDS=5
for i in 1 2 3; do e2e_add_host $i; done
SERVER=$(e2e_addr 1)
PEER=$(e2e_addr 2)
# The attacker's addresses: 10.77.0.4 to 10.77.0.253, all on host 3's one interface.
SOURCES=()
for i in $(seq 4 253); do
    SOURCES+=("10.77.0.$i")
    echo "addr add 10.77.0.$i/24 dev eth0"
done >"$E2E_TMP/addresses.batch"
ip -n "$(e2e_ns 3)" -batch "$E2E_TMP/addresses.batch" || exit 1

mkdir -p "$E2E_TMP/share"
head -c 2000000 /dev/urandom >"$E2E_TMP/share/data.bin"
e2e_config "$E2E_TMP/pc-a.ini" pc-a
e2e_share "$E2E_TMP/pc-a.ini" pub "$E2E_TMP/share"
e2e_config "$E2E_TMP/client.ini" pc-client
e2e_serve_host 1 pc-a
e2e_serve_host 2 pc-b
e2e_expect "the serving host knows the real peer" "$E2E_TMP/pc-a.out" "^host appeared: $PEER\$" 5
e2e_expect "the real peer knows the serving host" "$E2E_TMP/pc-b.out" "^host appeared: $SERVER\$" 5
sleep 2  # both keep-alives are up before the flood starts
timeout -s KILL 60 ip netns exec "$(e2e_ns 3)" python3 "$(dirname "$0")/flood_peers.py" \
    "$SERVER" 12346 30 "${SOURCES[@]}" >"$E2E_TMP/flood.out" 2>&1 &
FLOOD_PID=$!
E2E_PIDS+=("$FLOOD_PID")
sleep 6

client() { e2e_cli "$1" 30 --config "$E2E_TMP/client.ini" "${@:2}" 2>&1; }
answered=0
for round in $(seq "$ROUNDS"); do
    dest="$E2E_TMP/dest$round"
    mkdir -p "$dest"
    if client 2 ls "$SERVER" >"$E2E_TMP/ls$round" && grep -q "<DIR>  pub$" "$E2E_TMP/ls$round" &&
        client 2 ls "$SERVER" /pub | grep -q "data.bin$" && client 2 get "$SERVER" /pub/data.bin "$dest" >/dev/null &&
        cmp -s "$E2E_TMP/share/data.bin" "$dest/data.bin"; then
        answered=$((answered + 1))
    else
        e2e_log "round $round: the real peer was not served: $(cat "$E2E_TMP/ls$round")"
    fi
    sleep 1
done
e2e_check "the real peer lists and downloads in every round ($answered of $ROUNDS)" test "$answered" -eq "$ROUNDS"
e2e_check "a fresh client that nobody knows is answered" client 3 ls "$SERVER"

wait "$FLOOD_PID"
e2e_log "flood: $(cat "$E2E_TMP/flood.out")"
most=$(sed -n 's/.*most=\([0-9]*\).*/\1/p' "$E2E_TMP/flood.out")
e2e_check "the flood held many connections at once (${most:-none})" test "${most:-0}" -ge 150
e2e_check_fails "the serving host never lost the real peer" grep -q "^host gone: $PEER" "$E2E_TMP/pc-a.out"
e2e_check_fails "the real peer never lost the serving host" grep -q "^host gone: $SERVER" "$E2E_TMP/pc-b.out"
e2e_finish pc-a.out pc-b.out
