# shellcheck shell=bash disable=SC2034  # the variables set here are read by the sourcing scripts
# Shared helpers of the benchmark scripts: a fresh network namespace per serving host (so that
# discovery broadcasts never reach real interfaces), cleanup of namespaces and processes by PID.
# Source it.

BENCH_PREFIX="wdb$$"
BENCH_NAMESPACES=()
BENCH_PIDS=()
BENCH_TMP=""
# Further folders of a run (on other file systems), removed at exit.
BENCH_DIRS=()

bench_cleanup() {
    local pid ns dir
    for pid in "${BENCH_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
    for pid in "${BENCH_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    for ns in "${BENCH_NAMESPACES[@]}"; do ip netns del "$ns" 2>/dev/null; done
    [ -n "$BENCH_TMP" ] && rm -rf "$BENCH_TMP"
    for dir in "${BENCH_DIRS[@]}"; do rm -rf "$dir"; done
}

bench_init() {  # bench_init <directory of wendaro-cli>
    if [ "$(id -u)" -ne 0 ]; then
        echo "$(basename "$0") needs root (network namespaces)" >&2
        exit 1
    fi
    BENCH_CLI="$1/wendaro-cli"
    if [ ! -x "$BENCH_CLI" ]; then
        echo "no wendaro-cli in '$1' (build with -DCMAKE_BUILD_TYPE=Release first)" >&2
        exit 1
    fi
    BENCH_TMP=$(mktemp -d "${BENCH_TMPDIR:-/tmp}/wendaro-bench.XXXXXX")
    trap bench_cleanup EXIT
    trap 'exit 1' INT TERM
}

# A namespace with only loopback up.
bench_add_namespace() {  # bench_add_namespace <name>
    ip netns add "$1" || exit 1
    BENCH_NAMESPACES+=("$1")
    ip -n "$1" link set lo up
}

# A private bridge for hosts that must hear each other's broadcasts; sets BRIDGE.
bench_add_bridge() {
    BRIDGE="${BENCH_PREFIX}br"
    bench_add_namespace "$BRIDGE"
    ip -n "$BRIDGE" link add br0 type bridge forward_delay 0 stp_state 0
    ip -n "$BRIDGE" link set br0 up
}

# Host <i>: namespace ${BENCH_PREFIX}h<i> on the bridge with <address>/24 on eth0.
bench_add_bridged_host() {  # bench_add_bridged_host <i> <address>
    local ns="${BENCH_PREFIX}h$1"
    bench_add_namespace "$ns"
    ip -n "$ns" link add eth0 type veth peer name "port$1" netns "$BRIDGE"
    ip -n "$BRIDGE" link set "port$1" master br0 up
    ip -n "$ns" addr add "$2/24" broadcast + dev eth0
    ip -n "$ns" link set eth0 up
}

# A second namespace joined to <namespace> by one veth pair whose both directions are held to
# <rate> (tc's units: 1gbit, 2500mbit, ...), as a LAN link would be; the host is 10.88.0.1, the
# client 10.88.0.2. Sets BENCH_CLIENT_NS.
bench_add_link() { # bench_add_link <namespace> <rate>
    BENCH_CLIENT_NS="${BENCH_PREFIX}c"
    bench_add_namespace "$BENCH_CLIENT_NS"
    ip -n "$1" link add eth0 type veth peer name eth0 netns "$BENCH_CLIENT_NS" || exit 1
    ip -n "$1" addr add 10.88.0.1/24 dev eth0
    ip -n "$BENCH_CLIENT_NS" addr add 10.88.0.2/24 dev eth0
    local ns
    for ns in "$1" "$BENCH_CLIENT_NS"; do
        ip -n "$ns" link set eth0 up
        tc -n "$ns" qdisc add dev eth0 root tbf rate "$2" burst 1mb latency 20ms || exit 1
    done
}

# Starts serve in a namespace; sets BENCH_SERVE_PID. stdin is kept open (an idle fifo), as an
# interactive serve would have it.
bench_start_serve() {  # bench_start_serve <namespace> <config> <output>
    local fifo="$BENCH_TMP/stdin.$RANDOM$RANDOM"
    mkfifo "$fifo"
    exec {BENCH_FD}<>"$fifo"
    ip netns exec "$1" "$BENCH_CLI" --config "$2" serve <"$fifo" >"$3" 2>&1 &
    BENCH_SERVE_PID=$!
    BENCH_PIDS+=("$BENCH_SERVE_PID")
}

bench_config() {  # bench_config <file> <hostname> [allowunknown]
    printf '[global]\nhostname=%s\nallowunknown=%s\n' "$2" "${3:-1}" >"$1"
}

# Waits (at most 10 s) until `ls` of the host's root answers.
bench_wait_ready() {  # bench_wait_ready <namespace> <config> <address>
    for _ in $(seq 100); do
        ip netns exec "$1" "$BENCH_CLI" --config "$2" ls "$3" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "serve did not answer within 10 s" >&2
    exit 1
}

bench_now_ns() { date +%s%N; }

# The median of whole numbers; of an even count, the mean of the middle two (rounded down).
bench_median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); printf "%.0f\n", (NR % 2) ? v[m] : int((v[m] + v[m + 1]) / 2) }'; }

# The CPU time (user + system) a process has spent, in clock ticks; BENCH_HZ of them make a second.
BENCH_HZ=$(getconf CLK_TCK)
bench_cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; } # bench_cpu_ticks <pid>
# Waits <seconds>; sets BENCH_CPU_TICKS, what the process spent meanwhile, and BENCH_WALL_NS.
bench_watch_cpu() { # bench_watch_cpu <pid> <seconds>
    local before start
    before=$(bench_cpu_ticks "$1")
    start=$(bench_now_ns)
    sleep "$2"
    BENCH_CPU_TICKS=$(($(bench_cpu_ticks "$1") - before))
    BENCH_WALL_NS=$(($(bench_now_ns) - start))
}

# A host in <namespace> serving <files> files of 1 KiB of random bytes as \data\many, from
# <dir>/share/many, with the settings <dir>/s.ini; returns once it answers. split makes the files
# in one go: a shell loop would take longer than their download.
bench_serve_many_files() { # bench_serve_many_files <namespace> <dir> <files>
    mkdir -p "$2/share/many"
    head -c $(($3 * 1024)) /dev/urandom >"$2/blob"
    (cd "$2/share/many" && split -b 1024 -a 6 -d ../../blob f) || exit 1
    rm "$2/blob"
    bench_config "$2/s.ini" srv
    "$BENCH_CLI" --config "$2/s.ini" share add data "$2/share" >/dev/null
    bench_start_serve "$1" "$2/s.ini" "$2/s.out"
    bench_wait_ready "$1" "$2/s.ini" 127.0.0.1
}
