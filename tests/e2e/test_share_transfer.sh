#!/usr/bin/env bash
# One host shares a folder tree; another host lists it, asks for its information and downloads a
# file and the whole tree, every byte checked. Existing files are kept without --overwrite, and a
# host that discovery does not know is refused unless the sharing host allows unknown hosts.
# Usage: test_share_transfer.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_require_root
e2e_init "$1"

e2e_add_host 1
e2e_add_host 2
SERVER=$(e2e_addr 1)

# The shared tree: binary files of several MB, an empty file, nested and empty folders, a name
# with a space.
TREE="$E2E_TMP/tree"
mkdir -p "$TREE/nested/deeper" "$TREE/empty folder" "$TREE/nested/also empty"
head -c 5000000 /dev/urandom >"$TREE/big one.bin"
head -c 3145728 /dev/urandom >"$TREE/nested/three.bin"
head -c 123457 /dev/urandom >"$TREE/nested/deeper/odd.bin"
: >"$TREE/nested/zero.bin"
echo "a file with a space" >"$TREE/nested/deeper/with space.txt"

e2e_config "$E2E_TMP/server.ini" pc-a 1
"$E2E_CLI" --config "$E2E_TMP/server.ini" share add tree "$TREE" || e2e_fail "share add"
e2e_start_serve 1 "$E2E_TMP/server.ini" "$E2E_TMP/server.out"
SERVE_PID=$E2E_SERVE_PID
CLIENT_INI="$E2E_TMP/client.ini"
e2e_config "$CLIENT_INI" pc-b

# The serve needs a moment to listen; ls is retried for at most 5 s.
for _ in $(seq 50); do
    e2e_cli 2 10 --config "$CLIENT_INI" ls "$SERVER" >"$E2E_TMP/ls-root" 2>&1 && break
    sleep 0.1
done
e2e_check "ls of the root shows the share" grep -q "<DIR>  tree$" "$E2E_TMP/ls-root"

e2e_cli 2 10 --config "$CLIENT_INI" ls "$SERVER" /tree >"$E2E_TMP/ls-tree" 2>&1
e2e_check "ls of the share lists folders and files with sizes" \
    grep -q "4.8 MiB  big one.bin" "$E2E_TMP/ls-tree"
e2e_check "ls shows the empty folder" grep -q "<DIR>  empty folder" "$E2E_TMP/ls-tree"
e2e_check "ls summary" grep -qx "2 folders, 1 file, 4.8 MiB" "$E2E_TMP/ls-tree"

e2e_cli 2 10 --config "$CLIENT_INI" info "$SERVER" >"$E2E_TMP/info" 2>&1
e2e_check "info names the host" grep -qx "Name:     pc-a" "$E2E_TMP/info"
e2e_check "info gives the system" grep -q "^System:   Linux\." "$E2E_TMP/info"

DEST="$E2E_TMP/dest"
mkdir -p "$DEST"
e2e_check "get of one file succeeds" \
    e2e_cli 2 60 --config "$CLIENT_INI" get "$SERVER" "/tree/big one.bin" "$DEST"
e2e_check "the file arrived byte for byte" cmp "$TREE/big one.bin" "$DEST/big one.bin"

e2e_check "get of the whole share succeeds" \
    e2e_cli 2 120 --config "$CLIENT_INI" get "$SERVER" /tree "$DEST"
