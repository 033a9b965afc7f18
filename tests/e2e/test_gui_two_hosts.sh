#!/usr/bin/env bash
# Two copies of the desktop program, each on a display and in a network namespace of its own:
# they find each other, pc-b browses pc-a's share and downloads a folder from it (files compared
# by hash), a chat line goes each way, and both end cleanly (File > Close, and SIGTERM).
# With SCREENSHOT_DIR set, the run also saves PNGs of pc-b's window along the way.
# Usage: test_gui_two_hosts.sh <directory of the binaries>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
# shellcheck source=tests/e2e/gui_lib.sh
. "$(dirname "$0")/gui_lib.sh"
gui_init "$1"
e2e_add_host 1
e2e_add_host 2

SHARED="$E2E_TMP/shared"
mkdir -p "$SHARED/music/live" "$E2E_TMP/downloads"
head -c 300000 /dev/urandom >"$SHARED/music/track one.ogg"
head -c 1025 /dev/urandom >"$SHARED/music/live/encore.ogg"
# For the screenshots, a larger file over a slower link keeps the download running a while.
if [ -n "${SCREENSHOT_DIR:-}" ]; then
    head -c 24000000 /dev/urandom >"$SHARED/music/concert.flac"
    ip netns exec "$(e2e_ns 1)" tc qdisc add dev eth0 root tbf rate 32mbit burst 64kb latency 50ms
fi
printf 'notes\n' >"$SHARED/music/live/notes.txt"
printf 'top\n' >"$SHARED/readme.txt"
gui_config "$E2E_TMP/a.ini" pc-a "[shares]
Media=$SHARED"
mkdir -p "$E2E_TMP/b-photos"
# pc-b's transfer list was left with a status column wide enough for a folder's progress.
gui_config "$E2E_TMP/b.ini" pc-b "lastdownloadpath=$E2E_TMP/downloads
columnwidthtransferviewname=100
columnwidthtransferviewstatus=235
columnwidthtransferviewhost=75
[shares]
Photos=$E2E_TMP/b-photos"

shot() {
    [ -n "${SCREENSHOT_DIR:-}" ] && gui_screenshot "$DISPLAY_B" "$SCREENSHOT_DIR/$1${SCREENSHOT_SUFFIX:-}.png"
    return 0
}

gui_start_display || exit 1
DISPLAY_A=$GUI_DISPLAY
gui_start_display || exit 1
DISPLAY_B=$GUI_DISPLAY

gui_start 1 "$DISPLAY_A" "$E2E_TMP/a.ini" "$E2E_TMP/a.log"
PID_A=$GUI_PID
gui_start 2 "$DISPLAY_B" "$E2E_TMP/b.ini" "$E2E_TMP/b.log"
PID_B=$GUI_PID
# A cold start (font caches, a busy machine) can take a while; without both windows nothing
# below can pass, so the run ends there with what the programs printed.
e2e_check "pc-a shows its window" gui_window "$DISPLAY_A" Wendaro 45
e2e_check "pc-b shows its window" gui_window "$DISPLAY_B" Wendaro 45
[ "$E2E_FAILURES" -ne 0 ] && e2e_finish a.log b.log

# A second start with the same settings raises the first window and ends at once.
DISPLAY=$DISPLAY_A XDG_RUNTIME_DIR="$E2E_TMP/runtime1" timeout 10 \
    ip netns exec "$(e2e_ns 1)" "$E2E_GUI" --config "$E2E_TMP/a.ini" >/dev/null 2>&1
e2e_check "a second start with the same settings exits 0" test $? -eq 0
e2e_check "and leaves one window" \
    test "$(DISPLAY=$DISPLAY_A xdotool search --onlyvisible --name Wendaro | wc -l)" -eq 1

# pc-b: the tree lists pc-b first, then pc-a once found (pc-b's own share is collapsed, so pc-a
# is the second row). Open pc-a and select its share.
TREE_X=60 ROW2_Y=27
FILES_X=$((GUI_LEFT + 12 + 40)) FIRST_FILE_Y=$((36 + 27))
browse_and_download() {
    # Left first: a host left expanded by an earlier attempt opens afresh with Right.
    gui_at "$DISPLAY_B" $TREE_X $((36 + ROW2_Y)) click 1
    gui_keys "$DISPLAY_B" Left Right
    sleep 1
    gui_keys "$DISPLAY_B" Down
    sleep 1
    shot share
    # The file list shows the share's contents, the folder "music" first. Its context menu
    # offers "Download to" the folder pc-b used last.
    gui_at "$DISPLAY_B" $FILES_X $FIRST_FILE_Y click 1
    gui_at "$DISPLAY_B" $FILES_X $FIRST_FILE_Y click 3
    sleep 0.5
    gui_keys "$DISPLAY_B" Down Down Return
}
# Announcements leave within a second of the start; the share list follows the host.
sleep 3
shot hosts
# Nothing here can see pc-b's tree, so a busy machine that was slower than the pauses above gets
# another attempt, as long as nothing of the folder has arrived yet.
for attempt in 1 2 3; do
    browse_and_download
    e2e_until 10 test -e "$E2E_TMP/downloads/music" && break
    e2e_log "attempt $attempt: no download started yet"
    gui_keys "$DISPLAY_B" Escape
done

if [ -n "${SCREENSHOT_DIR:-}" ]; then
    sleep 2
    shot download
fi
files_match() { [ "$(e2e_tree "$SHARED/music")" = "$(e2e_tree "$E2E_TMP/downloads/music")" ]; }
e2e_check "the folder arrives whole, every file the same as pc-a's" e2e_until 20 files_match
e2e_check "nothing but the folder was downloaded" test "$(ls -A "$E2E_TMP/downloads")" = music

CHAT_INPUT_Y=$((600 - GUI_MENU_HEIGHT - 7 - 28 + 11))
say() { gui_at "$1" 60 $CHAT_INPUT_Y click 1; gui_type "$1" "$2"; gui_keys "$1" Return; }
say "$DISPLAY_B" "hello from b"
say "$DISPLAY_A" "hello from a"
chat_has() { gui_chat_history "$1" | grep -qx "$2"; }
e2e_check "pc-a shows pc-b's line" e2e_until 10 chat_has "$DISPLAY_A" "pc-b: hello from b"
e2e_check "pc-b shows pc-a's line" e2e_until 10 chat_has "$DISPLAY_B" "pc-a: hello from a"
e2e_check "pc-b shows its own line" chat_has "$DISPLAY_B" "pc-b: hello from b"
# Away from the history, so that its text shows unselected.
gui_at "$DISPLAY_B" 60 $CHAT_INPUT_Y click 1
shot chat

# pc-a closes from its File menu; pc-b ends on SIGTERM like at a session's end.
gui_at "$DISPLAY_A" 100 100
# The menu's accelerators are the language's own ("&Datei" > "&Schließen").
case "${LANGUAGE:-}" in
de*) gui_keys "$DISPLAY_A" alt+d s ;;
*) gui_keys "$DISPLAY_A" alt+f c ;;
esac
e2e_expect_stop "pc-a after File > Close" "$PID_A" 0 5
e2e_expect_stop "pc-b on SIGTERM" "$PID_B" TERM 2
e2e_check "pc-b ends within a second" test "${E2E_STOP_MS:-9999}" -le 1000
e2e_check "pc-a saved its layout" grep -q '^columnwidthlistviewname=' "$E2E_TMP/a.ini"
e2e_check "pc-b saved its layout" grep -q '^leftpanelwidth=400' "$E2E_TMP/b.ini"
e2e_finish a.log b.log
