#!/usr/bin/env bash
# 1 GiB over loopback: `wendaro-cli get` against a raw TCP copy with socat in the same run
# (target: get reaches at least 90% of socat's speed).
# Usage: sudo [ROUNDS=5] [BENCH_TMPDIR=/dev/shm] bench/download_throughput.sh <directory of wendaro-cli> [MiB]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
MIB=${2:-1024}
command -v socat >/dev/null || { echo "needs socat" >&2; exit 1; }
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
mkdir -p "$BENCH_TMP/share" "$BENCH_TMP/get" "$BENCH_TMP/raw"
# Random data, so that nothing along the way can take a short cut; read once to have it cached.
head -c $((MIB * 1048576)) /dev/urandom >"$BENCH_TMP/share/big.bin"
cat "$BENCH_TMP/share/big.bin" >/dev/null
bench_config "$BENCH_TMP/s.ini" srv
"$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add data "$BENCH_TMP/share"
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1

run_get() {
    rm -f "$BENCH_TMP/get/big.bin"
    local start end
    start=$(bench_now_ns)
    ip netns exec "$NS" "$BENCH_CLI" --config "$BENCH_TMP/c.ini" get 127.0.0.1 /data/big.bin \
        "$BENCH_TMP/get" >/dev/null || { echo "get failed" >&2; exit 1; }
    end=$(bench_now_ns)
    echo $((end - start))
}

run_socat() {
    rm -f "$BENCH_TMP/raw/big.bin"
    ip netns exec "$NS" socat -b 1048576 -u "FILE:$BENCH_TMP/share/big.bin" \
        TCP-LISTEN:40000,reuseaddr &
    local server=$! start end
    BENCH_PIDS+=("$server")
    sleep 0.3
    start=$(bench_now_ns)
    ip netns exec "$NS" socat -b 1048576 -u TCP:127.0.0.1:40000 \
        "CREATE:$BENCH_TMP/raw/big.bin" || { echo "socat failed" >&2; exit 1; }
    end=$(bench_now_ns)
    wait "$server"
    echo $((end - start))
}

# Alternate the two so that both see the same machine load; report best and median.
ROUNDS=${ROUNDS:-5}
gets=() raws=()
for round in $(seq "$ROUNDS"); do
    g=$(run_get)
    r=$(run_socat)
    cmp -s "$BENCH_TMP/share/big.bin" "$BENCH_TMP/get/big.bin" || { echo "get: content differs" >&2; exit 1; }
    cmp -s "$BENCH_TMP/share/big.bin" "$BENCH_TMP/raw/big.bin" || { echo "socat: content differs" >&2; exit 1; }
    gets+=("$g")
    raws+=("$r")
    awk -v m="$MIB" -v g="$g" -v r="$r" -v n="$round" \
        'BEGIN { printf "round %d: get %.0f MB/s, socat %.0f MB/s\n", n, m * 1.048576 / (g / 1e9), m * 1.048576 / (r / 1e9) }'
done
summary() {  # summary <label> <pick: 1 = best, middle index = median>
    local g r
    g=$(printf '%s\n' "${gets[@]}" | sort -n | sed -n "$2p")
    r=$(printf '%s\n' "${raws[@]}" | sort -n | sed -n "$2p")
    awk -v m="$MIB" -v g="$g" -v r="$r" -v label="$1" 'BEGIN {
        get = m * 1.048576 / (g / 1e9); raw = m * 1.048576 / (r / 1e9);
        printf "%s: get %.0f MB/s, socat -b 1048576 %.0f MB/s, ratio %.0f%%\n", label, get, raw, 100 * get / raw
    }'
}
echo "$MIB MiB over loopback, $ROUNDS rounds each:"
summary "  best  " 1
summary "  median" $(((ROUNDS + 1) / 2))
