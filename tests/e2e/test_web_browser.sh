#!/usr/bin/env bash
# A real browser against the web view: headless Chromium in its own host waits for the owner,
# is let in by the code typed into its page, clicks two folders down and downloads a file and a
# folder's ZIP (checked byte for byte), at phone and desktop size. The screenshots stay in
# $WENDARO_SCREENSHOTS when that is set.
# Usage: test_web_browser.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_need_tools chromium /usr/bin/python3
/usr/bin/python3 -c "import websocket" 2>/dev/null ||
    { echo "### FAIL: $(basename "$0") needs python3-websocket (scripts/install-deps.sh installs it)" >&2 && exit 1; }

e2e_add_host 1
e2e_add_host 2
T=$E2E_TMP
SHOTS=${WENDARO_SCREENSHOTS:-$T/shots}
mkdir -p "$SHOTS" "$T/profile"

TREE="$T/Holiday photos"
mkdir -p "$TREE/one/two" "$TREE/one/Ein Ordner mit einem recht langen Namen" "$TREE/Videos"
head -c 2500000 /dev/urandom >"$TREE/one/two/data.bin"
head -c 48213 /dev/urandom >"$TREE/one/two/IMG_20260712_183355_with_a_very_long_name_from_a_phone_camera.jpg"
echo "notes" >"$TREE/one/two/notes.txt"
head -c 700000 /dev/urandom >"$TREE/one/beach.jpg"
head -c 9000000 /dev/urandom >"$TREE/Videos/sunset.mp4"
echo "list" >"$TREE/packing list.txt"
ln -s "$TREE" "$T/tree"

e2e_config "$T/server.ini" pc-anna
printf 'webview=1\n' >>"$T/server.ini"
e2e_share "$T/server.ini" tree "$TREE"
e2e_start_serve 1 "$T/server.ini" "$T/server.out"
e2e_expect "serve offers the web view" "$T/server.out" "^Web view: " 10

# Chromium leaves helper processes behind its own; its process group is ended with them.
setsid ip netns exec "$(e2e_ns 2)" timeout -s KILL 120 chromium --headless --no-sandbox --disable-gpu \
    --disable-quic --no-first-run --disable-background-networking --disable-component-update \
    --disable-sync --user-data-dir="$T/profile" --remote-debugging-port=9222 \
    --remote-allow-origins='*' --disable-breakpad about:blank >"$T/chromium.log" 2>&1 &
CHROMIUM_GROUP=$!
trap 'kill -9 -- -"$CHROMIUM_GROUP" 2>/dev/null; e2e_cleanup' EXIT

if timeout -s KILL 120 ip netns exec "$(e2e_ns 2)" /usr/bin/python3 "$(dirname "$0")/web_browser.py" \
    9222 "http://$(e2e_addr 1):12348" "$(e2e_addr 2)" "$T/server.out" "$SHOTS" >"$T/browser.log" 2>&1; then
    e2e_log "ok: the browser's steps: $(grep -c '^ok:' "$T/browser.log") passed"
else
    e2e_fail "the browser's steps: $(grep -v '^ok:' "$T/browser.log" | tail -n 3)"
fi
sed 's/^/  browser /' "$T/browser.log"
e2e_check "the file arrived byte for byte" cmp "$TREE/one/two/data.bin" "$SHOTS/downloads/data.bin"
mkdir "$T/unzipped"
e2e_check "the ZIP opens" /usr/bin/python3 -c '
import sys, zipfile
zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$SHOTS/downloads/one.zip" "$T/unzipped"
e2e_check "and holds the folder, every file byte for byte" \
    test "$(e2e_tree "$TREE/one")" = "$(e2e_tree "$T/unzipped/one")"

e2e_finish server.out chromium.log
