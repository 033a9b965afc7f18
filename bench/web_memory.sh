#!/usr/bin/env bash
# Memory of `serve --web` while 100 browsers, each from its own address, download a 1 GiB file at
# once: the largest resident set seen during the downloads minus the idle one (target: under
# 64 MiB more than idle).
# Usage: sudo bench/web_memory.sh <directory of wendaro-cli> [browsers] [MiB/s per browser]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
BROWSERS=${2:-100}
RATE=${3:-40}
command -v curl >/dev/null || { echo "needs curl" >&2; exit 1; }
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
bench_config "$BENCH_TMP/s.ini" srv
printf 'webview=1\n' >>"$BENCH_TMP/s.ini"
mkdir -p "$BENCH_TMP/share"
# Sparse: the page cache, not the disk, feeds the downloads, as for a file read a second time.
truncate -s 1G "$BENCH_TMP/share/big.bin"
"$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add data "$BENCH_TMP/share" >/dev/null || exit 1
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1
# ip netns exec runs the program in its own process.
SERVE=$BENCH_SERVE_PID

web() { ip netns exec "$NS" curl -sS -b "$BENCH_TMP/jar" -c "$BENCH_TMP/jar" "$@"; }
web -o /dev/null "http://127.0.0.1:12348/"
sleep 0.5
code=$(grep -oE "type [0-9]{6} on its page" "$BENCH_TMP/s.out" | head -n 1 | cut -d' ' -f2)
web -o /dev/null -d "code=$code" "http://127.0.0.1:12348/_/approve"
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$SERVE/status"; }
sleep 1
idle=$(rss)

# Every 127.0.0.x is this namespace's own: one address per browser, no neighbour entries.
pids=()
for i in $(seq 2 $((BROWSERS + 1))); do
    web --interface "127.0.0.$i" --limit-rate "${RATE}M" -o /dev/null \
        "http://127.0.0.1:12348/s/data/big.bin" &
    pids+=($!)
    BENCH_PIDS+=($!)
done
peak=$idle
samples=0
while [ "$(jobs -rp | wc -l)" -gt 1 ] && [ "$samples" -lt 1200 ]; do
    now=$(rss)
    [ "$now" -gt "$peak" ] && peak=$now
    samples=$((samples + 1))
    sleep 0.25
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
awk -v idle="$idle" -v peak="$peak" -v n="$BROWSERS" -v failed="$failed" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    more = (peak - idle) / 1024
    printf "%d browsers downloading 1 GiB each (%d failed): idle %.1f MiB, peak %.1f MiB, %.1f MiB more (target < 64: %s), load average %s\n",
        n, failed, idle / 1024, peak / 1024, more, more < 64 && failed == 0 ? "met" : "missed", load
}'
