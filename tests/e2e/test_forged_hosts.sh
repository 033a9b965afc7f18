#!/usr/bin/env bash
# Hosts that do not exist, forged from behind a router (10.78.0.0/16; only the router is a
# neighbour of the LAN), against a serving host limited to 1,024 descriptors:
# 1. 400 forged announcements a second from 2,000 addresses whose connections go nowhere: a real
#    host that starts meanwhile is discovered within a few seconds, no forged one is listed.
# 2. 1,023 addresses that announce every second and accept the keep-alive connection: the serving
#    host keeps answering, takes no more of them than its share of descriptors, and a real host
#    that starts meanwhile is still discovered.
# Usage: test_forged_hosts.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_need_tools prlimit python3

for i in 1 2 3; do e2e_add_host $i; done
SERVER=$(e2e_addr 1)
PEER=$(e2e_addr 2)
FORGE="$(dirname "$0")/forge_hosts.py"

# The router joins the LAN as 10.77.0.254 and reaches the forging host over a link of its own.
ROUTER="${E2E_PREFIX}rt"
FORGER="${E2E_PREFIX}fx"
for ns in "$ROUTER" "$FORGER"; do
    ip netns add "$ns" || exit 1
    E2E_NAMESPACES+=("$ns")
    ip -n "$ns" link set lo up
    ip netns exec "$ns" sysctl -qw net.ipv4.conf.all.rp_filter=0 net.ipv4.conf.default.rp_filter=0
done
ip -n "$ROUTER" link add eth0 type veth peer name port254 netns "$E2E_BRIDGE_NS" || exit 1
ip -n "$E2E_BRIDGE_NS" link set port254 master br0 up
ip -n "$ROUTER" addr add 10.77.0.254/24 dev eth0
ip -n "$ROUTER" link set eth0 up
ip -n "$ROUTER" link add fx0 type veth peer name eth0 netns "$FORGER" || exit 1
ip -n "$ROUTER" addr add 10.79.0.1/30 dev fx0
ip -n "$ROUTER" link set fx0 up
ip -n "$FORGER" addr add 10.79.0.2/30 dev eth0
ip -n "$FORGER" link set eth0 up
ip -n "$FORGER" route add default via 10.79.0.1
ip netns exec "$ROUTER" sysctl -qw net.ipv4.ip_forward=1 net.ipv4.conf.fx0.rp_filter=0 \
    net.ipv4.conf.eth0.rp_filter=0
# First the forged addresses lead nowhere: connections to them hang as to hosts that are gone.
ip -n "$ROUTER" route add blackhole 10.78.0.0/16
for i in 1 2 3; do ip -n "$(e2e_ns $i)" route add 10.78.0.0/16 via 10.77.0.254; done

mkdir -p "$E2E_TMP/share"
head -c 100000 /dev/urandom >"$E2E_TMP/share/data.bin"
e2e_config "$E2E_TMP/pc-a.ini" pc-a
e2e_share "$E2E_TMP/pc-a.ini" pub "$E2E_TMP/share"
e2e_config "$E2E_TMP/client.ini" pc-client
prlimit --nofile=1024:1024 ip netns exec "$(e2e_ns 1)" "$E2E_CLI" --config "$E2E_TMP/pc-a.ini" \
    serve </dev/null >"$E2E_TMP/pc-a.out" 2>&1 &
SERVE_PID=$!
E2E_PIDS+=("$SERVE_PID")
sleep 1

client() { e2e_cli 3 20 --config "$E2E_TMP/client.ini" "$@" >/dev/null 2>&1; }
forge() { # forge <log> <arguments of forge_hosts.py>
    timeout -s KILL 90 ip netns exec "$FORGER" python3 "$FORGE" "${@:2}" >"$E2E_TMP/$1" 2>&1 &
    E2E_PIDS+=("$!")
}
forged_listed() { grep -c "^host appeared: 10\.78\." "$E2E_TMP/pc-a.out"; }

e2e_log "phase 1: 400 forged announcements a second from 2000 addresses that do not answer"
forge flood1.out announce "$SERVER" 400 14 2000
sleep 3
e2e_serve_host 2 pc-b
PEER_PID=$E2E_SERVE_PID
e2e_expect "the real host is discovered during the flood" "$E2E_TMP/pc-a.out" \
    "^host appeared: $PEER( |\$)" 6
e2e_check "the serving host answers during the flood" client ls "$SERVER" /pub
e2e_check "no forged host was listed" test "$(forged_listed)" -eq 0
e2e_expect_stop "the real host" "$PEER_PID" TERM 5
e2e_expect "the real host is gone" "$E2E_TMP/pc-a.out" "^host gone: $PEER( |\$)" 10
e2e_until 15 test -s "$E2E_TMP/flood1.out"  # the end of the first flood
e2e_log "flood: $(cat "$E2E_TMP/flood1.out")"

e2e_log "phase 2: 1023 addresses that announce every second and accept the keep-alive"
ip -n "$ROUTER" route replace 10.78.0.0/16 via 10.79.0.2
ip -n "$FORGER" route add local 10.78.0.0/16 dev lo
forge accept.out accept 12346 40
sleep 0.5
forge flood2.out announce "$SERVER" 1023 35 1023
for _ in $(seq 150); do [ "$(forged_listed)" -ge 200 ] && break; sleep 0.1; done
sleep 5
descriptors=$(ls "/proc/$SERVE_PID/fd" | wc -l)
e2e_log "forged hosts listed: $(forged_listed), descriptors of the serving host: $descriptors"
e2e_check "forged hosts took no more than half of the descriptors" test "$descriptors" -lt 700
e2e_check "the serving host answers during the flood" client ls "$SERVER" /pub
e2e_serve_host 2 pc-b
e2e_expect "the real host is discovered during the flood" "$E2E_TMP/pc-a.out" \
    "^host appeared: $PEER( |\$)" 10 2
mkdir -p "$E2E_TMP/dest"
e2e_check "the real host downloads from the serving host" \
    e2e_cli 2 20 --config "$E2E_TMP/client.ini" get "$SERVER" /pub/data.bin "$E2E_TMP/dest"
e2e_check "what it got is whole" cmp -s "$E2E_TMP/share/data.bin" "$E2E_TMP/dest/data.bin"
e2e_finish pc-a.out
