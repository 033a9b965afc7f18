#!/usr/bin/env bash
# The web view under load: 200 simultaneous downloads from 50 addresses and, for 60 s, slow-loris
# connections from 100 more that trickle their request heads and reopen when cut. The many
# addresses sit behind a router host, not on the LAN's link. A genuine browser (curl) must be
# served every time it asks, every download must arrive whole, and each slow-loris connection
# must be cut within the head's time limit.
# Usage: test_web_load.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_need_tools curl /usr/bin/python3

SECONDS_OF_LORIS=60
e2e_add_host 1
e2e_add_host 2
e2e_add_host 3
T=$E2E_TMP
SERVER=$(e2e_addr 1)
BASE="http://$SERVER:12348"

# Host 3 routes to a network of many addresses behind it (10.78.1.x in one namespace).
CLIENTS="${E2E_PREFIX}many"
ip netns add "$CLIENTS" || exit 1
E2E_NAMESPACES+=("$CLIENTS")
ip -n "$CLIENTS" link set lo up
ip -n "$(e2e_ns 3)" link add inner type veth peer name eth0 netns "$CLIENTS" || exit 1
ip -n "$(e2e_ns 3)" addr add 10.78.0.1/16 dev inner
ip -n "$(e2e_ns 3)" link set inner up
ip netns exec "$(e2e_ns 3)" sysctl -q -w net.ipv4.ip_forward=1
ip -n "$CLIENTS" link set eth0 up
LORIS=() FETCHERS=()
for i in $(seq 1 150); do
    echo "addr add 10.78.1.$i/16 dev eth0"
    if [ "$i" -le 50 ]; then FETCHERS+=("10.78.1.$i"); else LORIS+=("10.78.1.$i"); fi
done >"$T/addresses.batch"
ip -n "$CLIENTS" -batch "$T/addresses.batch" || exit 1
ip -n "$CLIENTS" route add default via 10.78.0.1
ip -n "$(e2e_ns 1)" route add 10.78.0.0/16 via "$(e2e_addr 3)"

mkdir -p "$T/share"
head -c 4000000 /dev/urandom >"$T/share/data.bin"
SUM=$(sha256sum "$T/share/data.bin" | cut -d' ' -f1)
e2e_start_web_serve 1 "$T/server.ini" pc-a pub "$T/share" "$T/server.out"
e2e_expect "serve offers the web view" "$T/server.out" "^Web view: " 10

web() { timeout -s KILL 30 ip netns exec "$(e2e_ns 2)" curl -sS -m 20 -b "$T/jar" -c "$T/jar" "$@"; }
TOKEN=$(e2e_web_let_in 2 "$T/server.out" "$BASE" "$T/jar")
e2e_check "the browser is let in with the owner's code" test -n "$TOKEN"

join() { local IFS=,; echo "$*"; }
e2e_spawn "$CLIENTS" $((SECONDS_OF_LORIS + 60)) "$T/load.out" /usr/bin/python3 \
    "$(dirname "$0")/web_load.py" "$SERVER" 12348 "$TOKEN" /s/pub/data.bin "$SUM" \
    "$SECONDS_OF_LORIS" "$(join "${LORIS[@]}")" "$(join "${FETCHERS[@]}")" 4
LOAD_PID=$E2E_SPAWN_PID

# The genuine browser asks every 3 s while the load lasts.
sleep 3
asked=0 served=0
start=$(date +%s)
while [ $(($(date +%s) - start)) -lt $((SECONDS_OF_LORIS - 5)) ]; do
    asked=$((asked + 1))
    rm -f "$T/got.bin"
    if web -o "$T/page.html" "$BASE/s/pub/" && grep -q 'data.bin' "$T/page.html" &&
        web -o "$T/got.bin" "$BASE/s/pub/data.bin" && cmp -s "$T/share/data.bin" "$T/got.bin"; then
        served=$((served + 1))
    fi
    sleep 3
done
e2e_check "the genuine browser was served every time ($served of $asked)" test "$served" -eq "$asked"

wait "$LOAD_PID"
e2e_log "load: $(tr '\n' ' ' <"$T/load.out")"
e2e_check "all 200 downloads arrived whole" grep -q "^downloads ok=200 bad=0" "$T/load.out"
most=$(sed -n 's/.*most=\([0-9]*\).*/\1/p' "$T/load.out")
longest=$(sed -n 's/.*longest=\([0-9]*\).*/\1/p' "$T/load.out")
e2e_check "the slow-loris connections were all held at once (${most:-none})" test "${most:-0}" -ge 100
e2e_check "and each was cut within 13 s (longest ${longest:-none} s)" test "${longest:-99}" -lt 13
e2e_finish server.out load.out
