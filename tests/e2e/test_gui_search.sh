#!/usr/bin/env bash
# The search box of the desktop program: pc-d searches pc-a and pc-b (ours) and old-pc (common
# protocol only); the results download like the file list's rows (files compared by hash), and
# "Show in tree" opens the tree down to a result. With SCREENSHOT_DIR set, the run also saves
# PNGs of the window (the results, and the tree opened at a result).
# Usage: test_gui_search.sh <directory of the binaries>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
# shellcheck source=tests/e2e/gui_lib.sh
. "$(dirname "$0")/gui_lib.sh"
gui_init "$1"
e2e_search_hosts 5000 300000 70000 5
T=$E2E_TMP
mkdir -p "$T/downloads"
gui_config "$T/d.ini" pc-d "lastdownloadpath=$T/downloads
columnwidthlistviewname=200"

shot() {
    [ -n "${SCREENSHOT_DIR:-}" ] && gui_screenshot "$GUI_DISPLAY" "$SCREENSHOT_DIR/$1${SCREENSHOT_SUFFIX:-}.png"
    return 0
}

gui_start_display || exit 1
D=$GUI_DISPLAY
gui_start 4 "$D" "$T/d.ini" "$T/d.log"
PID=$GUI_PID
e2e_check "pc-d shows its window" gui_window "$D" Wendaro 45
[ "$E2E_FAILURES" -ne 0 ] && e2e_finish d.log
# The indexes are built and the hosts announced within a few seconds.
e2e_until 20 eval 'e2e_cli 4 10 --config "$T/d.ini" search --host 10.77.0.1 opening | grep -q Opening' ||
    e2e_log "pc-a's index answers late"
sleep 3
gui_keys "$D" ctrl+f
shot search_box

search_for() { # search_for <text>: Ctrl+F from wherever the focus is, type, Return
    gui_at "$D" 300 15 click 1 # the toolbar: a click into the tree would end the search
    gui_keys "$D" ctrl+f
    gui_type "$D" "$1"
    gui_keys "$D" Return
    sleep 3
}
FIRST_ROW_Y=$((36 + 27))
RESULTS_X=$((GUI_LEFT + 12 + 60))
result_menu() { # right-click on the first result, then the keys for the menu
    gui_at "$D" $RESULTS_X $FIRST_ROW_Y click 1
    gui_keys "$D" ctrl+a
    gui_at "$D" $RESULTS_X $FIRST_ROW_Y click 3
    sleep 0.5
    gui_keys "$D" "$@"
}

search_for night
shot search_results
# Every result selected, "Download to" the last folder: the note row of old-pc is no result.
result_menu Down Down Return
arrived() {
    [ "$(sha256sum <"$T/downloads/$1")" = "$(sha256sum <"$2")" ]
}
e2e_check "a result downloads from pc-a's folder" e2e_until 20 arrived "Opening Night.mp3" "$T/music/Live 2024/Opening Night.mp3"
e2e_check "and from pc-a's share" e2e_until 20 arrived "closing night.MP3" "$T/music/closing night.MP3"
e2e_check "and from pc-b" e2e_until 20 arrived "night sky.jpg" "$T/photos/2023/night sky.jpg"
e2e_check "nothing else was downloaded" test "$(ls "$T/downloads" | wc -l)" -eq 3
e2e_check "old-pc was never asked the search word" test "$(grep -c '^wdx-search' "$T/common.out")" -eq 0
sleep 1
shot search_downloaded

search_for opening
result_menu Down Down Down Return
sleep 3
shot show_in_tree

e2e_expect_stop "pc-d on SIGTERM" "$PID" TERM 2
e2e_finish d.log common.out pc-a.out pc-b.out
