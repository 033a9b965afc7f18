#!/usr/bin/env bash
# One announced host holds 10 downloads of a large file and 20 listings of a large folder open and
# reads each reply at about 1.5 KB/s, reopening whatever the server closes. A genuine peer must
# still list and download in every round, and the crawling replies must be given up.
# Usage: test_slow_readers.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"

ROUNDS=3
ATTACK_SECONDS=45
for i in 1 2 3; do e2e_add_host $i; done
SERVER=$(e2e_addr 1)

mkdir -p "$E2E_TMP/share/many"
truncate -s 300M "$E2E_TMP/share/big.bin"
head -c 2000000 /dev/urandom >"$E2E_TMP/share/data.bin"
# About 100 KB of listing.
for i in $(seq 3000); do : >"$E2E_TMP/share/many/a-file-with-a-long-name-$i.txt"; done
e2e_config "$E2E_TMP/pc-a.ini" pc-a
e2e_share "$E2E_TMP/pc-a.ini" pub "$E2E_TMP/share"
e2e_config "$E2E_TMP/client.ini" pc-client
e2e_serve_host 1 pc-a
e2e_serve_host 2 pc-b
e2e_serve_host 3 pc-slow
e2e_expect "the serving host knows the real peer" "$E2E_TMP/pc-a.out" "^host appeared: $(e2e_addr 2)\$" 5
e2e_expect "the serving host knows the slow host" "$E2E_TMP/pc-a.out" "^host appeared: $(e2e_addr 3)\$" 5

e2e_spawn 3 $((ATTACK_SECONDS + 10)) "$E2E_TMP/attack.out" python3 \
    "$(dirname "$0")/slow_readers.py" "$SERVER" 12346 "$ATTACK_SECONDS" '\pub\big.bin' '\pub\many'
ATTACK_PID=$E2E_SPAWN_PID
sleep 5

client() { e2e_cli "$1" 40 --config "$E2E_TMP/client.ini" "${@:2}" 2>&1; }
served=0
for round in $(seq "$ROUNDS"); do
    dest="$E2E_TMP/dest$round"
    mkdir -p "$dest"
    start=$(date +%s%N)
    if client 2 ls "$SERVER" /pub >"$E2E_TMP/ls$round" && grep -q "data.bin$" "$E2E_TMP/ls$round"; then
        ls_ms=$(e2e_ms_since "$start")
        start=$(date +%s%N)
        if client 2 get "$SERVER" /pub/data.bin "$dest" >/dev/null && cmp -s "$E2E_TMP/share/data.bin" "$dest/data.bin"; then
            served=$((served + 1))
            e2e_log "round $round: ls in $ls_ms ms, get in $(e2e_ms_since "$start") ms"
        else
            e2e_log "round $round: the download failed"
        fi
    else
        e2e_log "round $round: the listing failed: $(cat "$E2E_TMP/ls$round")"
    fi
    sleep 8
done
e2e_check "the real peer lists and downloads in every round ($served of $ROUNDS)" test "$served" -eq "$ROUNDS"

wait "$ATTACK_PID"
e2e_log "attack: $(cat "$E2E_TMP/attack.out")"
given_up=$(sed -n 's/.*given_up=\([0-9]*\).*/\1/p' "$E2E_TMP/attack.out")
e2e_check "the crawling replies were given up (${given_up:-none})" test "${given_up:-0}" -ge 10
e2e_finish pc-a.out attack.out
