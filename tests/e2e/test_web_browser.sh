#!/usr/bin/env bash
# A real browser against the web view: headless Chromium in its own host waits for the owner,
# is let in by the code typed into its page, clicks two folders down and downloads a file and a
# folder's ZIP (checked byte for byte), at phone and desktop size. The screenshots stay in
# $WENDARO_SCREENSHOTS when that is set.
# Usage: test_web_browser.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_browser_hosts
T=$E2E_TMP

TREE="$T/Holiday photos"
mkdir -p "$TREE/one/two" "$TREE/one/Ein Ordner mit einem recht langen Namen" "$TREE/Videos"
head -c 2500000 /dev/urandom >"$TREE/one/two/data.bin"
head -c 48213 /dev/urandom >"$TREE/one/two/IMG_20260712_183355_with_a_very_long_name_from_a_phone_camera.jpg"
echo "notes" >"$TREE/one/two/notes.txt"
head -c 700000 /dev/urandom >"$TREE/one/beach.jpg"
head -c 9000000 /dev/urandom >"$TREE/Videos/sunset.mp4"
echo "list" >"$TREE/packing list.txt"
ln -s "$TREE" "$T/tree"

e2e_start_web_serve 1 "$T/server.ini" pc-anna tree "$TREE" "$T/server.out"
e2e_expect "serve offers the web view" "$T/server.out" "^Web view: " 10

e2e_start_chromium 120
e2e_browse "$T/server.out"
e2e_browse_outcome
e2e_check "the file arrived byte for byte" cmp "$TREE/one/two/data.bin" "$SHOTS/downloads/data.bin"
mkdir "$T/unzipped"
e2e_check "the ZIP opens" /usr/bin/python3 -c '
import sys, zipfile
zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$SHOTS/downloads/one.zip" "$T/unzipped"
e2e_check "and holds the folder, every file byte for byte" \
    test "$(e2e_tree "$TREE/one")" = "$(e2e_tree "$T/unzipped/one")"

e2e_finish server.out chromium.log
