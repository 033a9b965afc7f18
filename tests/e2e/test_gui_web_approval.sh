#!/usr/bin/env bash
# The desktop program's web view with the owner at the screen: headless Chromium on another host
# gets the waiting page, the desktop program asks its owner about that browser, the owner answers
# Yes, and the browser then sees the shares; the browser is remembered in the settings. The
# screenshots stay in $WENDARO_SCREENSHOTS when that is set.
# Usage: test_gui_web_approval.sh <directory of the binaries>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
# shellcheck source=tests/e2e/gui_lib.sh
. "$(dirname "$0")/gui_lib.sh"
gui_init "$1"
e2e_browser_hosts
T=$E2E_TMP
mkdir -p "$T/tree/one"
echo "notes" >"$T/tree/one/notes.txt"

# The question is a second window of the program, above the main window.
question_shown() {
    local window
    for window in $(DISPLAY=$DISPLAY_A xdotool search --onlyvisible --name Wendaro 2>/dev/null); do
        [ "$window" != "$MAIN_WINDOW" ] && QUESTION=$window && return 0
    done
    return 1
}
question_gone() { ! DISPLAY=$DISPLAY_A xdotool search --onlyvisible --name Wendaro | grep -qx "$QUESTION"; }
gui_config "$T/a.ini" pc-anna "webview=1
[shares]
tree=$T/tree"
gui_start_display || exit 1
DISPLAY_A=$GUI_DISPLAY
gui_start 1 "$DISPLAY_A" "$T/a.ini" "$T/a.log"
e2e_check "the desktop program shows its window" gui_window "$DISPLAY_A" Wendaro 45
[ "$E2E_FAILURES" -ne 0 ] && e2e_finish a.log
MAIN_WINDOW=$GUI_WIN

e2e_start_chromium 150
e2e_browse "owner:$T/answered"

e2e_check "the browser's waiting page is shown" e2e_wait_for_line "$T/browser.log" "^waiting$" 60
e2e_check "the owner is asked about the browser" e2e_until 20 question_shown
if [ -n "${QUESTION:-}" ]; then
    DISPLAY=$DISPLAY_A import -window root "$SHOTS/owner-question.png"
    # Every button waits a moment before it takes a click, and No is the default: Yes is chosen
    # by its shortcut, as a person at the keyboard would.
    sleep 1.5
    DISPLAY=$DISPLAY_A xdotool mousemove --window "$QUESTION" 20 20 sleep 0.2 key --delay 100 alt+y
    e2e_check "the question goes once answered" e2e_until 10 question_gone
fi
touch "$T/answered"
e2e_browse_outcome
e2e_check "the browser is remembered with its address" \
    grep -qE "^[0-9A-Za-z_-]{32,}=$(e2e_addr 2) " "$T/a.ini"
e2e_finish a.log chromium.log
