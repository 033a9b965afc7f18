#!/usr/bin/env bash
# What checking a download costs: 1 GiB over loopback with `get` (resume and SHA-256 check, between
# two copies of Wendaro) against `get --no-verify` (the common request), alternating in the same
# run, the file on tmpfs. The host hashes a version of a file once, while sending it the first
# time: round 1 shows that cost, later rounds the usual one (the host's digest known, the client
# hashing as the bytes arrive). Prints the medians and their ratio (target: at least 0.9).
# With LINK_RATE (tc's units, e.g. 1gbit or 10gbit) the client runs in a namespace of its own,
# joined to the host's by a link of that speed, as across a LAN; without, both share loopback,
# where the transfer outruns one SHA-256 on this kind of machine and the hash sets the pace.
# Usage: sudo [ROUNDS=5] [BENCH_SHM=/dev/shm] [LINK_RATE=1gbit] bench/verify_cost.sh <directory of wendaro-cli> [MiB]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
MIB=${2:-1024}
ROUNDS=${ROUNDS:-5}
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
bench_config "$BENCH_TMP/s.ini" srv
DIR=$(mktemp -d "${BENCH_SHM:-/dev/shm}/wendaro-bench.XXXXXX") || exit 1
BENCH_DIRS+=("$DIR")
mkdir -p "$DIR/share" "$DIR/get"
head -c $((MIB * 1048576)) /dev/urandom >"$DIR/share/big.bin"
"$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add mem "$DIR/share" >/dev/null || exit 1
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1
CLIENT_NS=$NS HOST=127.0.0.1 WHERE="over loopback"
if [ -n "${LINK_RATE:-}" ]; then
    bench_add_link "$NS" "$LINK_RATE"
    CLIENT_NS=$BENCH_CLIENT_NS HOST=10.88.0.1 WHERE="over a $LINK_RATE link"
fi

run_get() {  # run_get [--no-verify]: nanoseconds
    rm -f "$DIR/get/big.bin"
    local start end
    start=$(bench_now_ns)
    ip netns exec "$CLIENT_NS" "$BENCH_CLI" --config "$BENCH_TMP/c.ini" get --verbose "$@" "$HOST" \
        /mem/big.bin "$DIR/get" >"$BENCH_TMP/get.out" ||
        { echo "get failed; the host said:" >&2; tail -5 "$BENCH_TMP/s.out" >&2; exit 1; }
    end=$(bench_now_ns)
    cmp -s "$DIR/share/big.bin" "$DIR/get/big.bin" || { echo "get: content differs" >&2; exit 1; }
    if [ $# -eq 0 ] && ! grep -q "^verified: " "$BENCH_TMP/get.out"; then
        echo "get: not verified" >&2
        exit 1
    fi
    echo $((end - start))
}
rate() { awk -v m="$MIB" -v t="$1" 'BEGIN { printf "%.0f", m * 1.048576 / (t / 1e9) }'; }

cat "$DIR/share/big.bin" >/dev/null
echo "$MIB MiB $WHERE, tmpfs, verified get and get --no-verify alternating:"
verified=() plain=()
for round in $(seq "$ROUNDS"); do
    v=$(run_get) || exit 1
    p=$(run_get --no-verify) || exit 1
    echo "round $round: verified $(rate "$v") MB/s, --no-verify $(rate "$p") MB/s"
    [ "$round" -eq 1 ] && first=$v
    [ "$round" -gt 1 ] && verified+=("$v")
    plain+=("$p")
done
[ ${#verified[@]} -eq 0 ] && verified=("$first")
mv=$(bench_median "${verified[@]}")
mp=$(bench_median "${plain[@]}")
awk -v f="$(rate "$first")" -v v="$(rate "$mv")" -v p="$(rate "$mp")" -v n="$ROUNDS" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    printf "first verified get (the host hashes while sending): %d MB/s, ratio %.2f\n", f, f / p
    printf "median of %d: verified %d MB/s, --no-verify %d MB/s, ratio %.2f (load average %s)\n",
        n, v, p, v / p, load
}'
