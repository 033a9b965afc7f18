#!/usr/bin/env bash
# The diagnosis names the right cause in each scenario: all well (found by its announced name), a
# host whose announcements are dropped on their way out (one-way), a blocked request port, a host
# behind a router, a host without the program, an address nobody has, and a port of ours held by
# another program.
# Usage: test_doctor.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_need_tools nft socat

for i in 1 2 3; do e2e_add_host $i; done
# A second subnet behind a router namespace: host 4 is 10.78.0.4, the router .254 on both sides.
ip -n "$E2E_BRIDGE_NS" link add br1 type bridge forward_delay 0 stp_state 0
ip -n "$E2E_BRIDGE_NS" link set br1 up
ROUTER=$(e2e_ns r)
ip netns add "$ROUTER" && E2E_NAMESPACES+=("$ROUTER")
ip -n "$ROUTER" link set lo up
ip netns exec "$ROUTER" sysctl -qw net.ipv4.ip_forward=1
ip -n "$ROUTER" link add lan0 type veth peer name rport0 netns "$E2E_BRIDGE_NS"
ip -n "$ROUTER" link add lan1 type veth peer name rport1 netns "$E2E_BRIDGE_NS"
ip -n "$E2E_BRIDGE_NS" link set rport0 master br0 up
ip -n "$E2E_BRIDGE_NS" link set rport1 master br1 up
ip -n "$ROUTER" addr add 10.77.0.254/24 broadcast + dev lan0
ip -n "$ROUTER" addr add 10.78.0.254/24 broadcast + dev lan1
ip -n "$ROUTER" link set lan0 up
ip -n "$ROUTER" link set lan1 up
H4=$(e2e_ns 4)
ip netns add "$H4" && E2E_NAMESPACES+=("$H4")
ip -n "$H4" link set lo up
ip -n "$H4" link add eth0 type veth peer name port4 netns "$E2E_BRIDGE_NS"
ip -n "$E2E_BRIDGE_NS" link set port4 master br1 up
ip -n "$H4" addr add 10.78.0.4/24 broadcast + dev eth0
ip -n "$H4" link set eth0 up
ip -n "$H4" route add default via 10.78.0.254
for i in 1 2 3; do ip -n "$(e2e_ns $i)" route add default via 10.77.0.254; done

e2e_serve_host 1 alpha
ALPHA_PID=$E2E_SERVE_PID
e2e_serve_host 2 beta
e2e_config "$E2E_TMP/delta.ini" delta
ip netns exec "$H4" "$E2E_CLI" --config "$E2E_TMP/delta.ini" serve </dev/null >"$E2E_TMP/delta.out" 2>&1 &
E2E_PIDS+=($!)
e2e_expect "alpha found beta" "$E2E_TMP/alpha.out" "^host named: 10.77.0.2 beta\$" 5
e2e_config "$E2E_TMP/doctor.ini" doctor

# doctor_case <name> <host index> <expected cause> <expected exit> [HOST]
doctor_case() {
    local out="$E2E_TMP/doctor-$1.out" status
    e2e_cli "$2" 40 --config "$E2E_TMP/doctor.ini" doctor "${@:5}" >"$out" 2>&1
    status=$?
    e2e_check "$1: exit $4 (got $status)" test "$status" -eq "$4"
    e2e_check "$1: verdict $3" grep -q "^Verdict: .*($3)\$" "$out"
    grep -q "^Verdict: .*($3)\$" "$out" || cat "$out"
}

doctor_case all-well 1 all-well 0 beta
e2e_check "all-well: beta's name is resolved from its announcements" \
    grep -q "beta announces itself from 10.77.0.2" "$E2E_TMP/doctor-all-well.out"
e2e_check "all-well: our own ports are ours" grep -q "Wendaro is running here" "$E2E_TMP/doctor-all-well.out"
doctor_case local-side 1 all-well 0
e2e_check "local-side: beta is heard by name" grep -qE "^ +10.77.0.2 +beta$" "$E2E_TMP/doctor-local-side.out"

