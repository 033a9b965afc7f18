# shellcheck shell=bash disable=SC2034  # the variables set here are read by the sourcing scripts
# Shared helpers of the end-to-end tests: hosts as network namespaces on one bridge, processes
# and namespaces cleaned up on every exit. Each host i gets the namespace ${E2E_PREFIX}h<i> with lo up and eth0 = 10.77.0.<i>/24; the
# bridge lives in a namespace of its own, so nothing touches the machine's real interfaces.

E2E_PREFIX="wde$$"
E2E_BRIDGE_NS="${E2E_PREFIX}br"
E2E_NAMESPACES=()
E2E_PIDS=()
# Process groups ended at exit with all their members (programs that leave helpers behind them).
E2E_GROUPS=()
E2E_TMP=""
E2E_DIR=$(dirname "${BASH_SOURCE[0]}")
# Further folders of a run (on other file systems, e.g. a benchmark's large files), removed at exit.
E2E_DIRS=()
E2E_FAILURES=0

e2e_log() { echo "[$(date +%H:%M:%S.%3N)] $*"; }
e2e_ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); } # e2e_ms_since <date +%s%N>

e2e_fail() { # to the script's own standard error, even where a check's is redirected
    echo "FAIL: $*" >&"${E2E_STDERR:-2}"
    E2E_FAILURES=$((E2E_FAILURES + 1))
}
# e2e_check <what> command...: the command succeeds; e2e_check_fails: it fails.
e2e_check() { if "${@:2}" >/dev/null; then e2e_log "ok: $1"; else e2e_fail "$1"; fi; }
e2e_check_fails() { if "${@:2}" >/dev/null; then e2e_fail "$1"; else e2e_log "ok: $1"; fi; }

