#!/usr/bin/env bash
# One host shares a folder tree; another host lists it and downloads a file and the whole tree,
# every byte checked. Existing files are kept without --overwrite, and a
# host that discovery does not know is refused unless the sharing host allows unknown hosts.
# Usage: test_share_transfer.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"

e2e_add_host 1
e2e_add_host 2
SERVER=$(e2e_addr 1)
T=$E2E_TMP

TREE="$T/tree"
mkdir -p "$TREE/nested/deeper" "$TREE/empty folder" "$TREE/nested/also empty" "$T/dest" "$T/kept" \
    "$T/unknown" "$T/partial" "$T/huge"
head -c 5000000 /dev/urandom >"$TREE/big one.bin"
head -c 3145728 /dev/urandom >"$TREE/nested/three.bin"
head -c 123457 /dev/urandom >"$TREE/nested/deeper/odd.bin"
: >"$TREE/nested/zero.bin"
echo "a file with a space" >"$TREE/nested/deeper/with space.txt"

e2e_config "$T/server.ini" pc-a 1
e2e_share "$T/server.ini" tree "$TREE"
e2e_start_serve 1 "$T/server.ini" "$T/server.out"
SERVE_PID=$E2E_SERVE_PID
e2e_config "$T/client.ini" pc-b
client() { e2e_cli 2 "$1" --config "$T/client.ini" "${@:2}"; }

e2e_check "ls of the root shows the share" \
    e2e_until 5 eval 'client 10 ls "$SERVER" | grep -q "<DIR>  tree$"'
client 10 ls "$SERVER" /tree >"$T/ls-tree" 2>&1
e2e_check "ls of the share lists folders and files with sizes and a summary" test "$(cat "$T/ls-tree")" = \
    "$(printf '     <DIR>  empty folder\n     <DIR>  nested\n   4.8 MiB  big one.bin\n2 folders, 1 file, 4.8 MiB')"

e2e_check "get of one file succeeds" client 60 get "$SERVER" "/tree/big one.bin" "$T/dest"
e2e_check "the file arrived byte for byte" cmp "$TREE/big one.bin" "$T/dest/big one.bin"
e2e_check "get of the whole share succeeds" client 120 get "$SERVER" /tree "$T/dest"
e2e_check "every file and folder of the tree arrived, byte for byte" \
    test "$(e2e_tree "$TREE")" = "$(e2e_tree "$T/dest/tree")"

echo "keep me" >"$T/kept/big one.bin"
e2e_check_fails "get onto an existing file without --overwrite fails" \
    client 60 get "$SERVER" "/tree/big one.bin" "$T/kept" </dev/null 2>"$T/refused.err"
e2e_check "with one line, and the existing file is intact" \
    test "$(wc -l <"$T/refused.err")$(cat "$T/kept/big one.bin")" = "1keep me"
e2e_check "with --overwrite it is replaced" client 60 get --overwrite "$SERVER" "/tree/big one.bin" "$T/kept"
e2e_check "the replaced file is the shared one" cmp "$TREE/big one.bin" "$T/kept/big one.bin"
e2e_check "the serving host shows uploads to the client" \
    grep -q "^upload finished: $TREE/big one.bin to 10.77.0.2: ok$" "$T/server.out"

# The client runs no serve, so discovery on pc-a does not know it: only "allowunknown" lets it in.
# A host let in is listed like a host added by hand until its keep-alive fails (the client has no
# server to ping), and is then let in only if asked anew.
e2e_check "the client let in is listed" grep -qx "host appeared: 10.77.0.2" "$T/server.out"
# Every get may let it in anew, so wait until it has gone as often as it came.
e2e_expect "and goes once it cannot be reached" "$T/server.out" "^host gone: 10\.77\.0\.2$" 5 \
    "$(grep -c "^host appeared: 10\.77\.0\.2$" "$T/server.out")"
e2e_config "$T/server.ini" pc-a 0
e2e_share "$T/server.ini" tree "$TREE"
e2e_check_fails "an unknown host is refused without allowunknown" \
    client 60 get "$SERVER" "/tree/nested/three.bin" "$T/unknown" 2>"$T/unknown.err"
e2e_check "the refusal says the host refused: $(cat "$T/unknown.err")" grep -q "the host refused it" "$T/unknown.err"
e2e_check "a refused download leaves no file" test -z "$(ls -A "$T/unknown")"
e2e_expect_stop "serve on SIGTERM" "$SERVE_PID" TERM 2

# Shutdown while a transfer runs: a client that stops reading holds the send open.
e2e_config "$T/server.ini" pc-a 1
truncate -s 4G "$T/huge/sparse.bin"
e2e_share "$T/server.ini" huge "$T/huge"
e2e_start_serve 1 "$T/server.ini" "$T/server2.out"
SERVE_PID=$E2E_SERVE_PID
e2e_check_fails "get of a missing file fails" client 10 get "$SERVER" /huge/absent.bin "$T" 2>"$T/absent.err"
e2e_check "a missing file is named as missing" grep -q "There is no file or folder" "$T/absent.err"
# A 1 MiB tmpfs, mounted only in the mount namespace of this one command, cannot take 4 GiB.
e2e_check_fails "get onto a full disk fails" timeout -s KILL 60 ip netns exec "$(e2e_ns 2)" sh -c \
    'mkdir -p "$1" && mount -t tmpfs -o size=1m tmpfs "$1" && shift && "$@"' sh "$T/full" \
    "$E2E_CLI" --config "$T/client.ini" get "$SERVER" /huge/sparse.bin "$T/full" 2>"$T/full.err"
e2e_check "a full disk is named as full: $(cat "$T/full.err")" grep -q "the disk is full" "$T/full.err"

# The full-disk download above started an upload of the same file: wait for the next one.
UPLOADS_BEFORE=$(grep -c "^upload started: $T/huge/sparse.bin" "$T/server2.out")
ip netns exec "$(e2e_ns 2)" "$E2E_CLI" --config "$T/client.ini" get "$SERVER" /huge/sparse.bin \
    "$T/partial" >/dev/null 2>"$T/cut.err" &
CLIENT_PID=$!
E2E_PIDS+=("$CLIENT_PID")
e2e_expect "the big upload starts" "$T/server2.out" "^upload started: $T/huge/sparse.bin" 10 $((UPLOADS_BEFORE + 1))
kill -STOP "$CLIENT_PID"
e2e_expect_stop "serve on SIGTERM during an upload" "$SERVE_PID" TERM 2
if e2e_stop "$CLIENT_PID" CONT 10; then
    e2e_check "the cut-off download fails" test "$E2E_STOP_STATUS" -ne 0
else
    e2e_fail "the cut-off download did not end within 10 s"
fi
e2e_check "the cut-off download leaves no partial file under the target's name" \
    test -z "$(ls "$T/partial")"
e2e_check "and keeps what arrived hidden beside it, for the next get" \
    test -e "$T/partial/.sparse.bin.wendaro-partial"
e2e_check "the cut-off download says the connection was lost: $(cat "$T/cut.err")" \
    grep -q "the connection to the host was lost" "$T/cut.err"
e2e_finish server.out server2.out