(cd "$TREE" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$E2E_TMP/want.sha"
(cd "$DEST/tree" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$E2E_TMP/got.sha"
e2e_check "every file of the tree arrived byte for byte" cmp "$E2E_TMP/want.sha" "$E2E_TMP/got.sha"
e2e_check "the tree has all its files" test "$(wc -l <"$E2E_TMP/got.sha")" -eq 5
e2e_check "the empty file is empty" test -f "$DEST/tree/nested/zero.bin" -a ! -s "$DEST/tree/nested/zero.bin"
e2e_check "empty folders are recreated" test -d "$DEST/tree/empty folder" -a -d "$DEST/tree/nested/also empty"

e2e_check "a nested folder lands under its own name" \
    e2e_cli 2 60 --config "$CLIENT_INI" get "$SERVER" /tree/nested/deeper "$E2E_TMP"
e2e_check "the nested folder's files arrived" cmp "$TREE/nested/deeper/odd.bin" "$E2E_TMP/deeper/odd.bin"

mkdir -p "$E2E_TMP/kept"
echo "keep me" >"$E2E_TMP/kept/big one.bin"
if e2e_cli 2 60 --config "$CLIENT_INI" get "$SERVER" "/tree/big one.bin" "$E2E_TMP/kept" \
    </dev/null >"$E2E_TMP/refused.out" 2>"$E2E_TMP/refused.err"; then
    e2e_fail "get onto an existing file without --overwrite must fail"
else
    e2e_log "ok: get onto an existing file fails: $(cat "$E2E_TMP/refused.err")"
fi
e2e_check "the existing file is intact" test "$(cat "$E2E_TMP/kept/big one.bin")" = "keep me"
e2e_check "the refusal is one line" test "$(wc -l <"$E2E_TMP/refused.err")" -eq 1
e2e_check "with --overwrite it is replaced" \
    e2e_cli 2 60 --config "$CLIENT_INI" get --overwrite "$SERVER" "/tree/big one.bin" "$E2E_TMP/kept"
e2e_check "the replaced file is the shared one" cmp "$TREE/big one.bin" "$E2E_TMP/kept/big one.bin"

# The client runs no serve, so discovery on pc-a does not know it: only "allowunknown" lets it in.
# A host let in is listed like a host added by hand until its keep-alive fails (the client has no
# server to ping), and is then let in only if asked anew.
e2e_check "the client let in is listed" grep -qx "host appeared: 10.77.0.2" "$E2E_TMP/server.out"
# Every get may let it in anew, so wait until it has gone as often as it came.
e2e_check "and goes once it cannot be reached" \
    e2e_wait_for_line "$E2E_TMP/server.out" "^host gone: 10\.77\.0\.2$" 5 \
    "$(grep -c "^host appeared: 10\.77\.0\.2$" "$E2E_TMP/server.out")"
e2e_config "$E2E_TMP/server.ini" pc-a 0
"$E2E_CLI" --config "$E2E_TMP/server.ini" share add tree "$TREE"
mkdir -p "$E2E_TMP/unknown"
if e2e_cli 2 60 --config "$CLIENT_INI" get "$SERVER" "/tree/nested/three.bin" "$E2E_TMP/unknown" \
    >/dev/null 2>"$E2E_TMP/unknown.err"; then
    e2e_fail "an unknown host must be refused without allowunknown"
else
    e2e_log "ok: the unknown host was refused"
fi
e2e_check "the refusal says the host refused: $(cat "$E2E_TMP/unknown.err")" \
    grep -q "the host refused it" "$E2E_TMP/unknown.err"
e2e_check "a refused download leaves no file" test -z "$(ls -A "$E2E_TMP/unknown")"

e2e_check "the serving host shows uploads to the client" \
    grep -q "^upload finished: $TREE/big one.bin to 10.77.0.2: ok$" "$E2E_TMP/server.out"

# A refused host is refused without asking for a while; a fresh serve asks again.
if e2e_stop "$SERVE_PID" TERM 2; then
    e2e_check "serve exits 0 on SIGTERM ($E2E_STOP_MS ms)" test "$E2E_STOP_STATUS" -eq 0
else
    e2e_fail "serve did not stop within 2 s of SIGTERM"
fi

# Shutdown while a transfer runs: a client that stops reading holds the send open.
e2e_config "$E2E_TMP/server.ini" pc-a 1
mkdir -p "$E2E_TMP/huge"
truncate -s 4G "$E2E_TMP/huge/sparse.bin"
"$E2E_CLI" --config "$E2E_TMP/server.ini" share add huge "$E2E_TMP/huge"
e2e_start_serve 1 "$E2E_TMP/server.ini" "$E2E_TMP/server2.out"
SERVE_PID=$E2E_SERVE_PID
# Each failure names its own reason.
if e2e_cli 2 10 --config "$CLIENT_INI" get "$SERVER" /huge/absent.bin "$E2E_TMP" 2>"$E2E_TMP/absent.err"; then
    e2e_fail "get of a missing file must fail"
fi
e2e_check "a missing file is named as missing" grep -q "There is no file or folder" "$E2E_TMP/absent.err"
# A 1 MiB tmpfs, mounted only in the mount namespace of this one command, cannot take 4 GiB.
if timeout -s KILL 60 ip netns exec "$(e2e_ns 2)" sh -c \
    'mkdir -p "$1" && mount -t tmpfs -o size=1m tmpfs "$1" && shift && "$@"' sh "$E2E_TMP/full" \
    "$E2E_CLI" --config "$CLIENT_INI" get "$SERVER" /huge/sparse.bin "$E2E_TMP/full" \
    2>"$E2E_TMP/full.err"; then
    e2e_fail "get onto a full disk must fail"
fi
e2e_check "a full disk is named as full: $(cat "$E2E_TMP/full.err")" grep -q "the disk is full" "$E2E_TMP/full.err"

mkdir -p "$E2E_TMP/partial"
# The full-disk download above started an upload of the same file: wait for the next one.
UPLOADS_BEFORE=$(grep -c "^upload started: $E2E_TMP/huge/sparse.bin" "$E2E_TMP/server2.out")
ip netns exec "$(e2e_ns 2)" "$E2E_CLI" --config "$CLIENT_INI" get "$SERVER" /huge/sparse.bin \
    "$E2E_TMP/partial" >/dev/null 2>"$E2E_TMP/cut.err" &
CLIENT_PID=$!
E2E_PIDS+=("$CLIENT_PID")
e2e_check "the big upload starts" \
    e2e_wait_for_line "$E2E_TMP/server2.out" "^upload started: $E2E_TMP/huge/sparse.bin" 10 \
    $((UPLOADS_BEFORE + 1))
kill -STOP "$CLIENT_PID"
if e2e_stop "$SERVE_PID" TERM 2; then
    e2e_check "serve exits 0 within 2 s of SIGTERM during an upload ($E2E_STOP_MS ms)" \
        test "$E2E_STOP_STATUS" -eq 0
else
    e2e_fail "serve did not stop within 2 s of SIGTERM during an upload"
fi
kill -CONT "$CLIENT_PID"
if e2e_stop "$CLIENT_PID" CONT 10; then
    e2e_check "the cut-off download fails" test "$E2E_STOP_STATUS" -ne 0
else
    e2e_fail "the cut-off download did not end within 10 s"
fi
e2e_check "the cut-off download leaves no partial file" test -z "$(ls -A "$E2E_TMP/partial")"
e2e_check "the cut-off download says the connection was lost: $(cat "$E2E_TMP/cut.err")" \
    grep -q "the connection to the host was lost" "$E2E_TMP/cut.err"
if [ "$E2E_FAILURES" -ne 0 ]; then
    for f in server.out server2.out; do
        echo "--- $f"
        cat "$E2E_TMP/$f"
    done
fi
e2e_finish
