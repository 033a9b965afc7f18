# shellcheck shell=bash disable=SC2034  # the variables set here are read by the sourcing scripts
# Shared helpers of the end-to-end tests: hosts as network namespaces on one bridge, processes
# and namespaces cleaned up on every exit. Source it; it is not a test of its own.
#
# Each host i gets the namespace ${E2E_PREFIX}h<i> with lo up and eth0 = 10.77.0.<i>/24; the
# bridge lives in a namespace of its own, so nothing touches the machine's real interfaces.

E2E_PREFIX="wde$$"
E2E_BRIDGE_NS="${E2E_PREFIX}br"
E2E_NAMESPACES=()
E2E_PIDS=()
E2E_TMP=""
E2E_FAILURES=0

e2e_log() { echo "[$(date +%H:%M:%S.%3N)] $*"; }

e2e_fail() {
    echo "FAIL: $*" >&2
    E2E_FAILURES=$((E2E_FAILURES + 1))
}

e2e_check() {  # e2e_check "description" command...
    local what=$1
    shift
    if "$@" >/dev/null; then e2e_log "ok: $what"; else e2e_fail "$what"; fi
}

e2e_require_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "##########################################################" >&2
        echo "### SKIP: $(basename "$0") needs root for network namespaces" >&2
        echo "##########################################################" >&2
        exit 0
    fi
    for tool in ip timeout sha256sum mkfifo; do
        if ! command -v "$tool" >/dev/null; then
            echo "### FAIL: $(basename "$0") needs $tool (scripts/install-deps.sh installs it)" >&2
            exit 1
        fi
    done
}

e2e_cleanup() {
    local pid ns
    for pid in "${E2E_PIDS[@]}"; do
        kill -9 "$pid" 2>/dev/null
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    for ns in "${E2E_NAMESPACES[@]}"; do
        ip netns del "$ns" 2>/dev/null
    done
    [ -n "$E2E_TMP" ] && rm -rf "$E2E_TMP"
}

e2e_init() {  # e2e_init <binary dir>
    E2E_CLI="$1/wendaro-cli"
    if [ ! -x "$E2E_CLI" ]; then
        echo "FAIL: no wendaro-cli in $1" >&2
        exit 1
    fi
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

e2e_add_host() {  # e2e_add_host <i>
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

# e2e_config <file> <hostname> [allowunknown]
e2e_config() {
    printf '[global]\nhostname=%s\nallowunknown=%s\n' "$2" "${3:-0}" >"$1"
}

# Runs wendaro-cli in host i's namespace, bounded in time: e2e_cli <i> <seconds> args...
e2e_cli() {
    local host=$1 limit=$2
    shift 2
    timeout -s KILL "$limit" ip netns exec "$(e2e_ns "$host")" "$E2E_CLI" "$@"
}

# Starts `serve` in host i with its own config, stdin from a fifo kept open by the script.
# Sets E2E_SERVE_PID and E2E_SERVE_FD (write chat lines to it).
e2e_start_serve() {  # e2e_start_serve <i> <config> <output file>
    local fifo="$E2E_TMP/stdin$1.$RANDOM"
    mkfifo "$fifo"
    # Read-write open never blocks and keeps the fifo's writer side alive for the serve.
    exec {E2E_SERVE_FD}<>"$fifo"
    ip netns exec "$(e2e_ns "$1")" "$E2E_CLI" --config "$2" serve <"$fifo" >"$3" 2>&1 &
    E2E_SERVE_PID=$!
    E2E_PIDS+=("$E2E_SERVE_PID")
}

# Waits up to <seconds> for a line matching the extended regex in a file; prints the milliseconds
# it took. Returns 1 on timeout.
e2e_wait_for_line() {  # e2e_wait_for_line <file> <regex> <seconds> [count]
    local file=$1 pattern=$2 limit=$3 want=${4:-1}
    local start now
    start=$(date +%s%N)
    while true; do
        if [ "$(grep -cE -- "$pattern" "$file" 2>/dev/null)" -ge "$want" ]; then
            now=$(date +%s%N)
            echo $(((now - start) / 1000000))
            return 0
        fi
        now=$(date +%s%N)
        if [ $(((now - start) / 1000000)) -ge $((limit * 1000)) ]; then
            return 1
        fi
        sleep 0.05
    done
}

# Sends a signal and waits up to <seconds> for the process (a child of this shell) to end. Sets
# E2E_STOP_STATUS and E2E_STOP_MS; returns 1 when it did not end in time. Not for $(...): only
# the shell that started the process can collect its status.
e2e_stop() {  # e2e_stop <pid> <signal> <seconds>
    local pid=$1 signal=$2 limit=$3 start now
    start=$(date +%s%N)
    kill "-$signal" "$pid" 2>/dev/null
    while kill -0 "$pid" 2>/dev/null; do
        # A child that has exited but is not collected yet still answers kill -0.
        if [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = "Z" ]; then break; fi
        now=$(date +%s%N)
        if [ $(((now - start) / 1000000)) -ge $((limit * 1000)) ]; then
            return 1
        fi
        sleep 0.02
    done
    now=$(date +%s%N)
    E2E_STOP_MS=$(((now - start) / 1000000))
    wait "$pid"
    E2E_STOP_STATUS=$?
}

e2e_finish() {
    if [ "$E2E_FAILURES" -ne 0 ]; then
        echo "$(basename "$0"): $E2E_FAILURES check(s) failed" >&2
        exit 1
    fi
    echo "$(basename "$0"): all checks passed"
    exit 0
}
