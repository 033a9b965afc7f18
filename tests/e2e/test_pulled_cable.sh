#!/usr/bin/env bash
# A host whose cable is pulled (its bridge port goes down) leaves the other host's list within
# 10 s, although nothing closes its keep-alive connection, and comes back once the cable is in
# again.
# Usage: test_pulled_cable.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"

for i in 1 2; do e2e_add_host $i; done
PEER=$(e2e_addr 2)
e2e_serve_host 1 pc-a
e2e_serve_host 2 pc-b
e2e_expect "pc-a finds pc-b" "$E2E_TMP/pc-a.out" "^host appeared: $PEER( |\$)" 5
sleep 2

ip -n "$E2E_BRIDGE_NS" link set port2 down
e2e_expect "pc-b leaves pc-a's list within 10 s of the pull" "$E2E_TMP/pc-a.out" \
    "^host gone: $PEER( |\$)" 10
ip -n "$E2E_BRIDGE_NS" link set port2 up
e2e_expect "pc-b is back once the cable is in" "$E2E_TMP/pc-a.out" \
    "^host appeared: $PEER( |\$)" 10 2
e2e_finish pc-a.out pc-b.out
