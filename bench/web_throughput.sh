#!/usr/bin/env bash
# 1 GiB from the web view by `curl -o` against `wendaro-cli get` of the same file from the request
# port, alternating in the same run, over loopback in a namespace. Prints the medians and their
# ratio (target: the web view at least 0.9 times as fast as get).
# Usage: sudo [ROUNDS=5] [BENCH_DISK=/var/tmp] bench/web_throughput.sh <directory of wendaro-cli> [MiB]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
MIB=${2:-1024}
ROUNDS=${ROUNDS:-5}
command -v curl >/dev/null || { echo "needs curl" >&2; exit 1; }
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
bench_config "$BENCH_TMP/s.ini" srv
printf 'webview=1\n' >>"$BENCH_TMP/s.ini"
DIR=$(mktemp -d "${BENCH_DISK:-/var/tmp}/wendaro-bench.XXXXXX") || exit 1
BENCH_DIRS+=("$DIR")
mkdir -p "$DIR/share" "$DIR/get" "$DIR/web"
head -c $((MIB * 1048576)) /dev/urandom >"$DIR/share/big.bin"
"$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add data "$DIR/share" >/dev/null || exit 1
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1

web() { ip netns exec "$NS" curl -sS -b "$BENCH_TMP/jar" -c "$BENCH_TMP/jar" "$@"; }
web -o /dev/null "http://127.0.0.1:12348/"
sleep 0.5
code=$(grep -oE "type [0-9]{6} on its page" "$BENCH_TMP/s.out" | head -n 1 | cut -d' ' -f2)
web -o /dev/null -d "code=$code" "http://127.0.0.1:12348/_/approve"

run_web() {
    rm -f "$DIR/web/big.bin"
    local start end
    start=$(bench_now_ns)
    web -o "$DIR/web/big.bin" "http://127.0.0.1:12348/s/data/big.bin" || { echo "curl failed" >&2; exit 1; }
    end=$(bench_now_ns)
    cmp -s "$DIR/share/big.bin" "$DIR/web/big.bin" || { echo "curl got other bytes" >&2; exit 1; }
    echo $((end - start))
}
run_get() {
    rm -f "$DIR/get/big.bin"
    local start end
    start=$(bench_now_ns)
    ip netns exec "$NS" "$BENCH_CLI" --config "$BENCH_TMP/c.ini" get 127.0.0.1 /data/big.bin \
        "$DIR/get" >/dev/null || { echo "get failed" >&2; exit 1; }
    end=$(bench_now_ns)
    echo $((end - start))
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

webs=() gets=()
for _ in $(seq "$ROUNDS"); do
    webs+=("$(run_web)")
    gets+=("$(run_get)")
done
awk -v w="$(median "${webs[@]}")" -v g="$(median "${gets[@]}")" -v mib="$MIB" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    printf "%d MiB: web view (curl) %.0f MiB/s, get %.0f MiB/s, ratio %.2f (target >= 0.9: %s), load average %s\n",
        mib, mib / (w / 1e9), mib / (g / 1e9), g / w, (g / w >= 0.9) ? "met" : "missed", load
}'
