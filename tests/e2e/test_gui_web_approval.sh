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
e2e_need_tools chromium /usr/bin/python3
/usr/bin/python3 -c "import websocket" 2>/dev/null ||
    { echo "### FAIL: $(basename "$0") needs python3-websocket (scripts/install-deps.sh installs it)" >&2 && exit 1; }
e2e_add_host 1
e2e_add_host 2
T=$E2E_TMP
SHOTS=${WENDARO_SCREENSHOTS:-$T/shots}
mkdir -p "$SHOTS" "$T/profile" "$T/tree/one"
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

# Chromium leaves helper processes behind its own; its process group is ended with them.
setsid ip netns exec "$(e2e_ns 2)" timeout -s KILL 150 chromium --headless --no-sandbox --disable-gpu \
    --disable-quic --no-first-run --disable-background-networking --disable-component-update \
    --disable-sync --user-data-dir="$T/profile" --remote-debugging-port=9222 \
    --remote-allow-origins='*' --disable-breakpad about:blank >"$T/chromium.log" 2>&1 &
CHROMIUM_GROUP=$!
trap 'kill -9 -- -"$CHROMIUM_GROUP" 2>/dev/null; e2e_cleanup' EXIT

timeout -s KILL 120 ip netns exec "$(e2e_ns 2)" /usr/bin/python3 "$(dirname "$0")/web_browser.py" \
    9222 "http://$(e2e_addr 1):12348" "$(e2e_addr 2)" "owner:$T/answered" "$SHOTS" >"$T/browser.log" 2>&1 &
BROWSER_PID=$!
E2E_PIDS+=("$BROWSER_PID")

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
if wait "$BROWSER_PID"; then
    e2e_log "ok: the browser's steps: $(grep -c '^ok:' "$T/browser.log") passed"
else
    e2e_fail "the browser's steps: $(grep -v '^ok:' "$T/browser.log" | tail -n 3)"
fi
sed 's/^/  browser /' "$T/browser.log"
e2e_check "the browser is remembered with its address" \
    grep -qE "^[0-9A-Za-z_-]{32,}=$(e2e_addr 2) " "$T/a.ini"
e2e_finish a.log chromium.log
