#!/usr/bin/env bash
# Peak resident memory of `wendaro-cli get` for a 4 GiB file (sparse on the sharing side; target:
# below 16 MiB).
# Usage: sudo bench/get_peak_rss.sh <directory of wendaro-cli> [GiB]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
GIB=${2:-4}
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (GNU time)" >&2; exit 1; }
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
mkdir -p "$BENCH_TMP/share" "$BENCH_TMP/get"
truncate -s "${GIB}G" "$BENCH_TMP/share/huge.bin"
bench_config "$BENCH_TMP/s.ini" srv
"$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add data "$BENCH_TMP/share"
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1
start=$(bench_now_ns)
ip netns exec "$NS" /usr/bin/time -v "$BENCH_CLI" --config "$BENCH_TMP/c.ini" get 127.0.0.1 \
    /data/huge.bin "$BENCH_TMP/get" >/dev/null 2>"$BENCH_TMP/time.txt" || {
    cat "$BENCH_TMP/time.txt" >&2
    exit 1
}
end=$(bench_now_ns)
size=$(stat -c %s "$BENCH_TMP/get/huge.bin")
rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$BENCH_TMP/time.txt")
awk -v rss="$rss" -v size="$size" -v ns=$((end - start)) -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    printf "get of a %.1f GiB file: peak RSS %.1f MiB (target < 16 MiB: %s), %.1f s, load average %s\n",
        size / 1073741824, rss / 1024, rss < 16 * 1024 ? "met" : "missed", ns / 1e9, load
}'