# Bounded wait for a condition: e2e_until <seconds> command...
e2e_until() {
    for _ in $(seq $(($1 * 10))); do
        "${@:2}" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

e2e_need_tools() {
    for tool; do
        command -v "$tool" >/dev/null && continue
        echo "### FAIL: $(basename "$0") needs $tool (scripts/install-deps.sh installs it)" >&2
        exit 1
    done
}
e2e_require_root() {
    [ "$(id -u)" -eq 0 ] || { echo "### SKIP: $(basename "$0") needs root for network namespaces" >&2 && exit 0; }
    e2e_need_tools ip timeout sha256sum mkfifo
}

e2e_cleanup() {
    local pid ns dir group
    for group in "${E2E_GROUPS[@]}"; do kill -9 -- "-$group" 2>/dev/null; done
    for pid in "${E2E_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    for ns in "${E2E_NAMESPACES[@]}"; do ip netns del "$ns" 2>/dev/null; done
    [ -n "$E2E_TMP" ] && rm -rf "$E2E_TMP"
    for dir in "${E2E_DIRS[@]}"; do rm -rf "$dir"; done
}

e2e_init() { # e2e_init <binary dir>
    e2e_require_root
    E2E_CLI="$1/wendaro-cli"
    [ -x "$E2E_CLI" ] || { echo "FAIL: no wendaro-cli in $1" >&2 && exit 1; }
    exec {E2E_STDERR}>&2
    E2E_TMP=$(mktemp -d /tmp/wendaro-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    trap 'exit 1' INT TERM
    ip netns add "$E2E_BRIDGE_NS" || exit 1
    E2E_NAMESPACES+=("$E2E_BRIDGE_NS")
    ip -n "$E2E_BRIDGE_NS" link set lo up
    ip -n "$E2E_BRIDGE_NS" link add br0 type bridge forward_delay 0 stp_state 0
    ip -n "$E2E_BRIDGE_NS" link set br0 up
}

e2e_ns() { echo "${E2E_PREFIX}h$1"; }
e2e_addr() { echo "10.77.0.$1"; }

e2e_add_host() { # e2e_add_host <i>
    local ns
    ns=$(e2e_ns "$1")
    ip netns add "$ns" || exit 1
    E2E_NAMESPACES+=("$ns")
    ip -n "$ns" link set lo up
    ip -n "$ns" link add eth0 type veth peer name "port$1" netns "$E2E_BRIDGE_NS" || exit 1
    ip -n "$E2E_BRIDGE_NS" link set "port$1" master br0 up
    ip -n "$ns" addr add "$(e2e_addr "$1")/24" broadcast + dev eth0
    ip -n "$ns" link set eth0 up
}

# e2e_config <file> <hostname> [allowunknown]; e2e_share <config> <name> <folder>
e2e_config() { printf '[global]\nhostname=%s\nallowunknown=%s\n' "$2" "${3:-0}" >"$1"; }
e2e_share() { "$E2E_CLI" --config "$1" share add "$2" "$3" || e2e_fail "share add $2"; }
# Host <i> runs serve with the web view on, sharing <folder> as <share>; the settings file is
# written here: host name <name>, unknown hosts refused unless [allowunknown] is 1.
e2e_start_web_serve() { # e2e_start_web_serve <i> <config> <name> <share> <folder> <output> [allowunknown]
    e2e_config "$2" "$3" "${7:-0}"
    printf 'webview=1\n' >>"$2"
    e2e_share "$2" "$4" "$5"
    e2e_start_serve "$1" "$2" "$6"
}

# A folder tree as text: every folder, empty ones too, and every file with its content's hash.
e2e_tree() { (cd "$1" && find . -type d | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

# Runs wendaro-cli in host i's namespace, bounded in time: e2e_cli <i> <seconds> args...
e2e_cli() { timeout -s KILL "$2" ip netns exec "$(e2e_ns "$1")" "$E2E_CLI" "${@:3}"; }

# Starts a command in the background in host i's namespace (or in the namespace named, when the
# first argument is not a number), killed after <seconds> and at exit; sets E2E_SPAWN_PID.
e2e_spawn() { # e2e_spawn <i or namespace> <seconds> <output file> command...
    local ns=$1
    [[ "$1" =~ ^[0-9]+$ ]] && ns=$(e2e_ns "$1")
    timeout -s KILL "$2" ip netns exec "$ns" "${@:4}" >"$3" 2>&1 &
    E2E_SPAWN_PID=$!
    E2E_PIDS+=("$E2E_SPAWN_PID")
}

# Starts `serve` in host i with its own config, stdin from a fifo kept open by the script.
# Sets E2E_SERVE_PID and E2E_SERVE_FD (write chat lines to it).
e2e_start_serve() { # e2e_start_serve <i> <config> <output file>
    local fifo="$E2E_TMP/stdin$1.$RANDOM"
    mkfifo "$fifo"
    # Read-write open never blocks and keeps the fifo's writer side alive for the serve.
    exec {E2E_SERVE_FD}<>"$fifo"
    ip netns exec "$(e2e_ns "$1")" "$E2E_CLI" --config "$2" serve <"$fifo" >"$3" 2>&1 &
    E2E_SERVE_PID=$!
    E2E_PIDS+=("$E2E_SERVE_PID")
}
# e2e_serve_host <i> <name> [allowunknown]: e2e_start_serve with the settings $E2E_TMP/<name>.ini
# (made unless there) and the output <name>.out.
e2e_serve_host() {
    [ -f "$E2E_TMP/$2.ini" ] || e2e_config "$E2E_TMP/$2.ini" "$2" "${3:-0}"
    e2e_start_serve "$1" "$E2E_TMP/$2.ini" "$E2E_TMP/$2.out"
}

# The hosts a search goes to: 1 to 4 on the bridge. pc-a (host 1) shares $E2E_TMP/music and pc-b
# (host 2) $E2E_TMP/photos, with the same four files of random bytes of the sizes given; host 3
# runs a peer of the common protocol only, old-pc, whose requests land in $E2E_TMP/common.out.
# Host 4 is left for the searching side.
e2e_search_hosts() { # e2e_search_hosts <size of Opening Night.mp3> <closing night.MP3> <night sky.jpg> <beach.jpg>
    local T=$E2E_TMP i
    e2e_need_tools python3
    for i in 1 2 3 4; do e2e_add_host "$i"; done
    mkdir -p "$T/music/Live 2024" "$T/photos/2023"
    head -c "$1" /dev/urandom >"$T/music/Live 2024/Opening Night.mp3"
    head -c "$2" /dev/urandom >"$T/music/closing night.MP3"
    head -c "$3" /dev/urandom >"$T/photos/2023/night sky.jpg"
    head -c "$4" /dev/urandom >"$T/photos/2023/beach.jpg"
    e2e_config "$T/pc-a.ini" pc-a
    e2e_share "$T/pc-a.ini" music "$T/music"
    e2e_config "$T/pc-b.ini" pc-b
    e2e_share "$T/pc-b.ini" photos "$T/photos"
    e2e_serve_host 1 pc-a
    e2e_serve_host 2 pc-b
    e2e_spawn 3 120 "$T/common.out" python3 "$E2E_DIR/common_peer.py" \
        --name old-pc --broadcast 10.77.0.255 --seconds 110
}

# A web view on host 1 and a real browser on host 2: headless Chromium driven by web_browser.py.
# Sets SHOTS, the folder of the screenshots and downloads (kept in $WENDARO_SCREENSHOTS when set).
e2e_browser_hosts() {
    e2e_need_tools chromium /usr/bin/python3
    /usr/bin/python3 -c "import websocket" 2>/dev/null ||
        { echo "### FAIL: $(basename "$0") needs python3-websocket (scripts/install-deps.sh installs it)" >&2 && exit 1; }
    e2e_add_host 1
    e2e_add_host 2
    SHOTS=${WENDARO_SCREENSHOTS:-$E2E_TMP/shots}
    mkdir -p "$SHOTS" "$E2E_TMP/profile"
}
# Chromium in host 2, listening for its driver on port 9222, killed after <seconds> and at exit.
e2e_start_chromium() { # e2e_start_chromium <seconds>
    # Chromium leaves helper processes behind its own: its process group is ended with them.
    setsid ip netns exec "$(e2e_ns 2)" timeout -s KILL "$1" chromium --headless --no-sandbox --disable-gpu \
        --disable-quic --no-first-run --disable-background-networking --disable-component-update \
        --disable-sync --user-data-dir="$E2E_TMP/profile" --remote-debugging-port=9222 \
        --remote-allow-origins='*' --disable-breakpad about:blank >"$E2E_TMP/chromium.log" 2>&1 &
    E2E_GROUPS+=($!)
}
# Starts the browser's steps against host 1's web view (web_browser.py) in the background, into
# $E2E_TMP/browser.log; e2e_browse_outcome waits for them. How the browser is let in: a serve's
# output file, where the code to type appears, or owner:<file>, for an owner who answers at the
# host itself (the file appears once they have; see web_browser.py).
e2e_browse() { # e2e_browse <serve output | owner:file>
    timeout -s KILL 120 ip netns exec "$(e2e_ns 2)" /usr/bin/python3 "$E2E_DIR/web_browser.py" \
        9222 "http://$(e2e_addr 1):12348" "$(e2e_addr 2)" "$1" "$SHOTS" >"$E2E_TMP/browser.log" 2>&1 &
    E2E_BROWSE_PID=$!
    E2E_PIDS+=("$E2E_BROWSE_PID")
}
# Waits for the browser's steps and says how they went; their log follows.
e2e_browse_outcome() {
    if wait "$E2E_BROWSE_PID"; then
        e2e_log "ok: the browser's steps: $(grep -c '^ok:' "$E2E_TMP/browser.log") passed"
    else
        e2e_fail "the browser's steps: $(grep -v '^ok:' "$E2E_TMP/browser.log" | tail -n 3)"
    fi
    sed 's/^/  browser /' "$E2E_TMP/browser.log"
}

# Waits up to <seconds> for [count] lines matching the extended regex in a file; prints the
# milliseconds it took. Returns 1 on timeout.
e2e_wait_for_line() { # e2e_wait_for_line <file> <regex> <seconds> [count]
    local start found
    start=$(date +%s%N)
    # grep prints nothing for a file that does not exist yet.
    until found=$(grep -cE -- "$2" "$1" 2>/dev/null) && [ "${found:-0}" -ge "${4:-1}" ]; do
        [ "$(e2e_ms_since "$start")" -ge $(($3 * 1000)) ] && return 1
        sleep 0.05
    done
    e2e_ms_since "$start"
}
# e2e_expect <what> <file> <regex> <seconds> [count]: e2e_wait_for_line as a check.
e2e_expect() {
    local ms
    if ms=$(e2e_wait_for_line "${@:2}"); then e2e_log "ok: $1 after $ms ms"; else e2e_fail "$1 (within $4 s)"; fi
}

# Lets curl in host i into the web view of a `serve` host as its owner would: the first visit
# makes serve print a code, which is then typed. The cookie lands in <cookie jar>; prints the
# token, and returns 1 when the browser was not let in.
e2e_web_let_in() { # e2e_web_let_in <i> <serve output> <base URL> <cookie jar>
    local curl=(timeout -s KILL 30 ip netns exec "$(e2e_ns "$1")" curl -sS -m 20 -b "$4" -c "$4")
    "${curl[@]}" -o /dev/null "$3/" || return 1
    e2e_wait_for_line "$2" "type [0-9]{6} on its page" 10 >/dev/null || return 1
    local code
    code=$(grep -oE "type [0-9]{6} on its page" "$2" | tail -n 1 | cut -d' ' -f2)
    "${curl[@]}" -o /dev/null -d "code=$code" "$3/_/approve" || return 1
    awk '$6 == "wendaro" { token = $7 } END { if (token == "") exit 1; print token }' "$4"
}

# Sends a signal and waits up to <seconds> for the process (a child of this shell) to end. Sets
# E2E_STOP_STATUS and E2E_STOP_MS; returns 1 when it did not end in time. Not for $(...): only
# the shell that started the process can collect its status.
e2e_stop() { # e2e_stop <pid> <signal> <seconds>
    local start
    start=$(date +%s%N) E2E_STOP_MS=""
    kill "-$2" "$1" 2>/dev/null
    # A child that has exited but is not collected yet still answers kill -0.
    while kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" != Z ]; do
        [ "$(e2e_ms_since "$start")" -ge $(($3 * 1000)) ] && return 1
        sleep 0.02
    done
    E2E_STOP_MS=$(e2e_ms_since "$start")
    wait "$1"
    E2E_STOP_STATUS=$?
}
# e2e_expect_stop <who> <pid> <signal> <seconds>: the signal ends it in time with status 0.
e2e_expect_stop() {
    if e2e_stop "${@:2}"; then
        e2e_check "$1 exits 0 (status $E2E_STOP_STATUS after $E2E_STOP_MS ms)" test "$E2E_STOP_STATUS" -eq 0
    else
        e2e_fail "$1 did not end within $4 s"
    fi
}

# e2e_finish [files in $E2E_TMP to show when a check failed]
e2e_finish() {
    if [ "$E2E_FAILURES" -ne 0 ]; then
        for f in "$@"; do echo "--- $f" && cat "$E2E_TMP/$f"; done
        echo "$(basename "$0"): $E2E_FAILURES check(s) failed" >&2
        exit 1
    fi
    echo "$(basename "$0"): all checks passed"
    exit 0
}
