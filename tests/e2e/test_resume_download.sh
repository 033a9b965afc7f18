#!/usr/bin/env bash
# Downloads between two copies of Wendaro survive a killed host and a killed downloader: the same
# get run again moves only what is missing (counted on the serving side of the wire) and the
# result is byte for byte the shared file; a file replaced on the host meanwhile starts over.
# Usage: test_resume_download.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"

e2e_add_host 1
e2e_add_host 2
SERVER=$(e2e_addr 1)
T=$E2E_TMP
SIZE=$((1024 * 1024 * 1024))
HALF=$((SIZE / 2))
mkdir -p "$T/share" "$T/dest"
head -c "$SIZE" /dev/urandom >"$T/share/big.bin"
PART="$T/dest/.big.bin.wendaro-partial"

e2e_config "$T/server.ini" pc-a 1
e2e_share "$T/server.ini" files "$T/share"
e2e_config "$T/client.ini" pc-b
# The downloading host serves too, so that the serving host knows it by its announcements and
# never counts it as gone (which would end its uploads) while a long download runs.
e2e_serve_host 2 pc-b-serve
start_server() {
    e2e_start_serve 1 "$T/server.ini" "$T/server$1.out"
    SERVE_PID=$E2E_SERVE_PID
    e2e_until 10 eval 'e2e_cli 2 5 --config "$T/client.ini" ls "$SERVER" >/dev/null 2>&1'
}
sent_bytes() { ip netns exec "$(e2e_ns 1)" cat /sys/class/net/eth0/statistics/tx_bytes; }
part_size() { stat -c %s "$PART" 2>/dev/null || echo 0; }
start_get() {
    ip netns exec "$(e2e_ns 2)" "$E2E_CLI" --config "$T/client.ini" get --overwrite "$SERVER" \
        /files/big.bin "$T/dest" >"$T/get$1.out" 2>&1 &
    GET_PID=$!
    E2E_PIDS+=("$GET_PID")
}
# Waits (at most 60 s) until half the file has arrived in the part.
wait_for_half() {
    local tries=0
    while [ "$(part_size)" -lt "$HALF" ] && [ $tries -lt 3000 ] && kill -0 "$GET_PID" 2>/dev/null; do
        sleep 0.02
        tries=$((tries + 1))
    done
    [ "$(part_size)" -ge "$HALF" ] || { cat "$T"/get*.out >&2; return 1; }
}
# get again to the end; checks that at most 55% of the file went over the wire.
get_again_moving_at_most_55_percent() {
    local before after
    before=$(sent_bytes)
    if e2e_cli 2 120 --config "$T/client.ini" get --overwrite --verbose "$SERVER" /files/big.bin \
        "$T/dest" >"$T/again.out" 2>&1; then
        e2e_log "ok: $1: the same get again succeeds"
    else
        e2e_fail "$1: the same get again fails: $(cat "$T/again.out")"
    fi
    after=$(sent_bytes)
    e2e_check "$1: get --verbose says the file was verified" grep -q "^verified: " "$T/again.out"
    e2e_log "$1: the host sent $((after - before)) bytes for the rest of a $SIZE-byte file"
    e2e_check "$1: at most 55% of the file went over the wire again" test $((after - before)) -le $((SIZE * 55 / 100))
    e2e_check "$1: the result is the shared file, byte for byte" cmp "$T/share/big.bin" "$T/dest/big.bin"
    e2e_check "$1: no part is left" test ! -e "$PART"
}

# The serving host dies half way.
start_server 1
start_get 1
e2e_check "host killed: half the file arrived in the hidden part" wait_for_half
kill -9 "$SERVE_PID"
e2e_stop "$GET_PID" CONT 30
e2e_check "host killed: the get fails" test "$E2E_STOP_STATUS" -ne 0
e2e_check "host killed: the target name holds no partial file" test ! -e "$T/dest/big.bin"
e2e_check "host killed: the part is kept" test "$(part_size)" -ge "$HALF"
start_server 2
get_again_moving_at_most_55_percent "host killed"

# The downloading side dies half way.
rm -f "$T/dest/big.bin"
start_get 2
e2e_check "downloader killed: half the file arrived in the hidden part" wait_for_half
e2e_stop "$GET_PID" KILL 10
e2e_check "downloader killed: the target name holds no partial file" test ! -e "$T/dest/big.bin"
get_again_moving_at_most_55_percent "downloader killed"

# The file is replaced on the host by another of the same size while half of it waits in a part.
rm -f "$T/dest/big.bin"
start_get 3
e2e_check "replaced: half the file arrived in the hidden part" wait_for_half
e2e_stop "$GET_PID" KILL 10
head -c "$SIZE" /dev/urandom >"$T/share/big.new"
mv "$T/share/big.new" "$T/share/big.bin"
BEFORE=$(sent_bytes)
e2e_check "replaced: the same get again succeeds" \
    e2e_cli 2 120 --config "$T/client.ini" get --overwrite "$SERVER" /files/big.bin "$T/dest"
e2e_check "replaced: the whole new file went over the wire" test $(($(sent_bytes) - BEFORE)) -ge "$SIZE"
e2e_check "replaced: the result is the new file" cmp "$T/share/big.bin" "$T/dest/big.bin"

e2e_expect_stop "serve on SIGTERM" "$SERVE_PID" TERM 5
e2e_finish server1.out server2.out get1.out get2.out get3.out pc-b-serve.out