# nft_drop <hook> <rule>: one rule in host 2's own firewall.
nft_drop() {
    ip netns exec "$(e2e_ns 2)" nft add table inet doctortest
    ip netns exec "$(e2e_ns 2)" nft add chain inet doctortest c "{ type filter hook $1 priority 0; }"
    ip netns exec "$(e2e_ns 2)" nft add rule inet doctortest c $2 drop
}
nft_drop output "udp dport 12345"
doctor_case one-way 1 one-way 1 10.77.0.2
ip netns exec "$(e2e_ns 2)" nft delete table inet doctortest

nft_drop input "tcp dport 12346"
doctor_case blocked-port 1 blocked-port 1 10.77.0.2
e2e_check "blocked-port: names the port" grep -q "Port 12346/tcp of 10.77.0.2" "$E2E_TMP/doctor-blocked-port.out"
# Seen from inside: the firewall is read without being changed, and the rule is named.
e2e_cli 2 40 --config "$E2E_TMP/doctor.ini" doctor --listen 1 >"$E2E_TMP/doctor-inside.out" 2>&1
e2e_check "the blocked host's own doctor names its firewall rule" \
    grep -q "FAIL.*The firewall drops or rejects traffic on Wendaro's ports" "$E2E_TMP/doctor-inside.out"
e2e_check "and lists the rule" grep -q "tcp dport 12346 drop" "$E2E_TMP/doctor-inside.out"
ip netns exec "$(e2e_ns 2)" nft delete table inet doctortest

doctor_case other-subnet 1 other-subnet 1 10.78.0.4
doctor_case not-running 1 not-running 1 10.77.0.3
doctor_case no-such-host 1 no-such-host 1 10.77.0.99
doctor_case unknown-name 1 no-such-host 1 no-such-computer

# Hosts beyond the subnet stay: each side adds the other by address, and a restart keeps them.
e2e_check_fails "alpha does not find delta by itself" grep -q "10.78.0.4" "$E2E_TMP/alpha.out"
e2e_check "alpha adds delta by address" e2e_cli 1 10 --config "$E2E_TMP/alpha.ini" hosts add 10.78.0.4
e2e_check "delta adds alpha by address" e2e_cli 4 10 --config "$E2E_TMP/delta.ini" hosts add 10.77.0.1
e2e_expect "the running alpha watches delta" "$E2E_TMP/alpha.out" "^host named: 10.78.0.4 delta\$" 15
e2e_expect_stop "alpha" "$ALPHA_PID" TERM 10
e2e_start_serve 1 "$E2E_TMP/alpha.ini" "$E2E_TMP/alpha2.out"
e2e_expect "after a restart alpha finds delta at once" "$E2E_TMP/alpha2.out" \
    "^host named: 10.78.0.4 delta\$" 5
e2e_cli 1 10 --config "$E2E_TMP/alpha.ini" hosts --wait 0 >"$E2E_TMP/hosts.out" 2>&1
e2e_check "hosts lists it as remembered" grep -qx "10.78.0.4  (remembered)" "$E2E_TMP/hosts.out"
e2e_check "hosts remove forgets it" e2e_cli 1 10 --config "$E2E_TMP/alpha.ini" hosts remove 10.78.0.4
e2e_check_fails "and it is no longer listed" grep -q "10.78.0.4" "$E2E_TMP/alpha.ini"
e2e_check_fails "a text that is no host is refused" \
    e2e_cli 1 10 --config "$E2E_TMP/alpha.ini" hosts add "a=b"

ip netns exec "$(e2e_ns 3)" socat TCP-LISTEN:12346,reuseaddr,fork /dev/null &
E2E_PIDS+=($!)
e2e_until 5 ip netns exec "$(e2e_ns 3)" ss -Htln 'sport = :12346' | grep -q .
sleep 0.3
doctor_case port-taken 3 port-taken 1
e2e_check "port-taken: names the program" grep -q "12346/tcp is used by another program: socat" \
    "$E2E_TMP/doctor-port-taken.out"

e2e_finish alpha.out beta.out
