#!/usr/bin/env bash
# 10,000 files of 1 KiB: `wendaro-cli get` of the folder from a `serve` host over loopback, once
# as one stream ("wdx-folder") and once the common way (a connection per file), against
# `tar -cf - | socat | tar -xf -` over the same loopback in the same run.
# Targets: stream / tar >= 0.8; the common way >= 2,000 files/s.
# Usage: sudo bench/folder_stream.sh <directory of wendaro-cli> [files, default 10000] [rounds, default 3]
# Each figure is the best of the rounds, so that a neighbour's burst of CPU does not decide it.
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
FILES=${2:-10000}
ROUNDS=${3:-3}
NS="${BENCH_PREFIX}s"
DIR="$BENCH_TMP"
TAR_PORT=12399

bench_add_namespace "$NS"
mkdir -p "$DIR/share/many" "$DIR/out"
head -c $((FILES * 1024)) /dev/urandom >"$DIR/blob"
(cd "$DIR/share/many" && split -b 1024 -a 6 -d ../../blob f) || exit 1
rm "$DIR/blob"
bench_config "$DIR/s.ini" srv
"$BENCH_CLI" --config "$DIR/s.ini" share add data "$DIR/share" >/dev/null
bench_start_serve "$NS" "$DIR/s.ini" "$DIR/s.out"
bench_wait_ready "$NS" "$DIR/s.ini" 127.0.0.1

check() {  # check <folder>
    diff -rq "$DIR/share/many" "$1" >/dev/null || { echo "$1: content differs" >&2; exit 1; }
}

# Prints the seconds one transfer took.
time_get() {  # time_get [extra options]
    rm -rf "$DIR/out/many"
    local start end
    start=$(bench_now_ns)
    ip netns exec "$NS" "$BENCH_CLI" --config "$DIR/c.ini" "$@" get 127.0.0.1 /data/many "$DIR/out" \
        >/dev/null || { echo "get failed" >&2; exit 1; }
    end=$(bench_now_ns)
    check "$DIR/out/many"
    echo $((end - start))
}

time_tar() {
    rm -rf "$DIR/out/many"
    local start end receiver
    start=$(bench_now_ns)
    ip netns exec "$NS" bash -c "socat -u TCP-LISTEN:$TAR_PORT,bind=127.0.0.1,reuseaddr STDOUT | tar -xf - -C '$DIR/out'" &
    receiver=$!
    BENCH_PIDS+=("$receiver")
    for _ in $(seq 200); do
        ip netns exec "$NS" ss -ltn "sport = :$TAR_PORT" | grep -q LISTEN && break
        sleep 0.01
    done
    start=$(bench_now_ns)
    ip netns exec "$NS" bash -c "tar -cf - -C '$DIR/share' many | socat -u STDIN TCP:127.0.0.1:$TAR_PORT"
    wait "$receiver"
    end=$(bench_now_ns)
    check "$DIR/out/many"
    echo $((end - start))
}

best() { sort -n | head -1; }

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
stream_ns=$(for _ in $(seq "$ROUNDS"); do time_get; done | best)
tar_ns=$(for _ in $(seq "$ROUNDS"); do time_tar; done | best)
common_ns=$(for _ in $(seq "$ROUNDS"); do time_get --common-protocol; done | best)
awk -v n="$FILES" -v s="$stream_ns" -v t="$tar_ns" -v c="$common_ns" 'BEGIN {
    printf "%d files of 1 KiB, best of rounds\n", n
    printf "  stream (wdx-folder):      %.3f s, %6.0f files/s\n", s / 1e9, n / (s / 1e9)
    printf "  tar | socat | tar:        %.3f s, %6.0f files/s\n", t / 1e9, n / (t / 1e9)
    printf "  common protocol (per file): %.3f s, %6.0f files/s\n", c / 1e9, n / (c / 1e9)
    printf "  ratio stream / tar: %.2f (target >= 0.80); common way %s 2,000 files/s\n",
        t / s, (n / (c / 1e9) >= 2000) ? ">=" : "BELOW"
}'
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
