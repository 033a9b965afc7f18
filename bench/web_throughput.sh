#!/usr/bin/env bash
# 1 GiB from the web view by `curl -o` against `wendaro-cli get` of the same file from the request
# port, alternating in the same run, over loopback in a namespace. Prints the medians and their
# ratio (target: the web view at least 0.9 times as fast as get), and for comparison curl into
# /dev/null (what the server delivers when the client writes nothing), `get --no-verify` (the
# transfer without the SHA-256 check `get` makes by default) and the CPU time the serving process
# spent per GiB.
# Usage: sudo [ROUNDS=5] [BENCH_DISK=/var/tmp] bench/web_throughput.sh <directory of wendaro-cli> [MiB]
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/../tests/e2e/netns_lib.sh"
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh" # for bench_median and bench_cpu_ticks
e2e_init "$1"
e2e_need_tools curl
MIB=${2:-1024}
ROUNDS=${ROUNDS:-5}
e2e_add_host 1
T=$E2E_TMP
e2e_config "$T/c.ini" client 1
DIR=$(mktemp -d "${BENCH_DISK:-/var/tmp}/wendaro-bench.XXXXXX") || exit 1
E2E_DIRS+=("$DIR")
mkdir -p "$DIR/share" "$DIR/get" "$DIR/web"
head -c $((MIB * 1048576)) /dev/urandom >"$DIR/share/big.bin"
e2e_start_web_serve 1 "$T/s.ini" srv data "$DIR/share" "$T/s.out" 1 >/dev/null
SERVE=$E2E_SERVE_PID
BASE=http://127.0.0.1:12348
e2e_until 10 e2e_cli 1 5 --config "$T/c.ini" ls 127.0.0.1 || { echo "serve did not answer within 10 s" >&2; exit 1; }
e2e_web_let_in 1 "$T/s.out" "$BASE" "$T/jar" >/dev/null || { echo "curl was not let in" >&2; exit 1; }

# timed <what> command...: prints "<ns> <serve ticks>".
timed() {
    local start end serve0 serve1
    serve0=$(bench_cpu_ticks "$SERVE")
    start=$(date +%s%N)
    ("${@:2}") >/dev/null || { echo "$1 failed" >&2; exit 1; }
    end=$(date +%s%N)
    serve1=$(bench_cpu_ticks "$SERVE")
    echo "$((end - start)) $((serve1 - serve0))"
}
run_web() {
    rm -f "$DIR/web/big.bin"
    timed curl ip netns exec "$(e2e_ns 1)" curl -sS -b "$T/jar" -o "$DIR/web/big.bin" "$BASE/s/data/big.bin"
    cmp -s "$DIR/share/big.bin" "$DIR/web/big.bin" || { echo "curl got other bytes" >&2; exit 1; }
}
run_null() { timed "curl to /dev/null" ip netns exec "$(e2e_ns 1)" curl -sS -b "$T/jar" -o /dev/null "$BASE/s/data/big.bin"; }
run_get() { # run_get [--no-verify]
    rm -f "$DIR/get/big.bin"
    timed get ip netns exec "$(e2e_ns 1)" "$E2E_CLI" --config "$T/c.ini" get "$@" 127.0.0.1 /data/big.bin "$DIR/get"
}

webs=() gets=() nulls=() plains=() web_cpu=() get_cpu=()
for _ in $(seq "$ROUNDS"); do
    read -r ns ticks < <(run_web) || exit 1
    webs+=("$ns") web_cpu+=("$ticks")
    read -r ns ticks < <(run_get) || exit 1
    gets+=("$ns") get_cpu+=("$ticks")
    read -r ns _ < <(run_null) || exit 1
    nulls+=("$ns")
    read -r ns _ < <(run_get --no-verify) || exit 1
    plains+=("$ns")
done
awk -v w="$(bench_median "${webs[@]}")" -v g="$(bench_median "${gets[@]}")" -v n="$(bench_median "${nulls[@]}")" \
    -v p="$(bench_median "${plains[@]}")" \
    -v wc="$(bench_median "${web_cpu[@]}")" -v gc="$(bench_median "${get_cpu[@]}")" -v hz="$BENCH_HZ" \
    -v mib="$MIB" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    printf "%d MiB: web view (curl -o file) %.0f MiB/s, get %.0f MiB/s, ratio %.2f (target >= 0.9: %s); curl -o /dev/null %.0f MiB/s; get --no-verify %.0f MiB/s (curl -o against it: %.2f); serving CPU per GiB: web view %.2f s, request server %.2f s; load average %s\n",
        mib, mib / (w / 1e9), mib / (g / 1e9), g / w, (g / w >= 0.9) ? "met" : "missed",
        mib / (n / 1e9), mib / (p / 1e9), p / w, wc / hz * 1024 / mib, gc / hz * 1024 / mib, load
}'
