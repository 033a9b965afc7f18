#!/usr/bin/env bash
# 10,000 files of 1 KiB: `wendaro-cli get` of the folder from a `serve` host over loopback, once
# as one stream ("wdx-folder") and once the common way (a connection per file), against
# `tar -cf - | socat | tar -xf -` over the same loopback in the same run. The common way is what a
# host of the common protocol gets: no stream (--common-protocol) and plain `retrieve` (--no-verify).
# Targets: stream / tar >= 0.8; the common way >= 2,000 files/s.
# Usage: sudo bench/folder_stream.sh <directory of wendaro-cli> [files, default 10000] [rounds, default 3]
# Each figure is the best of the rounds, so that a neighbour's burst of CPU does not decide it.
# Beside the wall-clock times it prints the CPU time both ends spent (user + system, sending and
# receiving side together): on a loaded machine a pipeline of four processes (tar, socat, socat,
# tar) gets more of the CPU than our two busy threads, and the CPU times compare the work itself.
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
FILES=${2:-10000}
ROUNDS=${3:-3}
NS="${BENCH_PREFIX}s"
DIR="$BENCH_TMP"
TAR_PORT=12399

bench_add_namespace "$NS"
mkdir -p "$DIR/out"
bench_serve_many_files "$NS" "$DIR" "$FILES"

# "%U %S" of /usr/bin/time, in milliseconds.
time_ms() { awk '{ printf "%d", ($1 + $2) * 1000 }' "$1"; }

check() {  # check <folder>
    diff -rq "$DIR/share/many" "$1" >/dev/null || { echo "$1: content differs" >&2; exit 1; }
}

# Prints "<wall ns> <CPU ms>" of one transfer.
time_get() {  # time_get [one global option] [one get option]
    rm -rf "$DIR/out/many"
    local start end before after
    before=$(bench_cpu_ticks "$BENCH_SERVE_PID")
    start=$(bench_now_ns)
    ip netns exec "$NS" /usr/bin/time -f "%U %S" -o "$DIR/t.get" "$BENCH_CLI" --config "$DIR/c.ini" \
        ${1:+"$1"} get ${2:+"$2"} 127.0.0.1 /data/many "$DIR/out" >/dev/null || { echo "get failed" >&2; exit 1; }
    end=$(bench_now_ns)
    after=$(bench_cpu_ticks "$BENCH_SERVE_PID")
    check "$DIR/out/many"
    echo "$((end - start)) $(( $(time_ms "$DIR/t.get") + (after - before) * 1000 / BENCH_HZ ))"
}

time_tar() {
    rm -rf "$DIR/out/many"
    local start end receiver
    ip netns exec "$NS" /usr/bin/time -f "%U %S" -o "$DIR/t.rx" bash -c \
        "socat -u TCP-LISTEN:$TAR_PORT,bind=127.0.0.1,reuseaddr STDOUT | tar -xf - -C '$DIR/out'" &
    receiver=$!
    BENCH_PIDS+=("$receiver")
    for _ in $(seq 200); do
        ip netns exec "$NS" ss -ltn "sport = :$TAR_PORT" | grep -q LISTEN && break
        sleep 0.01
    done
    start=$(bench_now_ns)
    ip netns exec "$NS" /usr/bin/time -f "%U %S" -o "$DIR/t.tx" bash -c \
        "tar -cf - -C '$DIR/share' many | socat -u STDIN TCP:127.0.0.1:$TAR_PORT"
    wait "$receiver"
    end=$(bench_now_ns)
    check "$DIR/out/many"
    echo "$((end - start)) $(( $(time_ms "$DIR/t.rx") + $(time_ms "$DIR/t.tx") ))"
}

# The round with the shortest wall-clock time, and the least CPU time of any round.
best() { sort -n | awk 'NR == 1 { wall = $1 } { cpu = (NR == 1 || $2 < cpu) ? $2 : cpu } END { print wall, cpu }'; }

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
read -r stream_ns stream_cpu < <(for _ in $(seq "$ROUNDS"); do time_get; done | best)
read -r tar_ns tar_cpu < <(for _ in $(seq "$ROUNDS"); do time_tar; done | best)
read -r common_ns common_cpu < <(for _ in $(seq "$ROUNDS"); do time_get --common-protocol --no-verify; done | best)
awk -v n="$FILES" -v s="$stream_ns" -v t="$tar_ns" -v c="$common_ns" \
    -v sc="$stream_cpu" -v tc="$tar_cpu" -v cc="$common_cpu" 'BEGIN {
    printf "%d files of 1 KiB, best of rounds (wall clock; CPU of both ends)\n", n
    printf "  stream (wdx-folder):         %.3f s, %6.0f files/s; CPU %5d ms\n", s / 1e9, n / (s / 1e9), sc
    printf "  tar | socat | tar:           %.3f s, %6.0f files/s; CPU %5d ms\n", t / 1e9, n / (t / 1e9), tc
    printf "  common protocol (per file):  %.3f s, %6.0f files/s; CPU %5d ms\n", c / 1e9, n / (c / 1e9), cc
    printf "  ratio stream / tar: %.2f by wall clock, %.2f by CPU time (target >= 0.80)\n", t / s, tc / sc
    printf "  common way: %s 2,000 files/s\n", (n / (c / 1e9) >= 2000) ? "at least" : "BELOW"
}'
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
