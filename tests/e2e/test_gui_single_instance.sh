#!/usr/bin/env bash
# One copy of the desktop program per settings file, whatever the environment: "--help" and
# "--version" answer without starting anything; a second start with another XDG_RUNTIME_DIR and
# TMPDIR ends and leaves one window; a third start (again another runtime folder) brings the
# first window to the front. Another local user can neither reach the first copy's place nor keep
# a copy from starting by squatting names in the shared temporary folder.
# Usage: test_gui_single_instance.sh <directory of the binaries>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
# shellcheck source=tests/e2e/gui_lib.sh
. "$(dirname "$0")/gui_lib.sh"
gui_init "$1"
e2e_need_tools runuser xwininfo xmessage
e2e_add_host 1
gui_start_display || exit 1
D=$GUI_DISPLAY
NS=$(e2e_ns 1)
MAIN='^Tavrin Wendaro$'
INI="$E2E_TMP/one.ini"
gui_config "$INI" one

# start_copy <runtime folder> <log>: a start with its own XDG_RUNTIME_DIR and TMPDIR.
start_copy() {
    mkdir -p "$1" && chmod 700 "$1"
    DISPLAY=$D XDG_RUNTIME_DIR="$1" TMPDIR="$1" ip netns exec "$NS" "$E2E_GUI" --config "$INI" \
        >"$2" 2>&1 &
    COPY_PID=$!
    E2E_PIDS+=("$COPY_PID")
}
windows() { DISPLAY=$D xdotool search --onlyvisible --name "$MAIN" 2>/dev/null | wc -l; }
ended() { ! kill -0 "$1" 2>/dev/null; }

# --help and --version: their text, status 0, no window and nothing left running.
help=$(DISPLAY=$D timeout 10 ip netns exec "$NS" "$E2E_GUI" --help --config "$INI")
e2e_check "--help exits 0" test $? -eq 0
e2e_check "--help prints the usage and the settings file" \
    bash -c '[[ "$1" == Usage:* && "$1" == *"--config FILE"* && "$1" == *"$2"* ]]' _ "$help" "$INI"
version=$(timeout 10 ip netns exec "$NS" "$E2E_GUI" --version)
e2e_check "--version prints the version" bash -c '[[ "$1" =~ ^wendaro\ [0-9]+\.[0-9]+ ]]' _ "$version"
e2e_check "--help opened no window" test "$(windows)" -eq 0

# Another user squats the names a copy used in the shared temporary folder before the start.
for name in wendaro-0-squat wendaro.lock; do
    runuser -u nobody -- touch "/tmp/$name" 2>/dev/null
done
start_copy "$E2E_TMP/runtime-a" "$E2E_TMP/a.log"
FIRST=$COPY_PID
gui_window "$D" "$MAIN" 45 || e2e_fail "the first copy shows no window"
FIRST_WIN=$GUI_WIN

start_copy "$E2E_TMP/runtime-b" "$E2E_TMP/b.log"
e2e_check "a second start with another runtime folder ends" e2e_until 15 ended "$COPY_PID"
wait "$COPY_PID"
e2e_check "... with status 0" test $? -eq 0
e2e_check "... and one window is left" test "$(windows)" -eq 1
e2e_check "... and the first copy still runs" kill -0 "$FIRST"

# Another window covers the first one; a third start brings the first one back on top. Without
# a window manager the stacking order is the X server's own: the root's children, top first.
stacking() { DISPLAY=$D xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+ "(Tavrin Wendaro|cover)"' |
    sed 's/.*"\(.*\)"/\1/' | tr '\n' ' '; }
DISPLAY=$D xmessage -geometry 900x650+0+0 -name cover -title cover cover >/dev/null 2>&1 &
COVER=$!
E2E_PIDS+=("$COVER")
e2e_check "a window covers the first one" e2e_until 10 bash -c "[[ \"\$(DISPLAY=$D xwininfo -root -children)\" == *'\"cover\"'* ]]"
before=$(stacking)
e2e_check "... and lies above it" test "$before" = "cover Tavrin Wendaro "
start_copy "$E2E_TMP/runtime-c" "$E2E_TMP/c.log"
e2e_check "a third start ends" e2e_until 15 ended "$COPY_PID"
top() { [ "$(stacking)" = "Tavrin Wendaro cover " ]; }
e2e_check "... and the first window is on top again" e2e_until 5 top
kill "$COVER" 2>/dev/null

# The place of the lock and socket: a folder of this user only, which nobody else may reach.
PLACE=$(find "$(getent passwd "$(id -u)" | cut -d: -f6)/.cache/wendaro" -maxdepth 1 \
    -name 'instance-*.socket' -newer "$INI" 2>/dev/null | head -n1)
e2e_check "the first copy listens in its private folder" test -S "$PLACE"
e2e_check "that folder is the user's own, mode 700" \
    test "$(stat -c '%U %a' "$(dirname "$PLACE")")" = "$(id -un) 700"
e2e_check_fails "another user cannot reach the socket" runuser -u nobody -- \
    python3 -c 'import socket,sys; s=socket.socket(socket.AF_UNIX); s.connect(sys.argv[1])' "$PLACE"
e2e_check_fails "another user cannot place a file beside it" runuser -u nobody -- \
    touch "$(dirname "$PLACE")/instance-squat.lock"

e2e_expect_stop "the first copy on SIGTERM" "$FIRST" TERM 10
rm -f /tmp/wendaro-0-squat /tmp/wendaro.lock
e2e_finish a.log b.log c.log
