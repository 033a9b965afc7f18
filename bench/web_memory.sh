#!/usr/bin/env bash
# Memory of `serve --web` while 100 browsers, each from its own address, download a 1 GiB file at
# once: the kernel's high-water mark of its resident set during the downloads (reset once idle)
# minus the idle resident set (target: under 64 MiB more than idle).
# Usage: sudo bench/web_memory.sh <directory of wendaro-cli> [browsers] [MiB/s per browser]
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/../tests/e2e/netns_lib.sh"
e2e_init "$1"
e2e_need_tools curl
BROWSERS=${2:-100}
RATE=${3:-40}
e2e_add_host 1
T=$E2E_TMP
mkdir -p "$T/share"
# Sparse: the page cache, not the disk, feeds the downloads, as for a file read a second time.
truncate -s 1G "$T/share/big.bin"
e2e_start_web_serve 1 "$T/s.ini" srv data "$T/share" "$T/s.out" 1 >/dev/null
# ip netns exec runs the program in its own process.
SERVE=$E2E_SERVE_PID
BASE=http://127.0.0.1:12348
e2e_until 10 e2e_cli 1 5 --config "$T/s.ini" ls 127.0.0.1 || { echo "serve did not answer within 10 s" >&2; exit 1; }
e2e_web_let_in 1 "$T/s.out" "$BASE" "$T/jar" >/dev/null || { echo "curl was not let in" >&2; exit 1; }
status() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$SERVE/status"; }
sleep 1
idle=$(status VmRSS)
# From here VmHWM is the largest resident set of the downloads.
echo 5 >"/proc/$SERVE/clear_refs"

# Every 127.0.0.x is this namespace's own: one address per browser, no neighbour entries. Each
# download has at most 20 minutes.
pids=()
for i in $(seq 2 $((BROWSERS + 1))); do
    ip netns exec "$(e2e_ns 1)" curl -sS -m 1200 -b "$T/jar" --interface "127.0.0.$i" \
        --limit-rate "${RATE}M" -o /dev/null "$BASE/s/data/big.bin" &
    pids+=($!)
    E2E_PIDS+=($!)
done
peak=0
while [ "$(jobs -rp | wc -l)" -gt 1 ]; do
    now=$(status VmRSS)
    [ "$now" -gt "$peak" ] && peak=$now
    sleep 0.25
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
awk -v idle="$idle" -v peak="$peak" -v hwm="$(status VmHWM)" -v n="$BROWSERS" -v failed="$failed" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    more = (hwm - idle) / 1024
    printf "%d browsers downloading 1 GiB each (%d failed): idle %.1f MiB, high-water mark %.1f MiB (largest sample %.1f MiB), %.1f MiB more (target < 64: %s), load average %s\n",
        n, failed, idle / 1024, hwm / 1024, peak / 1024, more, more < 64 && failed == 0 ? "met" : "missed", load
}'
