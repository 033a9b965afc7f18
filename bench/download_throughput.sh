#!/usr/bin/env bash
# 1 GiB over loopback: `wendaro-cli get` against a raw TCP copy with `socat -b 1048576`, alternating
# in the same run, once with the files on disk and once on tmpfs. Prints, for each, the medians of
# the rounds and their ratio (target: get at least as fast as socat, ratio >= 1.0).
# Usage: sudo [ROUNDS=5] [BENCH_DISK=/var/tmp] [BENCH_SHM=/dev/shm] bench/download_throughput.sh <directory of wendaro-cli> [MiB]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
MIB=${2:-1024}
ROUNDS=${ROUNDS:-5}
command -v socat >/dev/null || { echo "needs socat" >&2; exit 1; }
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
bench_config "$BENCH_TMP/s.ini" srv

# One share per place: <parent folder> -> the share's folder, holding big.bin.
prepare_place() {  # prepare_place <share name> <parent folder>
    local dir
    dir=$(mktemp -d "$2/wendaro-bench.XXXXXX") || return 1
    mkdir -p "$dir/share" "$dir/get" "$dir/raw"
    # Random data, so that nothing along the way can take a short cut.
    head -c $((MIB * 1048576)) /dev/urandom >"$dir/share/big.bin"
    "$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add "$1" "$dir/share" >/dev/null ||
        { rm -rf "$dir"; return 1; }
    echo "$dir"
}
DISK_DIR=$(prepare_place disk "${BENCH_DISK:-/var/tmp}") || exit 1
SHM_DIR=$(prepare_place mem "${BENCH_SHM:-/dev/shm}") || exit 1
BENCH_DIRS+=("$DISK_DIR" "$SHM_DIR")
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1

run_get() {  # run_get <folder> <share name>
    rm -f "$1/get/big.bin"
    local start end
    start=$(bench_now_ns)
    ip netns exec "$NS" "$BENCH_CLI" --config "$BENCH_TMP/c.ini" get 127.0.0.1 "/$2/big.bin" \
        "$1/get" >/dev/null || { echo "get failed" >&2; exit 1; }
    end=$(bench_now_ns)
    echo $((end - start))
}

run_socat() {  # run_socat <folder>
    rm -f "$1/raw/big.bin"
    ip netns exec "$NS" socat -b 1048576 -u "FILE:$1/share/big.bin" TCP-LISTEN:40000,reuseaddr &
    local server=$! start end
    BENCH_PIDS+=("$server")
    sleep 0.3
    start=$(bench_now_ns)
    ip netns exec "$NS" socat -b 1048576 -u TCP:127.0.0.1:40000 "CREATE:$1/raw/big.bin" ||
        { echo "socat failed" >&2; exit 1; }
    end=$(bench_now_ns)
    wait "$server"
    echo $((end - start))
}


run_place() {  # run_place <label> <folder> <share name>
    local dir=$2
    # Read once to have it cached, as socat's source is.
    cat "$dir/share/big.bin" >/dev/null
    local gets=() raws=() g r round
    for round in $(seq "$ROUNDS"); do
        g=$(run_get "$dir" "$3") || exit 1
        r=$(run_socat "$dir") || exit 1
        cmp -s "$dir/share/big.bin" "$dir/get/big.bin" || { echo "get: content differs" >&2; exit 1; }
        cmp -s "$dir/share/big.bin" "$dir/raw/big.bin" || { echo "socat: content differs" >&2; exit 1; }
        gets+=("$g")
        raws+=("$r")
        awk -v m="$MIB" -v g="$g" -v r="$r" -v n="$round" -v label="$1" \
            'BEGIN { printf "%s round %d: get %.0f MB/s, socat %.0f MB/s\n", label, n, m * 1.048576 / (g / 1e9), m * 1.048576 / (r / 1e9) }'
    done
    awk -v m="$MIB" -v g="$(bench_median "${gets[@]}")" -v r="$(bench_median "${raws[@]}")" -v label="$1" \
        -v n="$ROUNDS" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
        get = m * 1.048576 / (g / 1e9); raw = m * 1.048576 / (r / 1e9);
        printf "%s, median of %d: get %.0f MB/s, socat -b 1048576 %.0f MB/s, ratio %.2f (load average %s)\n",
            label, n, get, raw, get / raw, load
    }'
    rm -f "$dir/get/big.bin" "$dir/raw/big.bin"
}

echo "$MIB MiB over loopback, get and socat alternating:"
run_place "disk ($(df --output=fstype "$DISK_DIR" | tail -1 | tr -d ' '))" "$DISK_DIR" disk
run_place "tmpfs" "$SHM_DIR" mem
