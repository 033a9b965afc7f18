#!/usr/bin/env bash
# A download that the desktop program had not finished when it ended comes back after a restart:
# pc-b downloads a file from pc-a (a `serve`) under a speed limit, ends on SIGTERM (as at a
# session's end) halfway, starts again while pc-a is away (the row waits, paused), and the file
# arrives whole once pc-a serves again. With SCREENSHOT_DIR set, the run also saves PNGs of the
# paused row with its menu and of the options sheet.
# Usage: test_gui_download_queue.sh <directory of the binaries>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
# shellcheck source=tests/e2e/gui_lib.sh
. "$(dirname "$0")/gui_lib.sh"
gui_init "$1"
e2e_add_host 1
e2e_add_host 2

SHARED="$E2E_TMP/shared"
DOWNLOADS="$E2E_TMP/downloads"
mkdir -p "$SHARED" "$DOWNLOADS"
head -c 16000000 /dev/urandom >"$SHARED/big.bin"
e2e_config "$E2E_TMP/pc-a.ini" pc-a 0
e2e_share "$E2E_TMP/pc-a.ini" Media "$SHARED"
# 1,000 KB/s: the file takes about 16 s, long enough to end the program halfway.
gui_config "$E2E_TMP/b.ini" pc-b "lastdownloadpath=$DOWNLOADS
downloadlimit=1000
columnwidthtransferviewname=100
columnwidthtransferviewstatus=235
columnwidthtransferviewhost=75"
STATE="$E2E_TMP/b.ini.downloads"

shot() {
    [ -n "${SCREENSHOT_DIR:-}" ] && gui_screenshot "$DISPLAY_B" "$SCREENSHOT_DIR/$1${SCREENSHOT_SUFFIX:-}.png"
    return 0
}

e2e_serve_host 1 pc-a
SERVE_A=$E2E_SERVE_PID
gui_start_display || exit 1
DISPLAY_B=$GUI_DISPLAY
gui_start 2 "$DISPLAY_B" "$E2E_TMP/b.ini" "$E2E_TMP/b.log"
e2e_check "pc-b shows its window" gui_window "$DISPLAY_B" Wendaro 45
[ "$E2E_FAILURES" -ne 0 ] && e2e_finish b.log pc-a.out

# pc-a is the tree's second row; its share's first file is big.bin, and its context menu's
# second item downloads into the last folder.
TREE_X=60 ROW2_Y=27
FILES_X=$((GUI_LEFT + 12 + 40)) FIRST_FILE_Y=$((36 + 27))
download() {
    gui_at "$DISPLAY_B" $TREE_X $((36 + ROW2_Y)) click 1
    gui_keys "$DISPLAY_B" Left Right
    sleep 1
    gui_keys "$DISPLAY_B" Down
    sleep 1
    gui_at "$DISPLAY_B" $FILES_X $FIRST_FILE_Y click 1
    gui_at "$DISPLAY_B" $FILES_X $FIRST_FILE_Y click 3
    sleep 0.5
    gui_keys "$DISPLAY_B" Down Down Return
}
sleep 3
part_file() { find "$DOWNLOADS" -maxdepth 1 -name '.big.bin.wendaro-part*' | grep -q .; }
for attempt in 1 2 3; do
    download
    e2e_until 10 part_file && break
    e2e_log "attempt $attempt: no download started yet"
    gui_keys "$DISPLAY_B" Escape
done
e2e_check "the download runs" part_file
kept() { grep -q "big.bin" "$STATE"; }
e2e_check "and is kept in the state file while it runs" e2e_until 3 kept
sleep 3
e2e_expect_stop "pc-b on SIGTERM halfway" "$GUI_PID" TERM 5
e2e_check "the limit held the download back: the target is not there yet" \
    test ! -e "$DOWNLOADS/big.bin"
e2e_check "the state file still lists the download" grep -q "big.bin" "$STATE"

# pc-a goes; pc-b starts again and shows the download paused, waiting for its host.
e2e_expect_stop "pc-a's serve on SIGTERM" "$SERVE_A" TERM 5
gui_start 2 "$DISPLAY_B" "$E2E_TMP/b.ini" "$E2E_TMP/b2.log"
e2e_check "pc-b shows its window again" gui_window "$DISPLAY_B" Wendaro 45
sleep 3
e2e_check "nothing arrives while pc-a is away" test ! -e "$DOWNLOADS/big.bin"
if [ -n "${SCREENSHOT_DIR:-}" ]; then
    # The transfer list's only row, then its menu.
    ROW_X=$((GUI_LEFT + 60)) ROW_Y=$((600 - GUI_MENU_HEIGHT - GUI_BOTTOM + 36))
    shot queue_paused
    gui_at "$DISPLAY_B" $ROW_X $ROW_Y click 1
    gui_at "$DISPLAY_B" $ROW_X $ROW_Y click 3
    sleep 0.5
    shot queue_menu
    gui_keys "$DISPLAY_B" Escape
    case "${LANGUAGE:-}" in
    de*) gui_keys "$DISPLAY_B" alt+x o ;;
    *) gui_keys "$DISPLAY_B" alt+t o ;;
    esac
    sleep 1
    shot options
    gui_keys "$DISPLAY_B" Escape
fi

e2e_serve_host 1 pc-a
same_file() { cmp -s "$SHARED/big.bin" "$DOWNLOADS/big.bin"; }
e2e_check "once pc-a is back the download goes on and the file arrives whole" e2e_until 60 same_file
only_header() { [ "$(wc -l <"$STATE")" -eq 1 ]; }
e2e_check "and the state file lists nothing any more" e2e_until 5 only_header
e2e_expect_stop "pc-b on SIGTERM" "$GUI_PID" TERM 5
e2e_finish b.log b2.log pc-a.out
